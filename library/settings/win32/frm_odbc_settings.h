// FrmODBCSettings on Windows: the system's own controls (static, button,
// combo box, edit) in a window of its own class, drawn from the design's
// table, shown modally on the calling thread. The rules are the presenter's;
// this face draws and reports the user's actions to it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "settings/settings_dialog_presenter.h"
#include "settings/settings_dialog_view.h"

namespace vendral::detail::win32 {

// The dialog's window class, caption and first control id (the design's
// controls follow in the order of its table).
inline constexpr wchar_t kSettingsDialogClass[] = L"VendralODBCSettings";
inline constexpr int kFirstSettingsControlId = 1100;
// The logo's bitmap resource.
inline constexpr int kSettingsLogoBitmapId = 1001;

class FrmODBCSettings final : public internal::SettingsDialogView {
  public:
    FrmODBCSettings();
    ~FrmODBCSettings() override;
    FrmODBCSettings(const FrmODBCSettings&) = delete;
    FrmODBCSettings& operator=(const FrmODBCSettings&) = delete;

    // Creates the window, runs the load sequence, and runs the thread's
    // messages with the thread's other windows disabled until Save or Cancel
    // closes it; the window is then destroyed (the form unloaded).
    void ShowModally();

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

  private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateWindowAndControls();
    void Paint();
    HWND Control(const char* name) const;
    int PixelsX(int twips) const;
    int PixelsY(int twips) const;

    internal::SettingsDialogPresenter presenter_{*this};
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HBRUSH formBrush_ = nullptr;
    HBITMAP logo_ = nullptr;
    int twipsPerPixelX_ = 15;
    int twipsPerPixelY_ = 15;
    int frameHeightTwips_ = 0;
    bool closed_ = false;
};

}  // namespace vendral::detail::win32
