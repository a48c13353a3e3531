// What the settings dialog's presenter asks of a face (the Qt widgets or the
// Windows controls): controls are named as designed ("CBCentralDSN",
// "Label1(4)"), places are in twips. A face draws and reports events; the
// rules of the dialog stay in the presenter.
#pragma once

#include <string>
#include <vector>

#include "base/internal_export.h"

namespace vendral {
class Connection;
}  // namespace vendral

namespace vendral::internal {

class VENDRAL_INTERNAL SettingsDialogView {
  public:
    virtual ~SettingsDialogView();

    // Every control back as designed: places, visibility, empty texts and lists.
    virtual void ResetToDesign() = 0;
    virtual void SetVisible(const char* control, bool visible) = 0;
    virtual void SetText(const char* control, const std::string& text) = 0;
    // A text box's text, or a list's shown text.
    virtual std::string Text(const char* control) const = 0;
    virtual void AddListItem(const char* list, const std::string& item) = 0;
    virtual std::vector<std::string> ListItems(const char* list) const = 0;
    // -1 selects nothing.
    virtual void SelectListItem(const char* list, int index) = 0;
    virtual void SetTop(const char* control, int topTwips) = 0;
    // The window's outer height and the frame's height.
    virtual void SetHeights(int windowTwips, int frameTwips) = 0;
    // Takes the window's Close command away.
    virtual void RemoveCloseMenu() = 0;
    // Ends the modal showing, saved or left without saving.
    virtual void Close(bool saved) = 0;

    // What stands beside the library that shows the dialog.
    virtual std::string VersionCaption() const = 0;
    virtual std::string HelpFilePath() const = 0;
    virtual std::string LibrarySettingsPath() const = 0;
    // Every data source name of the driver manager, in its order.
    virtual std::vector<std::string> DataSourceNames() const = 0;
    // Paths as the design writes them (a Windows path on Windows).
    virtual bool FileExists(const std::string& path) const = 0;
    virtual void OpenDocument(const std::string& path) = 0;
    virtual void StartProgram(const std::string& path) = 0;

    // The Test button's first step. No connection refuses a connection string
    // on demand, so a test face may make this step fail.
    virtual void SetTestConnectionString(Connection& connection, const std::string& text);
};

}  // namespace vendral::internal
