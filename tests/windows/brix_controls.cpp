// The labelled text box and combo box of vendral.dll on a window of ours,
// once made through their C++ classes and once placed by window class name,
// driven by real clicks and typing: the program prints "CLICK X Y" and
// "TYPE TITLE|TEXT", and scripts/wine-tests.sh does them with xdotool. What
// the controls show is read back through the system's window calls and the
// pixels of the window; "SHOT NAME" asks for a screenshot, and each "PIXEL
// NAME X Y RRGGBB" line names a colour the shell then finds at that screen
// point of the screenshot.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "checks.h"
#include "dialog_windows.h"
#include "vendral/widgets/win32/brix_combo.h"
#include "vendral/widgets/win32/brix_textbox.h"

namespace {

using checks::Check;

constexpr const wchar_t* kTitle = L"Vendral controls test";
constexpr int kTextBoxId = 100;
constexpr int kPlacedTextBoxId = 101;
constexpr int kComboId = 102;
constexpr int kPlacedComboId = 103;
constexpr int kOtherId = 110;
constexpr int kMarkerId = 111;
// The constituents' child ids inside a control.
constexpr int kTextId = 1;
constexpr int kHintId = 2;
constexpr int kListId = 3;
constexpr int kArrowId = 4;

constexpr COLORREF kWhite = 0x00FFFFFF;
constexpr COLORREF kLightGrey = 0x00E0E0E0;
constexpr COLORREF kGrey = 0x00808080;
constexpr COLORREF kRed = 0x000000FF;
constexpr COLORREF kListFrame = 0x00FFC0C0;

// What the main window heard: EN_CHANGE per control id and the marker's clicks.
struct Heard {
    int placedTextBoxChanges = 0;
    int placedComboChanges = 0;
    int markerClicks = 0;
};
Heard heard;

LRESULT CALLBACK MainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        if (LOWORD(wParam) == kPlacedTextBoxId && HIWORD(wParam) == EN_CHANGE)
            ++heard.placedTextBoxChanges;
        if (LOWORD(wParam) == kPlacedComboId && HIWORD(wParam) == EN_CHANGE)
            ++heard.placedComboChanges;
        if (LOWORD(wParam) == kMarkerId && HIWORD(wParam) == STN_CLICKED) ++heard.markerClicks;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class ChangeCounter : public vendral::BrixFieldEvents {
  public:
    void Change(vendral::BrixHintField& /*field*/) override { ++changes; }
    int changes = 0;
};

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Runs the window's messages until done() holds (a minute at most, for a
// request the shell never does).
bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 1200; ++i) {
        Pump();
        if (done()) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    Pump();
    return done();
}

void Request(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

POINT ScreenPoint(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    return point;
}

void Click(HWND window, int x, int y) {
    const POINT point = ScreenPoint(window, x, y);
    Request("CLICK " + std::to_string(point.x) + " " + std::to_string(point.y));
}

void ClickMiddle(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    Click(window, rect.right / 2, rect.bottom / 2);
}

HWND main_window = nullptr;
HWND marker = nullptr;

// Everything asked of the shell before is done once the marker hears the
// click asked now: the shell does the requests in order, and the window's
// input comes in the order it was made.
bool Sync() {
    const int before = heard.markerClicks;
    ClickMiddle(marker);
    return PumpUntil([&] { return heard.markerClicks > before; });
}

void Type(const std::string& text) {
    Request("TYPE " + checks::Utf8(kTitle) + "|" + text);
}

std::wstring Text(HWND window) {
    return checks::WindowText(window);
}

RECT RectIn(HWND window, HWND parent) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int Height(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

int Width(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect.right - rect.left;
}

bool Visible(HWND window) {
    return IsWindowVisible(window) != FALSE;
}

std::string Hex(COLORREF color) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(color), GetGValue(color),
                  GetBValue(color));
    return text;
}

