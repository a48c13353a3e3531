#include "desktop/system_drive_dialogs.h"

namespace vendral::detail::desktop {

// The desktop has no such dialogs: only the widget library's are shown.
std::shared_ptr<DriveDialogs> SystemDriveDialogs() {
    return nullptr;
}

}  // namespace vendral::detail::desktop
