// The registry lookup of a data source's driver in the Windows registry:
// under "Software\ODBC\odbc.ini\ODBC Data Sources" of the machine (system data
// sources) or of the user, the value named after a data source is its
// driver's name. The key is opened for reading only: asking for write access
// would fail for every user who may not write under HKEY_LOCAL_MACHINE.
#include "settings/registry_lookup.h"

#include <windows.h>

#include <string>

#include "base/text_windows.h"

namespace vendral::detail {
namespace {

constexpr std::int32_t kInvalidHandle = 6;  // the key is not open
constexpr std::int32_t kUnreadType = -1;    // a value neither text nor a number

HKEY RootKey(std::int16_t root) {
    if (root == kRootCurrentUser) return HKEY_CURRENT_USER;
    if (root == kRootLocalMachine) return HKEY_LOCAL_MACHINE;
    return nullptr;
}

// The type and size first; then text (its terminating zero dropped) or a 32-bit
// number. A failed read of the text leaves the output Empty; any other type, or
// a failure of the first query, leaves it as it was.
std::int32_t QueryOpenKey(HKEY opened, const std::wstring& name, Variant& value) {
    DWORD type = 0, size = 0;
    LSTATUS status = RegQueryValueExW(opened, name.c_str(), nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) return static_cast<std::int32_t>(status);
    if (type == REG_SZ) {
        // The size is in bytes; one unit more keeps an odd count whole.
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        status = RegQueryValueExW(opened, name.c_str(), nullptr, nullptr,
                                  reinterpret_cast<BYTE*>(text.data()), &bytes);
        if (status != ERROR_SUCCESS) {
            value = Variant();
            return static_cast<std::int32_t>(status);
        }
        text.resize(bytes / sizeof(wchar_t));
        // A value stored without its terminating zero keeps its last character.
        if (!text.empty() && text.back() == L'\0') text.pop_back();
        value = Variant(WideToUtf8(text));
        return 0;
    }
    if (type == REG_DWORD) {
        DWORD number = 0;
        DWORD numberSize = sizeof number;
        status = RegQueryValueExW(opened, name.c_str(), nullptr, nullptr,
                                  reinterpret_cast<BYTE*>(&number), &numberSize);
        if (status == ERROR_SUCCESS) value = Variant(static_cast<std::int32_t>(number));
        return static_cast<std::int32_t>(status);
    }
    return kUnreadType;
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
    // The wide calls: key and value names, and the text, in any letters.
    if (RegOpenKeyExW(root, Utf8ToWide(key.Path).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return kInvalidHandle;
    const std::wstring name = Utf8ToWide(valueName);
    const std::int32_t status = QueryOpenKey(opened, name, value);
    RegCloseKey(opened);
    return status;
}

}  // namespace vendral::detail
