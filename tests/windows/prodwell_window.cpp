// prodwell.exe's window (Form1) under Wine, driven with real keys and clicks
// that scripts/wine-tests.sh gives on request (TYPE, ANSWER, CLICK) and read
// back through the system's window calls from this process.
//   prodwell_window.exe kick PRODWELL_EXE RESULT_TEXT
//     the design's texts, places and styles; associate and date typed key by
//     key, an unreadable date first (one "Error" box), then one click runs the
//     kick and its box says RESULT_TEXT
//   prodwell_window.exe long PRODWELL_EXE RESULT_TEXT
//     a run over many rows: Label3 counts while it goes on, the window takes
//     clicks meanwhile, and a second click on Command1 starts nothing
//   prodwell_window.exe nosettings PRODWELL_EXE
//     no settings file beside the program: the settings dialog (or the
//     build's refusal of it) is cancelled, and a click gives one "Error" box
// The program waits for what each key or click brings about; nothing it checks
// depends on how long anything takes.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

#include "checks.h"
#include "dialog_windows.h"
#include "window/win32/form1_ids.h"
#include "window/win32/form1_layout.h"

namespace {

using checks::Check;
using checks::Utf8;
using checks::WindowText;
using namespace vendral::kick::win32;

constexpr const wchar_t* kCaption = L"Kavelo - Oracle";

void Request(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Polls until condition holds or the program ends; at most two minutes, a
// bound for a hung program, not a measure of anything.
bool WaitUntil(const std::function<bool()>& condition, HANDLE process = nullptr) {
    for (int i = 0; i < 2400; ++i) {
        if (condition()) return true;
        if (process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return condition();
        Sleep(50);
    }
    return false;
}

// The visible message box titled title, or nullptr.
HWND VisibleBox(const wchar_t* title) {
    HWND box = FindWindowW(L"#32770", title);
    return box && IsWindowVisible(box) ? box : nullptr;
}

std::wstring ControlText(HWND form, int id) {
    return WindowText(GetDlgItem(form, id));
}

// The text of an edit control, asked of the control itself (its own buffer).
std::wstring EditText(HWND form, int id) {
    wchar_t text[256] = {};
    GetDlgItemTextW(form, id, text, 256);
    return text;
}

HWND FocusOf(HWND form) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &info) ? info.hwndFocus
                                                                            : nullptr;
}

// Returns once the window's thread has handled everything sent before: it is
// back in a message loop (its own or a modal box's).
void Settle(HWND form) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &ignored);
}

void ClickOn(HWND control) {
    RECT place;
    GetWindowRect(control, &place);
    Request("CLICK " + std::to_string((place.left + place.right) / 2) + " " +
            std::to_string((place.top + place.bottom) / 2));
}

void Type(const std::string& text) {
    Request("TYPE Kavelo - Oracle|" + text);
}

void Press(const std::string& key) {
    Request("ANSWER " + key + " Kavelo - Oracle");
}

struct Program {
    PROCESS_INFORMATION Process{};
    HWND Form = nullptr;

    bool Start(const std::string& path) {
        std::wstring command = L"\"" + checks::Wide(path) + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &Process))
            return false;
        WaitUntil(
            [this] {
                Form = FindWindowW(kForm1Class, kCaption);
                return Form != nullptr && IsWindowVisible(Form);
            },
            Process.hProcess);
        return Form != nullptr;
    }

    // Closes the window as its close box does; the program's exit status.
    DWORD Close() {
        PostMessageW(Form, WM_CLOSE, 0, 0);
        DWORD status = 259;
        if (WaitForSingleObject(Process.hProcess, 120000) == WAIT_OBJECT_0)
            GetExitCodeProcess(Process.hProcess, &status);
        return status;
    }

    ~Program() {
        if (!Process.hProcess) return;
        if (WaitForSingleObject(Process.hProcess, 0) != WAIT_OBJECT_0)
            TerminateProcess(Process.hProcess, 1);
        CloseHandle(Process.hProcess);
        CloseHandle(Process.hThread);
    }
};

