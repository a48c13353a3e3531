#include "settings/settings_dialog_presenter.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "base/private_profile.h"
#include "base/utf8_path.h"
#include "odbc/connection_strings.h"
#include "settings/settings_dialog_design.h"
#include "vendral/connection.h"
#include "vendral/errors.h"
#include "vendral/settings.h"
#include "vendral/ui_host.h"

namespace vendral::internal {
namespace {

constexpr int kCompactWindowTwips = 2850;
constexpr int kCompactFrameTwips = 2175;
constexpr int kServerWindowTwips = 3240;
constexpr int kServerFrameTwips = 2775;
// Where Help goes when the compact layouts show the server fields: below
// Cancel and inside the window (the design's 3960 lies below its bottom).
constexpr int kCompactHelpTopTwips = 2400;
constexpr int kTestTimeoutSeconds = 15;

constexpr const char* kCentral = "Central";
constexpr const char* kLocal = "Local";
constexpr const char* kDefaultPrefix = "CRM5";

// Load steps skip their errors and loading goes on with the next one.
template <class Step>
void Skipping(Step&& step) {
    try {
        step();
    } catch (...) {
    }
}

std::string TrimRight(std::string value) {
    value.erase(value.find_last_not_of(' ') + 1);
    return value;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool LocalFileExists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(detail::PathFromUtf8(path), ignored);
}

void Show(SettingsDialogView& view, std::initializer_list<const char*> names, bool visible) {
    for (const char* name : names) view.SetVisible(name, visible);
}

}  // namespace

SettingsDialogView::~SettingsDialogView() = default;

void SettingsDialogView::SetTestConnectionString(Connection& connection, const std::string& text) {
    connection.ConnectionString(text);
}

void SettingsDialogPresenter::Load() {
    view_.ResetToDesign();
    const DialogState state = CurrentDialogState();
    Skipping([&] { view_.SetText("LblVersion", view_.VersionCaption()); });
    Skipping([&] {
        if (view_.FileExists(view_.HelpFilePath())) view_.SetVisible("BtnHelp", true);
    });
    Skipping(
        [&] { view_.SetHeights(kSettingsDialogFullWindowTwips, kSettingsDialogFullFrameTwips); });
    Skipping([&] { view_.RemoveCloseMenu(); });
    Skipping([&] { ArrangeForMode(state.Mode, state.AskServer); });
    Skipping([&] { GetDSNEntrys(); });
    Skipping([&] {
        // A copy: what loading calls may name another file for the thread.
        // NOLINTNEXTLINE(performance-unnecessary-copy-initialization)
        const std::string file = SettingsFilePath();
        if (LocalFileExists(file)) {
            LoadSettingsFile(file);
        } else {
            view_.SetText("TxtPrefixNetwork", kDefaultPrefix);
            view_.SetText("TxtPrefixLocal", kDefaultPrefix);
        }
    });
}

void SettingsDialogPresenter::ArrangeForMode(int mode, int askServer) {
    const bool ask = askServer == 1;
    if (mode == 1) {
        view_.SetHeights(kCompactWindowTwips, kCompactFrameTwips);
        Show(view_, {"CBCentralDSN", "TxtCentralUID", "TxtCentralPWD"}, true);
        Show(view_,
             {"CBCentralType", "CBLocalDSN", "CBLocalType", "TxtLocalUID", "TxtLocalPWD",
              "TxtLocalServer", "TxtLocalDatabase", "TxtCentralServer", "TxtCentralDatabase",
              "Label2(0)", "Label2(1)", "Label2(2)", "Label2(3)", "Label2(4)", "Label2(5)",
              "Label1(4)", "Label1(5)", "Label1(7)"},
             false);
        if (ask) {
            view_.SetHeights(kServerWindowTwips, kServerFrameTwips);
            // Test, Save and Cancel keep their places and Help goes below them,
            // so that all four stay inside the window.
            view_.SetTop("BtnHelp", kCompactHelpTopTwips);
            Show(view_, {"Label1(4)", "Label1(5)", "TxtCentralServer", "TxtCentralDatabase"}, true);
        }
    } else if (mode == 2) {
        view_.SetTop("Label2(0)", 240);
        view_.SetTop("CBLocalDSN", 480);
        view_.SetTop("Label2(1)", 840);
        view_.SetTop("CBLocalType", 1080);
        view_.SetTop("Label2(2)", 1440);
        view_.SetTop("Label2(3)", 1440);
        view_.SetTop("TxtLocalUID", 1680);
        view_.SetTop("TxtLocalPWD", 1680);
        view_.SetHeights(kCompactWindowTwips, kCompactFrameTwips);
        Show(view_, {"CBLocalDSN", "TxtLocalUID", "TxtLocalPWD"}, true);
        Show(view_,
             {"CBLocalType", "CBCentralDSN", "CBCentralType", "TxtCentralUID", "TxtCentralPWD",
              "Label1(0)", "Label1(1)", "Label1(2)", "Label1(3)", "Label1(4)", "Label1(5)",
              "Label2(4)", "Label2(5)", "TxtCentralServer", "TxtCentralDatabase", "TxtLocalServer",
              "TxtLocalDatabase"},
             false);
        if (ask) {
            view_.SetTop("Label2(4)", 2040);
            view_.SetTop("Label2(5)", 2040);
            view_.SetTop("TxtLocalServer", 2280);
            view_.SetTop("TxtLocalDatabase", 2280);
            Show(view_, {"Label2(4)", "Label2(5)", "TxtLocalServer", "TxtLocalDatabase"}, true);
            view_.SetHeights(kServerWindowTwips, kServerFrameTwips);
            view_.SetTop("BtnHelp", kCompactHelpTopTwips);
        }
    } else if (mode >= 3) {
        Show(view_,
             {"Label1(4)", "Label1(5)", "TxtCentralServer", "TxtCentralDatabase", "Label2(4)",
              "Label2(5)", "TxtLocalServer", "TxtLocalDatabase", "CBCentralType", "CBLocalType"},
             false);
        Show(view_, {"CBLocalDSN", "TxtLocalUID", "TxtLocalPWD"}, true);
        if (ask) {
            Show(view_,
                 {"Label1(4)", "Label1(5)", "TxtCentralServer", "TxtCentralDatabase", "Label2(4)",
                  "Label2(5)", "TxtLocalServer", "TxtLocalDatabase"},
                 true);
        }
    }
    // Without the server fields the compact window has no room for Help
    // (F1 still opens the help file).
    if ((mode == 1 || mode == 2) && !ask) view_.SetVisible("BtnHelp", false);
}

void SettingsDialogPresenter::GetDSNEntrys() {
    Skipping([&] {
        for (const std::string& name : view_.DataSourceNames()) {
            view_.AddListItem("CBCentralDSN", name);
            view_.AddListItem("CBLocalDSN", name);
        }
    });
    // An empty list has nothing to select.
    for (const char* list : {"CBCentralDSN", "CBLocalDSN"})
        view_.SelectListItem(list, view_.ListItems(list).empty() ? -1 : 0);
}

// A name the list does not hold is refused and the selection stays. Data
// source names are matched without regard to case, as the driver manager
// matches them, the exact spelling first.
void SettingsDialogPresenter::SelectStoredName(const char* list, const std::string& name) {
    const std::vector<std::string> items = view_.ListItems(list);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == name) return view_.SelectListItem(list, static_cast<int>(i));
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (SameIgnoringCase(items[i], name))
            return view_.SelectListItem(list, static_cast<int>(i));
    }
}

