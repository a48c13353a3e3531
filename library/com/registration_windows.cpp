// Registration in the Windows registry, and the library's own path from its
// module handle. The machine's classes (HKEY_CLASSES_ROOT) when they can be
// written, else the user's (HKEY_CURRENT_USER\Software\Classes), which the
// system merges into HKEY_CLASSES_ROOT for that user.
#include <windows.h>

#include <string>
#include <vector>

#include "base/text_windows.h"
#include "com/server_module.h"

namespace vendral::com {
namespace {

using detail::Utf8ToWide;
using detail::WideToUtf8;

// Owns an open registry key.
class Key {
  public:
    Key() = default;
    ~Key() {
        if (key_) RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

// The root the classes are written under: HKEY_CLASSES_ROOT when this user
// may write the machine's classes, else the user's own.
struct ClassesRoot {
    HKEY Root;
    std::wstring Prefix;
};

bool MachineWritable() {
    Key key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes", 0,
                         KEY_CREATE_SUB_KEY | KEY_SET_VALUE, key.out()) == ERROR_SUCCESS;
}

ClassesRoot WritableRoot() {
    if (MachineWritable()) return {HKEY_CLASSES_ROOT, L""};
    return {HKEY_CURRENT_USER, L"Software\\Classes\\"};
}

HRESULT Write(const ClassesRoot& root, const Registration& value) {
    Key key;
    std::wstring path = root.Prefix + Utf8ToWide(value.Key);
    if (RegCreateKeyExW(root.Root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, key.out(), nullptr) != ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    if (value.Name.empty() && value.Value.empty()) return S_OK;
    std::wstring name = Utf8ToWide(value.Name), data = Utf8ToWide(value.Value);
    LSTATUS status = RegSetValueExW(key.get(), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(data.c_str()),
                                    static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    return status == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

bool HasSubkeys(HKEY root, const std::wstring& path) {
    Key key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) return false;
    DWORD subkeys = 0;
    return RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           subkeys > 0;
}

}  // namespace

std::string LibraryPathOf(const void* address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCWSTR>(address), &module))
        return {};
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return WideToUtf8(path);
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace vendral::com

namespace vendral::internal {

HRESULT RegisterServer(ServerModule& module) {
    std::string path = LibraryPathOf(module.Anchor);
    if (path.empty()) return SELFREG_E_CLASS;
    ClassesRoot root = WritableRoot();
    for (const Registration& value : RegistrationOf(module, path)) {
        if (HRESULT hr = Write(root, value); FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT UnregisterServer(ServerModule& module) {
    // Both roots: a registration per user may stand beside the machine's.
    auto values = RegistrationOf(module, "");
    for (const ClassesRoot& root : {ClassesRoot{HKEY_CURRENT_USER, L"Software\\Classes\\"},
                                    ClassesRoot{HKEY_LOCAL_MACHINE, L"Software\\Classes\\"}}) {
        // Subkeys first; a parent goes only when nothing of another owner is left below it.
        for (auto it = values.rbegin(); it != values.rend(); ++it) {
            std::wstring path = root.Prefix + Utf8ToWide(it->Key);
            if (!HasSubkeys(root.Root, path)) RegDeleteKeyW(root.Root, path.c_str());
        }
    }
    return S_OK;
}

}  // namespace vendral::internal
