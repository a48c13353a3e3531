#include "base/private_profile.h"

namespace vendral::detail {

bool SettingsFilesInAnsi() {
    return false;
}

}  // namespace vendral::detail
