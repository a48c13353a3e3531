// Registration by a user who may not write the machine's classes: the test
// denies this process's users the right to add keys or values under
// HKEY_LOCAL_MACHINE\Software\Classes (a deny entry in that key's access
// list, which Wine's registry enforces as Windows does), lets the library
// register itself, and reads back that the classes went under the user's own
// HKEY_CURRENT_USER\Software\Classes and that unregistration removes them.
// The key's access list is put back at the end. Prints one line per check and
// "SENTINEL ..." at its end.
//   per_user_registration.exe LIBRARY
// Run when the machine has no registration of the library.
#include <aclapi.h>
#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "checks.h"
#include "vendral/class_ids.h"

namespace {

using checks::Check;

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

std::string GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    std::string narrow;
    for (const wchar_t* c = text; *c; ++c) narrow.push_back(static_cast<char>(*c));
    return narrow;
}

// The default or named value of a key, "" when it is missing.
std::string Value(HKEY root, const std::string& path, const char* name = nullptr) {
    char data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueA(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS)
        return "";
    return data;
}

bool KeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Denies writes to the machine's classes for as long as it lives, and puts
// the key's own access list back afterwards.
class MachineClassesDenied {
  public:
    MachineClassesDenied() {
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes", 0, READ_CONTROL | WRITE_DAC,
                          &key_) != ERROR_SUCCESS)
            return;
        PACL current = nullptr;
        if (GetSecurityInfo(key_, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                            &current, nullptr, &original_) != ERROR_SUCCESS)
            return;
        EXPLICIT_ACCESSW deny{};
        wchar_t everyone[] = L"EVERYONE";
        BuildExplicitAccessWithNameW(&deny, everyone, KEY_CREATE_SUB_KEY | KEY_SET_VALUE,
                                     DENY_ACCESS, NO_INHERITANCE);
        PACL denied = nullptr;
        if (SetEntriesInAclW(1, &deny, current, &denied) != ERROR_SUCCESS) return;
        active_ = SetSecurityInfo(key_, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, denied, nullptr) == ERROR_SUCCESS;
        LocalFree(denied);
        originalAcl_ = current;
    }
    ~MachineClassesDenied() {
        if (active_)
            SetSecurityInfo(key_, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                            originalAcl_, nullptr);
        if (original_) LocalFree(original_);
        if (key_) RegCloseKey(key_);
    }
    MachineClassesDenied(const MachineClassesDenied&) = delete;
    MachineClassesDenied& operator=(const MachineClassesDenied&) = delete;
    bool Active() const { return active_; }

  private:
    HKEY key_ = nullptr;
    PSECURITY_DESCRIPTOR original_ = nullptr;  // owns originalAcl_
    PACL originalAcl_ = nullptr;
    bool active_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string library = argv[1];
    const std::string clsid = GuidText(vendral::CLSID_CDatabase);
    const std::string libid = GuidText(vendral::LIBID_Vendral);
    const std::string user = "Software\\Classes\\";
    {
        MachineClassesDenied denied;
        Check("the machine's classes are made read-only for the test", denied.Active());
        HKEY probe = nullptr;
        Check("a key under the machine's classes cannot be opened for writing",
              RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes", 0,
                            KEY_CREATE_SUB_KEY | KEY_SET_VALUE, &probe) == ERROR_ACCESS_DENIED);
        if (probe) RegCloseKey(probe);

        HMODULE module = LoadLibraryW(Wide(library).c_str());
        Check("the library loads", module != nullptr);
        if (!module) return checks::Finish("per_user_registration");
        using Entry = HRESULT(STDAPICALLTYPE*)();
        auto registerServer = reinterpret_cast<Entry>(GetProcAddress(module, "DllRegisterServer"));
        auto unregisterServer =
            reinterpret_cast<Entry>(GetProcAddress(module, "DllUnregisterServer"));
        HRESULT hr = registerServer ? registerServer() : E_FAIL;
        Check("DllRegisterServer succeeds", hr == S_OK, std::to_string(hr));
        Check("the ProgID is the user's",
              Value(HKEY_CURRENT_USER, user + "Vendral.CDatabase\\CLSID") == clsid,
              Value(HKEY_CURRENT_USER, user + "Vendral.CDatabase\\CLSID"));
        const std::string server =
            Value(HKEY_CURRENT_USER, user + "CLSID\\" + clsid + "\\InprocServer32");
        Check("the class names the library under the user's classes",
              lstrcmpiA(server.c_str(), library.c_str()) == 0, server);
        Check("the type library is the user's",
              lstrcmpiA(
                  Value(HKEY_CURRENT_USER, user + "TypeLib\\" + libid + "\\1.0\\0\\win64").c_str(),
                  library.c_str()) == 0);
        Check("nothing was written under the machine's classes",
              !KeyExists(HKEY_LOCAL_MACHINE, "Software\\Classes\\Vendral.CDatabase"));

        // Windows merges the user's classes into HKEY_CLASSES_ROOT for
        // activation; Wine's HKEY_CLASSES_ROOT is the machine's classes alone,
        // so creating the object through them is not checked here.

        hr = unregisterServer ? unregisterServer() : E_FAIL;
        Check("DllUnregisterServer succeeds", hr == S_OK, std::to_string(hr));
        Check("unregistration removes the user's ProgID",
              !KeyExists(HKEY_CURRENT_USER, user + "Vendral.CDatabase"));
        Check("unregistration removes the user's class",
              !KeyExists(HKEY_CURRENT_USER, user + "CLSID\\" + clsid));
        FreeLibrary(module);
    }
    return checks::Finish("per_user_registration");
}
