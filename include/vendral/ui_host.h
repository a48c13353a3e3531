/// @file
/// UiHost, the one place through which the core reaches the user: message
/// boxes, the application-wide mouse pointer and letting pending window events
/// run. The application installs a host; the default is headless.
#pragma once

#include <memory>
#include <string>

#include "vendral/export.h"

// The member MessageBox is this name on every platform: where <windows.h> has
// made it a macro, the classes are declared without it and the includer's macro
// is given back after them (call the member where the macro is not defined).
#ifdef _WIN32
#pragma push_macro("MessageBox")
#undef MessageBox
#endif

namespace vendral {

/// The icon of a message box.
enum class MessageIcon {
    Exclamation,  ///< A warning: the "Error" boxes.
    Information   ///< Information: the "Message" boxes.
};

/// @name Mouse pointer values
/// Values of the platform's application-wide pointer for
/// UiHost::SetMousePointer().
/** @{ */
constexpr int kPointerArrow = 1;  ///< The normal arrow.
constexpr int kPointerBusy = 11;  ///< The busy pointer.
/** @} */

/// What the core needs of the application's user interface. Called on the
/// thread that uses the library.
class VENDRAL_API UiHost {
  public:
    virtual ~UiHost() = default;
    /// A modal box with an OK button; the result is the button chosen (1 = OK).
    virtual int MessageBox(const std::string& text, const std::string& title, MessageIcon icon) = 0;
    /// Shows @p pointer (kPointerBusy or kPointerArrow) for the whole application.
    virtual void SetMousePointer(int pointer) = 0;
    /// Lets pending window events run.
    virtual void DoEvents() = 0;
};

/// The host without a user interface: message boxes go to standard error, one
/// line each ("Error: ..."); the pointer and event calls do nothing.
class VENDRAL_API HeadlessUiHost : public UiHost {
  public:
    /// Writes "title: text" to standard error; 1.
    int MessageBox(const std::string& text, const std::string& title, MessageIcon icon) override;
    /// Does nothing.
    void SetMousePointer(int pointer) override;
    /// Does nothing.
    void DoEvents() override;
};

/// The host in use; until the application installs one, the default host.
/// The default host is headless, except that its first message box, pointer
/// change or settings dialog loads the widget library (beside the core, else
/// where it is installed) when a display is reachable; the widget library's
/// host is then the one in use. On Windows the system's message boxes and
/// pointer take that place, and the default host's DoEvents() runs the
/// thread's pending window messages from the start.
/// The caller shares ownership, so a host installed meanwhile on another thread
/// does not free the one the caller is using.
VENDRAL_API std::shared_ptr<UiHost> CurrentUiHost();
/// Installs a host for the process; nullptr restores the headless default.
/// Returns the host that was installed before.
VENDRAL_API std::shared_ptr<UiHost> InstallUiHost(std::shared_ptr<UiHost> host);

/// Shows @p text in a box titled "Error" with the exclamation icon; the
/// button chosen.
VENDRAL_API int ShowErrorMessage(const std::string& text);
/// Shows @p text in a box titled "Message" with the information icon; the
/// button chosen.
VENDRAL_API int ShowInfoMessage(const std::string& text);

}  // namespace vendral

#ifdef _WIN32
#pragma pop_macro("MessageBox")
#endif