// The colour painted at (x, y) of window's client area.
COLORREF PixelAt(HWND window, int x, int y) {
    RedrawWindow(main_window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    const POINT point = ScreenPoint(window, x, y);
    POINT inMain = point;
    ScreenToClient(main_window, &inMain);
    HDC dc = GetDC(main_window);
    const COLORREF color = GetPixel(dc, inMain.x, inMain.y);
    ReleaseDC(main_window, dc);
    return color;
}

void CheckPixel(const std::string& name, HWND window, int x, int y, COLORREF expected) {
    const COLORREF color = PixelAt(window, x, y);
    Check(name, color == expected,
          "0x" + Hex(color) + " (RGB) where 0x" + Hex(expected) + " is due");
}

// Whether window's client area shows color somewhere (the hint's letters).
bool Shows(HWND window, COLORREF color) {
    RedrawWindow(main_window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    RECT rect = RectIn(window, main_window);
    HDC dc = GetDC(main_window);
    bool found = false;
    for (int y = rect.top; y < rect.bottom && !found; ++y) {
        for (int x = rect.left; x < rect.right && !found; ++x) found = GetPixel(dc, x, y) == color;
    }
    ReleaseDC(main_window, dc);
    return found;
}

// A point of a screenshot and the colour it must have there.
void ShotPixel(const std::string& shot, HWND window, int x, int y, COLORREF expected) {
    const POINT point = ScreenPoint(window, x, y);
    Request("PIXEL " + shot + " " + std::to_string(point.x) + " " + std::to_string(point.y) + " " +
            Hex(expected));
}

void Shot(const std::string& name) {
    Request("SHOT " + name);
    Check(name + " taken before the program goes on", Sync());
}

// The pixel sizes the layout gives at this screen's resolution: each value
// read back after the platform put it on whole pixels.
struct Expected {
    int twipsPerPixel;
    int Pixels(double twips) const { return static_cast<int>(std::lround(twips / twipsPerPixel)); }
    int TextHeight(float points) const { return Pixels(points * 26.25); }
    int ControlHeight(float points, double list = 0) const {
        return Pixels(points + TextHeight(points) * twipsPerPixel + 3 + list);
    }
};

Expected ScreenExpectations() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return {1440 / dpi};
}

HWND Part(HWND control, int id) {
    return GetDlgItem(control, id);
}

void TestTextBox(vendral::BrixTextBox& box, HWND other, const Expected& expected) {
    HWND control = box.hWnd();
    HWND txt = Part(control, kTextId);
    HWND lbl = Part(control, kHintId);
    ChangeCounter counter;
    box.Events(&counter);

    Check("a new text box shows its design text",
          box.Text() == "BrixTextBox" && Text(txt) == L"BrixTextBox", box.Text());
    Check("a new text box is enabled, its text box shown, its hint hidden",
          box.Enabled() && Visible(txt) && !Visible(lbl));
    Check("the text size starts at 8.25 points", box.TextSize() == 8.25F,
          std::to_string(box.TextSize()));
    Check("the edit is 26.25 twips high per point, on whole pixels",
          Height(txt) == expected.TextHeight(8.25F), std::to_string(Height(txt)));
    Check("the edit is as wide as the control", Width(txt) == Width(control),
          std::to_string(Width(txt)) + " of " + std::to_string(Width(control)));
    Check("the control's height is points + the edit's height + 3 twips, on whole pixels",
          Height(control) == expected.ControlHeight(8.25F), std::to_string(Height(control)));

    box.FieldTip("Name");
    Check("FieldTip reads back in brackets", box.FieldTip() == "[Name]", box.FieldTip());
    Check("the hint shows the tip in brackets", Text(lbl) == L"[Name]");
    box.Text("");
    Check("setting Text raises Change", counter.changes == 1, std::to_string(counter.changes));

    // The focus comes by a click and goes by a click on another window.
    ClickMiddle(txt);
    Check("a click gives the text box the focus", PumpUntil([&] { return GetFocus() == txt; }));
    CheckPixel("the text box with the focus is light grey", txt, Width(txt) - 3, Height(txt) / 2,
               kLightGrey);
    ClickMiddle(other);
    Check("a click elsewhere takes the focus away", PumpUntil([&] { return GetFocus() == other; }));
    Check("an empty field with a tip shows its hint in place of the text box when the focus leaves",
          Visible(lbl) && !Visible(txt));
    const int lineY = Height(txt);
    CheckPixel("the underline of an optional field is grey", control, 0, lineY, kGrey);
    CheckPixel("the hint's background is white again", lbl, Width(lbl) - 3, Height(lbl) / 2,
               kWhite);
    Check("the hint's letters are grey", Shows(lbl, kGrey));
    box.Mandatory(true);
    Check("Mandatory reads back", box.Mandatory());
    CheckPixel("the underline of a mandatory field is red", control, 0, lineY, kRed);
    Check("the hint's letters of a mandatory field are red", Shows(lbl, kRed));
}

void TestTyping(vendral::BrixTextBox& box) {
    HWND control = box.hWnd();
    HWND txt = Part(control, kTextId);
    HWND lbl = Part(control, kHintId);
    ChangeCounter counter;
    box.Events(&counter);

    ClickMiddle(lbl);
    Check("a click on the hint shows the text box with the focus",
          PumpUntil([&] { return GetFocus() == txt; }) && Visible(txt));
    Type("Hello");
    Check("typing done", Sync());
    Check("typed text reads back", box.Text() == "Hello", box.Text());
    Check("each typed letter raises Change", counter.changes == 5, std::to_string(counter.changes));
    CheckPixel("the underline hides once the field is filled", control, 0, Height(txt), kWhite);

    box.MaxLength(8.5F);
    Check("MaxLength is rounded to a whole number, halves to even", box.MaxLength() == 8.0F,
          std::to_string(box.MaxLength()));
    Type(" world");
    Check("typing done", Sync());
    Check("MaxLength refuses the letters beyond it", box.Text() == "Hello wo", box.Text());
    Check("a refused letter raises no Change", counter.changes == 8,
          std::to_string(counter.changes));
    CheckPixel("the text box being edited is light grey", txt, Width(txt) - 3, Height(txt) / 2,
               kLightGrey);
    box.Events(nullptr);
}

void TestPlacedTextBox(HWND placed, const Expected& expected) {
    auto* box = dynamic_cast<vendral::BrixTextBox*>(vendral::BrixHintField::FromWindow(placed));
    Check("a window of class BrixTextBox has its text box object", box != nullptr);
    if (box == nullptr) return;
    HWND txt = Part(placed, kTextId);
    HWND lbl = Part(placed, kHintId);
    Check("the placed text box shows its design text", Text(txt) == L"BrixTextBox");
    Check("the placed text box takes its height from its font",
          Height(placed) == expected.ControlHeight(8.25F), std::to_string(Height(placed)));
    const int before = heard.placedTextBoxChanges;
    SetWindowTextW(placed, L"");
    Check("the window's text is the text box's, and its change reaches the parent as EN_CHANGE",
          Text(txt).empty() && heard.placedTextBoxChanges == before + 1,
          std::to_string(heard.placedTextBoxChanges - before));
    box->FieldTip("Code");
    box->Enabled(true);
    Check("an Enabled assignment shows the hint of the empty field", Visible(lbl) && !Visible(txt));
}

void TestPlacedTyping(HWND placed) {
    HWND txt = Part(placed, kTextId);
    ClickMiddle(Part(placed, kHintId));
    Check("a click on the placed control's hint gives its text box the focus",
          PumpUntil([&] { return GetFocus() == txt; }));
    const int before = heard.placedTextBoxChanges;
    Type("abc");
    Check("typing done", Sync());
    Check("typing into the placed control reads back from its window", Text(placed) == L"abc",
          checks::Utf8(Text(placed)));
    Check("each typed letter reaches the parent as EN_CHANGE",
          heard.placedTextBoxChanges == before + 3,
          std::to_string(heard.placedTextBoxChanges - before));
}

void TestDisabled(vendral::BrixTextBox& box, HWND other, const Expected& expected) {
    HWND control = box.hWnd();
    HWND txt = Part(control, kTextId);
    HWND lbl = Part(control, kHintId);
    ClickMiddle(other);
    Check("the focus leaves", PumpUntil([&] { return GetFocus() == other; }));
    box.Text("   ");
    Check("three blanks count as empty: the underline shows",
          PixelAt(control, 0, Height(txt)) == kRed);
    box.Enabled(false);
    Check("a disabled text box is read-only", (GetWindowLongW(txt, GWL_STYLE) & ES_READONLY) != 0);
    Check("a disabled field shows its text box, not the hint", Visible(txt) && !Visible(lbl));
    CheckPixel("a disabled empty field has no underline", control, 0, Height(txt), kWhite);
    box.Enabled(true);
    Check("enabled again it is editable", (GetWindowLongW(txt, GWL_STYLE) & ES_READONLY) == 0);

    box.TextSize(12);
    Check("TextSize reads back the size set", box.TextSize() == 12.0F,
          std::to_string(box.TextSize()));
    Check("at 12 points the edit is 315 twips high, on whole pixels",
          Height(txt) == expected.TextHeight(12), std::to_string(Height(txt)));
    Check("and the control grows with it", Height(control) == expected.ControlHeight(12),
          std::to_string(Height(control)));
    Check("the hint takes the edit's place and size", Height(lbl) == Height(txt));
}

// Clicks on the arrow and waits for the list to be open or closed.
bool ClickArrow(vendral::BrixCombo& combo, bool open) {
    ClickMiddle(Part(combo.hWnd(), kArrowId));
    return PumpUntil([&] { return combo.ListOpen() == open; });
}

void ClickEntry(HWND list, int index) {
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    Click(list, (item.left + item.right) / 2, (item.top + item.bottom) / 2);
}

void TestCombo(vendral::BrixCombo& combo, HWND other, const Expected& expected) {
    HWND control = combo.hWnd();
    HWND txt = Part(control, kTextId);
    HWND lbl = Part(control, kHintId);
    HWND lst = Part(control, kListId);
    HWND img = Part(control, kArrowId);
    ChangeCounter counter;
    combo.Events(&counter);

    Check("a new combo box shows its design text", Text(txt) == L"BrixCombo");
    Check("before any choice Text, ListIndex and itemdata are empty and 0",
          combo.Text().empty() && combo.ListIndex() == 0 && combo.itemdata() == 0);
    Check("a new combo box holds the six design entries",
          SendMessageW(lst, LB_GETCOUNT, 0, 0) == 6);
    Check("the list is closed at first", !combo.ListOpen() && !Visible(lst));
    const int closed = expected.ControlHeight(8.25F);
    Check("the closed combo box is one line high", Height(control) == closed,
          std::to_string(Height(control)));
    Check("the text box leaves the arrow's 170 twips",
          Width(txt) == expected.Pixels(Width(control) * expected.twipsPerPixel - 170),
          std::to_string(Width(txt)));
    Check("the arrow is 9 x 15 pixels at the control's width - 130 twips",
          Width(img) == 9 && Height(img) == 15 &&
              RectIn(img, control).left ==
                  expected.Pixels(Width(control) * expected.twipsPerPixel - 130));

    Check("Clear gives true", combo.Clear());
    Check("Clear empties the list and the text box",
          SendMessageW(lst, LB_GETCOUNT, 0, 0) == 0 && Text(txt).empty());
    Check("AddItem gives the new entries' indexes",
          combo.AddItem("Alpha", 17) == 0 && combo.AddItem("Beta", 42) == 1);

    Check("a click on the arrow opens the list", ClickArrow(combo, true));
    const int listHeight = Height(lst);
    Check("the list keeps its design height of 1200 twips", listHeight == expected.Pixels(1200),
          std::to_string(listHeight));
    Check("the open combo box is taller by the list's height - 5 twips",
          Height(control) == expected.ControlHeight(8.25F, listHeight * expected.twipsPerPixel - 5),
          std::to_string(Height(control)) + " from " + std::to_string(closed));
    Check("the list lies below the underline, as wide as the control",
          RectIn(lst, control).top == Height(txt) && Width(lst) == Width(control));
    CheckPixel("the list's outline has the frame colour", lst, -1, -1, kListFrame);
    Shot("windows-controls-combo-open");
    ShotPixel("windows-controls-combo-open", lst, -1, -1, kListFrame);

    ClickEntry(lst, 1);
    Check("picking an entry closes the list", PumpUntil([&] { return !combo.ListOpen(); }));
    Check("the chosen entry is taken",
          combo.Text() == "Beta" && combo.ListIndex() == 1 && combo.itemdata() == 42 &&
              Text(txt) == L"Beta",
          combo.Text() + " " + std::to_string(combo.ListIndex()) + " " +
              std::to_string(combo.itemdata()));
    Check("the closed combo box is one line high again", Height(control) == closed,
          std::to_string(Height(control)));
    // Clear emptied the text box, the choice filled it.
    Check("Clear and the choice raised Change once each", counter.changes == 2,
          std::to_string(counter.changes));

    ClickMiddle(txt);
    Check("a click on the text opens the list", PumpUntil([&] { return combo.ListOpen(); }));
    Check("a second click on the arrow closes it", ClickArrow(combo, false));
    Check("closing without picking keeps the choice",
          combo.Text() == "Beta" && combo.ListIndex() == 1 && combo.itemdata() == 42);

    // The focus elsewhere: a text box that has it comes back when hidden.
    ClickMiddle(other);
    Check("the focus leaves", PumpUntil([&] { return GetFocus() == other; }));
    combo.Clear();
    Check("Clear keeps the last choice", combo.Text() == "Beta" && combo.ListIndex() == 1 &&
                                             combo.itemdata() == 42 && Text(txt).empty());
    Check("the emptied list opens", ClickArrow(combo, true));
    Check("and closes", ClickArrow(combo, false));
    Check("an empty text after closing shows the hint even without a tip",
          Visible(lbl) && !Visible(txt));

    combo.Enabled(false);
    Check("a disabled combo box hides its arrow", !Visible(img));
    ClickMiddle(txt);
    Check("clicks done", Sync());
    Check("a click on the text of a disabled combo box opens no list", !combo.ListOpen());
    combo.Enabled(true);
    Check("enabled again it shows its arrow", Visible(img));
    combo.Events(nullptr);
}

void TestPlacedCombo(HWND placed, const Expected& expected) {
    auto* combo = dynamic_cast<vendral::BrixCombo*>(vendral::BrixHintField::FromWindow(placed));
    Check("a window of class BrixCombo has its combo box object", combo != nullptr);
    if (combo == nullptr) return;
    const int closed = Height(placed);
    Check("the placed combo box is one line high", closed == expected.ControlHeight(8.25F),
          std::to_string(closed));
    Check("its arrow opens the list", ClickArrow(*combo, true));
    HWND lst = Part(placed, kListId);
    Check("the placed combo box grows by the list's height - 5 twips",
          Height(placed) == expected.ControlHeight(8.25F, Height(lst) * expected.twipsPerPixel - 5),
          std::to_string(Height(placed)));
    const int before = heard.placedComboChanges;
    ClickEntry(lst, 2);
    Check("picking closes the list", PumpUntil([&] { return !combo->ListOpen(); }));
    Check("the placed combo box takes the entry",
          combo->Text() == "twee" && combo->ListIndex() == 2, combo->Text());
    Check("the choice reaches the parent as EN_CHANGE", heard.placedComboChanges == before + 1,
          std::to_string(heard.placedComboChanges - before));
    Check("the placed combo box shrinks back", Height(placed) == closed);
}

constexpr int kDialogId = 4000;
constexpr int kDialogTextBoxId = 4001;
constexpr int kDialogComboId = 4002;

INT_PTR CALLBACK DialogProcedure(HWND /*dialog*/, UINT message, WPARAM /*wParam*/,
                                 LPARAM /*lParam*/) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// A dialog resource names the classes; the dialog manager makes them.
void TestDialogResource(const Expected& expected) {
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kDialogId),
                                     main_window, DialogProcedure, 0);
    Check("a dialog resource with the controls' classes comes up", dialog != nullptr,
          std::to_string(GetLastError()));
    if (dialog == nullptr) return;
    SetWindowPos(dialog, HWND_TOP, 20, 240, 0, 0, SWP_NOSIZE);
    auto* box = dynamic_cast<vendral::BrixTextBox*>(
        vendral::BrixHintField::FromWindow(GetDlgItem(dialog, kDialogTextBoxId)));
    auto* combo = dynamic_cast<vendral::BrixCombo*>(
        vendral::BrixHintField::FromWindow(GetDlgItem(dialog, kDialogComboId)));
    Check("the dialog's BrixTextBox is a working text box",
          box != nullptr && box->Text() == "BrixTextBox" && box->Enabled() &&
              Height(box->hWnd()) == expected.ControlHeight(8.25F));
    Check("the dialog's BrixCombo is a working combo box",
          combo != nullptr && combo->AddItem("zes", 6) == 6 && !combo->ListOpen() &&
              Height(combo->hWnd()) == expected.ControlHeight(8.25F));
    DestroyWindow(dialog);
}