void SettingsDialogPresenter::LoadSettingsFile(const std::string& file) {
    auto read = [&file](const char* section, const char* key, const char* defaultValue = "") {
        return ReadIniValue(section, key, defaultValue, file).ToString();
    };
    Skipping([&] { SelectStoredName("CBCentralDSN", read(kCentral, "DSN")); });
    Skipping([&] { SelectStoredName("CBLocalDSN", read(kLocal, "DSN")); });
    Skipping(
        [&] { view_.SetText("TxtPrefixNetwork", read(kCentral, "DBPrefix", kDefaultPrefix)); });
    Skipping([&] { view_.SetText("TxtCentralUID", read(kCentral, "UID")); });
    Skipping([&] { view_.SetText("TxtCentralPWD", read(kCentral, "PWD")); });
    Skipping([&] { view_.SetText("TxtLocalUID", read(kLocal, "UID")); });
    Skipping([&] { view_.SetText("TxtLocalPWD", read(kLocal, "PWD")); });
    Skipping([&] { view_.SetText("TxtPrefixLocal", read(kLocal, "DBPrefix", kDefaultPrefix)); });
    Skipping([&] { view_.SetText("TxtCentralServer", read(kCentral, "ServerName")); });
    Skipping([&] { view_.SetText("TxtCentralDatabase", read(kCentral, "PrefixName")); });
    Skipping([&] { view_.SetText("TxtLocalServer", read(kLocal, "ServerName")); });
    Skipping([&] { view_.SetText("TxtLocalDatabase", read(kLocal, "PrefixName")); });

    // A plain password is moved to its encoded form, also when the user
    // then cancels; the boxes then show the decoded value.
    struct Side {
        const char* Section;
        const char* Box;
    };
    const std::array<Side, 2> sides{Side{kCentral, "TxtCentralPWD"}, Side{kLocal, "TxtLocalPWD"}};
    for (const Side& side : sides) {
        Skipping([&] {
            const std::string password = view_.Text(side.Box);
            if (!password.empty()) {
                WriteIniValue(side.Section, "PWD", "", file);
                WriteIniValue(side.Section, "PWDC", EncodePassword(password), file);
            }
        });
    }
    for (const Side& side : sides) {
        Skipping([&] {
            std::string encoded = read(side.Section, "PWDC");
            if (!encoded.empty()) encoded = DecodePassword(encoded);
            view_.SetText(side.Box, encoded);
        });
    }
}

