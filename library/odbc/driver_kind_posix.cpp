#include "odbc/driver_kind.h"

#include <dlfcn.h>
#include <odbcinst.h>

#include <map>

#include "base/text.h"
#include "odbc/connection_string.h"

namespace vendral {
namespace {

std::string ProfileString(const std::string& section, const std::string& key, const char* file) {
    char buffer[4096] = {};
    int length =
        SQLGetPrivateProfileString(section.c_str(), key.c_str(), "", buffer, sizeof buffer, file);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

// A driver given by name is looked up in the driver list; a path is used as it is.
std::string DriverLibrary(const std::string& driver) {
    if (driver.find('/') != std::string::npos) return driver;
    return ProfileString(driver, "Driver", "ODBCINST.INI");
}

struct DriverEntry {
    std::string Dsn;
    std::string Library;
    std::map<std::string, std::string> Attributes;  // of the string, keys in upper case
};

DriverEntry FindDriver(const std::string& odbcConnectionString) {
    DriverEntry entry;
    std::string driver;
    for (const auto& [key, value] : ParseConnectionString(odbcConnectionString)) {
        std::string upper = ToUpper(key);
        entry.Attributes.emplace(upper, value);
        if (upper == "DRIVER" && driver.empty()) driver = value;
        if (upper == "DSN" && entry.Dsn.empty()) entry.Dsn = value;
    }
    if (driver.empty() && !entry.Dsn.empty())
        driver = ProfileString(entry.Dsn, "Driver", "ODBC.INI");
    if (driver.empty()) driver = ProfileString("Default", "Driver", "ODBC.INI");
    entry.Library = DriverLibrary(driver);
    return entry;
}

}  // namespace

bool IsUnicodeDriver(const std::string& odbcConnectionString) {
    std::string library = FindDriver(odbcConnectionString).Library;
    if (library.empty()) return true;  // unknown: the wide calls are the safe default

    // The driver manager loads the same library for the connection; it stays
    // loaded rather than being loaded and unloaded again for every open.
    void* handle = dlopen(library.c_str(), RTLD_LAZY | RTLD_LOCAL | RTLD_NOLOAD);
    if (!handle) handle = dlopen(library.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!handle) return true;
    bool wide = dlsym(handle, "SQLDriverConnectW") != nullptr;
    dlclose(handle);  // drops only this lookup's reference
    return wide;
}

}  // namespace vendral