// What vendral.dll answers a client that frees its unused libraries.
HRESULT LibraryCanUnloadNow() {
    using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
    auto entry = reinterpret_cast<CanUnloadNow>(
        GetProcAddress(GetModuleHandleW(L"vendral.dll"), "DllCanUnloadNow"));
    return entry != nullptr ? entry() : E_NOTIMPL;
}

}  // namespace

int main() {
    const Expected expected = ScreenExpectations();
    Check("vendral.dll may be unloaded while none of its windows lives",
          LibraryCanUnloadNow() == S_OK);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = MainProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VendralControlsTest";
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    RegisterClassW(&windowClass);
    main_window =
        CreateWindowExW(0, L"VendralControlsTest", kTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                        40, 40, 640, 460, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (main_window == nullptr) return 2;

    vendral::BrixTextBox box(main_window, kTextBoxId);
    SetWindowPos(box.hWnd(), nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    vendral::BrixCombo combo(main_window, kComboId);
    SetWindowPos(combo.hWnd(), nullptr, 20, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    // Placed by class name as a dialog resource or any program places them.
    HWND placedBox = CreateWindowExW(0, L"BrixTextBox", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                                     320, 20, 241, 44, main_window,
                                     reinterpret_cast<HMENU>(kPlacedTextBoxId), nullptr, nullptr);
    HWND placedCombo =
        CreateWindowExW(0, L"BrixCombo", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 320, 80, 261, 137,
                        main_window, reinterpret_cast<HMENU>(kPlacedComboId), nullptr, nullptr);
    HWND other =
        CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 20, 380,
                        200, 24, main_window, reinterpret_cast<HMENU>(kOtherId), nullptr, nullptr);
    marker = CreateWindowExW(0, L"STATIC", L"sync", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 520, 380, 60,
                             24, main_window, reinterpret_cast<HMENU>(kMarkerId), nullptr, nullptr);
    Check("CreateWindowExW makes controls of the classes BrixTextBox and BrixCombo",
          placedBox != nullptr && placedCombo != nullptr, std::to_string(GetLastError()));
    Check("vendral.dll stays loaded while its controls' windows live",
          LibraryCanUnloadNow() == S_FALSE);
    ShowWindow(main_window, SW_SHOWNORMAL);
    SetForegroundWindow(main_window);
    Check("the test window comes up",
          PumpUntil([] { return GetForegroundWindow() == main_window; }));

    TestTextBox(box, other, expected);
    if (placedBox != nullptr) TestPlacedTextBox(placedBox, expected);
    Shot("windows-controls-hint");
    HWND lin = box.hWnd();
    ShotPixel("windows-controls-hint", lin, 0, Height(Part(lin, kTextId)), kRed);
    if (placedBox != nullptr)
        ShotPixel("windows-controls-hint", placedBox, 0, Height(Part(placedBox, kTextId)), kGrey);
    ShotPixel("windows-controls-hint", Part(lin, kHintId), Width(Part(lin, kHintId)) - 3, 2,
              kWhite);

    TestTyping(box);
    if (placedBox != nullptr) TestPlacedTyping(placedBox);
    Shot("windows-controls-typed");
    // The placed text box has the focus now, the other one not.
    HWND txt = Part(box.hWnd(), kTextId);
    ShotPixel("windows-controls-typed", txt, Width(txt) - 3, Height(txt) / 2, kWhite);
    if (placedBox != nullptr) {
        HWND placedTxt = Part(placedBox, kTextId);
        ShotPixel("windows-controls-typed", placedTxt, Width(placedTxt) - 3, Height(placedTxt) / 2,
                  kLightGrey);
    }

    TestDisabled(box, other, expected);
    TestCombo(combo, other, expected);
    if (placedCombo != nullptr) TestPlacedCombo(placedCombo, expected);

    TestDialogResource(expected);
    DestroyWindow(main_window);
    Check("vendral.dll may be unloaded again once the controls' windows are gone",
          LibraryCanUnloadNow() == S_OK);
    return checks::Finish("brix_controls");
}