bool SettingsDialogPresenter::Empty(const char* control) const {
    return view_.Text(control).empty();
}

bool SettingsDialogPresenter::CheckSettings() {
    const DialogState state = CurrentDialogState();
    const bool ask = state.AskServer == 1;
    std::string message;
    auto check = [&message](bool missing, const char* text) {
        if (missing) message = text;
    };
    // Both connections (mode 3) are checked too: a missing entry there is
    // reported rather than saved.
    const bool central = state.Mode == 1 || state.Mode == 3;
    const bool local = state.Mode == 2 || state.Mode == 3;
    if (central) {
        check(Empty("CBCentralDSN"), "The central DSN entry is missing.");
        check(Empty("TxtCentralUID"), "The central user id is missing.");
    }
    if (local) {
        check(Empty("CBLocalDSN"), "The local DSN entry is missing.");
        check(Empty("TxtLocalUID"), "The local user id is missing.");
    }
    if (ask && central) {
        check(Empty("TxtCentralServer"), "The central server missing.");
        check(Empty("TxtCentralDatabase"), "The central databasename is missing.");
    }
    if (ask && local) {
        check(Empty("TxtLocalServer"), "The local server missing.");
        check(Empty("TxtLocalDatabase"), "The local databasename is missing.");
    }
    if (message.empty()) return true;
    ShowErrorMessage(message);
    return false;
}

void SettingsDialogPresenter::SaveClicked() {
    if (!CheckSettings()) return;
    // A copy: what saving calls may name another file for the thread.
    // NOLINTNEXTLINE(performance-unnecessary-copy-initialization)
    const std::string file = SettingsFilePath();
    // Each value is written as WriteIniValue writes it; the first that cannot
    // be written (a read-only file or folder) stops the saving with a word to
    // the user, the file as it was and the dialog open.
    bool written = true;
    auto write = [&](const char* section, const char* key, const std::string& value) {
        if (written) written = WritePrivateProfileString(section, key, value, file);
    };
    auto save = [&](const char* section, const char* dsn, const char* uid, const char* pwd,
                    const char* server, const char* database, const char* prefix) {
        write(section, "DSN", view_.Text(dsn));
        write(section, "UID", TrimRight(view_.Text(uid)));
        write(section, "PWDC", EncodePassword(TrimRight(view_.Text(pwd))));
        write(section, "ServerName", view_.Text(server));
        write(section, "PrefixName", view_.Text(database));
        write(section, "DBPrefix", view_.Text(prefix));
    };
    // All twelve values, whatever the mode: hidden boxes hold what loading put there.
    save(kCentral, "CBCentralDSN", "TxtCentralUID", "TxtCentralPWD", "TxtCentralServer",
         "TxtCentralDatabase", "TxtPrefixNetwork");
    save(kLocal, "CBLocalDSN", "TxtLocalUID", "TxtLocalPWD", "TxtLocalServer", "TxtLocalDatabase",
         "TxtPrefixLocal");
    if (!written) {
        ShowErrorMessage("The settings cannot be saved: the file " + file +
                         " cannot be written. Check that its folder and the file may be written.");
        return;
    }
    view_.Close(true);
}

