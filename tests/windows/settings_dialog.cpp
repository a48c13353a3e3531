// The settings dialog of vendral.dll as a client meets it. "client SCRIPT"
// starts cscript on C:\vendral\SCRIPT (a real VBScript client, blocked in
// ShowODBCSettings or OpenODBC_DB while the dialog is up) and drives each
// showing with real keys and clicks (requests to scripts/wine-tests.sh),
// reading the dialog back through the system's window calls from this
// process. "menu" shows the dialog from a thread of this process, where the
// window's system menu can be read, and tries Alt+F4 and the close box.
#include <windows.h>

#include <array>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "checks.h"
#include "dialog_windows.h"
#include "vendral/cdatabase.h"
#include "vendral/settings.h"

namespace {

using checks::Check;
using checks::Utf8;
using checks::Wide;

// The dialog's controls by their ids: 1100 and up, in this order.
constexpr std::array kControls{"Image2",         "BtnTest",          "BtnSave",
                               "BtnCancel",      "BtnHelp",          "LblVersion",
                               "Label3",         "Label1(0)",        "Label1(6)",
                               "CBCentralDSN",   "TxtPrefixNetwork", "Label1(1)",
                               "CBCentralType",  "Label1(2)",        "Label1(3)",
                               "TxtCentralUID",  "TxtCentralPWD",    "Label1(4)",
                               "Label1(5)",      "TxtCentralServer", "TxtCentralDatabase",
                               "Label2(0)",      "Label1(7)",        "CBLocalDSN",
                               "TxtPrefixLocal", "Label2(1)",        "CBLocalType",
                               "Label2(2)",      "Label2(3)",        "TxtLocalUID",
                               "TxtLocalPWD",    "Label2(4)",        "Label2(5)",
                               "TxtLocalServer", "TxtLocalDatabase"};

// Where each control stands as designed, in twips: left, top, width,
// height, and whether it is inside the frame (at 120, 120).
struct Place {
    const char* Name;
    int Left, Top, Width, Height;
    bool InFrame;
};
constexpr std::array kPlaces{
    Place{"Image2", 4920, 120, 1275, 1110, false},
    Place{"BtnTest", 5040, 1320, 1040, 280, false},
    Place{"BtnSave", 5040, 1680, 1040, 280, false},
    Place{"BtnCancel", 5040, 2040, 1040, 280, false},
    Place{"BtnHelp", 5040, 4800, 1040, 280, false},
    Place{"Label1(0)", 120, 240, 2535, 255, true},
    Place{"Label1(6)", 3120, 240, 1455, 255, true},
    Place{"CBCentralDSN", 120, 480, 2535, 315, true},
    Place{"TxtPrefixNetwork", 3120, 480, 1335, 285, true},
    Place{"Label1(2)", 120, 1440, 735, 255, true},
    Place{"Label1(3)", 2520, 1440, 1935, 255, true},
    Place{"TxtCentralUID", 120, 1680, 1935, 285, true},
    Place{"TxtCentralPWD", 2520, 1680, 1935, 285, true},
    Place{"Label1(4)", 120, 2040, 1575, 255, true},
    Place{"Label1(5)", 2520, 2040, 1335, 255, true},
    Place{"TxtCentralServer", 120, 2280, 1935, 285, true},
    Place{"TxtCentralDatabase", 2520, 2280, 1935, 285, true},
    Place{"Label2(0)", 120, 2640, 2895, 255, true},
    Place{"Label1(7)", 3120, 2640, 1455, 255, true},
    Place{"CBLocalDSN", 120, 2880, 2535, 315, true},
    Place{"TxtPrefixLocal", 3120, 2880, 1335, 285, true},
    Place{"Label2(2)", 120, 3960, 735, 255, true},
    Place{"Label2(3)", 2520, 3960, 1095, 255, true},
    Place{"TxtLocalUID", 120, 4200, 1935, 285, true},
    Place{"TxtLocalPWD", 2400, 4200, 1935, 285, true},
    Place{"Label2(4)", 120, 4560, 1575, 255, true},
    Place{"Label2(5)", 2520, 4560, 1815, 255, true},
    Place{"TxtLocalServer", 120, 4800, 1935, 285, true},
    Place{"TxtLocalDatabase", 2400, 4800, 1935, 285, true},
};

// One showing as the layout table arranges it.
struct Layout {
    const char* Label;
    std::set<std::string> Visible;
    int WindowTwips;
    // Tops that the mode moves (inside the frame).
    std::vector<std::pair<std::string, int>> Moved;
};

const std::set<std::string> kAlwaysShown{"Image2", "BtnTest", "BtnSave", "BtnCancel"};

std::set<std::string> With(std::set<std::string> names) {
    names.insert(kAlwaysShown.begin(), kAlwaysShown.end());
    return names;
}

const Layout kMode3Server{"mode 3 with server fields",
                          With({"Label1(0)", "Label1(6)", "CBCentralDSN",     "TxtPrefixNetwork",
                                "Label1(2)", "Label1(3)", "TxtCentralUID",    "TxtCentralPWD",
                                "Label1(4)", "Label1(5)", "TxtCentralServer", "TxtCentralDatabase",
                                "Label2(0)", "Label1(7)", "CBLocalDSN",       "TxtPrefixLocal",
                                "Label2(2)", "Label2(3)", "TxtLocalUID",      "TxtLocalPWD",
                                "Label2(4)", "Label2(5)", "TxtLocalServer",   "TxtLocalDatabase"}),
                          6150,
                          {}};
const Layout kMode3{
    "mode 3",
    With({"Label1(0)", "Label1(6)", "CBCentralDSN", "TxtPrefixNetwork", "Label1(2)", "Label1(3)",
          "TxtCentralUID", "TxtCentralPWD", "Label2(0)", "Label1(7)", "CBLocalDSN",
          "TxtPrefixLocal", "Label2(2)", "Label2(3)", "TxtLocalUID", "TxtLocalPWD"}),
    6150,
    {}};
const Layout kMode1{"mode 1",
                    With({"Label1(0)", "Label1(6)", "CBCentralDSN", "TxtPrefixNetwork", "Label1(2)",
                          "Label1(3)", "TxtCentralUID", "TxtCentralPWD", "TxtPrefixLocal"}),
                    2850,
                    {}};
// With the help file beside the library: Help below Cancel, inside the window.
const Layout kMode1Server{
    "mode 1 with server fields",
    With({"Label1(0)", "Label1(6)", "CBCentralDSN", "TxtPrefixNetwork", "Label1(2)", "Label1(3)",
          "TxtCentralUID", "TxtCentralPWD", "TxtPrefixLocal", "Label1(4)", "Label1(5)",
          "TxtCentralServer", "TxtCentralDatabase", "BtnHelp"}),
    3240,
    {{"BtnHelp", 2400}}};
const std::vector<std::pair<std::string, int>> kLocalMoved{
    {"Label2(0)", 240},  {"CBLocalDSN", 480},   {"Label2(2)", 1440},
    {"Label2(3)", 1440}, {"TxtLocalUID", 1680}, {"TxtLocalPWD", 1680}};
const Layout kMode2{
    "mode 2",
    With({"Label1(6)", "TxtPrefixNetwork", "Label2(0)", "Label1(7)", "CBLocalDSN", "TxtPrefixLocal",
          "Label2(2)", "Label2(3)", "TxtLocalUID", "TxtLocalPWD"}),
    2850, kLocalMoved};
Layout Mode2Server() {
    Layout layout{"mode 2 with server fields",
                  With({"Label1(6)", "TxtPrefixNetwork", "Label2(0)", "Label1(7)", "CBLocalDSN",
                        "TxtPrefixLocal", "Label2(2)", "Label2(3)", "TxtLocalUID", "TxtLocalPWD",
                        "Label2(4)", "Label2(5)", "TxtLocalServer", "TxtLocalDatabase"}),
                  3240, kLocalMoved};
    for (auto moved : std::vector<std::pair<std::string, int>>{{"Label2(4)", 2040},
                                                               {"Label2(5)", 2040},
                                                               {"TxtLocalServer", 2280},
                                                               {"TxtLocalDatabase", 2280}})
        layout.Moved.push_back(moved);
    return layout;
}

void Request(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stdout, format, arguments);
    va_end(arguments);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Waits for a condition that the requested keys or clicks bring about (a
// minute at most); false when it never held.
bool WaitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 1200; ++i) {
        if (condition()) return true;
        Sleep(50);
    }
    return condition();
}

