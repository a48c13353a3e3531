/// @file
/// The labelled combo box of the widget library.

/// @class vendral::BrixCombo
/// The labelled combo box: a read-only text box showing the chosen entry, an
/// arrow at its right end that opens a list below the underline, and the hint
/// of the labelled text box. Each entry carries a 32-bit item datum. The control
/// grows by the list's height - 5 twips while the list is open and raises itself
/// above the host's other widgets then, so the list is not covered.
///
/// A fresh control shows "BrixCombo" and holds the design entries " ", "een",
/// "twee", "drie", "vier", "vijf" (item datum 0); call Clear() for a list of
/// one's own. It raises no events to its host and saves no properties.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "vendral/export.h"
#include "vendral/widgets/brix_hint_field.h"

namespace vendral {

class VENDRAL_API BrixCombo : public BrixHintField {
    Q_OBJECT

  public:
    /// A combo box with the design values and entries, placed on @p parent.
    explicit BrixCombo(QWidget* parent = nullptr);
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
    std::int32_t AddItem(const std::string& sText, std::int32_t lItemData);
    /// Empties the list and the text box; true.
    bool Clear();

  protected:
    /// An enabled field shows the text box and opens the list; a disabled one
    /// shows the text box alone.
    void lbl_Click() override;
    /// Opens or closes the list, as the arrow does.
    void txt_Click() override;
    /// Text box as wide as the control less the arrow's room, the underline
    /// below it, the hint over it, the arrow at the right end.
    void UserControl_Resize() override;
    /// The list takes the font size as well.
    void ApplyTextSize(float sValue) override;
    /// A click on the arrow opens or closes the list.
    void Clicked(QWidget* widget) override;
    /// Return or Enter in the open list takes its selection.
    bool eventFilter(QObject* watched, QEvent* event) override;

    /// Opens the list, or closes it taking the list's selection.
    void img_Click();
    /// Takes the list's selected entry, if any, and closes the list.
    void lst_Click();

  private:
    // The list, its outline, the arrow and the last chosen entry
    // (brix_combo.cpp).
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vendral
