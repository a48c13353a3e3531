// CProgressBar of vendral.dll under Wine, created by its ProgID and driven
// once late-bound and once early-bound, on a window of ours (SethWndParent)
// and on a form object of ours (Parent, serving hWnd and Width through
// IDispatch). What each call did is read back from the real bar window: its
// class and parent, style bits, rectangle, position and colours. Prints one
// line per check and "SENTINEL ..." at its end; exits 1 when any check failed.
//   progress_bar_client.exe [--show]
// With --show the program ends by showing a window with two coloured bars
// until that window is closed (for a screenshot).
#include <ole2.h>
#include <oleauto.h>
#include <windows.h>
// The progress bar's messages and styles build on windows.h.
#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>

#include "checks.h"
#include "form_object.h"
#include "progress_bar_bindings.h"

namespace {

using checks::Check;
using progress_tests::Bar;
using progress_tests::CreateArguments;
using progress_tests::FormObject;
using progress_tests::Value;

constexpr HRESULT kDivisionByZero = static_cast<HRESULT>(0x800A000B);
constexpr wchar_t kWindowClass[] = L"VendralProgressHost";

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY && GetPropW(window, L"QuitOnClose")) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

// A top-level window of ours that the bars go on; destroyed at the end.
struct HostWindow {
    HWND Handle;
    HostWindow(const wchar_t* title, int x, int y, int width, int height) {
        Handle =
            CreateWindowExW(0, kWindowClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, width,
                            height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~HostWindow() {
        if (IsWindow(Handle)) DestroyWindow(Handle);
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
};

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

HWND AsWindow(long handle) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
}

std::string Hex(unsigned long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", value);
    return text;
}

// The progress bar windows directly under parent, counted.
int BarsUnder(HWND parent) {
    int count = 0;
    for (HWND child = FindWindowExW(parent, nullptr, L"msctls_progress32", nullptr); child;
         child = FindWindowExW(parent, child, L"msctls_progress32", nullptr))
        ++count;
    return count;
}

// A window's rectangle in its parent's client coordinates.
RECT PlaceInParent(HWND window) {
    RECT frame{};
    GetWindowRect(window, &frame);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&frame), 2);
    return frame;
}

std::string Rectangle(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") " +
           std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top);
}

long Position(HWND bar) {
    return static_cast<long>(SendMessageW(bar, PBM_GETPOS, 0, 0));
}

// Raises first to last, one item at a time.
void RaiseAll(Bar& bar, long first, long last) {
    for (long n = first; n <= last; ++n) bar.Put("Raise", Value(n));
}

bool MadeBar(Bar& bar, const CreateArguments& args) {
    Value made;
    return SUCCEEDED(bar.Create(args, &made)) && made.v.vt == VT_BOOL &&
           made.v.boolVal == VARIANT_TRUE;
}

// Creation on a window given by handle: the whole window rectangle's size from
// the client area's top-left corner, whatever the four values say.
void OnWindowHandle(Bar& bar, const std::string& on) {
    HostWindow host(L"Vendral progress on a window", 40, 40, 300, 120);
    RECT frame{};
    GetWindowRect(host.Handle, &frame);
    bar.Put("SethWndParent", Value(static_cast<long>(reinterpret_cast<INT_PTR>(host.Handle))));
    Check(
        on + "SethWndParent reads back",
        bar.GetLong("SethWndParent") == static_cast<long>(reinterpret_cast<INT_PTR>(host.Handle)));
    bool made = MadeBar(bar, {10, 20, 30, 40, true});
    HWND handle = AsWindow(bar.GetLong("ProgBarHwnd"));
    HWND found = FindWindowExW(host.Handle, nullptr, L"msctls_progress32", nullptr);
    Check(on + "Create on SethWndParent gives true", made);
    Check(
        on + "ProgBarHwnd is the msctls_progress32 window under the parent",
        handle != nullptr && found == handle && GetParent(handle) == host.Handle,
        Hex(reinterpret_cast<INT_PTR>(handle)) + " found " + Hex(reinterpret_cast<INT_PTR>(found)));
    RECT place = PlaceInParent(handle);
    RECT expected{0, 0, frame.right - frame.left, frame.bottom - frame.top};
    Check(on + "the four values are ignored: the window rectangle's size at (0, 0)",
          EqualRect(&place, &expected), Rectangle(place) + ", expected " + Rectangle(expected));
    auto style = static_cast<DWORD>(GetWindowLongW(handle, GWL_STYLE));
    Check(on + "child, visible and smooth",
          (style & (WS_CHILD | WS_VISIBLE | PBS_SMOOTH)) == (WS_CHILD | WS_VISIBLE | PBS_SMOOTH),
          Hex(style));
    Check(on + "horizontal unless asked", (style & PBS_VERTICAL) == 0, Hex(style));
    RECT client{};
    GetClientRect(handle, &client);
    Check(on + "the client rectangle lies inside the bar",
          client.right > 0 && client.bottom > 0 && client.right <= expected.right &&
              client.bottom <= expected.bottom,
          Rectangle(client));

    // Released objects leave their bars to the parent.
    bar.Put("SethWndParent", Value(0L));
    Check(on + "with neither parent Create gives false", !MadeBar(bar, {}));
    Check(on + "and makes no window", BarsUnder(host.Handle) == 1);
    Check(on + "ProgBarHwnd stays the last bar's", AsWindow(bar.GetLong("ProgBarHwnd")) == handle);

    bar.Method("DestroyProgBar", {}, nullptr);
    Check(on + "DestroyProgBar destroys the window",
          !IsWindow(handle) && BarsUnder(host.Handle) == 0);
    Check(on + "DestroyProgBar keeps ProgBarHwnd", AsWindow(bar.GetLong("ProgBarHwnd")) == handle);
    Check(on + "DestroyProgBar again is no error",
          SUCCEEDED(bar.Method("DestroyProgBar", {}, nullptr)));
}

