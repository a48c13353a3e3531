// Connection strings in the forms the original data objects took, turned into
// ODBC connection strings.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vendral {

using Attribute = std::pair<std::string, std::string>;

// "key=value;key={value;with;semicolons}" into its attributes, keys as written.
std::vector<Attribute> ParseConnectionString(const std::string& text);
// One attribute value as ODBC wants it: braced (with "}" doubled) when it holds
// ";", "{", "}" or surrounding blanks, else exactly as it is.
std::string QuoteAttributeValue(const std::string& value);
std::string JoinAttributes(const std::vector<Attribute>& attributes);

struct OdbcTarget {
    std::string Provider;       // as the caller named it (the default provider when absent)
    std::string OdbcString;     // what SQLDriverConnect receives
    bool FileDatabase = false;  // a database file (the Jet provider)
    std::string FilePath;
};

// Provider "MSDASQL" (the default) passes the other attributes to the driver
// manager; a Jet provider opens the file named by "Data Source" as an SQLite
// database. A non-empty user id or password replaces UID or PWD.
OdbcTarget TranslateConnectionString(const std::string& text, const std::string& userId,
                                     const std::string& password);
// A completed connection string without its password, for reporting.
std::string WithoutPassword(const std::string& odbcString);

}  // namespace vendral
