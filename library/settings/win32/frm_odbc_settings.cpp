#include "settings/win32/frm_odbc_settings.h"

#include <commctrl.h>
#include <shellapi.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <vector>

#include "base/own_module_windows.h"
#include "base/text_windows.h"
#include "base/utf8_path.h"
#include "settings/settings_dialog_design.h"

namespace vendral::detail::win32 {
namespace {

using internal::DialogControlDesign;
using internal::DialogControlKind;
using internal::kSettingsDialogDesign;

// The library's folder (no trailing backslash) and its base name.
std::wstring ModuleFolder() {
    std::wstring file = OwnModuleFile();
    return file.substr(0, file.find_last_of(L"\\/"));
}

std::wstring ModuleBaseName() {
    std::wstring file = OwnModuleFile();
    file = file.substr(file.find_last_of(L"\\/") + 1);
    return file.substr(0, file.find_last_of(L'.'));
}

int IndexOf(const char* name) {
    for (std::size_t i = 0; i < kSettingsDialogDesign.size(); ++i)
        if (std::string_view(name) == kSettingsDialogDesign[i].Name) return static_cast<int>(i);
    return -1;
}

int DesignIndexOfId(int id) {
    int index = id - kFirstSettingsControlId;
    return index >= 0 && index < static_cast<int>(kSettingsDialogDesign.size()) ? index : -1;
}

COLORREF Colour(std::uint32_t bgr) {
    return static_cast<COLORREF>(bgr);
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The other enabled top-level windows of the thread, which wait while the
// dialog is up.
BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM collected) {
    if (IsWindowEnabled(window) && IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(collected)->push_back(window);
    return TRUE;
}

struct ControlClass {
    const wchar_t* Name;
    DWORD Style;
    DWORD ExStyle;
};

ControlClass ClassOf(DialogControlKind kind) {
    switch (kind) {
        case DialogControlKind::Picture:
            return {L"STATIC", SS_BITMAP, 0};
        case DialogControlKind::Button:
            return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
        case DialogControlKind::Label:
            return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
        case DialogControlKind::Combo:
            return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
        case DialogControlKind::Text:
            return {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case DialogControlKind::Password:
            return {L"EDIT", ES_AUTOHSCROLL | ES_PASSWORD | WS_TABSTOP, WS_EX_CLIENTEDGE};
    }
    return {L"STATIC", 0, 0};
}

// Rows a drop-down list shows when open, beyond its own height.
constexpr int kDropDownPixels = 160;

}  // namespace

FrmODBCSettings::FrmODBCSettings() {
    formBrush_ = CreateSolidBrush(Colour(internal::kSettingsDialogFormColour));
    HDC screen = GetDC(nullptr);
    const int dotsX = GetDeviceCaps(screen, LOGPIXELSX);
    const int dotsY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    // Twips per pixel as whole numbers, 15 at 96 dots per inch.
    if (dotsX > 0) twipsPerPixelX_ = 1440 / dotsX;
    if (dotsY > 0) twipsPerPixelY_ = 1440 / dotsY;
    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(internal::kSettingsDialogFontPoints * dotsY / 72.0 + 0.5);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    std::wstring face = Utf8ToWide(internal::kSettingsDialogFontFace);
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    font_ = CreateFontIndirectW(&font);
    logo_ = static_cast<HBITMAP>(LoadImageW(OwnModule(), MAKEINTRESOURCEW(kSettingsLogoBitmapId),
                                            IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

FrmODBCSettings::~FrmODBCSettings() {
    if (window_) DestroyWindow(window_);
    if (font_) DeleteObject(font_);
    if (formBrush_) DeleteObject(formBrush_);
    if (logo_) DeleteObject(logo_);
}

int FrmODBCSettings::PixelsX(int twips) const {
    return (twips + twipsPerPixelX_ / 2) / twipsPerPixelX_;
}

int FrmODBCSettings::PixelsY(int twips) const {
    return (twips + twipsPerPixelY_ / 2) / twipsPerPixelY_;
}

HWND FrmODBCSettings::Control(const char* name) const {
    const int index = IndexOf(name);
    return index < 0 || !window_ ? nullptr : GetDlgItem(window_, kFirstSettingsControlId + index);
}

void FrmODBCSettings::CreateWindowAndControls() {
    HINSTANCE instance = OwnModule();
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (!GetClassInfoExW(instance, kSettingsDialogClass, &windowClass)) {
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = &FrmODBCSettings::WindowProcedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        windowClass.lpszClassName = kSettingsDialogClass;
        RegisterClassExW(&windowClass);
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // A fixed dialog frame with a title and a system menu; owned by the
    // thread's active window, which waits.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    window_ = CreateWindowExW(
        exStyle, kSettingsDialogClass, Utf8ToWide(internal::kSettingsDialogCaption).c_str(), style,
        CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, GetActiveWindow(), nullptr, instance, this);
    if (!window_) return;

    // The controls that take the focus first, in the tab order (the order of
    // creation is the order Tab moves in), then the others.
    std::vector<int> order;
    for (const char* name : internal::kSettingsDialogTabOrder) order.push_back(IndexOf(name));
    for (int i = 0; i < static_cast<int>(kSettingsDialogDesign.size()); ++i)
        if (std::find(order.begin(), order.end(), i) == order.end()) order.push_back(i);
    for (int index : order) {
        const DialogControlDesign& design = kSettingsDialogDesign[static_cast<std::size_t>(index)];
        const ControlClass kind = ClassOf(design.Kind);
        HWND control = CreateWindowExW(
            kind.ExStyle, kind.Name, Utf8ToWide(design.Caption).c_str(), WS_CHILD | kind.Style, 0,
            0, 10, 10, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstSettingsControlId + index)),
            instance, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        if (design.Kind == DialogControlKind::Password)
            SendMessageW(control, EM_SETPASSWORDCHAR, L'*', 0);
        if (design.Kind == DialogControlKind::Picture && logo_)
            SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_));
    }
    for (const char* name : {"CBCentralType", "CBLocalType"})
        for (const char* item : internal::kSettingsDialogDriverTypes)
            SendMessageW(Control(name), CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(Utf8ToWide(item).c_str()));
}

void FrmODBCSettings::ResetToDesign() {
    if (!window_) return;
    const auto& frame = internal::kSettingsDialogFrame;
    for (const DialogControlDesign& design : kSettingsDialogDesign) {
        HWND control = Control(design.Name);
        const int left = design.Left + (design.InFrame ? frame[0] : 0);
        const int top = design.Top + (design.InFrame ? frame[1] : 0);
        int height = PixelsY(design.Height);
        if (design.Kind == DialogControlKind::Combo) {
            // The closed list as high as designed; the open one below it.
            SendMessageW(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height - 6);
            height += kDropDownPixels;
        }
        MoveWindow(control, PixelsX(left), PixelsY(top), PixelsX(design.Width), height, FALSE);
        ShowWindow(control, design.Visible ? SW_SHOWNA : SW_HIDE);
        if (design.Kind == DialogControlKind::Text || design.Kind == DialogControlKind::Password)
            SetWindowTextW(control, L"");
        if (design.Kind == DialogControlKind::Combo &&
            design.Name != std::string("CBCentralType") &&
            design.Name != std::string("CBLocalType"))
            SendMessageW(control, CB_RESETCONTENT, 0, 0);
    }
    SetWindowTextW(Control("LblVersion"), L"");
    frameHeightTwips_ = frame[3];
    RECT outer{0, 0, PixelsX(internal::kSettingsDialogClientWidthTwips), 0};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongW(window_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(window_, GWL_EXSTYLE)));
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left,
                 PixelsY(internal::kSettingsDialogFullWindowTwips),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrmODBCSettings::SetVisible(const char* control, bool visible) {
    ShowWindow(Control(control), visible ? SW_SHOWNA : SW_HIDE);
}

void FrmODBCSettings::SetText(const char* control, const std::string& text) {
    SetWindowTextW(Control(control), Utf8ToWide(text).c_str());
}

std::string FrmODBCSettings::Text(const char* control) const {
    // A drop-down list's text is its selected entry.
    return WideToUtf8(WindowText(Control(control)));
}

void FrmODBCSettings::AddListItem(const char* list, const std::string& item) {
    SendMessageW(Control(list), CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(Utf8ToWide(item).c_str()));
}

std::vector<std::string> FrmODBCSettings::ListItems(const char* list) const {
    HWND combo = Control(list);
    std::vector<std::string> items;
    const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const auto length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) continue;
        std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(item.data()));
        item.resize(static_cast<std::size_t>(length));
        items.push_back(WideToUtf8(item));
    }
    return items;
}