// Creation on a form object: its Width in twips gives the default width.
void OnParentObject(Bar& bar, const std::string& on) {
    HostWindow host(L"Vendral progress on a form", 360, 40, 400, 300);
    FormObject form(host.Handle, 2175.0f);
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    Check("the screen has 15 twips per pixel (96 dots per inch)", dpi == 96, std::to_string(dpi));

    Check(on + "Parent is set", SUCCEEDED(bar.PutParent(&form)));
    {
        Value parent;
        bar.Get("Parent", &parent);
        Check(on + "Parent reads back the form object",
              parent.v.vt == VT_DISPATCH && parent.v.pdispVal == static_cast<IDispatch*>(&form));
    }
    Check(on + "Create on Parent with no arguments gives true", MadeBar(bar, {}));
    HWND handle = AsWindow(bar.GetLong("ProgBarHwnd"));
    Check(on + "the bar is the msctls_progress32 window under the form's hWnd",
          handle && FindWindowExW(host.Handle, nullptr, L"msctls_progress32", nullptr) == handle &&
              GetParent(handle) == host.Handle);
    RECT place = PlaceInParent(handle);
    RECT expected{0, 0, 145, 20};
    Check(on + "a form 2175 twips wide gives a bar of 145 x 20 pixels at (0, 0)",
          EqualRect(&place, &expected), Rectangle(place));
    Check(on + "hWnd and Width were read through the form's IDispatch",
          form.HandleReads() >= 1 && form.WidthReads() >= 1,
          std::to_string(form.HandleReads()) + " and " + std::to_string(form.WidthReads()));
    auto style = static_cast<DWORD>(GetWindowLongW(handle, GWL_STYLE));
    Check(on + "child and visible, not smooth, not vertical",
          (style & (WS_CHILD | WS_VISIBLE)) == (WS_CHILD | WS_VISIBLE) &&
              (style & (PBS_SMOOTH | PBS_VERTICAL)) == 0,
          Hex(style));

    // Given values, in pixels of the client area; Width given, it is not read.
    int widthReads = form.WidthReads();
    bar.Method("SetProgVert", {Value::Boolean(true)}, nullptr);
    Check(on + "SetProgVert after Create leaves the bar as it is",
          (static_cast<DWORD>(GetWindowLongW(handle, GWL_STYLE)) & PBS_VERTICAL) == 0);
    Check(on + "Create at (10, 30), 40 x 120, smooth", MadeBar(bar, {10, 30, 40, 120, true}));
    HWND second = AsWindow(bar.GetLong("ProgBarHwnd"));
    place = PlaceInParent(second);
    expected = RECT{10, 30, 50, 150};
    Check(on + "the second bar is where it was asked", EqualRect(&place, &expected),
          Rectangle(place));
    Check(on + "a given Width is not read from the form", form.WidthReads() == widthReads);
    style = static_cast<DWORD>(GetWindowLongW(second, GWL_STYLE));
    Check(on + "the second bar is vertical and smooth",
          (style & (PBS_VERTICAL | PBS_SMOOTH)) == (PBS_VERTICAL | PBS_SMOOTH), Hex(style));
    Check(on + "a second Create leaves the first bar on its parent",
          second != handle && IsWindow(handle) && BarsUnder(host.Handle) == 2);

    // Colours go to the bar of the last Create.
    bar.Method("SetBarColor", {Value(0x000000FFL)}, nullptr);
    bar.Method("SetBackColor", {Value(0x0000FF00L)}, nullptr);
    Check(on + "the bar colour is sent to the bar",
          SendMessageW(second, PBM_GETBARCOLOR, 0, 0) == 0x000000FF,
          Hex(static_cast<unsigned long>(SendMessageW(second, PBM_GETBARCOLOR, 0, 0))));
    Check(on + "the background colour is sent to the bar",
          SendMessageW(second, PBM_GETBKCOLOR, 0, 0) == 0x0000FF00,
          Hex(static_cast<unsigned long>(SendMessageW(second, PBM_GETBKCOLOR, 0, 0))));
    Check(on + "the first bar keeps its colours",
          SendMessageW(handle, PBM_GETBARCOLOR, 0, 0) != 0x000000FF);
    bar.Method("SetProgVert", {Value::Boolean(false)}, nullptr);

    // Setting Parent to Nothing lets the form go.
    bar.PutParent(nullptr);
    Check(on + "Parent set to Nothing releases the form", form.References() == 1,
          std::to_string(form.References()));
    Check(on + "without a parent Create gives false", !MadeBar(bar, {}));
}

