#include "data/settings_file_access.h"

namespace vendral::detail {

// Windows has no owner-only mode bits to point to: the C runtime's stat
// reports every readable file as readable by all, and who may read the file
// is the business of its folder's access list. No warning, then.
bool ReadableByOthers(const std::string& /*file*/) {
    return false;
}

}  // namespace vendral::detail
