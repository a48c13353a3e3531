// Screenshots of the connection settings dialog in its layouts, with the
// project-local data sources in the lists and sample settings loaded.
#include <QApplication>
#include <QDir>
#include <cstdio>
#include <fstream>
#include <string>

#include "settings/qt/frm_odbc_settings.h"
#include "settings/settings_state.h"
#include "support/qt/screenshot.h"
#include "support/test_database.h"
#include "vendral/settings.h"

namespace {

struct Shot {
    const char* File;
    int Mode;
    int AskServer;
};

std::string SampleSettings() {
    std::string path = vendral::test::TestOdbc::Instance().ScratchPath("screenshot.ini");
    std::ofstream out(path, std::ios::trunc);
    out << "[Central]\nDSN=" << vendral::test::kSqliteCentralDsn
        << "\nUID=crm_admin\nPWD=secret\nDBPrefix=CRM5\nServerName=crmserver\nPrefixName=crm\n"
        << "[Local]\nDSN=" << vendral::test::kSqliteLocalDsn
        << "\nUID=traveller\nPWD=local\nDBPrefix=CRM5\nServerName=localhost\nPrefixName=crmlocal\n";
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fputs("usage: shot_settings_dialog OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    vendral::test::TestOdbc::Instance();
    const Shot shots[] = {{"settings-dialog-mode1.png", 1, 0},
                          {"settings-dialog-mode1-server.png", 1, 1},
                          {"settings-dialog-mode2.png", 2, 0},
                          {"settings-dialog-mode3.png", 3, 0},
                          {"settings-dialog-mode3-server.png", 3, 1}};
    int status = 0;
    for (const Shot& shot : shots) {
        // Each showing starts from the same file: loading moves the plain passwords.
        vendral::detail::SetSettingsFilePath(SampleSettings());
        vendral::DialogState& state = vendral::CurrentDialogState();
        state.Mode = shot.Mode;
        state.AskServer = shot.AskServer;
        vendral::qt::FrmODBCSettings dialog;
        dialog.Load();
        dialog.show();
        const QString path = QDir(folder).filePath(QString::fromUtf8(shot.File));
        if (!vendral::test::qt::SaveWindowScreenshot(&dialog, path)) {
            std::fprintf(stderr, "could not write %s\n", path.toLocal8Bit().constData());
            status = 1;
        }
        dialog.hide();
    }
    return status;
}
