// The data source names the ODBC driver manager lists.
#pragma once

#include <sql.h>

#include <functional>
#include <string>
#include <vector>

#include "base/internal_export.h"

namespace vendral::detail::qt {

// Every data source (user and system), in the driver manager's order; names
// that are all blanks are left out. Failures end the list without a message.
VENDRAL_TEST_INTERNAL std::vector<std::string> ListDataSourceNames();

// One SQLDataSources call with SQL_FETCH_NEXT: fills the name buffer of the
// given size, sets its length and returns the call's status.
using DataSourceFetch =
    std::function<SQLRETURN(SQLCHAR* name, SQLSMALLINT size, SQLSMALLINT* length)>;
// The names fetch gives while it returns SQL_SUCCESS; the name of a call that
// returns SQL_SUCCESS_WITH_INFO is kept and ends the list.
VENDRAL_TEST_INTERNAL std::vector<std::string> CollectDataSourceNames(const DataSourceFetch& fetch);

}  // namespace vendral::detail::qt

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace qt = detail::qt;
}  // namespace vendral