int Pixels(int twips) {
    return (twips + 7) / 15;
}

HWND FindDialog() {
    HWND window = FindWindowW(L"VendralODBCSettings", L"ODBC Settings");
    return window && IsWindowVisible(window) ? window : nullptr;
}

// The dialog once it is up; a box of the library that comes instead is
// reported and answered.
HWND WaitForDialog() {
    HWND dialog = nullptr;
    HWND box = nullptr;
    WaitFor([&] {
        dialog = FindDialog();
        for (const wchar_t* title : {L"Error", L"Message"}) {
            HWND found = FindWindowW(L"#32770", title);
            if (found && IsWindowVisible(found)) box = found;
        }
        return dialog != nullptr || box != nullptr;
    });
    if (!dialog && box) {
        Check("no box instead of the dialog", false,
              Utf8(checks::WindowText(box)) + ": " + Utf8(checks::BoxText(box)));
        Request("ANSWER Return %s", Utf8(checks::WindowText(box)).c_str());
    }
    return dialog;
}

HWND ControlOf(HWND dialog, const std::string& name) {
    for (std::size_t i = 0; i < kControls.size(); ++i)
        if (name == kControls[i]) return GetDlgItem(dialog, 1100 + static_cast<int>(i));
    return nullptr;
}

std::string TextOf(HWND control) {
    wchar_t text[512] = {};
    SendMessageW(control, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return Utf8(text);
}

std::vector<std::string> ListOf(HWND combo) {
    std::vector<std::string> items;
    const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t item[512] = {};
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
        items.push_back(Utf8(item));
    }
    return items;
}

