#include "settings/qt/settings_dialog_host.h"

#include <QCoreApplication>
#include <QPointer>

#include "settings/qt/frm_odbc_settings.h"

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

}  // namespace

FrmODBCSettings& SettingsDialog() {
    if (Instance().isNull()) {
        Instance() = new FrmODBCSettings;
        qAddPostRoutine(DeleteInstance);
    }
    return *Instance();
}

void RunSettingsDialog() {
    SettingsDialog().ShowModally();
}

}  // namespace vendral::detail::qt
