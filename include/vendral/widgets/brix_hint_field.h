// What the labelled text box and the labelled combo box share: a single-line
// text box `txt` with a hint label `lbl` in its place while the field is empty
// and not being edited, and an underline `lin` that marks an empty field (red
// when mandatory).
//
// The controls are placed on a host widget at fixed positions (no layout): they
// set their own height, and the combo box grows while its list is open.
// Geometry is in twips of the screen the control is on. Errors that the
// platform would raise to the caller of a property come as PlatformError.
#pragma once

#include <QWidget>
#include <cstdint>
#include <string>

#include "vendral/export.h"

class QLabel;
class QLineEdit;

namespace vendral {

namespace detail::controls {
class BrixLine;
}

class VENDRAL_API BrixHintField : public QWidget {
    Q_OBJECT

  public:
    // Points. Sizes are whole pixels of the screen, so the size read back is
    // the nearest size the font takes (8.25 and 12 stay, 10 becomes 9.75).
    // Not a positive size up to 2048: PlatformError 380.
    float TextSize() const;
    void TextSize(float sValue);

    // The hint as shown: "[" + tip + "]", or empty.
    std::string FieldTip() const { return fieldTip_; }
    void FieldTip(const std::string& sValue);

    bool Enabled() const { return enabled_; }
    virtual void Enabled(bool bValue) = 0;

    // 0 left, 1 right, 2 centre. Another value raises PlatformError 380
    // (invalid property value), one outside 16 bits PlatformError 6 (overflow).
    std::int32_t Alignment() const;
    void Alignment(std::int32_t lValue);

    bool Mandatory() const { return mandatory_; }
    void Mandatory(bool bValue);

  protected:
    BrixHintField(QWidget* parent, const char* designText);
    ~BrixHintField() override;

    // The underline shows exactly when the field is enabled and empty.
    void txt_Change();
    void txt_GotFocus();
    void txt_LostFocus();
    virtual void lbl_Click() = 0;
    virtual void txt_Click() {}
    void UserControl_Initialize();
    virtual void UserControl_Resize() = 0;

    // Leading and trailing blanks do not count.
    bool IsEmpty() const;
    // The font size just set on `txt`, for the other constituents to take.
    virtual void ApplyTextSize(float sValue);
    // The control's width in twips, and its height set from twips.
    double ControlWidthTwips() const;
    void SetControlHeightTwips(double twips);
    // Clicks (press and release of the left button on the same widget).
    void WatchClicks(QWidget* widget);
    virtual void Clicked(QWidget* widget);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    QLineEdit* txt_ = nullptr;
    QLabel* lbl_ = nullptr;
    detail::controls::BrixLine* lin_ = nullptr;

    std::string fieldTip_;
    bool mandatory_ = false;
    bool enabled_ = false;

  private:
    QWidget* pressed_ = nullptr;
    bool focusOutOfForm_ = false;
};

}  // namespace vendral