RECT ClientPlace(HWND dialog, HWND control) {
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
           std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

HWND FocusOf(HWND dialog) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus;
}

void Click(HWND control) {
    RECT place;
    GetWindowRect(control, &place);
    Request("CLICK %ld %ld", (place.left + place.right) / 2, (place.top + place.bottom) / 2);
}

void Key(const char* key) {
    Request("ANSWER %s ODBC Settings", key);
}

// Clicks into a text box, empties it with keys (End, Shift+Home, Backspace)
// and types text key by key.
void TypeInto(HWND dialog, const char* name, const std::string& text) {
    HWND box = ControlOf(dialog, name);
    Click(box);
    WaitFor([&] { return FocusOf(dialog) == box; });
    if (!TextOf(box).empty()) {
        Key("End");
        Key("shift+Home");
        Key("BackSpace");
        WaitFor([&] { return TextOf(box).empty(); });
    }
    if (!text.empty()) Request("TYPE ODBC Settings|%s", text.c_str());
    const bool typed = WaitFor([&] { return TextOf(box) == text; });
    Check(std::string("typed into ") + name, typed, TextOf(box));
}

// Picks a data source with the keyboard: Tab onto the list from the box
// before it, then Home and Down.
void PickDataSource(HWND dialog, const char* list, const char* boxBefore, bool backwards,
                    const std::string& name) {
    HWND combo = ControlOf(dialog, list);
    const std::vector<std::string> items = ListOf(combo);
    int index = -1;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i] == name) index = static_cast<int>(i);
    Check(std::string(list) + " lists " + name, index >= 0);
    if (index < 0) return;
    HWND box = ControlOf(dialog, boxBefore);
    Click(box);
    WaitFor([&] { return FocusOf(dialog) == box; });
    Key(backwards ? "shift+Tab" : "Tab");
    Check(std::string("Tab reaches ") + list + " from " + boxBefore,
          WaitFor([&] { return FocusOf(dialog) == combo; }));
    Key("Home");
    for (int i = 0; i < index; ++i) Key("Down");
    const bool shown = WaitFor([&] { return TextOf(combo) == name; });
    Check(std::string(list) + " shows " + name, shown, TextOf(combo));
}

// A box of the library: its text read, then answered with Return.
void AnswerBox(const wchar_t* title, const std::string& text, bool prefixOnly = false) {
    HWND box = checks::WaitForDialog(title);
    const std::string name = "the " + Utf8(title) + " box '" + text + "'";
    Check(name + " is shown", box != nullptr);
    if (!box) return;
    const std::string shown = Utf8(checks::BoxText(box));
    Check(name + " says so", prefixOnly ? shown.compare(0, text.size(), text) == 0 : shown == text,
          shown);
    Request("ANSWER Return %s", Utf8(title).c_str());
    WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); });
}

