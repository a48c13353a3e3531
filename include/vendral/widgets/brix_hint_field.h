/// @file
/// What the labelled text box and combo box share.

/// @class vendral::BrixHintField
/// What the labelled text box and the labelled combo box share: a single-line
/// text box `txt` with a hint label `lbl` in its place while the field is empty
/// and not being edited, and an underline `lin` that marks an empty field (red
/// when mandatory).
///
/// The controls are placed on a host widget at fixed positions (no layout): they
/// set their own height, and the combo box grows while its list is open.
/// Geometry is in twips of the screen the control is on. Errors that the
/// platform would raise to the caller of a property come as PlatformError.
#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

#include "vendral/export.h"

namespace vendral {

class VENDRAL_API BrixHintField : public QWidget {
    Q_OBJECT

  public:
    /** @{ */
    /// The font size of the text in points (8.25 at first); the hint takes the
    /// same size and the control its height from it. Sizes are whole pixels of
    /// the screen, so the size read back is the nearest size the font takes
    /// (8.25 and 12 stay, 10 becomes 9.75).
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
    /// @throws PlatformError 380 (invalid property value) when setting another
    ///         value, 6 (overflow) for one outside 16 bits.
    std::int32_t Alignment() const;
    void Alignment(std::int32_t lValue);
    /** @} */

    /** @{ */
    /// A mandatory field shows its hint and underline in red (0x000000FF), an
    /// optional one in grey (0x00808080).
    bool Mandatory() const;
    void Mandatory(bool bValue);
    /** @} */

  protected:
    /// Builds the constituents with the design values; @p designText is the
    /// text the field shows until the client sets one.
    BrixHintField(QWidget* parent, const char* designText);
    ~BrixHintField() override;

    /// The underline shows exactly when the field is enabled and empty.
    void txt_Change();
    /// The text box takes the light grey of editing and selects its text.
    void txt_GotFocus();
    /// Back to white; an enabled, empty field with a tip shows the hint in
    /// place of the text box, any other shows the text box.
    void txt_LostFocus();
    /// A click on the hint: an enabled field shows the text box and gives it
    /// the focus.
    virtual void lbl_Click() = 0;
    /// A click on the text box.
    virtual void txt_Click() {}
    /// Decides the display as a disabled field, then enables it.
    void UserControl_Initialize();
    /// Lays the constituents out for the control's width and font size, and
    /// sets the control's height.
    virtual void UserControl_Resize() = 0;

    /// Whether the text is empty; leading and trailing blanks do not count.
    bool IsEmpty() const;
    /// The font size just set on `txt`, for the other constituents to take.
    virtual void ApplyTextSize(float sValue);
    /// The control's width in twips.
    double ControlWidthTwips() const;
    /// Sets the control's height from twips.
    void SetControlHeightTwips(double twips);
    /// Reports clicks on @p widget (press and release of the left button on
    /// the same widget) to Clicked().
    void WatchClicks(QWidget* widget);
    /// A click on a watched widget.
    virtual void Clicked(QWidget* widget);

    /// Turns focus changes and clicks of the constituents into the handlers.
    bool eventFilter(QObject* watched, QEvent* event) override;
    /// Runs UserControl_Resize().
    void resizeEvent(QResizeEvent* event) override;

    /// The constituents (`txt`, `lbl`, `lin`) and the field's state, for the
    /// controls built on this class; defined inside the library.
    struct Parts;
    std::unique_ptr<Parts> parts_;  ///< The constituents and state.
};

}  // namespace vendral
