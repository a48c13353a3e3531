#include "odbc/connection_strings.h"

#include "odbc/connection_string.h"

namespace vendral::internal {

std::string OdbcConnectionString(const std::string& dsn, const std::string& uid,
                                 const std::string& pwd) {
    using detail::QuoteAttributeValue;
    return "Provider=MSDASQL;dsn=" + QuoteAttributeValue(dsn) + ";uid=" + QuoteAttributeValue(uid) +
           ";pwd=" + QuoteAttributeValue(pwd);
}

}  // namespace vendral::internal

namespace vendral::detail {

std::string FileConnectionString(const std::string& path) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + QuoteAttributeValue(path);
}

}  // namespace vendral::detail
