// CApplication through the system's window, shell and process calls.
#include <windows.h>
// shellapi.h builds on windows.h.
#include <shellapi.h>
#undef MessageBox

#include <string>
#include <vector>

#include "base/text_windows.h"
#include "com/server_module.h"
#include "vendral/capplication.h"
#include "vendral/numbered_error.h"
#include "vendral/ui_host.h"

namespace vendral {
namespace {

constexpr UINT kSystemCommand = 0x0112;
constexpr WPARAM kClose = 0xF060, kMinimize = 0xF020, kMaximize = 0xF030, kRestore = 0xF120;
constexpr DWORD kStillActive = 259;

// The wide calls throughout: titles, file names and command lines in any
// letters, where the A calls would read them in the ANSI code page.
HWND FindTitled(const std::string& title) {
    return FindWindowW(nullptr, Utf8ToWide(title).c_str());
}

Variant SendCommand(const std::string& title, WPARAM command) {
    if (HWND window = FindTitled(title)) SendMessageW(window, kSystemCommand, command, 0);
    return {};
}

// The drive root of the folder holding this library ("C:\").
std::wstring LibraryDriveRoot() {
    std::string path = com::LibraryPathOf(reinterpret_cast<const void*>(&LibraryDriveRoot));
    return Utf8ToWide(path.substr(0, 3));
}

void SetTopmost(WindowHandle handle, HWND insertAfter) {
    HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(handle));
    RECT rect{};
    GetWindowRect(window, &rect);
    SetWindowPos(window, insertAfter, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

}  // namespace

Variant CApplication::CloseApplication(const std::string& sTitle) {
    return SendCommand(sTitle, kClose);
}

Variant CApplication::IsApplicationRunning(const std::string& sTitle) {
    return Variant(FindTitled(sTitle) != nullptr);
}

Variant CApplication::MinimizeApplication(const std::string& sTitle) {
    return SendCommand(sTitle, kMinimize);
}

Variant CApplication::MaximizeApplication(const std::string& sTitle) {
    return SendCommand(sTitle, kMaximize);
}

Variant CApplication::RestoreApplication(const std::string& sTitle) {
    return SendCommand(sTitle, kRestore);
}

Variant CApplication::StartApplication(const std::string& sApplication,
                                       const std::string& sParameter,
                                       const std::string& sOperation) {
    std::wstring file = Utf8ToWide(sApplication), parameters = Utf8ToWide(sParameter),
                 operation = Utf8ToWide(sOperation), directory = LibraryDriveRoot();
    HINSTANCE result = ShellExecuteW(
        nullptr, operation.empty() ? nullptr : operation.c_str(), file.c_str(),
        parameters.empty() ? nullptr : parameters.c_str(), directory.c_str(), SW_SHOWNORMAL);
    return Variant(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(result)));
}

void CApplication::StartApplicationWait(const std::string& cmdline, std::int16_t iWaitType) {
    std::wstring line = Utf8ToWide(cmdline);
    // CreateProcessW may write into the command line.
    std::vector<wchar_t> command(line.begin(), line.end());
    command.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (iWaitType != 0) {
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS,
                            nullptr, nullptr, &startup, &process))
            return;
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        return;
    }
    // A normal, focused window; the caller's windows keep running while it waits.
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &process))
        throw NumberedError(kErrorFileNotFound, "File not found");
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    HANDLE watched = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process.dwProcessId);
    if (!watched) return;
    DWORD code = kStillActive;
    do {
        if (!GetExitCodeProcess(watched, &code)) break;
        CurrentUiHost()->DoEvents();
    } while (code == kStillActive);
    CloseHandle(watched);
}

void CApplication::ApplicationToTop(const std::string& sTitle) {
    HWND target = FindTitled(sTitle);
    if (!target) return;
    HWND foreground = GetForegroundWindow();
    if (foreground == target) return;
    SendMessageW(target, kSystemCommand, kRestore, 0);
    DWORD foregroundThread = GetWindowThreadProcessId(foreground, nullptr);
    DWORD targetThread = GetWindowThreadProcessId(target, nullptr);
    if (!AttachThreadInput(foregroundThread, targetThread, TRUE)) return;
    SetForegroundWindow(target);
    AttachThreadInput(foregroundThread, targetThread, FALSE);
}

void CApplication::WindowToFront(WindowHandle FormHandle) {
    SetTopmost(FormHandle, HWND_TOPMOST);
}

void CApplication::WindowToBack(WindowHandle FormHandle) {
    SetTopmost(FormHandle, HWND_NOTOPMOST);
}

}  // namespace vendral
