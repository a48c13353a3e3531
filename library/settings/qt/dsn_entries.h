// The data source names the ODBC driver manager lists.
#pragma once

#include <string>
#include <vector>

namespace vendral::qt {

// Every data source (user and system), in the driver manager's order; names
// that are all blanks are left out. Failures end the list without a message.
std::vector<std::string> ListDataSourceNames();

}  // namespace vendral::qt
