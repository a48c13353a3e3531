/// @file
/// The labelled text box of the widget library.

/// @class vendral::BrixTextBox
/// The labelled text box: a single-line input field whose grey hint "[tip]"
/// stands in its place while it is empty and not being edited. It raises no
/// events to its host and saves no properties; every instance starts from its
/// design values: text "BrixTextBox", Tahoma 8.25 pt, 3615 x 660 twips until the
/// first layout sets its height from the font size.
#pragma once

#include <memory>
#include <string>

#include "vendral/export.h"
#include "vendral/widgets/brix_hint_field.h"

namespace vendral {

class VENDRAL_API BrixTextBox : public BrixHintField {
    Q_OBJECT

  public:
    /// A text box with the design values, placed on @p parent.
    explicit BrixTextBox(QWidget* parent = nullptr);
    ~BrixTextBox() override;

    using BrixHintField::Enabled;
    /// Read-only when false; the display is decided again as when the focus
    /// leaves the text box.
    void Enabled(bool bValue) override;

    /** @{ */
    /// Characters that typing may enter, rounded to a whole number (halves to
    /// even); 0 is no limit.
    /// @throws PlatformError 380 when setting a negative value, 6 beyond 32
    ///         bits.
    float MaxLength() const;
    void MaxLength(float sValue);
    /** @} */

    /** @{ */
    /// The text (UTF-8). Setting it while the hint shows keeps the hint.
    std::string Text() const;
    void Text(const std::string& sValue);
    /** @} */

  protected:
    /// Shows the text box with the focus (enabled) or the text box alone.
    void lbl_Click() override;
    /// Text box as wide as the control and 26.25 twips high per point, the
    /// underline below it, the hint over it.
    void UserControl_Resize() override;

  private:
    // The validator that holds MaxLength (brix_textbox.cpp).
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vendral
