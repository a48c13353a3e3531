// The product's classes by their ProgIDs.
#include "vendral/class_ids.h"

#include <strings.h>

namespace vendral::com {

std::optional<CLSID> VendralClassId(const std::string& progId) {
    if (strcasecmp(progId.c_str(), "Vendral.CDatabase") == 0) return CLSID_CDatabase;
    if (strcasecmp(progId.c_str(), "Vendral.CProgressBar") == 0) return CLSID_CProgressBar;
    if (strcasecmp(progId.c_str(), "Vendral.CSplash") == 0) return CLSID_CSplash;
    return std::nullopt;
}

}  // namespace vendral::com
