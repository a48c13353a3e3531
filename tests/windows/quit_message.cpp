// StartApplicationWait lets the program's window messages run while it waits,
// and a quit request made meanwhile still reaches the program's own loop with
// its exit code, before any box and after one has brought in the system's host.
// The program starts itself as the waited-for child, which ends once the
// parent's window has handled a message posted before the wait. Before the box
// it prints "ANSWER Return Message" for scripts/wine-tests.sh to press the key.
//   quit_message.exe           the checks
//   quit_message.exe EVENT     the child: ends when EVENT is set (a minute at most)
#include <windows.h>

#include <cstdio>
#include <string>

#include "checks.h"
#include "vendral/capplication.h"
#include "vendral/ui_host.h"

namespace {

using checks::Check;

constexpr UINT kDuringWait = WM_APP + 1;
constexpr int kExitCode = 42;

HANDLE childMayEnd = nullptr;
bool handledDuringWait = false;

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kDuringWait) {
        handledDuringWait = true;
        PostQuitMessage(kExitCode);
        SetEvent(childMayEnd);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int Child(const char* event) {
    HANDLE handle = OpenEventA(SYNCHRONIZE, FALSE, event);
    if (!handle) return 1;
    DWORD waited = WaitForSingleObject(handle, 60000);
    CloseHandle(handle);
    return waited == WAIT_OBJECT_0 ? 0 : 1;
}

// One wait: a message posted before it must run during it, and the quit
// request its handler makes must reach the loop after it.
void WaitRound(HWND window, const std::string& when) {
    const std::string event =
        "VendralQuitMessage" + std::to_string(GetCurrentProcessId()) + "-" + when.substr(0, 6);
    childMayEnd = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
    handledDuringWait = false;
    PostMessageW(window, kDuringWait, 0, 0);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    vendral::CApplication application;
    application.StartApplicationWait("\"" + std::string(self) + "\" " + event, 0);
    Check("the window's message ran while StartApplicationWait waited, " + when, handledDuringWait);

    // The program's own loop: the quit request comes once the queue is empty.
    bool quit = false;
    WPARAM code = 0;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            code = message.wParam;
            break;
        }
        DispatchMessageW(&message);
    }
    Check("the quit request made during the wait reaches the program's loop, " + when, quit);
    Check("it keeps its exit code, " + when, code == kExitCode, std::to_string(code));
    CloseHandle(childMayEnd);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2) return Child(argv[1]);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VendralQuitMessageTest";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Vendral quit message test",
                                  WS_OVERLAPPEDWINDOW, 100, 100, 300, 200, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    Check("the program has its window", window != nullptr);
    WaitRound(window, "before any box");
    // The first box brings in the system's host; its waits must do the same.
    std::printf("ANSWER Return Message\n");
    std::fflush(stdout);
    Check("the box is answered", vendral::ShowInfoMessage("The wait follows.") == IDOK);
    WaitRound(window, "after a box");
    DestroyWindow(window);
    return checks::Finish("quit_message");
}
