// The database type of a settings-file section, derived from the ODBC driver
// registered for its data source.
#include <array>
#include <utility>

#include "base/text.h"
#include "data/cdatabase_state.h"
#include "settings/registry_lookup.h"
#include "vendral/cdatabase.h"
#include "vendral/settings.h"

namespace vendral {
namespace {

// Tested in this order; a later match replaces an earlier one, so a driver
// named for both Sybase and Adaptive Server is ADAPTIVESYBASE.
constexpr std::array<std::pair<const char*, const char*>, 5> kDriverWords = {{
    {"SYBASE", "SYBASE"},
    {"ADAPTIVE", "ADAPTIVESYBASE"},
    {"ORACLE", "ORACLE"},
    {"SQL SERVER", "SQLSERVER"},
    {"ACCESS", "ACCESS"},
}};

// Writes the type of the section's data source: a known word, else the
// upper-cased driver name (empty when the data source is not registered for
// the machine).
void DetectFromDriver(const std::string& section, const std::string& file) {
    std::string dsn = ReadIniValue(section, "DSN", "", file).ToString();
    Variant driverValue = ReadRegistryValue(kOdbcDataSourcesKey, dsn, kRootLocalMachine);
    std::string driver =
        driverValue.IsEmpty() || driverValue.IsNull() ? "" : ToUpper(driverValue.ToString());
    std::string type;
    for (const auto& [word, typeWord] : kDriverWords) {
        if (driver.find(word) != std::string::npos) type = typeWord;
    }
    WriteIniValue(section, "DatabaseType", type.empty() ? driver : type, file);
}

}  // namespace

void CDatabase::Impl::DetectDatabaseType(const std::string& section) {
    const std::string& file = SettingsFilePath();
    std::string type = ToUpper(ReadIniValue(section, "DatabaseType", "", file).ToString());
    if (type.empty()) DetectFromDriver(section, file);
    // A missing "ForceDriver" is written as "FALSE"; anything else keeps a type set by hand.
    std::string force =
        ToUpper(ReadIniValue(section, "ForceDriver", "FALSE", file, true).ToString());
    if (force == "FALSE") DetectFromDriver(section, file);
}

std::string CDatabase::Impl::ReadDatabaseType(const std::string& section) const {
    return ToUpper(ReadIniValue(section, "DatabaseType", "", SettingsFilePath()).ToString());
}

}  // namespace vendral
