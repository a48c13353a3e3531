#include "vendral/capplication.h"

#include <cerrno>
#include <filesystem>

#include "base/process_launch.h"
#include "base/text.h"
#include "desktop/x11_windows.h"
#include "vendral/numbered_error.h"
#include "vendral/ui_host.h"

namespace vendral {

namespace {

// Programs started from here run in the root folder, so that they hold no
// folder of the caller's open.
constexpr const char* kWorkingDirectory = "/";
// How long StartApplication waits to hear whether the desktop's opener failed
// (a missing file, a type without an application); an opener that is still
// running then has found an application.
constexpr std::chrono::milliseconds kOpenerWatch{2000};

// "http://...", "mailto:...": a scheme of two characters or more, then ":".
bool IsUrl(const std::string& text) {
    auto colon = text.find(':');
    if (colon == std::string::npos || colon < 2) return false;
    auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!isAlpha(text[0])) return false;
    for (std::size_t i = 1; i < colon; ++i) {
        char c = text[i];
        if (!isAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

std::int32_t ShellCodeOfStartError(int error) {
    switch (error) {
        case 0:
            return kShellStarted;
        case ENOENT:
        case ENOTDIR:
            return kShellFileNotFound;
        case EACCES:
        case EPERM:
        case EISDIR:
            return kShellAccessDenied;
        case ENOEXEC:
        case ELIBBAD:
            return kShellBadFormat;
        default:
            return kShellOutOfMemory;
    }
}

// xdg-open's exit statuses: 1 bad arguments, 2 file missing, 3 no
// application for it, 4 the application failed, 5 no permission to read.
std::int32_t ShellCodeOfOpenerStatus(int status) {
    switch (status) {
        case 2:
            return kShellFileNotFound;
        case 5:
            return kShellAccessDenied;
        default:
            return kShellNoAssociation;
    }
}

std::int32_t OpenThroughDesktop(const std::string& target) {
    auto opener = process::FindProgram("xdg-open");
    if (!opener) return kShellNoAssociation;
    auto result = process::LaunchDetached(*opener, {target}, kWorkingDirectory, kOpenerWatch);
    if (result.StartError != 0) return ShellCodeOfStartError(result.StartError);
    if (result.ExitStatus) return ShellCodeOfOpenerStatus(*result.ExitStatus);
    return kShellStarted;
}

std::int32_t StartProgram(const std::string& program, const std::string& parameters) {
    auto result = process::LaunchDetached(program, process::SplitCommandLine(parameters),
                                          kWorkingDirectory, std::chrono::milliseconds{0});
    return ShellCodeOfStartError(result.StartError);
}

template <typename Action>
Variant OnWindowTitled(const std::string& title, Action action) {
    auto display = x11::Display::Open();
    if (!display) return {};
    if (auto window = display->FindByTitle(title)) action(*display, *window);
    return {};
}

}  // namespace

Variant CApplication::CloseApplication(const std::string& sTitle) {
    return OnWindowTitled(sTitle, [](x11::Display& d, x11::Window w) { d.RequestClose(w); });
}

Variant CApplication::IsApplicationRunning(const std::string& sTitle) {
    auto display = x11::Display::Open();
    return Variant(display != nullptr && display->FindByTitle(sTitle).has_value());
}

Variant CApplication::MinimizeApplication(const std::string& sTitle) {
    return OnWindowTitled(sTitle, [](x11::Display& d, x11::Window w) { d.Iconify(w); });
}

Variant CApplication::MaximizeApplication(const std::string& sTitle) {
    return OnWindowTitled(sTitle, [](x11::Display& d, x11::Window w) { d.Maximize(w); });
}

Variant CApplication::RestoreApplication(const std::string& sTitle) {
    return OnWindowTitled(sTitle, [](x11::Display& d, x11::Window w) { d.Restore(w); });
}

Variant CApplication::StartApplication(const std::string& sApplication,
                                       const std::string& sParameter,
                                       const std::string& sOperation) {
    std::string operation = sOperation.empty() ? "open" : ToLower(sOperation);
    if (operation != "open" && operation != "explore") return Variant(kShellNoAssociation);
    if (sApplication.empty()) return Variant(kShellFileNotFound);
    if (IsUrl(sApplication)) return Variant(OpenThroughDesktop(sApplication));

    namespace fs = std::filesystem;
    std::error_code error;
    fs::path path(sApplication);
    bool bareName = sApplication.find('/') == std::string::npos;
    // A bare name is a file of the current folder first, then a program on PATH.
    if (bareName && !fs::exists(path, error)) {
        auto program = process::FindProgram(sApplication);
        if (!program) return Variant(kShellFileNotFound);
        return Variant(StartProgram(*program, sParameter));
    }
    // The programs run in the root folder: a relative name is resolved here.
    path = fs::absolute(path, error);
    if (!fs::exists(path, error)) {
        bool folderExists = fs::is_directory(path.parent_path(), error);
        return Variant(folderExists ? kShellFileNotFound : kShellPathNotFound);
    }
    if (operation == "open" && process::FindProgram(path.string())) {
        return Variant(StartProgram(path.string(), sParameter));
    }
    // Documents and folders go to the application the desktop has for them;
    // parameters are for programs only.
    return Variant(OpenThroughDesktop(path.string()));
}

void CApplication::StartApplicationWait(const std::string& cmdline, std::int16_t iWaitType) {
    const bool letEventsRun = iWaitType == 0;
    auto fail = [&] {
        if (letEventsRun) throw NumberedError(kErrorFileNotFound, "File not found");
    };
    std::vector<std::string> words = process::SplitCommandLine(cmdline);
    if (words.empty()) return fail();
    auto program = process::FindProgram(words.front());
    if (!program) return fail();
    std::function<void()> whileWaiting;
    if (letEventsRun) whileWaiting = [] { CurrentUiHost()->DoEvents(); };
    if (!process::RunAndWait(*program, words, whileWaiting)) fail();
}

void CApplication::ApplicationToTop(const std::string& sTitle) {
    auto display = x11::Display::Open();
    if (!display) return;
    auto window = display->FindByTitle(sTitle);
    if (!window) return;
    if (display->ActiveWindow() == window) return;
    display->Restore(*window);
    display->Activate(*window);
}

void CApplication::WindowToFront(WindowHandle FormHandle) {
    if (FormHandle == 0) return;
    if (auto display = x11::Display::Open()) display->SetAbove(FormHandle, true);
}

void CApplication::WindowToBack(WindowHandle FormHandle) {
    if (FormHandle == 0) return;
    if (auto display = x11::Display::Open()) display->SetAbove(FormHandle, false);
}

}  // namespace vendral
