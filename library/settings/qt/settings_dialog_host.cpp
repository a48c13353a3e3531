#include "settings/qt/settings_dialog_host.h"

#include <QApplication>
#include <QPointer>
#include <QThread>

#include "settings/qt/frm_odbc_settings.h"
#include "vendral/settings.h"

namespace vendral::detail::qt {
namespace {

// The dialog is created on first use and kept; widgets must go before the
// application object does.
QPointer<FrmODBCSettings>& Instance() {
    static QPointer<FrmODBCSettings> instance;
    return instance;
}

void DeleteInstance() {
    delete Instance().data();
}

// The dialog plugs into the core when the widget library loads, so that
// CDatabase shows it whatever UI host the program installed.
[[maybe_unused]] const bool kRunnerInstalledAtLoad = [] {
    // A closure rather than the function itself, whose type would be exported.
    InstallSettingsDialogRunner([] { return RunSettingsDialog(); });
    return true;
}();

}  // namespace

FrmODBCSettings& SettingsDialog() {
    if (Instance().isNull()) {
        Instance() = new FrmODBCSettings;
        qAddPostRoutine(DeleteInstance);
    }
    return *Instance();
}

bool RunSettingsDialog() {
    // Qt windows need a QApplication of this thread; without one (a console
    // program that links the widget library) the core says why there is none.
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (application == nullptr || application->thread() != QThread::currentThread()) return false;
    SettingsDialog().ShowModally();
    return true;
}

}  // namespace vendral::detail::qt