void FrmODBCSettings::SelectListItem(const char* list, int index) {
    SendMessageW(Control(list), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void FrmODBCSettings::SetTop(const char* control, int topTwips) {
    HWND child = Control(control);
    const DialogControlDesign* design = internal::FindDialogControl(control);
    if (!child || !design) return;
    RECT place;
    GetWindowRect(child, &place);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&place), 2);
    const int top = topTwips + (design->InFrame ? internal::kSettingsDialogFrame[1] : 0);
    SetWindowPos(child, nullptr, place.left, PixelsY(top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrmODBCSettings::SetHeights(int windowTwips, int frameTwips) {
    RECT outer;
    GetWindowRect(window_, &outer);
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, PixelsY(windowTwips),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    frameHeightTwips_ = frameTwips;
    InvalidateRect(window_, nullptr, TRUE);
}

// The separator and Close, the last two entries of the standard system menu:
// that also disables the title bar's close box and Alt+F4.
void FrmODBCSettings::RemoveCloseMenu() {
    HMENU menu = GetSystemMenu(window_, FALSE);
    if (!menu) return;
    const int count = GetMenuItemCount(menu);
    RemoveMenu(menu, static_cast<UINT>(count - 1), MF_BYPOSITION | MF_REMOVE);
    RemoveMenu(menu, static_cast<UINT>(count - 2), MF_BYPOSITION | MF_REMOVE);
    DrawMenuBar(window_);
}

void FrmODBCSettings::Close(bool /*saved*/) {
    closed_ = true;
}

std::string FrmODBCSettings::VersionCaption() const {
    const std::wstring file = OwnModuleFile();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return {};
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed)
        return {};
    struct Translation {
        WORD Language, CodePage;
    };
    Translation* translation = nullptr;
    std::wstring description;
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                       reinterpret_cast<void**>(&translation), &length) &&
        translation && length >= sizeof(Translation)) {
        wchar_t key[64];
        wsprintfW(key, L"\\StringFileInfo\\%04x%04x\\FileDescription", translation->Language,
                  translation->CodePage);
        wchar_t* value = nullptr;
        if (VerQueryValueW(block.data(), key, reinterpret_cast<void**>(&value), &length) && value)
            description = value;
    }
    return WideToUtf8(description) + " " + std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(fixed->dwFileVersionLS));
}

