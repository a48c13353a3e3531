#include "vendral/widgets/brix_combo.h"

#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "controls/arrow_picture.h"
#include "controls/brix_line.h"
#include "controls/brix_shape.h"
#include "controls/design_colors.h"
#include "controls/twips_layout.h"

namespace vendral {
namespace {

// Set on the list while a key it received may move its selection.
constexpr const char* kKeyMoveProperty = "vendralKeyMove";

constexpr double kTwipsPerPoint = 26.25;
constexpr int kItemDataRole = Qt::UserRole;

}  // namespace

BrixCombo::BrixCombo(QWidget* parent) : BrixHintField(parent, "BrixCombo") {
    txt_->setReadOnly(true);

    // Beneath the text box like the hint: the arrow picture; above them the
    // list and, on its edge, its outline.
    img_ = new QLabel(this);
    img_->setObjectName(QStringLiteral("img"));
    img_->setPixmap(controls::DropDownArrowPicture());
    img_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    controls::SetGeometryTwips(img_, 3600, 0, 135, 225);
    WatchClicks(img_);

    lst_ = new QListWidget(this);
    lst_->setObjectName(QStringLiteral("lst"));
    lst_->setFrameShape(QFrame::NoFrame);
    lst_->setSelectionMode(QAbstractItemView::SingleSelection);
    controls::SetGeometryTwips(lst_, 0, 570, 2655, 1200);
    for (const char* entry : {" ", "een", "twee", "drie", "vier", "vijf"}) AddItem(entry, 0);
    lst_->hide();
    lst_->installEventFilter(this);
    connect(lst_, &QListWidget::clicked, this, [this] { lst_Click(); });
    // A list box reports a click also when the arrow keys move its selection.
    connect(lst_, &QListWidget::currentRowChanged, this, [this] {
        if (!lst_->property(kKeyMoveProperty).toBool()) return;
        lst_->setProperty(kKeyMoveProperty, false);
        lst_Click();
    });

    shp_ = new controls::BrixShape(this);
    shp_->setObjectName(QStringLiteral("shp"));
    shp_->BorderColor(controls::kListFrame);
    controls::SetGeometryTwips(shp_, 0, 570, 2655, 1200);
    shp_->hide();
    txt_->raise();

    UserControl_Initialize();
    controls::SetGeometryTwips(this, 0, 0, 3915, 2055);
    UserControl_Resize();
}

BrixCombo::~BrixCombo() {
    disconnect(lst_, nullptr, this, nullptr);
}

void BrixCombo::Enabled(bool bValue) {
    enabled_ = bValue;
    img_->setVisible(bValue);
    txt_LostFocus();
}

std::int32_t BrixCombo::AddItem(const std::string& sText, std::int32_t lItemData) {
    auto* item = new QListWidgetItem(QString::fromStdString(sText));
    item->setData(kItemDataRole, lItemData);
    lst_->addItem(item);
    return static_cast<std::int32_t>(lst_->row(item));
}

bool BrixCombo::Clear() {
    lst_->clear();
    txt_->setText(QString());
    return true;
}

void BrixCombo::img_Click() {
    if (img_->isHidden()) return;
    if (!lst_->isHidden()) {
        lst_Click();
        return;
    }
    txt_->show();
    lst_->show();
    raise();
    UserControl_Resize();
}

void BrixCombo::txt_Click() {
    img_Click();
}

void BrixCombo::lbl_Click() {
    if (!enabled_) {
        lbl_->hide();
        txt_->show();
        return;
    }
    if (!txt_->isHidden()) return;
    txt_->show();
    img_Click();
}

void BrixCombo::lst_Click() {
    const int entry = SelectedEntry();
    if (entry >= 0) {
        const QListWidgetItem* item = lst_->item(entry);
        txt_->setText(item->text());
        text_ = item->text().toStdString();
        listIndex_ = entry;
        itemData_ = item->data(kItemDataRole).toInt();
    }
    lst_->hide();
    // An empty text shows the hint label, with or without a tip.
    lbl_->setVisible(IsEmpty());
    txt_->setVisible(lbl_->isHidden());
    txt_Change();
    UserControl_Resize();
}

void BrixCombo::UserControl_Resize() {
    const double width = ControlWidthTwips();
    controls::SetTopTwips(txt_, 0);
    controls::SetLeftTwips(txt_, 0);
    controls::SetHeightTwips(txt_, TextSize() * kTwipsPerPoint);
    // A control narrower than the arrow's room keeps its text box at width 0.
    controls::SetWidthTwips(txt_, width - 170);
    lin_->X1(0);
    lin_->X2(width);
    lin_->Y1(controls::HeightTwips(txt_));
    lin_->Y2(lin_->Y1());
    controls::SetGeometryTwips(lbl_, controls::LeftTwips(txt_), controls::TopTwips(txt_),
                               controls::WidthTwips(txt_), controls::HeightTwips(txt_));
    controls::SetTopTwips(img_, controls::TopTwips(txt_));
    controls::SetLeftTwips(img_, width - 130);
    controls::SetTopTwips(lst_, lin_->Y1());
    controls::SetWidthTwips(lst_, width);
    controls::SetGeometryTwips(shp_, controls::LeftTwips(lst_), controls::TopTwips(lst_),
                               controls::WidthTwips(lst_), controls::HeightTwips(lst_));
    shp_->setVisible(!lst_->isHidden());
    const double list = lst_->isHidden() ? 0 : controls::HeightTwips(lst_) - 5;
    // The number of points goes in as twips, unconverted.
    SetControlHeightTwips(TextSize() + controls::HeightTwips(txt_) + 3 + list);
    txt_Change();
}

void BrixCombo::ApplyTextSize(float sValue) {
    BrixHintField::ApplyTextSize(sValue);
    QFont font = lst_->font();
    font.setPixelSize(lbl_->font().pixelSize());
    lst_->setFont(font);
}

void BrixCombo::Clicked(QWidget* widget) {
    if (widget == img_) {
        img_Click();
        return;
    }
    BrixHintField::Clicked(widget);
}

bool BrixCombo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lst_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            lst_Click();
            return true;
        }
        // The list moves its selection for this key after the filter; the move
        // is the user's.
        lst_->setProperty(kKeyMoveProperty, true);
    } else if (watched == lst_ && event->type() == QEvent::KeyRelease) {
        lst_->setProperty(kKeyMoveProperty, false);
    }
    return BrixHintField::eventFilter(watched, event);
}

int BrixCombo::SelectedEntry() const {
    const QList<QListWidgetItem*> selected = lst_->selectedItems();
    return selected.isEmpty() ? -1 : static_cast<int>(lst_->row(selected.first()));
}

}  // namespace vendral
