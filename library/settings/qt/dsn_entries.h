// The data source names the ODBC driver manager lists.
#pragma once

#include <string>
#include <vector>

#include "platform/internal_export.h"

namespace vendral::detail::qt {

// Every data source (user and system), in the driver manager's order; names
// that are all blanks are left out. Failures end the list without a message.
VENDRAL_INTERNAL std::vector<std::string> ListDataSourceNames();

}  // namespace vendral::detail::qt

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace qt = detail::qt;
}  // namespace vendral
