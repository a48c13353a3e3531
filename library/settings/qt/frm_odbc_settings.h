// FrmODBCSettings: the Qt face of the modal dialog in which the user picks the
// data sources, user ids, passwords, table-name prefixes and (optionally)
// server and database names of the central and the local connection, tests
// them and saves them into the settings file. The rules are the presenter's
// (settings/settings_dialog_presenter.h); this class draws the widgets and
// reports the user's actions to it.
#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

#include "base/internal_export.h"
#include "settings/settings_dialog_presenter.h"
#include "settings/settings_dialog_view.h"

class QCloseEvent;
class QComboBox;
class QFrame;
class QLineEdit;
class QMouseEvent;

namespace vendral {
class Connection;
}  // namespace vendral

namespace vendral::detail::qt {

class VENDRAL_TEST_INTERNAL FrmODBCSettings : public QDialog, public internal::SettingsDialogView {
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

    // The view the presenter draws on.
    void ResetToDesign() override;
    void SetVisible(const char* control, bool visible) override;
    void SetText(const char* control, const std::string& text) override;
    std::string Text(const char* control) const override;
    void AddListItem(const char* list, const std::string& item) override;
    std::vector<std::string> ListItems(const char* list) const override;
    void SelectListItem(const char* list, int index) override;
    void SetTop(const char* control, int topTwips) override;
    void SetHeights(int windowTwips, int frameTwips) override;
    void RemoveCloseMenu() override;
    void Close(bool saved) override;
    std::string VersionCaption() const override;
    std::string HelpFilePath() const override;
    std::string LibrarySettingsPath() const override;
    std::vector<std::string> DataSourceNames() const override;
    bool FileExists(const std::string& path) const override;
    void OpenDocument(const std::string& path) override;
    void StartProgram(const std::string& path) override;

  protected:
    // Escape and the window manager's close do not leave the dialog: Save and
    // Cancel are the ways out.
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // The Test button's first step. No connection refuses a connection string
    // on demand; a test derives from the dialog to make the step fail and see
    // that the steps after it still run.
    void SetTestConnectionString(Connection& connection, const std::string& text) override;

  private:
    QWidget* Control(const char* name) const;
    QComboBox* Combo(const char* name) const;
    QLineEdit* Edit(const char* name) const;

    internal::SettingsDialogPresenter presenter_{*this};
    QFrame* frame_ = nullptr;
    bool leaving_ = false;
};

}  // namespace vendral::detail::qt

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace qt = detail::qt;
}  // namespace vendral
