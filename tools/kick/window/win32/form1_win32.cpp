// Prodwell's window on Windows' own controls: draws Form1, reports Command1's
// click to the presenter and shows its boxes through the system.
#include <windows.h>

#include <exception>
#include <memory>
#include <string>

#include "form1_presenter.h"
#include "form1_view.h"
#include "window/run_window.h"
#include "window/win32/form1_ids.h"
#include "window/win32/form1_layout.h"

namespace vendral::kick {
namespace {

using namespace win32;

std::wstring ToWide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0)),
        L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string ToUtf8(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    std::string utf8(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), size,
                                                                  nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), static_cast<int>(utf8.size()),
                        nullptr, nullptr);
    return utf8;
}

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

struct WindowDestroyer {
    void operator()(HWND window) const {
        if (IsWindow(window)) DestroyWindow(window);
    }
};
using Window = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

// The font of the system's message boxes and dialogs.
Font MessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return {};
    return Font(CreateFontIndirectW(&metrics.lfMessageFont));
}

struct ControlKind {
    int Id;
    Form1Item Item;
    const wchar_t* Class;
    DWORD Style;
    DWORD ExStyle;
};

constexpr ControlKind kControls[] = {
    {kLabel1Id, Form1Item::Label1, L"STATIC", SS_LEFT, 0},
    {kTxtAssociateId, Form1Item::TxtAssociate, L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP,
     WS_EX_CLIENTEDGE},
    {kLabel4Id, Form1Item::Label4, L"STATIC", SS_LEFTNOWORDWRAP, 0},
    {kLabel2Id, Form1Item::Label2, L"STATIC", SS_LEFT, 0},
    {kTxtKickDateId, Form1Item::TxtKickDate, L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP,
     WS_EX_CLIENTEDGE},
    {kCheck1Id, Form1Item::Check1, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 0},
    {kCommand1Id, Form1Item::Command1, L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0},
    {kLabel3Id, Form1Item::Label3, L"STATIC", SS_LEFT, 0},
};

int IdOf(Form1Item item) {
    for (const ControlKind& control : kControls)
        if (control.Item == item) return control.Id;
    return 0;
}

class Win32Form1 final : private Form1View {
  public:
    Win32Form1(const std::string& settingsFile) : presenter_(*this, settingsFile) {}

    // Creates the window with its texts; false when the system gave none.
    bool Create() {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &Win32Form1::Procedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        windowClass.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kForm1Class;
        RegisterClassExW(&windowClass);

        HDC screen = GetDC(nullptr);
        dpiX_ = GetDeviceCaps(screen, LOGPIXELSX);
        dpiY_ = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);

        constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        RECT frame{0, 0, TwipsToPixels(kForm1ClientWidth, dpiX_),
                   TwipsToPixels(kForm1ClientHeight, dpiY_)};
        AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
        window_.reset(CreateWindowExW(0, kForm1Class, L"", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                      frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                      nullptr, instance, this));
        if (!window_) return false;
        font_ = MessageFont();
        for (const TwipRect& place : kForm1Layout) {
            const ControlKind* kind = nullptr;
            for (const ControlKind& control : kControls)
                if (control.Id == place.Id) kind = &control;
            HWND control = CreateWindowExW(
                kind->ExStyle, kind->Class, L"", WS_CHILD | WS_VISIBLE | kind->Style,
                TwipsToPixels(place.Left, dpiX_), TwipsToPixels(place.Top, dpiY_),
                TwipsToPixels(place.Width, dpiX_), TwipsToPixels(place.Height, dpiY_),
                window_.get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.Id)), instance,
                nullptr);
            if (font_)
                SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        }
        presenter_.ShowTexts();
        return true;
    }

    void Load(const DatabaseFactory& makeDatabase) {
        ShowWindow(window_.get(), SW_SHOWNORMAL);
        UpdateWindow(window_.get());
        presenter_.Load(makeDatabase);
    }

    // Until the window is closed; Tab and the arrow keys move between controls.
    int MessageLoop() {
        MSG message;
        BOOL got;
        while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
            if (got == -1) return 1;
            if (window_ && IsDialogMessageW(window_.get(), &message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        return static_cast<int>(message.wParam);
    }

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<Win32Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self) return self->Handle(window, message, wParam, lParam);
        return DefWindowProcW(window, message, wParam, lParam);
    }

    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_COMMAND:
                if (LOWORD(wParam) == kCommand1Id && HIWORD(wParam) == BN_CLICKED) {
                    Click();
                    return 0;
                }
                break;
            case WM_CTLCOLORSTATIC:
                // The hint in gray, as secondary text.
                if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == kLabel4Id) {
                    auto dc = reinterpret_cast<HDC>(wParam);
                    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
                    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
                }
                break;
            case WM_ACTIVATE:
                // As a dialog does: the control that had the focus gets it
                // back when the window is active again.
                if (LOWORD(wParam) == WA_INACTIVE) {
                    HWND focused = GetFocus();
                    if (focused && IsChild(window, focused)) focused_ = focused;
                } else if (!IsIconic(window)) {
                    SetFocus(focused_ && IsWindow(focused_) ? focused_
                                                            : Control(Form1Item::TxtAssociate));
                }
                return 0;
            case WM_CLOSE:
                // The run holds the window's controls: it is closed when the
                // run is over.
                if (presenter_.Running()) {
                    closeAfterRun_ = true;
                    return 0;
                }
                break;
            case WM_DESTROY:
                SetWindowLongPtrW(window, GWLP_USERDATA, 0);
                window_.release();
                PostQuitMessage(0);
                return 0;
            default:
                break;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    void Click() {
        try {
            presenter_.Command1_Click();
        } catch (const std::exception& error) {
            // Nothing may leave a window procedure.
            ShowBox(Form1Box::Error, "Error", error.what());
        } catch (...) {
            ShowBox(Form1Box::Error, "Error", "The kick stopped.");
        }
        if (closeAfterRun_ && window_) DestroyWindow(window_.get());
    }

    HWND Control(Form1Item item) const {
        return item == Form1Item::Form1 ? window_.get() : GetDlgItem(window_.get(), IdOf(item));
    }

    void SetText(Form1Item item, const std::string& text) override {
        SetWindowTextW(Control(item), ToWide(text).c_str());
    }

    std::string Text(Form1Item item) const override {
        HWND control = Control(item);
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
        return ToUtf8(text);
    }

    Form1Check Check1Value() const override {
        switch (SendMessageW(Control(Form1Item::Check1), BM_GETCHECK, 0, 0)) {
            case BST_CHECKED:
                return Form1Check::Checked;
            case BST_INDETERMINATE:
                return Form1Check::Grey;
            default:
                return Form1Check::Unchecked;
        }
    }

    void Focus(Form1Item item) override {
        HWND control = Control(item);
        focused_ = control;
        SetFocus(control);
        if (item == Form1Item::TxtAssociate || item == Form1Item::TxtKickDate)
            SendMessageW(control, EM_SETSEL, 0, -1);
    }

    void Repaint(Form1Item item) override {
        HWND control = Control(item);
        InvalidateRect(control, nullptr, TRUE);
        UpdateWindow(control);
    }

    void ShowBox(Form1Box kind, const std::string& title, const std::string& text) override {
        const UINT icon = kind == Form1Box::Error ? MB_ICONEXCLAMATION : 0;
        MessageBoxW(window_.get(), ToWide(text).c_str(), ToWide(title).c_str(), MB_OK | icon);
    }

    Window window_;
    Font font_;
    int dpiX_ = 96;
    int dpiY_ = 96;
    bool closeAfterRun_ = false;
    HWND focused_ = nullptr;
    Form1Presenter presenter_;
};

}  // namespace

int RunWindow(int& /*argc*/, char** /*argv*/, const std::string& settingsFile,
              const DatabaseFactory& makeDatabase) {
    Win32Form1 form(settingsFile);
    if (!form.Create()) return 1;
    try {
        form.Load(makeDatabase);
    } catch (const std::exception& error) {
        // The class could not be created (a registration whose library is
        // gone, for instance): there is no window to work in.
        MessageBoxW(nullptr, ToWide(error.what()).c_str(), L"Error", MB_OK | MB_ICONEXCLAMATION);
        return 1;
    }
    return form.MessageLoop();
}

}  // namespace vendral::kick
