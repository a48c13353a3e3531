#include "com/server_module.h"

#include <atomic>
#include <filesystem>
#include <iterator>
#include <new>

#include "base/utf8_path.h"
#include "com/library_windows.h"
#include "com/ref_counted.h"

namespace vendral::com {
namespace {

class ClassFactory final : public SingleInterface<IClassFactory, IID_IClassFactory> {
  public:
    ClassFactory(ServerModule& module, const ClassEntry& entry) : module_(module), entry_(entry) {
        module_.Objects.fetch_add(1);
    }
    ~ClassFactory() override { module_.Objects.fetch_sub(1); }

    HRESULT VENDRAL_COM_CALL CreateInstance(IUnknown* outer, const IID& iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        IDispatch* object = nullptr;
        try {
            object = entry_.Create();
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_FAIL;
        }
        HRESULT result = object->QueryInterface(iid, out);
        object->Release();
        return result;
    }

    HRESULT VENDRAL_COM_CALL LockServer(std::int32_t lock) override {
        if (lock) {
            module_.Locks.fetch_add(1);
        } else if (module_.Locks.fetch_sub(1) <= 0) {
            module_.Locks.fetch_add(1);
            return E_UNEXPECTED;
        }
        return S_OK;
    }

  private:
    ServerModule& module_;
    const ClassEntry& entry_;
};

}  // namespace

std::vector<Registration> RegistrationOf(const ServerModule& module, const std::string& path) {
    return RegistrationOf(
        module,
        RegistrationPlace{path, detail::Utf8FromPath(detail::PathFromUtf8(path).parent_path()),
                          TypeLibraryPlatform()});
}

std::int32_t TypeLibrarySysKind() {
    // The entries of the dual interfaces have the layout of the Windows ABI of
    // the same pointer size on both platforms.
    constexpr std::int32_t kWin32 = 1, kWin64 = 3;
    return sizeof(void*) == 8 ? kWin64 : kWin32;
}

const char* TypeLibraryPlatform() {
    // The words of the SYSKIND values, as the type library key names them.
    static constexpr const char* kWords[] = {"win16", "win32", "mac", "win64"};
    std::int32_t kind = TypeLibrarySysKind();
    return kind >= 0 && kind < static_cast<std::int32_t>(std::size(kWords)) ? kWords[kind]
                                                                            : "win32";
}

}  // namespace vendral::com

namespace vendral::internal {

HRESULT GetClassObject(ServerModule& module, const CLSID* clsid, const IID* iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!clsid || !iid) return E_INVALIDARG;
    for (std::size_t i = 0; i < module.ClassCount; ++i) {
        if (!(*module.Classes[i].Clsid == *clsid)) continue;
        ClassFactory* factory = new (std::nothrow) ClassFactory(module, module.Classes[i]);
        if (!factory) return E_OUTOFMEMORY;
        HRESULT result = factory->QueryInterface(*iid, out);
        factory->Release();
        return result;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

namespace {
// The library's windows alive in this process, of every thread.
std::atomic<long> libraryWindows{0};
}  // namespace

void CountLibraryWindow(int delta) {
    libraryWindows.fetch_add(delta);
}

HRESULT CanUnloadNow(ServerModule& module) {
    return module.Objects.load() == 0 && module.Locks.load() == 0 && libraryWindows.load() == 0
               ? S_OK
               : S_FALSE;
}

}  // namespace vendral::internal
