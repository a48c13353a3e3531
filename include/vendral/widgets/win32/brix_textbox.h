/// @file
/// The labelled text box of the Windows library.

/// @class vendral::BrixTextBox
/// The labelled text box on Windows' own controls: a single-line edit whose
/// grey hint "[tip]" stands in its place while it is empty and not being
/// edited. Every instance starts from its design values: text "BrixTextBox",
/// Tahoma 8.25 pt, 3615 twips wide, its height from the font size.
#pragma once

#include <windows.h>

#include <string>

#include "vendral/export.h"
#include "vendral/widgets/win32/brix_hint_field.h"

namespace vendral {

class VENDRAL_API BrixTextBox : public BrixHintField {
  public:
    /// A text box with the design values at (0, 0) of @p parent, with the
    /// child window id @p id.
    explicit BrixTextBox(HWND parent, int id = 0);
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
    /// The window's text is the text box's.
    LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam) override;
    /// Typing and pasting within MaxLength.
    LRESULT PartMessage(HWND part, UINT message, WPARAM wParam, LPARAM lParam,
                        bool& handled) override;
    void TextChanged() override;

  private:
    friend struct BrixWindowClasses;
    struct ByWindow {};
    /// The object of a window placed by class name.
    BrixTextBox(ByWindow, HWND window);

    // The limit and the length of the text last accepted.
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vendral
