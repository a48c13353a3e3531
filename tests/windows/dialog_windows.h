// The system's dialog windows (message boxes among them) as the Wine test
// programs find and read them.
#pragma once

#include <windows.h>

#include <string>

namespace checks {

// The message box's static text and icon, by their ids in the box.
constexpr int kBoxTextId = 0xFFFF;
constexpr int kBoxIconId = 0x0440;

// The visible dialog window titled title, waiting for it at most a minute;
// nullptr when none came.
inline HWND WaitForDialog(const std::wstring& title) {
    for (int i = 0; i < 1200; ++i) {
        HWND window = FindWindowW(L"#32770", title.c_str());
        if (window && IsWindowVisible(window)) return window;
        Sleep(50);
    }
    return nullptr;
}

inline std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), text.size())));
    return text;
}

// The text of the box's static.
inline std::wstring BoxText(HWND box) {
    HWND text = GetDlgItem(box, kBoxTextId);
    return text ? WindowText(text) : std::wstring();
}

// "exclamation", "information" or "other": the icon the box shows, against the
// system's shared icons.
inline std::string BoxIcon(HWND box) {
    auto shown = reinterpret_cast<HICON>(SendDlgItemMessageW(box, kBoxIconId, STM_GETICON, 0, 0));
    if (shown && shown == LoadIconW(nullptr, MAKEINTRESOURCEW(32515))) return "exclamation";
    if (shown && shown == LoadIconW(nullptr, MAKEINTRESOURCEW(32516))) return "information";
    return "other";
}

// The thread's cursor as the system reports it.
inline HCURSOR ShownCursor() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    return GetCursorInfo(&info) ? info.hCursor : nullptr;
}

}  // namespace checks
