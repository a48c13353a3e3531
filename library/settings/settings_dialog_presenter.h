// FrmODBCSettings' rules, whatever face shows it: the load sequence, the
// arrangement by DialogMode and DialogAskServer, CheckSettings and the Save,
// Test, Cancel and Help buttons, with the dialog's texts. The face (a
// SettingsDialogView) draws the controls and reports the user's actions here.
#pragma once

#include "base/internal_export.h"
#include "settings/settings_dialog_view.h"

namespace vendral::internal {

class VENDRAL_INTERNAL SettingsDialogPresenter {
  public:
    explicit SettingsDialogPresenter(SettingsDialogView& view) : view_(view) {}

    // Puts every control back as designed and runs the load sequence for this
    // thread's dialog state (SettingsFilePath, DialogMode, DialogAskServer).
    void Load();
    // Fills both data-source lists and selects their first entries.
    void GetDSNEntrys();
    // Validates the visible entries of the mode; shows the message of the last
    // failed check and returns false, else true.
    bool CheckSettings();

    void SaveClicked();
    void TestClicked();
    void CancelClicked();
    void HelpClicked();
    // F1: the help, where the help file is, also when the Help button has no room.
    void HelpKeyPressed();
    void BackgroundDoubleClicked();

  private:
    void ArrangeForMode(int mode, int askServer);
    void LoadSettingsFile(const std::string& file);
    void SelectStoredName(const char* list, const std::string& name);
    bool Empty(const char* control) const;

    SettingsDialogView& view_;
};

}  // namespace vendral::internal
