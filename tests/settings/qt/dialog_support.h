// Helpers of the settings dialog tests: a dialog with its per-thread state and
// a scratch library folder, and real keyboard and mouse input into it.
#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "settings/qt/frm_odbc_settings.h"
#include "settings/qt/library_module.h"
#include "settings/settings_files.h"
#include "settings/settings_state.h"
#include "support/qt/modal_watcher.h"
#include "support/test_database.h"
#include "vendral/settings.h"
#include "vendral/widgets/qt_ui_host.h"

namespace vendral::test::qt {

// The library folder is a scratch folder of the test, so that the help file
// and the library's own settings file are there only when a test puts them.
class ScratchLibraryFolder {
  public:
    ScratchLibraryFolder() {
        folder_ = TestOdbc::Instance().ScratchPath("library_" + std::to_string(++count_));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        vendral::qt::OverrideLibraryFolder(folder_);
    }
    ~ScratchLibraryFolder() { vendral::qt::OverrideLibraryFolder(""); }
    ScratchLibraryFolder(const ScratchLibraryFolder&) = delete;
    ScratchLibraryFolder& operator=(const ScratchLibraryFolder&) = delete;

    const std::string& Path() const { return folder_; }
    void PutHelpFile() const { WriteBytes(folder_ + "/vendralhlp.mht", "MIME-Version: 1.0\r\n"); }
    void PutLibrarySettings() const { WriteBytes(folder_ + "/vendral.ini", "[Central]\n"); }

  private:
    std::string folder_;
    static inline int count_ = 0;
};

// Sets the dialog state as ShowODBCSettings and OpenODBC_DB do.
inline void SetDialogState(const std::string& file, int mode, int askServer) {
    vendral::detail::SetSettingsFilePath(file);
    DialogState& state = CurrentDialogState();
    state.Mode = mode;
    state.AskServer = askServer;
    state.Cancelled = false;
}

template <class Widget = QWidget>
Widget* Find(QWidget* dialog, const char* name) {
    auto* widget = dialog->findChild<Widget*>(QString::fromUtf8(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// Types into a text box as the user does: click into it, select all, type.
inline void TypeInto(QLineEdit* box, const QString& text) {
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty()) {
        QTest::keyClick(box, Qt::Key_Delete);
    } else {
        QTest::keyClicks(box, text);
    }
}

// Picks an entry of a drop-down list with the keyboard (Home, then Down).
inline void SelectByKeys(QComboBox* list, const QString& text) {
    int index = list->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    list->setFocus(Qt::TabFocusReason);
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < index; ++i) QTest::keyClick(list, Qt::Key_Down);
}

inline QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
}

// The data source names of the process's ODBC configuration files.
inline std::multiset<std::string> ConfiguredDataSources() {
    std::multiset<std::string> names;
    TestOdbc& odbc = TestOdbc::Instance();
    for (const std::string& path : {odbc.SystemIniPath(), odbc.UserIniPath()}) {
        std::istringstream lines(ReadBytes(path));
        std::string line;
        while (std::getline(lines, line)) {
            if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
                std::string name = line.substr(1, line.size() - 2);
                if (name != "ODBC" && name != "ODBC Data Sources") names.insert(name);
            }
        }
    }
    return names;
}

// The widget library's host for the duration of a test, whatever was
// installed before.
class ScopedQtHost {
  public:
    ScopedQtHost() : previous_(InstallQtUiHost()) {}
    ~ScopedQtHost() { InstallUiHost(previous_); }
    ScopedQtHost(const ScopedQtHost&) = delete;
    ScopedQtHost& operator=(const ScopedQtHost&) = delete;

  private:
    std::shared_ptr<UiHost> previous_;
};

}  // namespace vendral::test::qt

namespace vendral::test::qt {

// "Section/Key=Value" of every entry of a settings file, in file order.
inline std::vector<std::string> EntriesInOrder(const std::string& path) {
    std::vector<std::string> entries;
    std::istringstream lines(ReadBytes(path));
    std::string line, section;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            section = line.substr(1, line.find(']') - 1);
        } else {
            entries.push_back(section + "/" + line);
        }
    }
    return entries;
}

}  // namespace vendral::test::qt
