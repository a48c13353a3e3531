// brix-textbox.png: the labelled text box in its states, one per row: the
// hint, the hint of a mandatory field, a filled field, the focused field and a
// disabled one.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <iostream>

#include "support/qt/screenshot.h"
#include "vendral/widgets/brix_textbox.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: shot_brix-textbox OUTPUT_FOLDER\n";
        return 2;
    }
    QWidget window;
    window.setWindowTitle(QStringLiteral("BrixTextBox"));
    window.resize(400, 200);
    const char* captions[] = {"hint", "mandatory hint", "filled", "focused", "disabled"};
    vendral::BrixTextBox* boxes[5];
    for (int row = 0; row < 5; ++row) {
        auto* caption = new QLabel(QString::fromLatin1(captions[row]), &window);
        caption->setGeometry(12, 14 + row * 36, 110, 18);
        boxes[row] = new vendral::BrixTextBox(&window);
        boxes[row]->move(130, 14 + row * 36);
        boxes[row]->resize(250, boxes[row]->height());
    }
    boxes[0]->FieldTip("Name");
    boxes[0]->Text("");
    boxes[1]->FieldTip("Company");
    boxes[1]->Mandatory(true);
    boxes[1]->Text("");
    boxes[2]->FieldTip("City");
    boxes[2]->Text("Rotterdam");
    boxes[3]->FieldTip("Street");
    boxes[3]->Text("Coolsingel 40");
    boxes[4]->FieldTip("Country");
    boxes[4]->Text("Nederland");
    // Each field decides its display as when the focus leaves it.
    for (int row = 0; row < 4; ++row) boxes[row]->Enabled(true);
    boxes[4]->Enabled(false);

    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) {
        std::cerr << "the window did not become active\n";
        return 1;
    }
    boxes[3]->findChild<QLineEdit*>(QStringLiteral("txt"))->setFocus();
    const QString path = QDir(QString::fromLocal8Bit(argv[1])).filePath("brix-textbox.png");
    if (!vendral::test::qt::SaveWindowScreenshot(&window, path)) {
        std::cerr << "could not write " << path.toStdString() << "\n";
        return 1;
    }
    return 0;
}
