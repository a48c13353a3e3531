#include "vendral/widgets/brix_textbox.h"

#include <QLabel>
#include <QLineEdit>
#include <cmath>
#include <limits>

#include "controls/brix_line.h"
#include "controls/max_length_validator.h"
#include "controls/twips_layout.h"
#include "vendral/platform_error.h"

namespace vendral {
namespace {

constexpr std::int32_t kErrorOverflow = 6;
constexpr std::int32_t kErrorInvalidPropertyValue = 380;
constexpr double kTwipsPerPoint = 26.25;

}  // namespace

BrixTextBox::BrixTextBox(QWidget* parent) : BrixHintField(parent, "BrixTextBox") {
    maxLength_ = new controls::MaxLengthValidator(txt_);
    maxLength_->Accepted(txt_->text());
    txt_->setValidator(maxLength_);
    connect(txt_, &QLineEdit::textChanged, this,
            [this](const QString& text) { maxLength_->Accepted(text); });
    UserControl_Initialize();
    // The host sites the control at its design size.
    controls::SetGeometryTwips(this, 0, 0, 3615, 660);
    UserControl_Resize();
}

void BrixTextBox::Enabled(bool bValue) {
    enabled_ = bValue;
    txt_->setReadOnly(!bValue);
    txt_LostFocus();
}

float BrixTextBox::MaxLength() const {
    return static_cast<float>(maxLength_->Limit());
}

void BrixTextBox::MaxLength(float sValue) {
    if (std::isnan(sValue))
        throw PlatformError(kErrorInvalidPropertyValue, "Invalid property value");
    // The default rounding mode rounds halves to even.
    const double rounded = std::nearbyint(static_cast<double>(sValue));
    if (rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max()) {
        throw PlatformError(kErrorOverflow, "Overflow");
    }
    if (rounded < 0) throw PlatformError(kErrorInvalidPropertyValue, "Invalid property value");
    maxLength_->Limit(static_cast<int>(rounded));
}

std::string BrixTextBox::Text() const {
    return txt_->text().toStdString();
}

void BrixTextBox::Text(const std::string& sValue) {
    txt_->setText(QString::fromStdString(sValue));
}

void BrixTextBox::lbl_Click() {
    if (!enabled_) {
        lbl_->hide();
        txt_->show();
        return;
    }
    if (!txt_->isHidden()) return;
    txt_->show();
    txt_->setFocus(Qt::OtherFocusReason);
}

void BrixTextBox::UserControl_Resize() {
    controls::SetTopTwips(txt_, 0);
    controls::SetLeftTwips(txt_, 0);
    controls::SetHeightTwips(txt_, TextSize() * kTwipsPerPoint);
    controls::SetWidthTwips(txt_, ControlWidthTwips());
    lin_->X1(0);
    lin_->X2(ControlWidthTwips());
    lin_->Y1(controls::HeightTwips(txt_));
    lin_->Y2(lin_->Y1());
    controls::SetGeometryTwips(lbl_, controls::LeftTwips(txt_), controls::TopTwips(txt_),
                               controls::WidthTwips(txt_), controls::HeightTwips(txt_));
    // The number of points goes in as twips, unconverted.
    SetControlHeightTwips(TextSize() + controls::HeightTwips(txt_) + 3);
    txt_Change();
}

}  // namespace vendral
