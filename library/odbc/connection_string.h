// Connection strings in the forms the original data objects took, turned into
// ODBC connection strings.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "base/internal_export.h"

namespace vendral::detail {

using Attribute = std::pair<std::string, std::string>;

// "key=value;key={value;with;semicolons}" into its attributes, keys as written.
VENDRAL_TEST_INTERNAL std::vector<Attribute> ParseConnectionString(const std::string& text);
// One attribute value as ODBC wants it: braced (with "}" doubled) when it holds
// ";", "{", "}" or surrounding blanks, else exactly as it is.
VENDRAL_TEST_INTERNAL std::string QuoteAttributeValue(const std::string& value);
VENDRAL_TEST_INTERNAL std::string JoinAttributes(const std::vector<Attribute>& attributes);

struct VENDRAL_TEST_INTERNAL OdbcTarget {
    std::string Provider;       // as the caller named it (the default provider when absent)
    std::string OdbcString;     // what SQLDriverConnect receives
    bool FileDatabase = false;  // a database file (the Jet provider)
    std::string FilePath;
};

// Provider "MSDASQL" (the default) passes the other attributes to the driver
// manager; a Jet provider opens the file named by "Data Source" as an SQLite
// database. A non-empty user id or password replaces UID or PWD.
VENDRAL_TEST_INTERNAL OdbcTarget TranslateConnectionString(const std::string& text,
                                                      const std::string& userId,
                                                      const std::string& password);
// Whether an ODBC connection string names a data source, a driver or a file
// data source; without one the driver manager falls back to its default.
VENDRAL_TEST_INTERNAL bool NamesDataSource(const std::string& odbcString);
// A completed connection string without its password, for reporting.
VENDRAL_TEST_INTERNAL std::string WithoutPassword(const std::string& odbcString);

}  // namespace vendral::detail

// The library's own code names these without the detail qualifier.
namespace vendral {
using namespace detail;
}  // namespace vendral
