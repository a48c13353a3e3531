#include "base/busy_pointer_windows.h"

#include <tlhelp32.h>

namespace vendral::detail {
namespace {

HCURSOR Hourglass() {
    // A shared system cursor: never destroyed.
    return ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32514));
}

// Runs after the window procedure: whatever pointer it chose gives way.
LRESULT CALLBACK AfterWindowProcedure(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && reinterpret_cast<const CWPRETSTRUCT*>(lParam)->message == WM_SETCURSOR)
        ::SetCursor(Hourglass());
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

struct CloseSnapshot {
    void operator()(HANDLE snapshot) const { ::CloseHandle(snapshot); }
};
using Snapshot = std::unique_ptr<void, CloseSnapshot>;

// The ids of the process's threads; the calling one at least.
std::vector<DWORD> ProcessThreads() {
    std::vector<DWORD> threads{::GetCurrentThreadId()};
    HANDLE handle = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (handle == INVALID_HANDLE_VALUE) return threads;
    Snapshot snapshot(handle);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    const DWORD process = ::GetCurrentProcessId();
    for (BOOL more = ::Thread32First(handle, &entry); more; more = ::Thread32Next(handle, &entry)) {
        if (entry.th32OwnerProcessID == process && entry.th32ThreadID != threads.front())
            threads.push_back(entry.th32ThreadID);
    }
    return threads;
}

}  // namespace

BusyPointer::BusyPointer() {
    for (DWORD thread : ProcessThreads()) {
        // A thread that cannot be hooked shows its own pointer; the others still wait.
        if (HHOOK hook =
                ::SetWindowsHookExW(WH_CALLWNDPROCRET, AfterWindowProcedure, nullptr, thread))
            hooks_.emplace_back(hook);
    }
    ::SetCursor(Hourglass());
}

BusyPointer::~BusyPointer() = default;

}  // namespace vendral::detail
