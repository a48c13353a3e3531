#include "vendral/widgets/brix_textbox.h"

#include <QLabel>
#include <QLineEdit>
#include <cmath>
#include <limits>

#include "controls/brix_hint_field_parts.h"
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

struct BrixTextBox::Impl {
    detail::controls::MaxLengthValidator* maxLength = nullptr;
};

BrixTextBox::BrixTextBox(QWidget* parent)
    : BrixHintField(parent, "BrixTextBox"), impl_(std::make_unique<Impl>()) {
    impl_->maxLength = new controls::MaxLengthValidator(parts_->txt);
    impl_->maxLength->Accepted(parts_->txt->text());
    parts_->txt->setValidator(impl_->maxLength);
    connect(parts_->txt, &QLineEdit::textChanged, this,
            [this](const QString& text) { impl_->maxLength->Accepted(text); });
    UserControl_Initialize();
    // The host sites the control at its design size.
    controls::SetGeometryTwips(this, 0, 0, 3615, 660);
    UserControl_Resize();
}

BrixTextBox::~BrixTextBox() {
    // The validator's check of a changed text needs the validator.
    disconnect(parts_->txt, nullptr, this, nullptr);
}

void BrixTextBox::Enabled(bool bValue) {
    parts_->enabled = bValue;
    parts_->txt->setReadOnly(!bValue);
    txt_LostFocus();
}

float BrixTextBox::MaxLength() const {
    return static_cast<float>(impl_->maxLength->Limit());
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
    impl_->maxLength->Limit(static_cast<int>(rounded));
}

std::string BrixTextBox::Text() const {
    return parts_->txt->text().toStdString();
}

void BrixTextBox::Text(const std::string& sValue) {
    parts_->txt->setText(QString::fromStdString(sValue));
}

void BrixTextBox::lbl_Click() {
    if (!parts_->enabled) {
        parts_->lbl->hide();
        parts_->txt->show();
        return;
    }
    if (!parts_->txt->isHidden()) return;
    parts_->txt->show();
    parts_->txt->setFocus(Qt::OtherFocusReason);
}

void BrixTextBox::UserControl_Resize() {
    controls::SetTopTwips(parts_->txt, 0);
    controls::SetLeftTwips(parts_->txt, 0);
    controls::SetHeightTwips(parts_->txt, TextSize() * kTwipsPerPoint);
    controls::SetWidthTwips(parts_->txt, ControlWidthTwips());
    parts_->lin->X1(0);
    parts_->lin->X2(ControlWidthTwips());
    parts_->lin->Y1(controls::HeightTwips(parts_->txt));
    parts_->lin->Y2(parts_->lin->Y1());
    controls::SetGeometryTwips(parts_->lbl, controls::LeftTwips(parts_->txt),
                               controls::TopTwips(parts_->txt), controls::WidthTwips(parts_->txt),
                               controls::HeightTwips(parts_->txt));
    // The number of points goes in as twips, unconverted.
    SetControlHeightTwips(TextSize() + controls::HeightTwips(parts_->txt) + 3);
    txt_Change();
}

}  // namespace vendral