// Waits for the box titled title, checks it and answers it with Return; then
// checks that no second box of that title follows and the window is usable.
bool AnswerOneBox(Program& program, const wchar_t* title, const std::string& what,
                  const std::function<void(HWND)>& checkBox) {
    HWND box = nullptr;
    WaitUntil([&] { return (box = VisibleBox(title)) != nullptr; }, program.Process.hProcess);
    Check(what + ": a box titled \"" + Utf8(title) + "\" shows", box != nullptr);
    if (!box) return false;
    Check(what + ": the box belongs to the window", GetWindow(box, GW_OWNER) == program.Form);
    checkBox(box);
    Request("ANSWER Return " + Utf8(title));
    WaitUntil([&] { return !IsWindow(box); }, program.Process.hProcess);
    Settle(program.Form);
    Check(what + ": one box only", VisibleBox(title) == nullptr);
    Check(what + ": the window is usable again", IsWindowEnabled(program.Form) != FALSE);
    return true;
}

// Whether the box's icon control holds an icon (of the box's process).
bool BoxHasIcon(HWND box) {
    HWND icon = GetDlgItem(box, checks::kBoxIconId);
    return icon != nullptr && SendMessageW(icon, STM_GETICON, 0, 0) != 0;
}

// Checks that the edit control's text becomes text (what a key brought about).
void CheckTextBecomes(const std::string& name, HWND form, int id, const std::wstring& text,
                      HANDLE process) {
    const bool became = WaitUntil([&] { return EditText(form, id) == text; }, process);
    Check(name, became, Utf8(EditText(form, id)));
}

bool FocusBecomes(HWND form, int id, HANDLE process) {
    return WaitUntil([&] { return FocusOf(form) == GetDlgItem(form, id); }, process);
}

