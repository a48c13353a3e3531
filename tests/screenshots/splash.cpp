// splash.png: the splash of our own prodwell while it loads (four of ten steps).
#include <QApplication>
#include <QDir>
#include <iostream>

#include "desktop/qt/frm_splash.h"
#include "support/qt/screenshot.h"
#include "vendral/widgets/csplash.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: shot_splash OUTPUT_FOLDER\n";
        return 2;
    }
    vendral::CSplash splash;
    splash.ShowSplash(PRODWELL_PATH);
    for (int i = 0; i < 5; ++i) splash.LoadStep();
    QWidget* form = vendral::qt::FrmSplash::Loaded();
    QString path = QDir(argv[1]).filePath("splash.png");
    if (form == nullptr || !vendral::test::qt::SaveWindowScreenshot(form, path)) {
        std::cerr << "could not write " << path.toStdString() << "\n";
        return 1;
    }
    return 0;
}
