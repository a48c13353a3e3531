/// @file
/// Control of other programs' main windows by their title, and starting
/// documents and programs as the desktop does. Used by the library's own code
/// (the settings dialog opens its help file with StartApplication).
///
/// On X11 the window methods follow the window-manager conventions (EWMH,
/// ICCCM); where no X display is reachable they do nothing (IsApplicationRunning
/// is false). Starting programs needs no display.
#pragma once

#include <cstdint>
#include <string>

#include "vendral/export.h"
#include "vendral/variant.h"

namespace vendral {

/// An X11 window id (the value of QWidget::winId() on the xcb platform).
using WindowHandle = std::uint32_t;

/// @name Results of CApplication::StartApplication
/// The shell's convention: above 32 is success.
/** @{ */
constexpr std::int32_t kShellStarted = 42;        ///< Started.
constexpr std::int32_t kShellFileNotFound = 2;    ///< The file does not exist.
constexpr std::int32_t kShellPathNotFound = 3;    ///< Its folder does not exist.
constexpr std::int32_t kShellAccessDenied = 5;    ///< It may not be run or opened.
constexpr std::int32_t kShellOutOfMemory = 8;     ///< No process could be made.
constexpr std::int32_t kShellBadFormat = 11;      ///< It is no program this system runs.
constexpr std::int32_t kShellNoAssociation = 31;  ///< No application for the operation.
/** @} */

/// Other programs' main windows by their title, and starting programs and
/// documents. No member throws, except StartApplicationWait() in its waiting
/// mode.
///
/// The title methods match every title as a whole, without regard to case,
/// against the titles of the top-level windows; only the first window found
/// (the topmost) is acted on. A title that matches nothing does nothing, and
/// the result is empty either way.
class VENDRAL_API CApplication {
  public:
    /// Asks the window to close; its program may ask the user or refuse.
    Variant CloseApplication(const std::string& sTitle);
    /// A Boolean: true when a top-level window has this title (false without
    /// a display).
    Variant IsApplicationRunning(const std::string& sTitle);
    /// Minimises the window.
    Variant MinimizeApplication(const std::string& sTitle);
    /// Maximises the window.
    Variant MaximizeApplication(const std::string& sTitle);
    /// Brings a minimised window back (maximised again if it was), or makes a
    /// maximised one normal.
    Variant RestoreApplication(const std::string& sTitle);

    /// Opens a program, a document or a URL; the result is a 32-bit integer,
    /// above 32 on success, else one of the kShell... codes. Programs (an
    /// executable file, or a bare name found on PATH) start directly with
    /// sParameter split into arguments; documents, folders and URLs go to the
    /// desktop's opener (xdg-open). An empty sOperation is "open", the only
    /// operation besides "explore" the desktop offers for every file type;
    /// others give kShellNoAssociation. The working directory is "/".
    /// @param sApplication the program, document, folder or URL.
    /// @param sParameter the program's arguments (double quotes group words).
    /// @param sOperation "open" (or empty) or "explore".
    Variant StartApplication(const std::string& sApplication, const std::string& sParameter = "",
                             const std::string& sOperation = "");

    /// Starts the command line (program and arguments, double quotes group
    /// words) and returns when the process has ended. iWaitType not 0 blocks
    /// the calling thread; a command line that cannot be started returns at
    /// once. iWaitType 0 lets the caller's pending events run while it waits
    /// (CurrentUiHost().DoEvents()) and raises NumberedError 53 ("File not
    /// found") when the command line cannot be started.
    /// @throws NumberedError 53 with iWaitType 0 when it cannot be started.
    void StartApplicationWait(const std::string& cmdline, std::int16_t iWaitType = 0);

    /// Restores the window and makes it the active one; nothing is sent when it
    /// is active already.
    void ApplicationToTop(const std::string& sTitle);
    /// Keeps the window @p FormHandle above the others; its place and size
    /// stay. A window that is not shown is shown. 0 does nothing.
    void WindowToFront(WindowHandle FormHandle);
    /// Lets the window @p FormHandle be covered by others again; its place
    /// and size stay. 0 does nothing.
    void WindowToBack(WindowHandle FormHandle);
};

}  // namespace vendral
