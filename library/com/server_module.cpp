#include "com/server_module.h"

#include <atomic>
#include <filesystem>
#include <new>

#include "base/utf8_path.h"
#include "com/ref_counted.h"
#include "com/registry_file.h"  // GuidText

namespace vendral::com {
namespace {

class ClassFactory final : public SingleInterface<IClassFactory, IID_IClassFactory> {
  public:
    ClassFactory(ServerModule& module, const ClassEntry& entry) : module_(module), entry_(entry) {
        module_.Objects.fetch_add(1);
    }
    ~ClassFactory() override { module_.Objects.fetch_sub(1); }

    HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** out) override {
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

    HRESULT LockServer(std::int32_t lock) override {
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

std::string ClassKey(const ClassEntry& entry) {
    return "CLSID\\" + GuidText(*entry.Clsid);
}

std::string TypeLibraryKey(const ServerModule& module) {
    return "TypeLib\\" + GuidText(*module.TypeLibrary);
}

}  // namespace

std::vector<Registration> RegistrationOf(const ServerModule& module, const std::string& path) {
    std::vector<Registration> values;
    for (std::size_t i = 0; i < module.ClassCount; ++i) {
        const ClassEntry& entry = module.Classes[i];
        std::string key = ClassKey(entry);
        values.push_back({key, "", entry.Name});
        values.push_back({key + "\\InprocServer32", "", path});
        values.push_back({key + "\\InprocServer32", "ThreadingModel", "Apartment"});
        values.push_back({key + "\\ProgID", "", entry.ProgId});
        values.push_back({entry.ProgId, "", entry.Name});
        values.push_back({std::string(entry.ProgId) + "\\CLSID", "", GuidText(*entry.Clsid)});
        // The interface, its marshaller, and the type library that describes it.
        std::string dual = "Interface\\" + GuidText(*entry.Iid);
        values.push_back({dual, "", std::string("_") + entry.Name});
        values.push_back({dual + "\\ProxyStubClsid32", "", GuidText(kAutomationMarshaller)});
        values.push_back({dual + "\\TypeLib", "", GuidText(*module.TypeLibrary)});
        values.push_back({dual + "\\TypeLib", "Version", "1.0"});
    }
    if (module.RegistersTypeLibrary) {
        // The library file holds its type information itself.
        std::string version = TypeLibraryKey(module) + "\\1.0";
        values.push_back({TypeLibraryKey(module), "", ""});
        values.push_back({version, "", module.TypeLibraryName});
        values.push_back({version + "\\0", "", ""});
        values.push_back({version + "\\0\\" + TypeLibraryPlatform(), "", path});
        values.push_back({version + "\\FLAGS", "", "0"});
        values.push_back({version + "\\HELPDIR", "",
                          detail::Utf8FromPath(detail::PathFromUtf8(path).parent_path())});
    }
    return values;
}

const char* TypeLibraryPlatform() {
#if defined(_WIN32)
    return sizeof(void*) == 8 ? "win64" : "win32";
#else
    return sizeof(void*) == 8 ? "linux64" : "linux32";
#endif
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

HRESULT CanUnloadNow(ServerModule& module) {
    return module.Objects.load() == 0 && module.Locks.load() == 0 ? S_OK : S_FALSE;
}

}  // namespace vendral::internal