void CheckLayout(HWND dialog, const Layout& layout) {
    const std::string mode = layout.Label;
    Check(mode + ": caption", checks::WindowText(dialog) == L"ODBC Settings");
    RECT outer, client;
    GetWindowRect(dialog, &outer);
    GetClientRect(dialog, &client);
    Check(mode + ": window height", outer.bottom - outer.top == Pixels(layout.WindowTwips),
          std::to_string(outer.bottom - outer.top));
    Check(mode + ": client width", client.right == Pixels(6300), std::to_string(client.right));
    const LONG style = GetWindowLongW(dialog, GWL_STYLE);
    Check(mode + ": a fixed frame with title and system menu",
          (style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) && !(style & WS_THICKFRAME) &&
              !(style & WS_MAXIMIZEBOX));
    std::string wrong;
    for (const char* name : kControls) {
        const bool shown = IsWindowVisible(ControlOf(dialog, name)) != FALSE;
        if (shown != (layout.Visible.count(name) > 0))
            wrong += std::string(" ") + name + (shown ? " shown" : " hidden");
    }
    Check(mode + ": the controls shown", wrong.empty(), wrong);
    wrong.clear();
    for (const Place& place : kPlaces) {
        if (!layout.Visible.count(place.Name)) continue;
        int top = place.Top;
        for (const auto& [name, moved] : layout.Moved)
            if (name == place.Name) top = moved;
        const int offset = place.InFrame ? 120 : 0;
        RECT expected{Pixels(place.Left + offset), Pixels(top + offset), 0, 0};
        expected.right = expected.left + Pixels(place.Width);
        expected.bottom = expected.top + Pixels(place.Height);
        RECT actual = ClientPlace(dialog, ControlOf(dialog, place.Name));
        // A closed drop-down list is as high as its font makes it.
        const bool list = std::string(place.Name).rfind("CB", 0) == 0;
        if (actual.left != expected.left || actual.top != expected.top ||
            actual.right != expected.right || (!list && actual.bottom != expected.bottom))
            wrong += std::string(" ") + place.Name + " at " + Describe(actual) + " not " +
                     Describe(expected);
    }
    Check(mode + ": the controls where designed", wrong.empty(), wrong);
}

// Both lists hold the same data sources, the system's and the user's.
void CheckDataSources(HWND dialog, const std::vector<std::string>& expected) {
    for (const char* list : {"CBCentralDSN", "CBLocalDSN"}) {
        std::vector<std::string> items = ListOf(ControlOf(dialog, list));
        std::string missing;
        for (const std::string& name : expected) {
            bool found = false;
            for (const std::string& item : items) found = found || item == name;
            if (!found) missing += " " + name;
        }
        Check(std::string(list) + " lists the data sources", missing.empty(), "missing" + missing);
        Check(std::string(list) + " selects the first entry",
              SendMessageW(ControlOf(dialog, list), CB_GETCURSEL, 0, 0) == 0);
    }
    Check("both lists hold the same entries",
          ListOf(ControlOf(dialog, "CBCentralDSN")) == ListOf(ControlOf(dialog, "CBLocalDSN")));
}

