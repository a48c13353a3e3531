/// @file
/// What the labelled text box and combo box of the Windows library share.

/// @class vendral::BrixHintField
/// The Windows face of the labelled fields: a window of its own (class
/// "BrixTextBox" or "BrixCombo") on a parent window, holding a single-line edit
/// control `txt`, a static hint `lbl` in its place while the field is empty and
/// not being edited, and a drawn underline `lin` that marks an empty field (red
/// when mandatory). Members and behaviour are those of the Linux classes of the
/// same names; geometry is in twips of the screen, and the host sizes the
/// control by moving its window (hWnd()): the control sets its own height.
///
/// The classes are also registered as window classes while vendral.dll is
/// loaded, so that a dialog resource or CreateWindowExW places them by class
/// name; FromWindow() gives the object of such a window. The control's window
/// reports a change of its text to its parent as an edit control does
/// (WM_COMMAND with EN_CHANGE and the control's id).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "vendral/export.h"

namespace vendral {

class BrixHintField;

/// What a labelled field tells its client.
class BrixFieldEvents {
  public:
    /// The text of `txt` changed: typed, set by the client, or (combo box) a
    /// choice taken from the list or the list cleared.
    virtual void Change(BrixHintField& field) = 0;

  protected:
    ~BrixFieldEvents() = default;
};

class VENDRAL_API BrixHintField {
  public:
    BrixHintField(const BrixHintField&) = delete;
    BrixHintField& operator=(const BrixHintField&) = delete;
    /// Destroys the control's window (a control made by this class).
    virtual ~BrixHintField();

    /// The control's window.
    HWND hWnd() const;
    /// The object of a window of class "BrixTextBox" or "BrixCombo"; nullptr
    /// for any other window. A window placed by class name owns its object:
    /// it goes with the window.
    static BrixHintField* FromWindow(HWND window);

    /// The client that hears of changes; nullptr for none.
    void Events(BrixFieldEvents* listener);

    /** @{ */
    /// The font size of the text in points (8.25 at first); the hint (and the
    /// combo box's list) take the size the text box then reports, and the
    /// control its height from it. Fonts stand on whole pixels, so the size
    /// read back is the nearest one the font takes.
    /// @throws PlatformError 380 when setting a size that is not positive or
    ///         above 2048.
    float TextSize() const;
    void TextSize(float sValue);
    /** @} */

    /** @{ */
    /// The hint as shown: "[" + tip + "]", or empty when set empty.
    std::string FieldTip() const;
    void FieldTip(const std::string& sValue);
    /** @} */

    /// Whether the field takes input; true once the control is initialised.
    bool Enabled() const;
    /// Enables or disables the field (each control says what that changes);
    /// then the display is decided as when the focus leaves the field.
    virtual void Enabled(bool bValue) = 0;

    /** @{ */
    /// The alignment of the text: 0 left, 1 right, 2 centre.
    /// @throws PlatformError 380 when setting another value, 6 for one
    ///         outside 16 bits.
    std::int32_t Alignment() const;
    void Alignment(std::int32_t lValue);
    /** @} */

    /** @{ */
    /// A mandatory field shows its hint and underline in red (0x000000FF), an
    /// optional one in grey (0x00808080).
    bool Mandatory() const;
    void Mandatory(bool bValue);
    /** @} */

    /// The constituents and state; defined inside the library.
    struct Parts;

    /// The window class name of the text box.
    static constexpr const wchar_t* kTextBoxClass = L"BrixTextBox";
    /// The window class name of the combo box.
    static constexpr const wchar_t* kComboClass = L"BrixCombo";

  protected:
    BrixHintField();

    /// Makes the control's window on @p parent (the design size, child id
    /// @p id) and builds it with @p designText; for the constructors of the
    /// controls.
    void CreateSurface(const wchar_t* className, HWND parent, int id, double widthTwips,
                       double heightTwips, const wchar_t* designText);
    /// Builds the constituents on the control's window, just created.
    void Attach(const wchar_t* designText);

    /// The underline shows exactly when the field is enabled and empty.
    void txt_Change();
    /// The text box takes the light grey of editing and selects its text.
    void txt_GotFocus();
    /// Back to white; an enabled, empty field with a tip shows the hint in
    /// place of the text box, any other shows the text box.
    void txt_LostFocus();
    /// A click on the hint.
    virtual void lbl_Click() = 0;
    /// A click on the text box.
    virtual void txt_Click() {}
    /// Decides the display as a disabled field, then enables it.
    void UserControl_Initialize();
    /// Lays the constituents out for the control's width and font size.
    virtual void UserControl_Resize() = 0;
    /// The font size just set on `txt`, for the other constituents.
    virtual void ApplyTextSize();
    /// Whether the text is empty; leading and trailing blanks do not count.
    bool IsEmpty() const;

    /// The constituents of a control built on this class: made once the
    /// window is (the combo box adds its list and arrow).
    virtual void BuildParts() {}
    /// A message of the control's window; the controls handle theirs and
    /// leave the rest to this class.
    virtual LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam);
    /// A message of a constituent window the control watches (the text box,
    /// and the combo box's list); @p handled false leaves it to the window.
    virtual LRESULT PartMessage(HWND part, UINT message, WPARAM wParam, LPARAM lParam,
                                bool& handled);
    /// Puts @p part under PartMessage().
    void Watch(HWND part);
    /// The text changed: the field's rules, then the client's events.
    virtual void TextChanged();

    std::unique_ptr<Parts> parts_;  ///< The constituents and state.

  private:
    static LRESULT CALLBACK SurfaceProcedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam);
    static LRESULT CALLBACK PartProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    friend struct BrixWindowClasses;
};

}  // namespace vendral
