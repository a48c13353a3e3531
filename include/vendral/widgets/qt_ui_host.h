/// @file
/// The UI host of Qt applications.

/// @class vendral::QtUiHost
/// The UI host of Qt applications: message boxes, the busy pointer and pending
/// events as real Qt windows (the settings dialog is installed apart, see
/// vendral::InstallSettingsDialogRunner()).
///
/// Loading libvendral-widgets.so installs this host by itself; while no
/// QApplication exists (a console program that links the widget library) it
/// behaves as the headless host. InstallQtUiHost() puts it back after another
/// host was installed.
#pragma once

#include <memory>
#include <string>

#include "vendral/export.h"
#include "vendral/ui_host.h"

// As in ui_host.h: the member keeps its name beside <windows.h>.
#ifdef _WIN32
#pragma push_macro("MessageBox")
#undef MessageBox
#endif

namespace vendral {

class VENDRAL_API QtUiHost : public UiHost {
  public:
    /// A host for the process's QApplication (or headless without one).
    QtUiHost();
    ~QtUiHost() override;
    QtUiHost(const QtUiHost&) = delete;
    QtUiHost& operator=(const QtUiHost&) = delete;

    /// "Error" boxes carry the warning icon, "Message" boxes the information
    /// icon; both have one OK button. The result is 1 (OK).
    int MessageBox(const std::string& text, const std::string& title, MessageIcon icon) override;
    /// 11 shows the busy pointer for the whole application, 1 the normal one.
    /// Repeated calls do not stack: one call of 1 always restores the pointer.
    void SetMousePointer(int pointer) override;
    /// Processes pending Qt events (nothing without a QApplication).
    void DoEvents() override;

  private:
    bool busyShown_ = false;
    HeadlessUiHost headless_;
};

/// Installs a QtUiHost for the process and returns the host it replaces.
VENDRAL_API std::shared_ptr<UiHost> InstallQtUiHost();

}  // namespace vendral

#ifdef _WIN32
#pragma pop_macro("MessageBox")
#endif