// Counting mode and direct positioning, read back with PBM_GETPOS.
void Counting(Bar& bar, const std::string& on, HWND window) {
    HWND handle = FindWindowExW(window, nullptr, L"msctls_progress32", nullptr);
    Check(on + "a bar to count on", handle && AsWindow(bar.GetLong("ProgBarHwnd")) == handle);

    bar.Put("MaxValue", Value(10L));
    Check(on + "MaxValue reads back", bar.GetLong("MaxValue") == 10);
    bool tens = true;
    std::string shown;
    for (long n = 1; n <= 10; ++n) {
        bar.Put("Raise", Value(n));
        shown += std::to_string(Position(handle)) + " ";
        tens = tens && Position(handle) == 10 * n;
    }
    Check(on + "MaxValue 10: Raise 1 to 10 shows 10, 20, ... 100", tens, shown);
    bar.Put("Raise", Value(0L));
    Check(on + "Raise 0 changes nothing", Position(handle) == 100);

    bar.Method("ClearProgBar", {}, nullptr);
    Check(on + "ClearProgBar shows 0", Position(handle) == 0);
    bar.Put("MaxValue", Value(5000L));
    RaiseAll(bar, 1, 49);
    Check(on + "MaxValue 5000: Raise 1 to 49 change nothing", Position(handle) == 0);
    bar.Put("Raise", Value(50L));
    Check(on + "MaxValue 5000: 50 shows 1", Position(handle) == 1);
    bar.Method("SetProgBarPos", {Value(70L)}, nullptr);
    Check(on + "SetProgBarPos 70 shows 70", Position(handle) == 70);
    RaiseAll(bar, 51, 100);
    Check(on + "after SetProgBarPos, 100 shows the counter's 2, not 71", Position(handle) == 2,
          std::to_string(Position(handle)));
    RaiseAll(bar, 101, 5000);
    Check(on + "MaxValue 5000: 5000 shows 100", Position(handle) == 100,
          std::to_string(Position(handle)));

    bar.Put("MaxValue", Value(20000L));
    RaiseAll(bar, 1, 20000);
    Check(on + "MaxValue 20000: after 1 to 20000 the bar shows 10", Position(handle) == 10,
          std::to_string(Position(handle)));

    bar.Put("MaxValue", Value(120L));
    RaiseAll(bar, 1, 10);
    Check(on + "MaxValue 120: the tenth Raise shows 100", Position(handle) == 100);
    RaiseAll(bar, 11, 12);
    Check(on + "MaxValue 120: later raises stay full", Position(handle) == 100);

    bar.Put("MaxValue", Value(5000L));
    RaiseAll(bar, 1, 150);
    bar.Put("StepValue", Value(3L));
    bar.Put("Raise", Value(3L));
    Check(on + "StepValue 3 starts the counter again from 0", Position(handle) == 1,
          std::to_string(Position(handle)));
    bar.Put("Raise", Value(4L));
    Check(on + "StepValue 3: 4 is off a step", Position(handle) == 1);

    bar.Put("MaxValue", Value(30L));
    HRESULT hr = bar.Put("Raise", Value(30L));
    Check(on + "a step of 0 (MaxValue 30): Raise gives error 11",
          FAILED(hr) && bar.LastError() == kDivisionByZero, Hex(hr) + " " + Hex(bar.LastError()));
    Check(on + "the failed Raise changes nothing", Position(handle) == 1);
    Check(on + "Raise 0 with a step of 0 is no error", SUCCEEDED(bar.Put("Raise", Value(0L))));
    Check(on + "DelayProgBar 1 returns",
          SUCCEEDED(bar.Method("DelayProgBar", {Value(1L)}, nullptr)));
}

