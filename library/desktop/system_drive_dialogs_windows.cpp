#include "desktop/system_drive_dialogs.h"

#include <windows.h>
// winnetwk.h builds on windows.h.
#include <winnetwk.h>

#include <cstdint>

namespace vendral::detail::desktop {
namespace {

// A 32-bit window handle as the caller holds it, widened as the system does.
HWND OwnerWindow(std::int32_t owner) {
    return reinterpret_cast<HWND>(static_cast<std::intptr_t>(owner));
}

// The system's dialogs, for disks; their result as the system gives it: 0 when
// done, -1 when cancelled, else an error number.
class WNetDriveDialogs : public DriveDialogs {
  public:
    std::int32_t ShowConnect(std::int32_t owner, CFile& /*file*/) override {
        return static_cast<std::int32_t>(
            ::WNetConnectionDialog(OwnerWindow(owner), RESOURCETYPE_DISK));
    }
    std::int32_t ShowDisconnect(std::int32_t owner, CFile& /*file*/) override {
        return static_cast<std::int32_t>(
            ::WNetDisconnectDialog(OwnerWindow(owner), RESOURCETYPE_DISK));
    }
};

}  // namespace

std::shared_ptr<DriveDialogs> SystemDriveDialogs() {
    static const std::shared_ptr<DriveDialogs> dialogs = std::make_shared<WNetDriveDialogs>();
    return dialogs;
}

}  // namespace vendral::detail::desktop
