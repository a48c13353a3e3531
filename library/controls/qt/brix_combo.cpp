#include "vendral/widgets/brix_combo.h"

#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "controls/control_layout.h"
#include "controls/design_colors.h"
#include "controls/qt/arrow_picture.h"
#include "controls/qt/brix_hint_field_parts.h"
#include "controls/qt/brix_line.h"
#include "controls/qt/brix_shape.h"
#include "controls/qt/field_surface.h"
#include "controls/qt/twips_layout.h"

namespace vendral {
namespace {

// Set on the list while a key it received may move its selection.
constexpr const char* kKeyMoveProperty = "vendralKeyMove";

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

namespace {

// The combo box's list, its outline and its arrow besides the field.
class QtComboSurface : public controls::QtFieldSurface<controls::ComboSurface> {
  public:
    QtComboSurface(QWidget* control, QLineEdit* txt, QLabel* lbl, controls::BrixLine* lin,
                   float textSize, std::function<void()> changed, QLabel* img, QListWidget* lst,
                   controls::BrixShape* shp)
        : QtFieldSurface(control, txt, lbl, lin, textSize, std::move(changed)),
          img_(img),
          lst_(lst),
          shp_(shp) {}

    controls::TwipsRect PlaceArrow(double left, double top) override {
        controls::SetTopTwips(img_, top);
        controls::SetLeftTwips(img_, left);
        return controls::TwipsGeometry(img_);
    }
    controls::TwipsRect PlaceList(double top, double width) override {
        controls::SetTopTwips(lst_, top);
        controls::SetWidthTwips(lst_, width);
        return controls::TwipsGeometry(lst_);
    }
    void PlaceListFrame(const controls::TwipsRect& rect, bool visible) override {
        controls::SetGeometryTwips(shp_, rect.left, rect.top, rect.width, rect.height);
        shp_->setVisible(visible);
    }
    bool ListVisible() const override { return !lst_->isHidden(); }

  private:
    QLabel* img_;
    QListWidget* lst_;
    controls::BrixShape* shp_;
};

}  // namespace

void BrixCombo::UserControl_Resize() {
    QtComboSurface surface(
        this, parts_->txt, parts_->lbl, parts_->lin, TextSize(), [this] { txt_Change(); },
        impl_->img, impl_->lst, impl_->shp);
    controls::LayCombo(surface);
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
