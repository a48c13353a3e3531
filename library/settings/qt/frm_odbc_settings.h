// FrmODBCSettings: the modal dialog in which the user picks the data sources,
// user ids, passwords, table-name prefixes and (optionally) server and
// database names of the central and the local connection, tests them and
// saves them into the settings file.
#pragma once

#include <QDialog>
#include <QString>
#include <map>
#include <string>

#include "base/internal_export.h"

class QCloseEvent;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMouseEvent;
class QPushButton;

namespace vendral {
class Connection;
}  // namespace vendral

namespace vendral::detail::qt {

class VENDRAL_TEST_INTERNAL FrmODBCSettings : public QDialog {
    Q_OBJECT

  public:
    explicit FrmODBCSettings(QWidget* parent = nullptr);
    ~FrmODBCSettings() override;

    // Puts every control back as designed and runs the load sequence for
    // this thread's dialog state (SettingsFilePath, DialogMode, DialogAskServer).
    void Load();
    // Load, then the modal loop; returns when Save or Cancel closed the dialog.
    void ShowModally();

    // Fills both data-source lists from the driver manager and selects the
    // first entry.
    void GetDSNEntrys();
    // Validates the visible entries of the mode; shows the message of the last
    // failed check and returns false, else true.
    bool CheckSettings();

  protected:
    // Escape and the window manager's close do not leave the dialog: Save and
    // Cancel are the ways out.
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // The Test button's first step. No connection refuses a connection string
    // on demand; a test derives from the dialog to make the step fail and see
    // that the steps after it still run.
    virtual void SetTestConnectionString(Connection& connection, const std::string& text);

  private:
    void ResetToDesign();
    void RemoveCloseMenu();
    void ArrangeForMode(int mode, int askServer);
    void SetHeights(int windowTwips, int frameTwips);
    void LoadSettingsFile(const std::string& file);
    void SetTop(QWidget* widget, int topTwips);
    void Leave(int result);

    void SaveClicked();
    void TestClicked();
    void CancelClicked();
    void HelpClicked();

    QWidget* Control(const char* name) const;
    QComboBox* Combo(const char* name) const;
    QLineEdit* Text(const char* name) const;

    QFrame* frame_ = nullptr;
    bool leaving_ = false;
};

}  // namespace vendral::detail::qt

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace qt = detail::qt;
}  // namespace vendral
