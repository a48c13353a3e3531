#include "vendral/widgets/brix_textbox.h"

#include <QLabel>
#include <QLineEdit>

#include "controls/control_layout.h"
#include "controls/max_length_rule.h"
#include "controls/qt/brix_hint_field_parts.h"
#include "controls/qt/brix_line.h"
#include "controls/qt/field_surface.h"
#include "controls/qt/max_length_validator.h"

namespace vendral {
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
    impl_->maxLength->Limit(controls::RoundedMaxLength(sValue));
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
    controls::QtFieldSurface<controls::HintFieldSurface> surface(
        this, parts_->txt, parts_->lbl, parts_->lin, TextSize(), [this] { txt_Change(); });
    controls::LayTextBox(surface);
}

}  // namespace vendral
