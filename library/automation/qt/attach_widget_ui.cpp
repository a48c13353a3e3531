// The core's way in for a client without a user interface of its own: the
// QApplication the process needs and this library's host. The core looks the
// entry point up by name when it loads the widget library.
#include <exception>

#include "base/qt/widget_application.h"
#include "vendral/export.h"
#include "vendral/widgets/qt_ui_host.h"

// 1 when windows can be shown.
extern "C" VENDRAL_API int VendralAttachWidgetUi() {
    try {
        vendral::qt::RequireWidgetApplication("The user interface");
    } catch (const std::exception&) {
        return 0;
    }
    vendral::InstallQtUiHost();
    return 1;
}
