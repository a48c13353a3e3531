// The registry lookup of a data source's driver in the Windows registry:
// under "Software\ODBC\odbc.ini\ODBC Data Sources" of the machine (system data
// sources) or of the user, the value named after a data source is its
// driver's name. The key is opened for reading only: asking for write access
// would fail for every user who may not write under HKEY_LOCAL_MACHINE.
#include "settings/registry_lookup.h"

#include <windows.h>

#include <string>
#include <vector>

#include "base/text_windows.h"

namespace vendral::detail {
namespace {

constexpr std::int32_t kInvalidHandle = 6;  // the key is not open
constexpr std::int32_t kUnreadType = -1;    // a value that is not text

HKEY RootKey(std::int16_t root) {
    if (root == kRootCurrentUser) return HKEY_CURRENT_USER;
    if (root == kRootLocalMachine) return HKEY_LOCAL_MACHINE;
    return nullptr;
}

}  // namespace

Variant ReadRegistryValue(const std::string& keyPath, const std::string& valueName,
                          std::int16_t root) {
    Variant value;
    QueryRegistryValue(RegistryKey{root, keyPath}, valueName, value);
    return value;
}

std::int32_t QueryRegistryValue(const RegistryKey& key, const std::string& valueName,
                                Variant& value) {
    HKEY root = RootKey(key.Root);
    if (!root) return kInvalidHandle;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, Utf8ToAnsi(key.Path).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return kInvalidHandle;
    std::string name = Utf8ToAnsi(valueName);
    DWORD type = 0, size = 0;
    LSTATUS status = RegQueryValueExA(opened, name.c_str(), nullptr, &type, nullptr, &size);
    std::vector<char> data(size + 1, '\0');
    if (status == ERROR_SUCCESS)
        status = RegQueryValueExA(opened, name.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(data.data()), &size);
    RegCloseKey(opened);
    if (status != ERROR_SUCCESS) return static_cast<std::int32_t>(status);
    if (type != REG_SZ && type != REG_EXPAND_SZ) return kUnreadType;
    value = Variant(AnsiToUtf8(std::string(data.data())));
    return 0;
}

}  // namespace vendral::detail
