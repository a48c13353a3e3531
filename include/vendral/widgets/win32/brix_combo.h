/// @file
/// The labelled combo box of the Windows library.

/// @class vendral::BrixCombo
/// The labelled combo box on Windows' own controls: a read-only edit showing
/// the chosen entry, an arrow at its right end that opens a list box below the
/// underline, and the hint of the labelled text box. Each entry carries a
/// 32-bit item datum. The control grows by the list's height - 5 twips while
/// the list is open (and comes above its sibling windows then).
///
/// A fresh control shows "BrixCombo" and holds the design entries " ", "een",
/// "twee", "drie", "vier", "vijf" (item datum 0); call Clear() for a list of
/// one's own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "vendral/export.h"
#include "vendral/widgets/win32/brix_hint_field.h"

namespace vendral {

class VENDRAL_API BrixCombo : public BrixHintField {
  public:
    /// A combo box with the design values and entries at (0, 0) of
    /// @p parent, with the child window id @p id.
    explicit BrixCombo(HWND parent, int id = 0);
    ~BrixCombo() override;

    using BrixHintField::Enabled;
    /// Shows the arrow when true, hides it when false (the text box stays
    /// read-only either way); then decides the display as on focus leave.
    void Enabled(bool bValue) override;

    /// @name The last chosen entry
    /// Its text, index and item datum ("", 0 and 0 before any choice). They
    /// keep their values through Clear().
    /** @{ */
    std::string Text() const;        ///< The entry's text.
    std::int32_t ListIndex() const;  ///< The entry's index.
    std::int32_t itemdata() const;   ///< The entry's item datum.
    /** @} */

    /// Appends an entry and returns the index the list gave it.
    /// @throws PlatformError when the list refuses it.
    std::int32_t AddItem(const std::string& sText, std::int32_t lItemData);
    /// Empties the list and the text box; true.
    bool Clear();

    /// Whether the list is open.
    bool ListOpen() const;

  protected:
    /// An enabled field shows the text box and opens the list; a disabled one
    /// shows the text box alone.
    void lbl_Click() override;
    /// Opens or closes the list, as the arrow does.
    void txt_Click() override;
    /// Text box as wide as the control less the arrow's room, the underline
    /// below it, the hint over it, the arrow at the right end, the list below.
    void UserControl_Resize() override;
    /// The list takes the font size as well.
    void ApplyTextSize() override;
    void BuildParts() override;
    /// The arrow's clicks and drawing, the list's choice.
    LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam) override;
    /// The list's clicks, keys and outline.
    LRESULT PartMessage(HWND part, UINT message, WPARAM wParam, LPARAM lParam,
                        bool& handled) override;

    /// Opens the list, or closes it taking the list's selection.
    void img_Click();
    /// Takes the list's selected entry, if any, and closes the list.
    void lst_Click();

  private:
    friend struct BrixWindowClasses;
    struct ByWindow {};
    /// The object of a window placed by class name.
    BrixCombo(ByWindow, HWND window);

    // The list, the arrow and the last chosen entry.
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vendral