void SettingsDialogPresenter::TestClicked() {
    if (!CheckSettings()) return;
    const int mode = CurrentDialogState().Mode;
    const std::shared_ptr<UiHost> hostShare = CurrentUiHost();
    UiHost& host = *hostShare;
    host.SetMousePointer(kPointerBusy);
    bool pointerRestored = false;
    auto beforeBox = [&] {
        if (!pointerRestored) host.SetMousePointer(kPointerArrow);
        pointerRestored = true;
    };
    auto test = [&](bool centralSide) {
        const char* prefix = centralSide ? "Central" : "Local";
        const std::string dsn = view_.Text(centralSide ? "CBCentralDSN" : "CBLocalDSN");
        const std::string uid = view_.Text(centralSide ? "TxtCentralUID" : "TxtLocalUID");
        const std::string pwd = view_.Text(centralSide ? "TxtCentralPWD" : "TxtLocalPWD");
        const std::string failure = std::string(prefix) + " database connection FAILED!";
        int failures = 0;
        auto fail = [&](std::int64_t number, const std::string& description) {
            beforeBox();
            ShowErrorMessage(failure + "\r\n" + std::to_string(number) + "\r\n" + description);
            ++failures;
        };
        // The test connection lives for one test only. A step that fails is
        // reported and the next one still runs.
        auto connection = std::make_unique<Connection>();
        connection->CommandTimeout(kTestTimeoutSeconds);
        auto step = [&](const std::function<void()>& action) {
            try {
                action();
            } catch (const DatabaseError& error) {
                fail(error.NativeError(), error.Description());
            } catch (const std::exception& error) {
                fail(0, error.what());
            }
        };
        step([&] {
            view_.SetTestConnectionString(*connection, OdbcConnectionString(dsn, uid, pwd));
        });
        step([&] { connection->Open("", "", "", -1); });
        if (failures == 0) {
            beforeBox();
            ShowInfoMessage(std::string(prefix) + " database connection test is successful!");
            try {
                connection->Close();
            } catch (const std::exception&) {
            }
        }
    };
    if (mode == 1) {
        test(true);
    } else if (mode == 2) {
        test(false);
    } else if (mode >= 3) {
        test(true);
        test(false);
    }
    host.SetMousePointer(kPointerArrow);
}

void SettingsDialogPresenter::CancelClicked() {
    if (!view_.FileExists(view_.LibrarySettingsPath()))
        ShowErrorMessage("You did not enter any ODBC information!");
    // Leaving without saving counts as cancelled, with or without the
    // library's own settings file.
    CurrentDialogState().Cancelled = true;
    view_.Close(false);
}

void SettingsDialogPresenter::HelpClicked() {
    view_.OpenDocument(view_.HelpFilePath());
}

void SettingsDialogPresenter::HelpKeyPressed() {
    if (view_.FileExists(view_.HelpFilePath())) HelpClicked();
}

void SettingsDialogPresenter::BackgroundDoubleClicked() {
    Skipping([&] {
        const char* windows = std::getenv("WINDIR");
        const std::string program =
            std::string(windows != nullptr ? windows : "") + "\\SYSTEM\\QUVEX.EXE";
        if (view_.FileExists(program)) view_.StartProgram(program);
    });
}

}  // namespace vendral::internal
