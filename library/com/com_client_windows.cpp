// The client side on Windows: classes are created by the system's component
// runtime (CoCreateInstance) from the real registry, and errors are read with
// the system's GetErrorInfo.
#include "vendral/com_client.h"

#include <ole2.h>
#include <windows.h>

#include <cstdio>

#include "base/text_windows.h"
#include "com/registry_file.h"
#include "com/server_module.h"

namespace vendral::com {
namespace {

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// The calling thread's share of the component runtime: joined once, at the
// thread's first creation, and left when the thread ends. A thread whose
// apartment is another's (RPC_E_CHANGED_MODE) keeps it and is not left.
class ApartmentMembership {
  public:
    ApartmentMembership() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ApartmentMembership() {
        if (result_ == S_OK || result_ == S_FALSE) CoUninitialize();
    }
    ApartmentMembership(const ApartmentMembership&) = delete;
    ApartmentMembership& operator=(const ApartmentMembership&) = delete;
    HRESULT Result() const { return result_; }

  private:
    HRESULT result_;
};

HRESULT JoinApartment() {
    thread_local ApartmentMembership membership;
    return membership.Result();
}

}  // namespace

std::string RegistryFilePath() {
    return "HKEY_CLASSES_ROOT";
}

IUnknown* CreateObject(const std::string& classId, const IID& iid,
                       const std::optional<ClassManifest>& /*fallback: the registry decides*/,
                       Activation* activation) {
    // The calling thread joins a single-threaded apartment once; a thread
    // that already has one keeps it.
    HRESULT init = JoinApartment();
    if (FAILED(init) && init != RPC_E_CHANGED_MODE)
        throw ActivationError(init, "the component runtime cannot start (error " + Hex(init) + ")");
    std::wstring name = detail::Utf8ToWide(classId);
    CLSID clsid{};
    HRESULT hr = classId.starts_with("{") ? CLSIDFromString(name.c_str(), &clsid)
                                          : CLSIDFromProgID(name.c_str(), &clsid);
    if (FAILED(hr))
        throw ActivationError(REGDB_E_CLASSNOTREG,
                              classId +
                                  " is not registered; register the library with "
                                  "regsvr32 vendral.dll");
    void* out = nullptr;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, &out);
    if (FAILED(hr) || !out)
        throw ActivationError(
            FAILED(hr) ? hr : E_NOINTERFACE,
            "the registered library cannot create " + classId + " (error " + Hex(hr) + ")");
    if (activation) {
        activation->Library = LibraryPathOf((*static_cast<void* const* const*>(out))[0]);
        activation->FromRegistry = true;
        activation->RegistryFile = RegistryFilePath();
    }
    return static_cast<IUnknown*>(out);
}

IErrorInfo* TakeErrorInfo(IUnknown* object, const IID& iid) {
    if (!object) return nullptr;
    ISupportErrorInfo* support = nullptr;
    if (FAILED(object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support))) ||
        !support)
        return nullptr;
    bool supports = support->InterfaceSupportsErrorInfo(iid) == S_OK;
    support->Release();
    IErrorInfo* error = nullptr;
    if (!supports || ::GetErrorInfo(0, &error) != S_OK) return nullptr;
    return error;
}

std::string UnsafeLibraryReason(const std::string& /*path: the file system's ACLs guard it*/) {
    return {};
}

void FreeUnusedLibraries() {
    CoFreeUnusedLibraries();
}

}  // namespace vendral::com
