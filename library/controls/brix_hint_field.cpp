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

#include "controls/brix_line.h"
#include "controls/design_colors.h"
#include "controls/twips_layout.h"
#include "controls/widget_colors.h"
#include "base/qt/twips.h"
#include "vendral/platform_error.h"

namespace vendral {
namespace {

constexpr std::int32_t kErrorOverflow = 6;
constexpr std::int32_t kErrorInvalidPropertyValue = 380;
constexpr double kPointsPerInch = 72.0;
constexpr float kLargestTextSize = 2048.0F;
// The surface's font: Tahoma 8.25 pt.
constexpr float kDesignTextSize = 8.25F;

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

BrixHintField::BrixHintField(QWidget* parent, const char* designText) : QWidget(parent) {
    setAutoFillBackground(true);
    controls::SetPaletteColor(this, QPalette::Window, controls::kWhite);
    QFont surface(QStringLiteral("Tahoma"));
    surface.setPixelSize(FontPixels(this, kDesignTextSize));
    setFont(surface);

    // Created bottom to top: the drawn line and the hint lie beneath the
    // text box, which covers the hint whenever both are shown.
    lin_ = new controls::BrixLine(this);
    lin_->setObjectName(QStringLiteral("lin"));
    lin_->BorderColor(controls::kGrey);
    lin_->X1(0);
    lin_->Y1(240);
    lin_->X2(3570);
    lin_->Y2(240);

    lbl_ = new QLabel(this);
    lbl_->setObjectName(QStringLiteral("lbl"));
    lbl_->setTextFormat(Qt::PlainText);
    lbl_->setAutoFillBackground(true);
    controls::SetPaletteColor(lbl_, QPalette::Window, controls::kLightGrey);
    controls::SetPaletteColor(lbl_, QPalette::WindowText, controls::kGrey);
    controls::SetGeometryTwips(lbl_, 0, 300, 3585, 225);
    lbl_->hide();

    txt_ = new QLineEdit(QString::fromUtf8(designText), this);
    txt_->setObjectName(QStringLiteral("txt"));
    txt_->setFrame(false);
    txt_->setMaxLength(std::numeric_limits<int>::max());
    controls::SetPaletteColor(txt_, QPalette::Base, controls::kWhite);
    controls::SetGeometryTwips(txt_, 0, 0, 3585, 210);

    WatchClicks(lbl_);
    WatchClicks(txt_);
    txt_->installEventFilter(this);
    connect(txt_, &QLineEdit::textChanged, this, [this] { txt_Change(); });
}

BrixHintField::~BrixHintField() {
    // The constituents outlive this part of the object; their last events
    // (the focus leaving a destroyed text box) must not reach the handlers.
    for (QObject* child : children()) child->removeEventFilter(this);
}

float BrixHintField::TextSize() const {
    return FontPoints(txt_);
}

void BrixHintField::TextSize(float sValue) {
    if (!(sValue > 0.0F) || sValue > kLargestTextSize) {
        throw PlatformError(kErrorInvalidPropertyValue, "Invalid property value");
    }
    SetFontPixels(txt_, FontPixels(txt_, sValue));
    ApplyTextSize(TextSize());
    UserControl_Resize();
}

void BrixHintField::ApplyTextSize(float sValue) {
    SetFontPixels(lbl_, FontPixels(lbl_, sValue));
}

void BrixHintField::FieldTip(const std::string& sValue) {
    fieldTip_ = sValue.empty() ? std::string() : "[" + sValue + "]";
    lbl_->setText(QString::fromStdString(fieldTip_));
}

std::int32_t BrixHintField::Alignment() const {
    const Qt::Alignment horizontal = txt_->alignment() & Qt::AlignHorizontal_Mask;
    if (horizontal & Qt::AlignRight) return 1;
    if (horizontal & Qt::AlignHCenter) return 2;
    return 0;
}

void BrixHintField::Alignment(std::int32_t lValue) {
    if (lValue < std::numeric_limits<std::int16_t>::min() ||
        lValue > std::numeric_limits<std::int16_t>::max()) {
        throw PlatformError(kErrorOverflow, "Overflow");
    }
    const auto iValue = static_cast<std::int16_t>(lValue);
    Qt::Alignment horizontal;
    switch (iValue) {
        case 0:
            horizontal = Qt::AlignLeft;
            break;
        case 1:
            horizontal = Qt::AlignRight;
            break;
        case 2:
            horizontal = Qt::AlignHCenter;
            break;
        default:
            throw PlatformError(kErrorInvalidPropertyValue, "Invalid property value");
    }
    txt_->setAlignment(horizontal | Qt::AlignVCenter);
}

void BrixHintField::Mandatory(bool bValue) {
    mandatory_ = bValue;
    controls::SetPaletteColor(lbl_, QPalette::WindowText,
                              bValue ? controls::kRed : controls::kGrey);
    lin_->BorderColor(controls::PaletteColor(lbl_, QPalette::WindowText));
}

void BrixHintField::txt_Change() {
    lin_->setVisible(enabled_ && IsEmpty());
}

void BrixHintField::txt_GotFocus() {
    controls::SetPaletteColor(txt_, QPalette::Base, controls::kLightGrey);
    txt_->setSelection(0, static_cast<int>(txt_->text().size()));
    controls::SetPaletteColor(lbl_, QPalette::Window, controls::PaletteColor(txt_, QPalette::Base));
}

void BrixHintField::txt_LostFocus() {
    controls::SetPaletteColor(txt_, QPalette::Base, controls::kWhite);
    controls::SetPaletteColor(lbl_, QPalette::Window, controls::PaletteColor(txt_, QPalette::Base));
    if (enabled_ && IsEmpty() && !fieldTip_.empty()) {
        lbl_->show();
        txt_->hide();
    } else {
        lbl_->hide();
        txt_->show();
    }
    txt_Change();
}

void BrixHintField::UserControl_Initialize() {
    // Runs while the field still counts as disabled; nothing redoes it until
    // the first focus change or Enabled assignment.
    enabled_ = false;
    txt_LostFocus();
    enabled_ = true;
}

bool BrixHintField::IsEmpty() const {
    const QString text = txt_->text();
    for (QChar character : text) {
        if (character != QLatin1Char(' ')) return false;
    }
    return true;
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
    if (widget == lbl_) {
        lbl_Click();
    } else if (widget == txt_) {
        txt_Click();
    }
}

bool BrixHintField::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::FocusIn:
            if (widget != txt_) break;
            // The first focus of a newly activated form counts; the return of
            // a focus that only left the form does not.
            if (!focusOutOfForm_) txt_GotFocus();
            focusOutOfForm_ = false;
            break;
        case QEvent::FocusOut:
            if (widget != txt_) break;
            focusOutOfForm_ = FocusGoesOutOfTheForm(event);
            if (!focusOutOfForm_) txt_LostFocus();
            break;
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) pressed_ = widget;
            break;
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) break;
            const bool click =
                pressed_ == widget && widget->rect().contains(mouse->position().toPoint());
            pressed_ = nullptr;
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
