#include "vendral/widgets/brix_combo.h"

#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "controls/arrow_picture.h"
#include "controls/brix_hint_field_parts.h"
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

// The list's selected entry, -1 for none.
int SelectedEntry(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : static_cast<int>(list->row(selected.first()));
}

}  // namespace

struct BrixCombo::Impl {
    QListWidget* lst = nullptr;
    detail::controls::BrixShape* shp = nullptr;
    QLabel* img = nullptr;

    std::string text;
    std::int32_t listIndex = 0;
    std::int32_t itemData = 0;
};

std::string BrixCombo::Text() const {
    return impl_->text;
}

std::int32_t BrixCombo::ListIndex() const {
    return impl_->listIndex;
}

std::int32_t BrixCombo::itemdata() const {
    return impl_->itemData;
}

BrixCombo::BrixCombo(QWidget* parent)
    : BrixHintField(parent, "BrixCombo"), impl_(std::make_unique<Impl>()) {
    parts_->txt->setReadOnly(true);

    // Beneath the text box like the hint: the arrow picture; above them the
    // list and, on its edge, its outline.
    impl_->img = new QLabel(this);
    impl_->img->setObjectName(QStringLiteral("img"));
    impl_->img->setPixmap(controls::DropDownArrowPicture());
    impl_->img->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    controls::SetGeometryTwips(impl_->img, 3600, 0, 135, 225);
    WatchClicks(impl_->img);

    impl_->lst = new QListWidget(this);
    impl_->lst->setObjectName(QStringLiteral("lst"));
    impl_->lst->setFrameShape(QFrame::NoFrame);
    impl_->lst->setSelectionMode(QAbstractItemView::SingleSelection);
    controls::SetGeometryTwips(impl_->lst, 0, 570, 2655, 1200);
    for (const char* entry : {" ", "een", "twee", "drie", "vier", "vijf"}) AddItem(entry, 0);
    impl_->lst->hide();
    impl_->lst->installEventFilter(this);
    connect(impl_->lst, &QListWidget::clicked, this, [this] { lst_Click(); });
    // A list box reports a click also when the arrow keys move its selection.
    connect(impl_->lst, &QListWidget::currentRowChanged, this, [this] {
        if (!impl_->lst->property(kKeyMoveProperty).toBool()) return;
        impl_->lst->setProperty(kKeyMoveProperty, false);
        lst_Click();
    });

    impl_->shp = new controls::BrixShape(this);
    impl_->shp->setObjectName(QStringLiteral("shp"));
    impl_->shp->BorderColor(controls::kListFrame);
    controls::SetGeometryTwips(impl_->shp, 0, 570, 2655, 1200);
    impl_->shp->hide();
    parts_->txt->raise();

    UserControl_Initialize();
    controls::SetGeometryTwips(this, 0, 0, 3915, 2055);
    UserControl_Resize();
}

BrixCombo::~BrixCombo() {
    disconnect(impl_->lst, nullptr, this, nullptr);
}

void BrixCombo::Enabled(bool bValue) {
    parts_->enabled = bValue;
    impl_->img->setVisible(bValue);
    txt_LostFocus();
}

std::int32_t BrixCombo::AddItem(const std::string& sText, std::int32_t lItemData) {
    auto* item = new QListWidgetItem(QString::fromStdString(sText));
    item->setData(kItemDataRole, lItemData);
    impl_->lst->addItem(item);
    return static_cast<std::int32_t>(impl_->lst->row(item));
}

bool BrixCombo::Clear() {
    impl_->lst->clear();
    parts_->txt->setText(QString());
    return true;
}

void BrixCombo::img_Click() {
    if (impl_->img->isHidden()) return;
    if (!impl_->lst->isHidden()) {
        lst_Click();
        return;
    }
    parts_->txt->show();
    impl_->lst->show();
    raise();
    UserControl_Resize();
}

void BrixCombo::txt_Click() {
    img_Click();
}

void BrixCombo::lbl_Click() {
    if (!parts_->enabled) {
        parts_->lbl->hide();
        parts_->txt->show();
        return;
    }
    if (!parts_->txt->isHidden()) return;
    parts_->txt->show();
    img_Click();
}

void BrixCombo::lst_Click() {
    const int entry = SelectedEntry(impl_->lst);
    if (entry >= 0) {
        const QListWidgetItem* item = impl_->lst->item(entry);
        parts_->txt->setText(item->text());
        impl_->text = item->text().toStdString();
        impl_->listIndex = entry;
        impl_->itemData = item->data(kItemDataRole).toInt();
    }
    impl_->lst->hide();
    // An empty text shows the hint label, with or without a tip.
    parts_->lbl->setVisible(IsEmpty());
    parts_->txt->setVisible(parts_->lbl->isHidden());
    txt_Change();
    UserControl_Resize();
}

void BrixCombo::UserControl_Resize() {
    const double width = ControlWidthTwips();
    controls::SetTopTwips(parts_->txt, 0);
    controls::SetLeftTwips(parts_->txt, 0);
    controls::SetHeightTwips(parts_->txt, TextSize() * kTwipsPerPoint);
    // A control narrower than the arrow's room keeps its text box at width 0.
    controls::SetWidthTwips(parts_->txt, width - 170);
    parts_->lin->X1(0);
    parts_->lin->X2(width);
    parts_->lin->Y1(controls::HeightTwips(parts_->txt));
    parts_->lin->Y2(parts_->lin->Y1());
    controls::SetGeometryTwips(parts_->lbl, controls::LeftTwips(parts_->txt),
                               controls::TopTwips(parts_->txt), controls::WidthTwips(parts_->txt),
                               controls::HeightTwips(parts_->txt));
    controls::SetTopTwips(impl_->img, controls::TopTwips(parts_->txt));
    controls::SetLeftTwips(impl_->img, width - 130);
    controls::SetTopTwips(impl_->lst, parts_->lin->Y1());
    controls::SetWidthTwips(impl_->lst, width);
    controls::SetGeometryTwips(impl_->shp, controls::LeftTwips(impl_->lst),
                               controls::TopTwips(impl_->lst), controls::WidthTwips(impl_->lst),
                               controls::HeightTwips(impl_->lst));
    impl_->shp->setVisible(!impl_->lst->isHidden());
    const double list = impl_->lst->isHidden() ? 0 : controls::HeightTwips(impl_->lst) - 5;
    // The number of points goes in as twips, unconverted.
    SetControlHeightTwips(TextSize() + controls::HeightTwips(parts_->txt) + 3 + list);
    txt_Change();
}

void BrixCombo::ApplyTextSize(float sValue) {
    BrixHintField::ApplyTextSize(sValue);
    QFont font = impl_->lst->font();
    font.setPixelSize(parts_->lbl->font().pixelSize());
    impl_->lst->setFont(font);
}

void BrixCombo::Clicked(QWidget* widget) {
    if (widget == impl_->img) {
        img_Click();
        return;
    }
    BrixHintField::Clicked(widget);
}

bool BrixCombo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == impl_->lst && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            lst_Click();
            return true;
        }
        // The list moves its selection for this key after the filter; the move
        // is the user's.
        impl_->lst->setProperty(kKeyMoveProperty, true);
    } else if (watched == impl_->lst && event->type() == QEvent::KeyRelease) {
        impl_->lst->setProperty(kKeyMoveProperty, false);
    }
    return BrixHintField::eventFilter(watched, event);
}

}  // namespace vendral