std::string FrmODBCSettings::HelpFilePath() const {
    return WideToUtf8(ModuleFolder() + L"\\vendralhlp.mht");
}

std::string FrmODBCSettings::LibrarySettingsPath() const {
    return WideToUtf8(ModuleFolder() + L"\\" + ModuleBaseName() + L".ini");
}

// Every data source the driver manager lists, user and system ones, through
// its wide-character calls.
std::vector<std::string> FrmODBCSettings::DataSourceNames() const {
    std::vector<std::string> names;
    SQLHENV environment = SQL_NULL_HENV;
    if (SQLAllocEnv(&environment) == SQL_ERROR) return names;
    constexpr SQLSMALLINT kBuffer = 1024;
    SQLRETURN status = SQL_SUCCESS;
    while (status == SQL_SUCCESS) {
        std::vector<SQLWCHAR> name(kBuffer, L' '), description(kBuffer, L' ');
        SQLSMALLINT nameLength = 0, descriptionLength = 0;
        status = SQLDataSourcesW(environment, SQL_FETCH_NEXT, name.data(), kBuffer, &nameLength,
                                 description.data(), kBuffer, &descriptionLength);
        if (!SQL_SUCCEEDED(status)) break;
        const auto length = static_cast<std::size_t>(std::clamp<int>(nameLength, 0, kBuffer - 1));
        std::wstring entry(reinterpret_cast<const wchar_t*>(name.data()), length);
        if (entry.find_first_not_of(L' ') != std::wstring::npos) names.push_back(WideToUtf8(entry));
    }
    SQLFreeEnv(environment);
    return names;
}

bool FrmODBCSettings::FileExists(const std::string& path) const {
    std::error_code ignored;
    return std::filesystem::exists(PathFromUtf8(path), ignored);
}

