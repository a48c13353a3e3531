#include "controls/win32/window_classes.h"

#include <cwchar>

#include "base/own_module_windows.h"
#include "com/library_windows.h"
#include "controls/win32/brix_field_parts.h"
#include "controls/win32/window_twips.h"
#include "vendral/platform_error.h"
#include "vendral/widgets/win32/brix_combo.h"
#include "vendral/widgets/win32/brix_textbox.h"

namespace vendral {

// The classes' registration and the objects of windows placed by class name.
struct BrixWindowClasses {
    static void Register() {
        for (const wchar_t* name : {BrixHintField::kTextBoxClass, BrixHintField::kComboClass}) {
            WNDCLASSEXW windowClass{};
            windowClass.cbSize = sizeof windowClass;
            // Global: any module's CreateWindowExW and dialog resources find it.
            windowClass.style = CS_GLOBALCLASS;
            windowClass.lpfnWndProc = BrixHintField::SurfaceProcedure;
            windowClass.cbWndExtra = sizeof(LONG_PTR);
            windowClass.hInstance = detail::OwnModule();
            windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
            windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
            windowClass.lpszClassName = name;
            RegisterClassExW(&windowClass);
        }
    }
    static void Unregister() {
        UnregisterClassW(BrixHintField::kTextBoxClass, detail::OwnModule());
        UnregisterClassW(BrixHintField::kComboClass, detail::OwnModule());
    }
    // The object of a window of ours being created by class name.
    static BrixHintField* Create(HWND window) {
        wchar_t name[32] = {};
        GetClassNameW(window, name, 32);
        if (std::wcscmp(name, BrixHintField::kComboClass) == 0)
            return new BrixCombo(BrixCombo::ByWindow{}, window);
        return new BrixTextBox(BrixTextBox::ByWindow{}, window);
    }
    static const wchar_t* DesignText(HWND window) {
        wchar_t name[32] = {};
        GetClassNameW(window, name, 32);
        return std::wcscmp(name, BrixHintField::kComboClass) == 0 ? L"BrixCombo" : L"BrixTextBox";
    }
};

namespace detail::controls {
namespace {

// Registers the classes when the library loads and removes them when it
// unloads; holds nothing.
class Registration {
  public:
    Registration() { BrixWindowClasses::Register(); }
    ~Registration() { BrixWindowClasses::Unregister(); }
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;
};

const Registration registration;

}  // namespace

}  // namespace detail::controls

namespace {

constexpr const wchar_t* kPartProcedure = L"VendralBrixPartProcedure";

// The object of a control's window; nullptr while none is attached.
BrixHintField* FieldOf(HWND window) {
    return reinterpret_cast<BrixHintField*>(GetWindowLongPtrW(window, 0));
}

}  // namespace

// The control being made by a constructor on this thread, for its window's
// first message.
namespace {
thread_local BrixHintField* constructing = nullptr;
}  // namespace

LRESULT CALLBACK BrixHintField::SurfaceProcedure(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    BrixHintField* field = FieldOf(window);
    // The window procedure is ours: the library stays until the window goes,
    // whether or not an object is attached to it (a C++ object that goes
    // first detaches itself).
    if (message == WM_NCCREATE) internal::CountLibraryWindow(1);
    if (message == WM_NCDESTROY) internal::CountLibraryWindow(-1);
    try {
        if (message == WM_NCCREATE) {
            field = constructing != nullptr ? constructing : BrixWindowClasses::Create(window);
            constructing = nullptr;
            field->parts_->control = window;
            SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(field));
            return DefWindowProcW(window, message, wParam, lParam);
        }
        if (field == nullptr) return DefWindowProcW(window, message, wParam, lParam);
        if (message == WM_CREATE) {
            // A constructor builds its control once the window is there.
            if (field->parts_->ownedByWindow) field->Attach(BrixWindowClasses::DesignText(window));
            return 0;
        }
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(window, 0, 0);
            field->parts_->control = nullptr;
            if (field->parts_->ownedByWindow) delete field;
            return DefWindowProcW(window, message, wParam, lParam);
        }
        return field->Message(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's frames.
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK BrixHintField::PartProcedure(HWND part, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    if (message == WM_NCDESTROY) {
        const auto previous = reinterpret_cast<LONG_PTR>(GetPropW(part, kPartProcedure));
        RemovePropW(part, kPartProcedure);
        SetWindowLongPtrW(part, GWLP_WNDPROC, previous);
        return CallWindowProcW(reinterpret_cast<WNDPROC>(previous), part, message, wParam, lParam);
    }
    if (BrixHintField* field = FieldOf(GetParent(part))) {
        try {
            bool handled = false;
            const LRESULT result = field->PartMessage(part, message, wParam, lParam, handled);
            if (handled) return result;
        } catch (...) {
            // Left to the window below.
        }
    }
    return detail::controls::DefaultPartMessage(part, message, wParam, lParam);
}

void BrixHintField::Watch(HWND part) {
    const LONG_PTR previous =
        SetWindowLongPtrW(part, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PartProcedure));
    SetPropW(part, kPartProcedure, reinterpret_cast<HANDLE>(previous));
}

void BrixHintField::CreateSurface(const wchar_t* className, HWND parent, int id, double widthTwips,
                                  double heightTwips, const wchar_t* designText) {
    constructing = this;
    HWND window = CreateWindowExW(
        WS_EX_CONTROLPARENT, className, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
        detail::controls::TwipsToPixelsX(widthTwips), detail::controls::TwipsToPixelsY(heightTwips),
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), detail::OwnModule(), nullptr);
    constructing = nullptr;
    if (window == nullptr) throw PlatformError(5, "Invalid procedure call or argument");
    Attach(designText);
}

BrixHintField* BrixHintField::FromWindow(HWND window) {
    wchar_t name[32] = {};
    if (window == nullptr || GetClassNameW(window, name, 32) == 0) return nullptr;
    if (std::wcscmp(name, kTextBoxClass) != 0 && std::wcscmp(name, kComboClass) != 0)
        return nullptr;
    return FieldOf(window);
}

namespace detail::controls {

LRESULT DefaultPartMessage(HWND part, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(GetPropW(part, kPartProcedure));
    if (previous == nullptr) return DefWindowProcW(part, message, wParam, lParam);
    return CallWindowProcW(previous, part, message, wParam, lParam);
}

bool ReleaseEndsClick(HWND part, LPARAM lParam, bool& pressed) {
    RECT client{};
    GetClientRect(part, &client);
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    const bool click = pressed && PtInRect(&client, point);
    pressed = false;
    return click;
}

}  // namespace detail::controls

}  // namespace vendral
