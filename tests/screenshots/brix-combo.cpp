// brix-combo-open.png: a labelled combo box with its list open beside a
// closed one that shows its choice, both opened and picked by mouse clicks.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QWidget>
#include <iostream>

#include "support/qt/screenshot.h"
#include "vendral/widgets/brix_combo.h"

namespace {

void Click(QWidget* widget, QPoint point) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, point);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: shot_brix-combo OUTPUT_FOLDER\n";
        return 2;
    }
    QWidget window;
    window.setWindowTitle(QStringLiteral("BrixCombo"));
    window.resize(480, 150);
    auto* closed = new vendral::BrixCombo(&window);
    closed->move(12, 12);
    closed->resize(210, closed->height());
    closed->FieldTip("Priority");
    auto* open = new vendral::BrixCombo(&window);
    open->move(250, 12);
    open->resize(210, open->height());
    open->FieldTip("Country");
    open->Mandatory(true);
    open->Clear();
    const char* countries[] = {"Belgium", "Germany", "Luxembourg", "Netherlands"};
    for (int i = 0; i < 4; ++i) open->AddItem(countries[i], 31 + i);
    open->Enabled(true);

    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) {
        std::cerr << "the window did not become active\n";
        return 1;
    }
    // The closed one: open it by its arrow and pick "twee".
    auto* arrow = closed->findChild<QLabel*>(QStringLiteral("img"));
    auto* list = closed->findChild<QListWidget*>(QStringLiteral("lst"));
    Click(arrow, QPoint(4, 7));
    Click(list->viewport(), list->visualItemRect(list->item(2)).center());
    // The open one: open it by a click on its hint and select an entry.
    auto* openList = open->findChild<QListWidget*>(QStringLiteral("lst"));
    Click(open->findChild<QLabel*>(QStringLiteral("lbl")), QPoint(20, 5));
    openList->setCurrentRow(3);
    // The focus is in the open list, so the closed one shows at rest.
    openList->setFocus();

    const QString path = QDir(QString::fromLocal8Bit(argv[1])).filePath("brix-combo-open.png");
    if (!vendral::test::qt::SaveWindowScreenshot(&window, path)) {
        std::cerr << "could not write " << path.toStdString() << "\n";
        return 1;
    }
    return 0;
}