// The shell's default verb, as CApplication starts documents (the settings
// room lies below the desktop room, so the call is made here).
void FrmODBCSettings::OpenDocument(const std::string& path) {
    const std::wstring file = Utf8ToWide(path);
    const std::wstring folder = file.substr(0, file.find_last_of(L"\\/"));
    ShellExecuteW(nullptr, nullptr, file.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
}

void FrmODBCSettings::StartProgram(const std::string& path) {
    std::wstring line = L"\"" + Utf8ToWide(path) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

void FrmODBCSettings::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    const auto& frame = internal::kSettingsDialogFrame;
    RECT box{PixelsX(frame[0]), PixelsY(frame[1]), PixelsX(frame[0] + frame[2]),
             PixelsY(frame[1] + frameHeightTwips_)};
    FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HBRUSH line = CreateSolidBrush(Colour(internal::kSettingsDialogFrameLineColour));
    FrameRect(dc, &box, line);
    DeleteObject(line);
    EndPaint(window_, &paint);
}

LRESULT CALLBACK FrmODBCSettings::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<FrmODBCSettings*>(create->lpCreateParams)->window_ = window;
    }
    auto* dialog = reinterpret_cast<FrmODBCSettings*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!dialog) return DefWindowProcW(window, message, wParam, lParam);
    return dialog->Handle(message, wParam, lParam);
}

LRESULT FrmODBCSettings::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(window_, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, formBrush_);
            return 1;
        }
        case WM_PAINT:
            Paint();
            return 0;
        case WM_CTLCOLORSTATIC: {
            auto dc = reinterpret_cast<HDC>(wParam);
            const int index = DesignIndexOfId(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
            const bool inFrame =
                index >= 0 && kSettingsDialogDesign[static_cast<std::size_t>(index)].InFrame;
            SetTextColor(dc, Colour(internal::kSettingsDialogLabelColour));
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(inFrame ? GetStockObject(WHITE_BRUSH) : formBrush_);
        }
        case WM_CTLCOLORBTN:
            return reinterpret_cast<LRESULT>(formBrush_);
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
                const int index = DesignIndexOfId(LOWORD(wParam));
                if (index < 0) return 0;
                const std::string_view name =
                    kSettingsDialogDesign[static_cast<std::size_t>(index)].Name;
                if (name == "BtnSave") presenter_.SaveClicked();
                if (name == "BtnTest") presenter_.TestClicked();
                if (name == "BtnCancel") presenter_.CancelClicked();
                if (name == "BtnHelp") presenter_.HelpClicked();
            }
            // Enter and Escape (IDOK, IDCANCEL) leave nothing: Save and Cancel
            // are the ways out.
            return 0;
        case WM_LBUTTONDBLCLK:
            presenter_.BackgroundDoubleClicked();
            return 0;
        case WM_CLOSE:
            // No close command: the title bar's box and Alt+F4 do nothing.
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void FrmODBCSettings::ShowModally() {
    closed_ = false;
    std::vector<HWND> waiting;
    EnumThreadWindows(GetCurrentThreadId(), &CollectEnabledWindow,
                      reinterpret_cast<LPARAM>(&waiting));
    CreateWindowAndControls();
    if (!window_) return;
    presenter_.Load();
    for (HWND other : waiting)
        if (other != window_) EnableWindow(other, FALSE);

    // In the middle of the screen, as a form that is centred on it.
    RECT outer;
    GetWindowRect(window_, &outer);
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    SetWindowPos(window_, HWND_TOP, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE);
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    HWND first = GetNextDlgTabItem(window_, nullptr, FALSE);
    if (first) SetFocus(first);

    MSG message;
    bool quit = false;
    WPARAM quitCode = 0;
    while (!closed_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // The caller's own loop ends on this: it is posted again for it.
            quit = true;
            quitCode = message.wParam;
            break;
        }
        if (got < 0) break;
        if (message.message == WM_KEYDOWN && message.wParam == VK_F1 &&
            (message.hwnd == window_ || IsChild(window_, message.hwnd))) {
            presenter_.HelpKeyPressed();
            continue;
        }
        if (IsDialogMessageW(window_, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }

    for (HWND other : waiting)
        if (IsWindow(other)) EnableWindow(other, TRUE);
    HWND closing = window_;
    window_ = nullptr;
    SetWindowLongPtrW(closing, GWLP_USERDATA, 0);
    DestroyWindow(closing);
    if (!waiting.empty() && IsWindow(waiting.front())) SetActiveWindow(waiting.front());
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

}  // namespace vendral::detail::win32
