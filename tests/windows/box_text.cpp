// Reads a message box of another process through the system's window calls,
// for the scripts that show boxes (scripts/wine-tests.sh answers them):
//   box_text.exe TITLE
// prints "TEXT " and the box's text (line breaks as "\n") and "OWNER " and its
// owner window's title; exits 1 when no box of that title came within a
// minute. (The icon is checked in-process: icons do not cross processes.)
#include <windows.h>
// shellapi.h builds on windows.h.
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "checks.h"
#include "dialog_windows.h"

namespace {

// One line: carriage returns dropped, line feeds as "\n".
std::string OneLine(const std::wstring& text) {
    std::string line;
    for (char c : checks::Utf8(text)) {
        if (c == '\r') continue;
        if (c == '\n')
            line += "\\n";
        else
            line += c;
    }
    return line;
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count != 2) return 2;
    const std::wstring title = arguments[1];
    LocalFree(arguments);
    HWND box = checks::WaitForDialog(title);
    if (!box) return 1;
    HWND owner = GetWindow(box, GW_OWNER);
    std::printf("TEXT %s\nOWNER %s\n", OneLine(checks::BoxText(box)).c_str(),
                owner ? OneLine(checks::WindowText(owner)).c_str() : "(none)");
    return 0;
}
