// The platform's own dialogs for mapping and removing a network drive.
#pragma once

#include <memory>

#include "vendral/cfile.h"

namespace vendral::detail::desktop {

// The dialogs CFile shows while no others are installed; nullptr where the
// platform has none of its own.
std::shared_ptr<DriveDialogs> SystemDriveDialogs();

}  // namespace vendral::detail::desktop
