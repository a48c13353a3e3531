#include "desktop/frm_splash_windows.h"

#include <memory>

#include "base/own_module_windows.h"
#include "base/text_windows.h"
#include "desktop/frm_splash_resources.h"
#include "desktop/quvex.h"
#include "desktop/splash_rules.h"
#include "vendral/ui_host.h"

namespace vendral::detail {
namespace {

constexpr wchar_t kFormClass[] = L"frmSplash";
constexpr wchar_t kPictureClass[] = L"frmSplashPicture";
// A fixed dialog border, no caption, no minimise or maximise buttons.
constexpr DWORD kFormStyle = WS_POPUP | WS_DLGFRAME | WS_CLIPSIBLINGS;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
constexpr int kTwipsPerInch = 1440;

thread_local std::unique_ptr<Win32SplashForm> tForm;

// The screen's pixels per inch, across and down.
struct ScreenDpi {
    int X = 96;
    int Y = 96;
};

ScreenDpi Dpi() {
    ScreenDpi dpi;
    if (HDC screen = GetDC(nullptr)) {
        dpi.X = GetDeviceCaps(screen, LOGPIXELSX);
        dpi.Y = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    return dpi;
}

int Pixels(int twips, int dpi) {
    return MulDiv(twips, dpi, kTwipsPerInch);
}

COLORREF Colour(std::uint32_t bgr) {
    return static_cast<COLORREF>(bgr);
}

HFONT MakeFont(bool bold, int dpiY) {
    const int height = -MulDiv(static_cast<int>(internal::kSplashFontPoints * 100), dpiY, 7200);
    return CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, Utf8ToWide(internal::kSplashFontName).c_str());
}

void RegisterClasses(HINSTANCE instance) {
    // A class that is there already (another thread's form) is kept.
    WNDCLASSEXW form{};
    form.cbSize = sizeof(form);
    form.style = CS_DBLCLKS;
    form.lpfnWndProc = DefWindowProcW;  // replaced by the form's own at creation
    form.hInstance = instance;
    form.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    form.hIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_SPLASH), IMAGE_ICON, 32, 32, LR_SHARED));
    form.lpszClassName = kFormClass;
    RegisterClassExW(&form);
    WNDCLASSEXW picture{};
    picture.cbSize = sizeof(picture);
    picture.lpfnWndProc = DefWindowProcW;
    picture.hInstance = instance;
    picture.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    picture.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    picture.lpszClassName = kPictureClass;
    RegisterClassExW(&picture);
}

}  // namespace

Win32SplashForm& Win32SplashForm::Instance() {
    if (!tForm || !tForm->window_) {
        tForm.reset(new Win32SplashForm());
        tForm->Load();
    }
    return *tForm;
}

void Win32SplashForm::Unload() {
    tForm.reset();
}

Win32SplashForm::Win32SplashForm() {
    const HINSTANCE instance = OwnModule();
    RegisterClasses(instance);
    const ScreenDpi dpi = Dpi();
    regular_ = MakeFont(false, dpi.Y);
    bold_ = MakeFont(true, dpi.Y);
    background_ = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(IDB_SPLASH_BACKGROUND),
                                                  IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));

    // The client area of the design, centred on the screen.
    RECT frame{0, 0, Pixels(internal::kSplashWidthTwips, dpi.X),
               Pixels(internal::kSplashHeightTwips, dpi.Y)};
    AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    window_ = CreateWindowExW(kFormExStyle, kFormClass, L"", kFormStyle, left, top, width, height,
                              nullptr, nullptr, instance, nullptr);
    if (!window_) return;
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure));

    int id = IDC_SPLASH_LABEL4;
    for (const internal::SplashControl* label : internal::kSplashLabels) {
        HWND control = CreateWindowExW(
            0, L"STATIC", Utf8ToWide(label->Caption).c_str(),
            WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, Pixels(label->Left, dpi.X),
            Pixels(label->Top, dpi.Y), Pixels(label->Width, dpi.X), Pixels(label->Height, dpi.Y),
            window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(label->Bold ? bold_ : regular_),
                     FALSE);
    }
    const internal::SplashControl& holder = internal::kSplashPicture1;
    CreateWindowExW(0, kPictureClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                    Pixels(holder.Left, dpi.X), Pixels(holder.Top, dpi.Y),
                    Pixels(holder.Width, dpi.X), Pixels(holder.Height, dpi.Y), window_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SPLASH_PICTURE1)), instance,
                    nullptr);
}

Win32SplashForm::~Win32SplashForm() {
    // Closing the form destroys its controls and the bars on Picture1.
    if (window_) DestroyWindow(window_);
    if (regular_) DeleteObject(regular_);
    if (bold_) DeleteObject(bold_);
    if (background_) DeleteObject(background_);
    // The classes go with the last form, so that a library loaded again
    // registers its own procedures.
    UnregisterClassW(kPictureClass, OwnModule());
    UnregisterClassW(kFormClass, OwnModule());
}

void Win32SplashForm::Load() {
    // Shown without blocking the caller, then its messages run.
    if (!window_) return;
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    CurrentUiHost()->DoEvents();
}

HWND Win32SplashForm::Control(int index) const {
    return window_ ? GetDlgItem(window_, IDC_SPLASH_LABEL4 + index) : nullptr;
}

void Win32SplashForm::SetCaption(int index, const std::string& caption) {
    HWND label = Control(index);
    if (!label) return;
    SetWindowTextW(label, Utf8ToWide(caption).c_str());
    // The label draws no background: the picture under the old text is drawn
    // first, then the new text over it.
    RECT place{};
    GetWindowRect(label, &place);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&place), 2);
    RedrawWindow(window_, &place, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_ERASENOW | RDW_UPDATENOW);
}

LRESULT CALLBACK Win32SplashForm::Procedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    auto* form = reinterpret_cast<Win32SplashForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form && form->window_ == window) return form->Handle(window, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32SplashForm::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: {
            HDC target = reinterpret_cast<HDC>(wParam);
            RECT client{};
            GetClientRect(window, &client);
            FillRect(target, &client, GetSysColorBrush(COLOR_BTNFACE));
            if (HDC source = CreateCompatibleDC(target)) {
                HGDIOBJ old = SelectObject(source, background_);
                BitBlt(target, 0, 0, internal::kSplashPictureWidth, internal::kSplashPictureHeight,
                       source, 0, 0, SRCCOPY);
                SelectObject(source, old);
                DeleteDC(source);
            }
            return 1;
        }
        case WM_CTLCOLORSTATIC: {
            // The labels: navy text, the picture showing through.
            HDC target = reinterpret_cast<HDC>(wParam);
            SetTextColor(target, Colour(internal::kSplashTextColour));
            SetBkMode(target, TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        }
        case WM_LBUTTONDBLCLK:
            // Whatever goes wrong here ends the handler quietly.
            internal::StartQuvexIfPresent();
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) {
                static thread_local bool inside = false;
                if (!inside) {
                    inside = true;
                    CurrentUiHost()->DoEvents();
                    inside = false;
                }
            }
            break;
        case WM_NCDESTROY:
            // Closed from outside (Alt+F4): the next touch loads a new form.
            window_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace vendral::detail
