// Screenshots of Prodwell's window on a small SQLite CRM database: before a
// run (prodwell-window.png) and with the closing message over it
// (prodwell-done.png).
#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <fstream>
#include <iostream>

#include "kick_date.h"
#include "support/qt/modal_watcher.h"
#include "support/qt/screenshot.h"
#include "support/test_database.h"
#include "window/form1.h"

using namespace vendral;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: shot_prodwell_window OUTPUT_FOLDER\n";
        return 2;
    }
    ::umask(077);  // the settings file holds a password
    QApplication application(argc, argv);
    QDir out(QString::fromLocal8Bit(argv[1]));
    test::TestDatabase crm(test::Engine::SQLite);
    crm.Exec("INSERT INTO syncusers (associate_id) VALUES (12)");
    auto kick = kick::DateSeconds(2008, 6, 8);
    for (int id = 1; id <= 40; ++id) {
        crm.Exec(
            "INSERT INTO appointment (appointment_id, associate_id, registered_associate_id, "
            "do_by, type) VALUES (" +
            std::to_string(id) + ", " + (id % 3 == 0 ? "13" : "12") + ", 12, " +
            std::to_string(kick + id * 86400) + ", " + (id % 2 == 0 ? "1" : "2") + ")");
        crm.Exec("INSERT INTO syncsoapp (appointment_id) VALUES (" + std::to_string(id) + ")");
    }
    std::string settings = test::TestOdbc::Instance().ScratchPath("prodwell.ini");
    std::ofstream(settings) << "[Central]\nDSN=" << crm.Dsn() << "\nUID=" << crm.Uid()
                            << "\nPWD=" << crm.Pwd() << "\nDBPrefix=" << crm.Prefix() << "\n";

    kick::Form1 window(settings, [] {
        return std::make_shared<kick::CDatabaseKick>(std::make_shared<CDatabase>());
    });
    window.move(80, 80);
    window.show();
    bool ok = test::qt::SaveWindowScreenshot(&window, out.filePath("prodwell-window.png"));

    // The closing message: grab the window with the box over it, then close it.
    test::qt::ModalWatcher watcher([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) return true;
        QString boxShot = out.filePath("prodwell-done-box.png");
        ok = test::qt::SaveWindowScreenshot(box, boxShot) && ok;
        QFile::remove(boxShot);
        QRect area = window.frameGeometry().united(box->frameGeometry()).adjusted(-10, -10, 10, 10);
        ok = test::qt::SaveScreenRegion(area.x(), area.y(), area.width(), area.height(),
                                        out.filePath("prodwell-done.png")) &&
             ok;
        test::qt::ClickButton(box->buttons().front());
        return false;
    });
    test::qt::ClickButton(window.findChild<QPushButton*>("Command1"));
    std::cout << (ok ? "prodwell-window.png, prodwell-done.png" : "a screenshot failed") << "\n";
    return ok ? 0 : 1;
}
