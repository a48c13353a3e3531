// The Windows registry lookup of a data source's driver, served from unixODBC's configuration:
// under "Software\ODBC\odbc.ini\ODBC Data Sources" the value named after a data
// source is its driver's name, read from the system data sources (local
// machine) or the current user's (current user).
#include "settings/registry_lookup.h"

#include <odbcinst.h>

#include <cstdlib>
#include <optional>
#include <vector>

#include "base/private_profile.h"
#include "base/text.h"

namespace vendral::detail {
namespace {

// Statuses as the registry reports them.
constexpr std::int32_t kFileNotFound = 2;   // no such value
constexpr std::int32_t kInvalidHandle = 6;  // the key is not open

// The data-source file of a root, as the driver manager finds it: the user's
// in ODBCINI (else ~/.odbc.ini), the machine's as odbc.ini in ODBCSYSINI
// (else /etc). Read directly rather than by switching the driver manager's
// configuration mode, which is one setting for the whole process: a connect
// on another thread would look for its data source in the wrong place.
std::string DataSourceFile(std::int16_t root) {
    if (root == kRootLocalMachine) {
        const char* folder = std::getenv("ODBCSYSINI");
        return std::string(folder && *folder ? folder : "/etc") + "/odbc.ini";
    }
    if (const char* file = std::getenv("ODBCINI"); file && *file) return file;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.odbc.ini";
}

// Wide enough for any driver name or path.
constexpr std::size_t kEntryBuffer = 65536;

std::string DataSourceEntry(const std::string& section, const std::string& key, std::int16_t root) {
    return GetPrivateProfileString(section, key, "", kEntryBuffer, DataSourceFile(root));
}

// One entry of an ODBC configuration file; empty when missing.
std::string ProfileString(const std::string& section, const std::string& key, const char* file) {
    std::vector<char> buffer(512);
    for (;;) {
        int length = SQLGetPrivateProfileString(section.c_str(), key.c_str(), "", buffer.data(),
                                                static_cast<int>(buffer.size()), file);
        if (length <= 0) return std::string();
        if (static_cast<std::size_t>(length) + 1 < buffer.size() || buffer.size() >= 65536) {
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        }
        buffer.resize(buffer.size() * 4);
    }
}

// A data source may name its driver by the file that implements it; the
// registry holds the name under which odbcinst.ini lists that driver.
std::string DriverNameOfPath(const std::string& path) {
    std::vector<char> buffer(16384, '\0');
    WORD written = 0;
    if (!SQLGetInstalledDrivers(buffer.data(), static_cast<WORD>(buffer.size() - 1), &written)) {
        return path;
    }
    for (const char* name = buffer.data(); *name; name += std::string_view(name).size() + 1) {
        for (const char* key : {"Driver", "Driver64"}) {
            if (ProfileString(name, key, "odbcinst.ini") == path) return name;
        }
    }
    return path;
}

std::optional<std::string> DriverOfDataSource(const std::string& dsn, std::int16_t root) {
    if (dsn.empty()) return std::nullopt;
    std::string listed = DataSourceEntry("ODBC Data Sources", dsn, root);
    if (!listed.empty()) return listed;
    std::string driver = DataSourceEntry(dsn, "Driver", root);
    if (driver.empty()) return std::nullopt;
    if (driver.find('/') != std::string::npos) return DriverNameOfPath(driver);
    return driver;
}

bool IsOpenKey(const RegistryKey& key) {
    return (key.Root == kRootCurrentUser || key.Root == kRootLocalMachine) &&
           IEquals(key.Path, kOdbcDataSourcesKey);
}

}  // namespace

Variant ReadRegistryValue(const std::string& keyPath, const std::string& valueName,
                          std::int16_t root) {
    RegistryKey key{root, keyPath};
    Variant value;
    // Only the data-source key exists here; any other key does not open.
    if (!IsOpenKey(key)) return value;
    QueryRegistryValue(key, valueName, value);
    return value;
}

std::int32_t QueryRegistryValue(const RegistryKey& key, const std::string& valueName,
                                Variant& value) {
    if (!IsOpenKey(key)) return kInvalidHandle;
    std::optional<std::string> driver = DriverOfDataSource(valueName, key.Root);
    if (!driver) return kFileNotFound;
    // Every value under this key is text (REG_SZ); other types do not occur.
    value = Variant(*driver);
    return 0;
}

}  // namespace vendral::detail
