#include "vendral/widgets/qt_ui_host.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QString>

#include "base/qt/widget_application.h"

namespace vendral {
namespace {

constexpr int kButtonOk = 1;

// Qt windows need a QApplication; a console program that links the widget
// library has none, and then the headless behaviour stands.
bool HaveWidgetApplication() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

// The widget library installs its host when it is loaded, so that a Qt
// program gets real windows without a call of its own.
[[maybe_unused]] const bool kInstalledAtLoad = [] {
    InstallQtUiHost();
    return true;
}();

}  // namespace

QtUiHost::QtUiHost() = default;

QtUiHost::~QtUiHost() {
    if (busyShown_ && HaveWidgetApplication()) QGuiApplication::restoreOverrideCursor();
}

int QtUiHost::MessageBox(const std::string& text, const std::string& title, MessageIcon icon) {
    if (!HaveWidgetApplication()) return headless_.MessageBox(text, title, icon);
    QMessageBox box(
        icon == MessageIcon::Exclamation ? QMessageBox::Warning : QMessageBox::Information,
        QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok,
        QApplication::activeWindow());
    box.setObjectName(QStringLiteral("VendralMessageBox"));
    box.exec();
    return kButtonOk;
}

void QtUiHost::SetMousePointer(int pointer) {
    if (!HaveWidgetApplication()) return;
    if (pointer == kPointerBusy) {
        if (!busyShown_) {
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
            busyShown_ = true;
        }
    } else if (busyShown_) {
        QGuiApplication::restoreOverrideCursor();
        busyShown_ = false;
    }
}

void QtUiHost::DoEvents() {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}

std::shared_ptr<UiHost> InstallQtUiHost() {
    return InstallUiHost(std::make_shared<QtUiHost>());
}

}  // namespace vendral
