#include "vendral/widgets/brix_hint_field.h"

#include <QEvent>
#include <QFocusEvent>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QResizeEvent>
#include <cmath>
#include <limits>

#include "base/qt/twips.h"
#include "controls/design_colors.h"
#include "controls/hint_field_rules.h"
#include "controls/qt/brix_hint_field_parts.h"
#include "controls/qt/brix_line.h"
#include "controls/qt/twips_layout.h"
#include "controls/qt/widget_colors.h"
#include "vendral/platform_error.h"

namespace vendral {
namespace {

constexpr double kPointsPerInch = 72.0;

// Focus that goes away to another application's window or to a pop-up (the
// text box's own context menu) is no focus change of the form, and neither is
// its coming back from there.
bool FocusGoesOutOfTheForm(const QEvent* event) {
    const auto reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

int FontPixels(const QWidget* widget, float points) {
    const long pixels = std::lround(points * widget->logicalDpiY() / kPointsPerInch);
    return pixels < 1 ? 1 : static_cast<int>(pixels);
}

float FontPoints(const QWidget* widget) {
    const QFont font = widget->font();
    if (font.pixelSize() <= 0) return static_cast<float>(font.pointSizeF());
    return static_cast<float>(font.pixelSize() * kPointsPerInch / widget->logicalDpiY());
}

void SetFontPixels(QWidget* widget, int pixels) {
    QFont font = widget->font();
    font.setPixelSize(pixels);
    widget->setFont(font);
}

}  // namespace

BrixHintField::BrixHintField(QWidget* parent, const char* designText)
    : QWidget(parent), parts_(std::make_unique<Parts>()) {
    setAutoFillBackground(true);
    controls::SetPaletteColor(this, QPalette::Window, controls::kWhite);
    QFont surface(QStringLiteral("Tahoma"));
    surface.setPixelSize(FontPixels(this, controls::kDesignTextSize));
    setFont(surface);

    // Created bottom to top: the drawn line and the hint lie beneath the
    // text box, which covers the hint whenever both are shown.
    parts_->lin = new controls::BrixLine(this);
    parts_->lin->setObjectName(QStringLiteral("lin"));
    parts_->lin->BorderColor(controls::kGrey);
    parts_->lin->X1(0);
    parts_->lin->Y1(240);
    parts_->lin->X2(3570);
    parts_->lin->Y2(240);

    parts_->lbl = new QLabel(this);
    parts_->lbl->setObjectName(QStringLiteral("lbl"));
    parts_->lbl->setTextFormat(Qt::PlainText);
    parts_->lbl->setAutoFillBackground(true);
    controls::SetPaletteColor(parts_->lbl, QPalette::Window, controls::kLightGrey);
    controls::SetPaletteColor(parts_->lbl, QPalette::WindowText, controls::kGrey);
    controls::SetGeometryTwips(parts_->lbl, 0, 300, 3585, 225);
    parts_->lbl->hide();

    parts_->txt = new QLineEdit(QString::fromUtf8(designText), this);
    parts_->txt->setObjectName(QStringLiteral("txt"));
    parts_->txt->setFrame(false);
    parts_->txt->setMaxLength(std::numeric_limits<int>::max());
    controls::SetPaletteColor(parts_->txt, QPalette::Base, controls::kWhite);
    controls::SetGeometryTwips(parts_->txt, 0, 0, 3585, 210);

    WatchClicks(parts_->lbl);
    WatchClicks(parts_->txt);
    parts_->txt->installEventFilter(this);
    connect(parts_->txt, &QLineEdit::textChanged, this, [this] { txt_Change(); });
}

std::string BrixHintField::FieldTip() const {
    return parts_->fieldTip;
}

bool BrixHintField::Enabled() const {
    return parts_->enabled;
}

bool BrixHintField::Mandatory() const {
    return parts_->mandatory;
}

BrixHintField::~BrixHintField() {
    // The constituents outlive this part of the object; their last events
    // (the focus leaving a destroyed text box) must not reach the handlers.
    // Nor may their signals: the parts are gone before QWidget deletes them.
    for (QObject* child : children()) {
        child->removeEventFilter(this);
        child->disconnect(this);
    }
}

float BrixHintField::TextSize() const {
    return FontPoints(parts_->txt);
}

void BrixHintField::TextSize(float sValue) {
    controls::CheckTextSize(sValue);
    SetFontPixels(parts_->txt, FontPixels(parts_->txt, sValue));
    ApplyTextSize(TextSize());
    UserControl_Resize();
}

void BrixHintField::ApplyTextSize(float sValue) {
    SetFontPixels(parts_->lbl, FontPixels(parts_->lbl, sValue));
}

void BrixHintField::FieldTip(const std::string& sValue) {
    parts_->fieldTip = controls::FieldTipText(sValue);
    parts_->lbl->setText(QString::fromStdString(parts_->fieldTip));
}

std::int32_t BrixHintField::Alignment() const {
    const Qt::Alignment horizontal = parts_->txt->alignment() & Qt::AlignHorizontal_Mask;
    if (horizontal & Qt::AlignRight) return 1;
    if (horizontal & Qt::AlignHCenter) return 2;
    return 0;
}

void BrixHintField::Alignment(std::int32_t lValue) {
    Qt::Alignment horizontal = Qt::AlignLeft;
    switch (controls::CheckedAlignment(lValue)) {
        case 1:
            horizontal = Qt::AlignRight;
            break;
        case 2:
            horizontal = Qt::AlignHCenter;
            break;
        default:
            break;
    }
    parts_->txt->setAlignment(horizontal | Qt::AlignVCenter);
}

void BrixHintField::Mandatory(bool bValue) {
    parts_->mandatory = bValue;
    controls::SetPaletteColor(parts_->lbl, QPalette::WindowText, controls::HintColor(bValue));
    parts_->lin->BorderColor(controls::PaletteColor(parts_->lbl, QPalette::WindowText));
}

void BrixHintField::txt_Change() {
    parts_->lin->setVisible(controls::UnderlineVisible(parts_->enabled, IsEmpty()));
}

void BrixHintField::txt_GotFocus() {
    controls::SetPaletteColor(parts_->txt, QPalette::Base, controls::kLightGrey);
    parts_->txt->setSelection(0, static_cast<int>(parts_->txt->text().size()));
    controls::SetPaletteColor(parts_->lbl, QPalette::Window,
                              controls::PaletteColor(parts_->txt, QPalette::Base));
}

void BrixHintField::txt_LostFocus() {
    controls::SetPaletteColor(parts_->txt, QPalette::Base, controls::kWhite);
    controls::SetPaletteColor(parts_->lbl, QPalette::Window,
                              controls::PaletteColor(parts_->txt, QPalette::Base));
    if (controls::HintShownOnLostFocus(parts_->enabled, IsEmpty(), parts_->fieldTip)) {
        parts_->lbl->show();
        parts_->txt->hide();
    } else {
        parts_->lbl->hide();
        parts_->txt->show();
    }
    txt_Change();
}

void BrixHintField::UserControl_Initialize() {
    // Runs while the field still counts as disabled; nothing redoes it until
    // the first focus change or Enabled assignment.
    parts_->enabled = false;
    txt_LostFocus();
    parts_->enabled = true;
}

bool BrixHintField::IsEmpty() const {
    return controls::IsEmptyText(parts_->txt->text().toStdString());
}

double BrixHintField::ControlWidthTwips() const {
    return controls::WidthTwips(this);
}

void BrixHintField::SetControlHeightTwips(double twips) {
    // On a shown control this resizes it at once, and the host's resize runs
    // the layout a second time; the second pass settles on the same height.
    controls::SetHeightTwips(this, twips);
}

void BrixHintField::WatchClicks(QWidget* widget) {
    widget->installEventFilter(this);
}

void BrixHintField::Clicked(QWidget* widget) {
    if (widget == parts_->lbl) {
        lbl_Click();
    } else if (widget == parts_->txt) {
        txt_Click();
    }
}

bool BrixHintField::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::FocusIn:
            if (widget != parts_->txt) break;
            // The first focus of a newly activated form counts; the return of
            // a focus that only left the form does not.
            if (!parts_->focusOutOfForm) txt_GotFocus();
            parts_->focusOutOfForm = false;
            break;
        case QEvent::FocusOut:
            if (widget != parts_->txt) break;
            parts_->focusOutOfForm = FocusGoesOutOfTheForm(event);
            if (!parts_->focusOutOfForm) txt_LostFocus();
            break;
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                parts_->pressed = widget;
            break;
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) break;
            const bool click =
                parts_->pressed == widget && widget->rect().contains(mouse->position().toPoint());
            parts_->pressed = nullptr;
            if (click) Clicked(widget);
            break;
        }
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void BrixHintField::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UserControl_Resize();
}

}  // namespace vendral
