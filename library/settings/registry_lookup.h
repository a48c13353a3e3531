// The registry lookup of a data source's driver, served from the ODBC
// configuration in place of the Windows registry.
#pragma once

#include <cstdint>
#include <string>

#include "base/internal_export.h"
#include "vendral/variant.h"

namespace vendral::detail {

// Registry roots of the driver lookup: the user's data sources (ODBCINI, else
// ~/.odbc.ini) and the system's (odbc.ini in ODBCSYSINI, else the system one).
constexpr std::int16_t kRootCurrentUser = 1;
constexpr std::int16_t kRootLocalMachine = 2;
// The key under which a data source's driver name is found.
inline constexpr const char* kOdbcDataSourcesKey = "Software\\ODBC\\odbc.ini\\ODBC Data Sources";

// A key opened by the registry lookup (served from the ODBC configuration).
struct RegistryKey {
    std::int16_t Root = 0;
    std::string Path;
};

VENDRAL_TEST_INTERNAL Variant ReadRegistryValue(const std::string& keyPath,
                                                const std::string& valueName, std::int16_t root);
// 0 and the value on success: text, or on Windows a 32-bit number (REG_DWORD).
// Otherwise the status is 2 for a missing value, 6 for a key that is not open,
// -1 for a value of another type (REG_EXPAND_SZ among them), and the value is
// left as it was; on Windows a text whose reading fails leaves it Empty.
VENDRAL_TEST_INTERNAL std::int32_t QueryRegistryValue(const RegistryKey& key,
                                                      const std::string& valueName, Variant& value);

}  // namespace vendral::detail

// The library's own code names these without the detail qualifier.
namespace vendral {
using namespace detail;
}  // namespace vendral