std::wstring ReadProfile(const wchar_t* file, const wchar_t* section, const wchar_t* key) {
    wchar_t value[512] = {};
    GetPrivateProfileStringW(section, key, L"<none>", value, 512, file);
    return value;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void Cancel(HWND dialog, const char* label) {
    Click(ControlOf(dialog, "BtnCancel"));
    AnswerBox(L"Error", "You did not enter any ODBC information!");
    Check(std::string(label) + ": Cancel closes the dialog",
          WaitFor([&] { return FindDialog() == nullptr; }));
}

void PixelAt(HWND dialog, const char* name, int x, int y, const char* colour) {
    POINT point{x, y};
    ClientToScreen(dialog, &point);
    Request("PIXEL %s %ld %ld %s", name, point.x, point.y, colour);
}

// cscript on the script, its output into a file; the process handle.
HANDLE StartClient(const std::string& script, const std::wstring& output) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = out;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring line = L"cscript.exe //nologo C:\\vendral\\" + Wide(script);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(out);
    if (!started) return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

// The client's own checks: its output must end in its sentinel, with no FAIL.
void FinishClient(HANDLE client, const std::string& script, const std::wstring& output) {
    WaitForSingleObject(client, INFINITE);
    CloseHandle(client);
    std::string text = ReadFileBytes(Utf8(output));
    std::printf("--- %s said:\n%s--- end\n", script.c_str(), text.c_str());
    Check(script + " ran to its end with no failed check",
          text.find("SENTINEL " + script + " ran to its end with 0 failed checks") !=
                  std::string::npos &&
              text.find("FAIL") == std::string::npos);
}

const std::vector<std::string> kDataSources{"VendralWine", "VendralWineUser", "VendralBroken"};

// dialog_client.vbs: ShowODBCSettings in every mode.
void DriveShowings() {
    const std::wstring file = L"C:\\vendral\\dialog.ini";
    const std::wstring output = L"C:\\vendral\\dialog_client.out";
    HANDLE client = StartClient("dialog_client.vbs", output);
    Check("cscript started", client != nullptr);
    if (!client) return;

    // 1. Mode 3 with server fields, no settings file yet: typed and saved.
    HWND dialog = WaitForDialog();
    Check("the dialog is shown for the client", dialog != nullptr);
    if (!dialog) return;
    CheckLayout(dialog, kMode3Server);
    CheckDataSources(dialog, kDataSources);
    Check("no settings file: the prefixes are CRM5",
          TextOf(ControlOf(dialog, "TxtPrefixNetwork")) == "CRM5" &&
              TextOf(ControlOf(dialog, "TxtPrefixLocal")) == "CRM5");
    Check("Help stays hidden without the help file",
          !IsWindowVisible(ControlOf(dialog, "BtnHelp")));
    for (const char* box : {"TxtCentralPWD", "TxtLocalPWD"}) {
        HWND password = ControlOf(dialog, box);
        Check(std::string(box) + " shows * for each character",
              (GetWindowLongW(password, GWL_STYLE) & ES_PASSWORD) &&
                  SendMessageW(password, EM_GETPASSWORDCHAR, 0, 0) == L'*');
    }
    Check("the first control has the focus",
          WaitFor([&] { return FocusOf(dialog) == ControlOf(dialog, "CBCentralDSN"); }));
    RedrawWindow(dialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Request("SHOT windows-settings-dialog-mode3-server");
    PixelAt(dialog, "form background", 3, 3, "E8EFF5");
    PixelAt(dialog, "form background beside the buttons", Pixels(5000), Pixels(3000), "E8EFF5");
    PixelAt(dialog, "white frame", Pixels(160), Pixels(1900), "FFFFFF");

    PickDataSource(dialog, "CBCentralDSN", "TxtCentralUID", true, "VendralWine");
    TypeInto(dialog, "TxtCentralUID", "admin");
    TypeInto(dialog, "TxtCentralPWD", "s3cret");
    TypeInto(dialog, "TxtCentralServer", "dbhost");
    TypeInto(dialog, "TxtCentralDatabase", "crm");
    PickDataSource(dialog, "CBLocalDSN", "TxtCentralDatabase", false, "VendralWineUser");
    TypeInto(dialog, "TxtPrefixNetwork", "main.");
    TypeInto(dialog, "TxtLocalUID", "laptop");
    TypeInto(dialog, "TxtLocalPWD", "pw 2");
    TypeInto(dialog, "TxtLocalServer", "localhost");
    TypeInto(dialog, "TxtLocalDatabase", "crmlocal");
    TypeInto(dialog, "TxtPrefixLocal", "main.");
    Request("SHOT windows-settings-dialog-mode3-server-filled");
    Click(ControlOf(dialog, "BtnSave"));
    Check("Save closes the dialog", WaitFor([&] { return FindDialog() == nullptr; }));
    AnswerBox(L"Message", "The program must be restarted before changes will take effect!");
    struct Entry {
        const wchar_t* Section;
        const wchar_t* Key;
        const char* Value;
    };
    for (const Entry& entry : std::vector<Entry>{{L"Central", L"DSN", "VendralWine"},
                                                 {L"Central", L"UID", "admin"},
                                                 {L"Central", L"ServerName", "dbhost"},
                                                 {L"Central", L"PrefixName", "crm"},
                                                 {L"Central", L"DBPrefix", "main."},
                                                 {L"Local", L"DSN", "VendralWineUser"},
                                                 {L"Local", L"UID", "laptop"},
                                                 {L"Local", L"ServerName", "localhost"},
                                                 {L"Local", L"PrefixName", "crmlocal"},
                                                 {L"Local", L"DBPrefix", "main."}}) {
        const std::string value = Utf8(ReadProfile(file.c_str(), entry.Section, entry.Key));
        Check("saved " + Utf8(entry.Section) + "/" + Utf8(entry.Key), value == entry.Value, value);
    }
    for (const auto& [section, password] : std::vector<std::pair<const wchar_t*, const char*>>{
             {L"Central", "s3cret"}, {L"Local", "pw 2"}}) {
        const std::string encoded = Utf8(ReadProfile(file.c_str(), section, L"PWDC"));
        Check("saved " + Utf8(section) + "/PWDC encoded",
              encoded != password && encoded != "<none>" &&
                  vendral::DecodePassword(encoded) == password,
              encoded);
        Check("no plain " + Utf8(section) + "/PWD",
              ReadProfile(file.c_str(), section, L"PWD") == L"<none>");
    }

    // 2. Mode 1: what was saved, Test on a working and a failing source, an
    // empty user id refused, Cancel.
    dialog = WaitForDialog();
    Check("the dialog is shown again", dialog != nullptr);
    if (!dialog) return;
    CheckLayout(dialog, kMode1);
    Check("the saved data source is selected",
          TextOf(ControlOf(dialog, "CBCentralDSN")) == "VendralWine");
    Check("the saved user id is loaded", TextOf(ControlOf(dialog, "TxtCentralUID")) == "admin");
    Check("the saved prefix is loaded", TextOf(ControlOf(dialog, "TxtPrefixNetwork")) == "main.");
    Request("SHOT windows-settings-dialog-mode1");
    Click(ControlOf(dialog, "BtnTest"));
    AnswerBox(L"Message", "Central database connection test is successful!");
    PickDataSource(dialog, "CBCentralDSN", "TxtCentralUID", true, "VendralBroken");
    Click(ControlOf(dialog, "BtnTest"));
    AnswerBox(L"Error", "Central database connection FAILED!\r\n", true);
    const std::string before = ReadFileBytes(Utf8(file));
    TypeInto(dialog, "TxtCentralUID", "");
    Click(ControlOf(dialog, "BtnSave"));
    AnswerBox(L"Error", "The central user id is missing.");
    Check("the dialog stays after the refused Save", FindDialog() == dialog);
    Check("the refused Save wrote nothing", ReadFileBytes(Utf8(file)) == before);
    Cancel(dialog, "mode 1");
    AnswerBox(L"Message", "The program must be restarted before changes will take effect!");

    // 3. to 6.: the other layouts, each left with Cancel.
    for (const Layout& layout : {Mode2Server(), kMode1Server, kMode2, kMode3}) {
        dialog = WaitForDialog();
        Check(std::string(layout.Label) + ": the dialog is shown", dialog != nullptr);
        if (!dialog) return;
        CheckLayout(dialog, layout);
        if (std::string(layout.Label) == "mode 2 with server fields") {
            Check("mode 2: the saved local data source is selected",
                  TextOf(ControlOf(dialog, "CBLocalDSN")) == "VendralWineUser");
            Request("SHOT windows-settings-dialog-mode2-server");
        }
        // The help file beside the library for the next showing only.
        const std::string label = layout.Label;
        if (label == "mode 2 with server fields")
            Check("the help file is put beside the library",
                  CopyFileW(L"C:\\vendral\\help-source.mht", L"C:\\vendral\\vendralhlp.mht",
                            FALSE) != FALSE);
        if (label == "mode 1 with server fields")
            Check("the help file is taken away again",
                  DeleteFileW(L"C:\\vendral\\vendralhlp.mht") != FALSE);
        Cancel(dialog, layout.Label);
        AnswerBox(L"Message", "The program must be restarted before changes will take effect!");
    }
    FinishClient(client, "dialog_client.vbs", output);
}

// open_missing.vbs: OpenODBC_DB on a missing settings file.
void DriveOpening() {
    const std::wstring output = L"C:\\vendral\\open_missing.out";
    HANDLE client = StartClient("open_missing.vbs", output);
    Check("cscript started", client != nullptr);
    if (!client) return;
    HWND dialog = WaitForDialog();
    Check("OpenODBC_DB shows the dialog for a missing settings file", dialog != nullptr);
    if (!dialog) return;
    CheckLayout(dialog, kMode1);
    PickDataSource(dialog, "CBCentralDSN", "TxtCentralUID", true, "VendralWine");
    TypeInto(dialog, "TxtCentralUID", "admin");
    TypeInto(dialog, "TxtPrefixNetwork", "main.");
    Click(ControlOf(dialog, "BtnSave"));
    Check("Save closes the dialog", WaitFor([&] { return FindDialog() == nullptr; }));

    dialog = WaitForDialog();
    Check("the second missing file shows the dialog", dialog != nullptr);
    if (!dialog) return;
    Cancel(dialog, "OpenODBC_DB");
    FinishClient(client, "open_missing.vbs", output);
    Check("Cancel wrote no settings file",
          GetFileAttributesW(L"C:\\vendral\\never.ini") == INVALID_FILE_ATTRIBUTES);
}

// The dialog on a thread of this process: its system menu, Alt+F4, the close box.
void DriveMenu() {
    std::thread shower([] {
        vendral::CDatabase database;
        database.ShowODBCSettings("C:\\vendral\\menu.ini", 3);
    });
    HWND dialog = WaitForDialog();
    Check("the dialog is shown", dialog != nullptr);
    if (dialog) {
        // A window of the same frame with its system menu as the system made it.
        HWND reference =
            CreateWindowExW(WS_EX_DLGMODALFRAME, L"STATIC", L"reference",
                            WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 0, 100, 100,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        auto ids = [](HMENU menu) {
            std::vector<UINT> items;
            for (int i = 0; i < GetMenuItemCount(menu); ++i)
                items.push_back(GetMenuItemID(menu, i));
            return items;
        };
        auto describe = [](const std::vector<UINT>& items) {
            std::string text;
            for (UINT id : items) text += " " + std::to_string(static_cast<int>(id));
            return text;
        };
        std::vector<UINT> standard = ids(GetSystemMenu(reference, FALSE));
        const std::vector<UINT> shown = ids(GetSystemMenu(dialog, FALSE));
        // The last two entries go, by position: on the system's standard menu
        // the separator and Close.
        std::vector<UINT> expected = standard;
        if (expected.size() >= 2) expected.resize(expected.size() - 2);
        Check("the system menu is the standard one without its last two entries",
              standard.size() >= 2 && shown == expected,
              "standard" + describe(standard) + ", shown" + describe(shown));
        DestroyWindow(reference);

        HWND box = ControlOf(dialog, "TxtCentralUID");
        Click(box);
        WaitFor([&] { return FocusOf(dialog) == box; });
        Key("alt+F4");
        // Keys come in order: once the next one has arrived, Alt+F4 has been handled.
        Request("TYPE ODBC Settings|a");
        const bool first = WaitFor([&] { return TextOf(box) == "a"; });
        Check("typed after Alt+F4", first, TextOf(box));
        Check("Alt+F4 leaves the dialog up", FindDialog() == dialog);
        RECT outer;
        GetWindowRect(dialog, &outer);
        Request("CLICK %ld %ld", outer.right - 10, outer.top + 10);
        Click(box);
        Request("TYPE ODBC Settings|b");
        const bool second = WaitFor([&] { return TextOf(box) == "ab"; });
        Check("typed after the close box", second, TextOf(box));
        Check("the close box leaves the dialog up", FindDialog() == dialog);
        Cancel(dialog, "menu");
        AnswerBox(L"Message", "The program must be restarted before changes will take effect!");
    }
    shower.join();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "showings") DriveShowings();
    if (what == "opening") DriveOpening();
    if (what == "menu") DriveMenu();
    return checks::Finish("settings_dialog");
}