void CheckDesign(HWND form) {
    Check("the caption is \"Kavelo - Oracle\"", WindowText(form) == kCaption,
          Utf8(WindowText(form)));
    const struct {
        int Id;
        const wchar_t* Text;
    } texts[] = {{kLabel1Id, L"Associate ID:"},
                 {kLabel4Id, L"Associate ID 0 Means for all Synchronizer Users"},
                 {kLabel2Id, L"Kick Date:"},
                 {kCheck1Id, L"Skip Tasks"},
                 {kCommand1Id, L"Kick Synchronizer"},
                 {kLabel3Id, L""}};
    for (const auto& expected : texts) {
        const std::wstring shown = ControlText(form, expected.Id);
        Check("control " + std::to_string(expected.Id) + " shows \"" + Utf8(expected.Text) + "\"",
              shown == expected.Text, Utf8(shown));
    }
    Check("TxtAssociate starts with \"0\"", EditText(form, kTxtAssociateId) == L"0");
    Check("TxtKickDate starts with \"6/8/2008\"", EditText(form, kTxtKickDateId) == L"6/8/2008");
    Check("Skip Tasks starts unchecked",
          SendDlgItemMessageW(form, kCheck1Id, BM_GETCHECK, 0, 0) == BST_UNCHECKED);

    auto style = [form](int id) { return GetWindowLongW(GetDlgItem(form, id), GWL_STYLE); };
    auto className = [form](int id) {
        wchar_t name[64] = {};
        GetClassNameW(GetDlgItem(form, id), name, 64);
        return std::wstring(name);
    };
    for (int id : {kTxtAssociateId, kTxtKickDateId}) {
        Check("control " + std::to_string(id) + " is a tab stop edit box",
              _wcsicmp(className(id).c_str(), L"Edit") == 0 && (style(id) & WS_TABSTOP) &&
                  (GetWindowLongW(GetDlgItem(form, id), GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
    }
    Check("Check1 is a check box", (style(kCheck1Id) & BS_TYPEMASK) == BS_AUTOCHECKBOX);
    Check("Command1 is the default button", (style(kCommand1Id) & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
    for (int id : {kLabel1Id, kLabel2Id, kLabel3Id, kLabel4Id})
        Check("control " + std::to_string(id) + " is a label",
              _wcsicmp(className(id).c_str(), L"Static") == 0);

    // The places in twips at the screen's pixels per inch.
    HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    RECT client;
    GetClientRect(form, &client);
    Check("the client area is 6360 x 2760 twips",
          client.right == TwipsToPixels(kForm1ClientWidth, dpiX) &&
              client.bottom == TwipsToPixels(kForm1ClientHeight, dpiY),
          std::to_string(client.right) + " x " + std::to_string(client.bottom) + " at " +
              std::to_string(dpiX) + " dpi");
    for (const TwipRect& place : kForm1Layout) {
        RECT rect;
        GetWindowRect(GetDlgItem(form, place.Id), &rect);
        MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&rect), 2);
        const bool ok = rect.left == TwipsToPixels(place.Left, dpiX) &&
                        rect.top == TwipsToPixels(place.Top, dpiY) &&
                        rect.right - rect.left == TwipsToPixels(place.Width, dpiX) &&
                        rect.bottom - rect.top == TwipsToPixels(place.Height, dpiY);
        Check("control " + std::to_string(place.Id) + " stands at its place", ok,
              std::to_string(rect.left) + "," + std::to_string(rect.top) + " " +
                  std::to_string(rect.right - rect.left) + "x" +
                  std::to_string(rect.bottom - rect.top));
    }
    const LONG formStyle = GetWindowLongW(form, GWL_STYLE);
    Check("the window has a caption and a close box",
          (formStyle & WS_CAPTION) == WS_CAPTION && (formStyle & WS_SYSMENU));
}

void Kick(const std::string& path, const std::string& result) {
    Program program;
    Check("prodwell.exe without arguments opens its window", program.Start(path));
    if (!program.Form) return;
    HWND form = program.Form;
    HANDLE process = program.Process.hProcess;
    CheckDesign(form);

    // The associate, key by key: the window starts in TxtAssociate, its text selected.
    Type("x");
    CheckTextBecomes("a typed key replaces the associate", form, kTxtAssociateId, L"x", process);
    Press("BackSpace");
    CheckTextBecomes("BackSpace empties the associate", form, kTxtAssociateId, L"", process);
    Type("0");
    CheckTextBecomes("the associate is typed", form, kTxtAssociateId, L"0", process);
    Press("Tab");
    Check("Tab goes to the kick date", FocusBecomes(form, kTxtKickDateId, process));

    Type("someday");
    CheckTextBecomes("the unreadable date is typed over the old one", form, kTxtKickDateId,
                     L"someday", process);
    ClickOn(GetDlgItem(form, kCommand1Id));
    AnswerOneBox(program, L"Error", "an unreadable date", [](HWND box) {
        const std::string text = Utf8(checks::BoxText(box));
        Check("the box names the unreadable date",
              text.rfind("The kick date \"someday\" cannot be read; type it as ", 0) == 0, text);
        // The icon\'s handle is the other process\'s: only whether it is there.
        Check("the Error box shows an icon", BoxHasIcon(box));
    });
    Check("nothing was counted", ControlText(form, kLabel3Id).empty());

    // Back to the date: Shift+Tab from the button over Skip Tasks.
    Press("shift+Tab");
    Check("Shift+Tab goes to Skip Tasks", FocusBecomes(form, kCheck1Id, process));
    Press("shift+Tab");
    Check("Shift+Tab goes to the kick date", FocusBecomes(form, kTxtKickDateId, process));
    Type("6/8/2008");
    CheckTextBecomes("the kick date is typed", form, kTxtKickDateId, L"6/8/2008", process);
    ClickOn(GetDlgItem(form, kCommand1Id));
    AnswerOneBox(program, L"Prodwell", "the kick", [&](HWND box) {
        const std::string text = Utf8(checks::BoxText(box));
        Check("the box gives the counts", text == result, text);
        Check("the box of the result shows no icon", !BoxHasIcon(box));
        Request("SHOT windows-prodwell-window");
    });
    Check("Label3 keeps the count of the task rows", ControlText(form, kLabel3Id) == L"2",
          Utf8(ControlText(form, kLabel3Id)));
    const DWORD status = program.Close();
    Check("the closed window ends the program with status 0", status == 0, std::to_string(status));
}

void LongRun(const std::string& path, const std::string& result) {
    Program program;
    Check("prodwell.exe without arguments opens its window", program.Start(path));
    if (!program.Form) return;
    HWND form = program.Form;
    HANDLE process = program.Process.hProcess;
    HWND label3 = GetDlgItem(form, kLabel3Id);
    auto finished = [] { return VisibleBox(L"Prodwell") != nullptr; };

    ClickOn(GetDlgItem(form, kCommand1Id));
    std::wstring first;
    WaitUntil([&] { return !(first = WindowText(label3)).empty() || finished(); }, process);
    std::wstring second;
    WaitUntil(
        [&] {
            second = WindowText(label3);
            return second != first || finished();
        },
        process);
    Check("Label3 shows a count during the run", !first.empty(), Utf8(first));
    Check("Label3 shows another count later in the run", !second.empty() && second != first,
          Utf8(first) + " then " + Utf8(second));

    // The window takes clicks while the run goes on...
    ClickOn(GetDlgItem(form, kTxtKickDateId));
    Check("a click during the run reaches the window",
          FocusBecomes(form, kTxtKickDateId, process) && !finished());
    // ...and a click on Command1 then starts nothing.
    ClickOn(GetDlgItem(form, kCommand1Id));
    Check("the second click on Command1 comes during the run",
          FocusBecomes(form, kCommand1Id, process) && !finished());
    AnswerOneBox(program, L"Prodwell", "the long run", [&](HWND box) {
        const std::string text = Utf8(checks::BoxText(box));
        Check("the box gives the counts of one run", text == result, text);
        Request("SHOT windows-prodwell-window-long-run");
    });
    const DWORD status = program.Close();
    Check("the window closes after the run with status 0", status == 0, std::to_string(status));
}

void NoSettings(const std::string& path) {
    Program program;
    Check("prodwell.exe without a settings file opens its window", program.Start(path));
    if (!program.Form) return;
    HWND form = program.Form;
    HANDLE process = program.Process.hProcess;
    // The settings dialog, or where the build has none its refusal, which
    // counts as cancelled.
    HWND dialog = nullptr;
    HWND refusal = nullptr;
    WaitUntil(
        [&] {
            dialog = FindWindowW(nullptr, L"ODBC Settings");
            refusal = VisibleBox(L"Error");
            return (dialog && IsWindowVisible(dialog)) || refusal;
        },
        process);
    Check("the missing settings file brings the settings dialog", dialog || refusal);
    if (dialog) {
        HWND cancel = FindWindowExW(dialog, nullptr, L"Button", L"&Cancel");
        Check("the settings dialog has its Cancel button", cancel != nullptr);
        if (cancel) ClickOn(cancel);
        // Without the library's own settings file beside it, Cancel first says
        // in an Error box that nothing was entered; the dialog closes after it.
        HWND cancelBox = nullptr;
        WaitUntil(
            [&] { return !IsWindow(dialog) || (cancelBox = VisibleBox(L"Error")) != nullptr; },
            process);
        if (cancelBox) {
            const std::string text = Utf8(checks::BoxText(cancelBox));
            Check("Cancel's box says that no ODBC information was entered",
                  text == "You did not enter any ODBC information!", text);
            Request("ANSWER Return Error");
            WaitUntil([&] { return !IsWindow(cancelBox); }, process);
        }
        Check("Cancel closes the dialog", WaitUntil([&] { return !IsWindow(dialog); }, process));
    } else if (refusal) {
        Request("ANSWER Return Error");
        WaitUntil([&] { return !IsWindow(refusal); }, process);
    }
    Settle(form);
    Check("the window is usable after the dialog",
          IsWindowEnabled(form) != FALSE && VisibleBox(L"Error") == nullptr);
    ClickOn(GetDlgItem(form, kCommand1Id));
    AnswerOneBox(program, L"Error", "a run without a connection", [](HWND box) {
        const std::string text = Utf8(checks::BoxText(box));
        Check("the box says there is no connection",
              text.rfind("There is no open connection to the central database. Check the "
                         "settings file ",
                         0) == 0,
              text);
    });
    ClickOn(GetDlgItem(form, kTxtAssociateId));
    Check("the window takes clicks after the box", FocusBecomes(form, kTxtAssociateId, process));
    Type("7");
    // The caret stands where the click put it: before or after the "0".
    Check("and keys",
          WaitUntil(
              [&] {
                  const std::wstring text = EditText(form, kTxtAssociateId);
                  return text == L"07" || text == L"70";
              },
              process),
          Utf8(EditText(form, kTxtAssociateId)));
    const DWORD status = program.Close();
    Check("the window closes with status 0", status == 0, std::to_string(status));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 2 ? argv[1] : "";
    if (mode == "kick" && argc == 4) {
        Kick(argv[2], argv[3]);
    } else if (mode == "long" && argc == 4) {
        LongRun(argv[2], argv[3]);
    } else if (mode == "nosettings" && argc == 3) {
        NoSettings(argv[2]);
    } else {
        std::fprintf(stderr, "usage: prodwell_window kick|long|nosettings PRODWELL_EXE [RESULT]\n");
        return 2;
    }
    return checks::Finish("prodwell_window");
}