// A new object before any MaxValue or StepValue: Raise gives error 11.
void FreshObjectRaise(Bar& bar, const std::string& on) {
    HRESULT hr = bar.Put("Raise", Value(1L));
    Check(on + "Raise before MaxValue gives error 11",
          FAILED(hr) && bar.LastError() == kDivisionByZero, Hex(hr) + " " + Hex(bar.LastError()));
    Check(on + "ProgBarHwnd is 0 before Create", bar.GetLong("ProgBarHwnd") == 0);
    Check(on + "SethWndParent is 0 at first", bar.GetLong("SethWndParent") == 0);
    Check(on + "messages before Create are no error",
          SUCCEEDED(bar.Method("SetProgBarPos", {Value(5L)}, nullptr)) &&
              SUCCEEDED(bar.Method("ClearProgBar", {}, nullptr)) &&
              SUCCEEDED(bar.Method("SetBarColor", {Value(255L)}, nullptr)));
}

std::unique_ptr<Bar> NewBar(bool early) {
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(L"Vendral.CProgressBar", &clsid))) return nullptr;
    if (early) {
        _CProgressBar* entries = nullptr;
        if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER,
                                    vendral::IID__CProgressBar,
                                    reinterpret_cast<void**>(&entries))))
            return nullptr;
        return std::make_unique<progress_tests::EarlyBoundBar>(entries);
    }
    IDispatch* object = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&object))))
        return nullptr;
    return std::make_unique<progress_tests::LateBoundBar>(object);
}

void Suite(bool early) {
    std::string on = std::string(early ? "early-bound" : "late-bound") + ": ";
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(L"Vendral.CProgressBar", &clsid);
    Check(on + "Vendral.CProgressBar is registered",
          SUCCEEDED(hr) && clsid == vendral::CLSID_CProgressBar, Hex(hr));
    std::unique_ptr<Bar> bar = NewBar(early);
    Check(on + "CProgressBar is created by its ProgID", bar != nullptr);
    if (!bar) return;
    FreshObjectRaise(*bar, on);
    OnWindowHandle(*bar, on);
    OnParentObject(*bar, on);

    HostWindow host(L"Vendral progress counting", 40, 200, 300, 100);
    bar->Put("SethWndParent", Value(static_cast<long>(reinterpret_cast<INT_PTR>(host.Handle))));
    MadeBar(*bar, {});
    HWND counted = AsWindow(bar->GetLong("ProgBarHwnd"));
    Counting(*bar, on, host.Handle);
    bar.reset();
    Check(on + "releasing the object leaves the bar on its window", IsWindow(counted));
    PumpMessages();
}

// Two coloured bars on a window until it is closed, for a screenshot.
int Show() {
    std::unique_ptr<Bar> bar = NewBar(false);
    if (!bar) return 1;
    HWND window =
        CreateWindowExW(0, kWindowClass, L"Vendral progress bar", WS_OVERLAPPEDWINDOW, 50, 50, 420,
                        200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetPropW(window, L"QuitOnClose", reinterpret_cast<HANDLE>(1));
    ShowWindow(window, SW_SHOWNORMAL);
    FormObject form(window, 6000.0f);
    bar->PutParent(&form);
    MadeBar(*bar, {20, 20, 360, 30, true});
    bar->Method("SetBarColor", {Value(0x000000FFL)}, nullptr);
    bar->Method("SetBackColor", {Value(0x00FFFF00L)}, nullptr);
    bar->Method("SetProgBarPos", {Value(60L)}, nullptr);
    MadeBar(*bar, {20, 70, 360, 30});
    bar->Put("MaxValue", Value(10L));
    RaiseAll(*bar, 1, 4);
    std::printf("SHOWING\n");
    std::fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    bar->PutParent(nullptr);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (FAILED(CoInitialize(nullptr))) return 2;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&windowClass);
    if (argc > 1 && std::string(argv[1]) == "--show") {
        int status = Show();
        CoUninitialize();
        return status;
    }
    Suite(false);
    Suite(true);
    CoUninitialize();
    return checks::Finish("progress_bar_client");
}
