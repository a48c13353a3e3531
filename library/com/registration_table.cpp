// The keys and values that register a library's classes: the one table that
// DllRegisterServer writes on both platforms and that the Windows installer's
// registry entries are made from (installer/), so the two cannot differ.
// Nothing here calls the platform, so the installer's generator builds it on
// the host.
#include "com/registry_file.h"  // GuidText
#include "com/server_module.h"

namespace vendral::com {
namespace {

// The version of the classes, their interfaces and the type library.
constexpr char kVersion[] = "1.0";

std::string ClassKey(const ClassEntry& entry) {
    return "CLSID\\" + GuidText(*entry.Clsid);
}

std::string TypeLibraryKey(const ServerModule& module) {
    return "TypeLib\\" + GuidText(*module.TypeLibrary);
}

}  // namespace

std::vector<Registration> RegistrationOf(const ServerModule& module,
                                         const RegistrationPlace& place) {
    std::vector<Registration> values;
    for (std::size_t i = 0; i < module.ClassCount; ++i) {
        const ClassEntry& entry = module.Classes[i];
        std::string key = ClassKey(entry);
        values.push_back({key, "", entry.Name});
        values.push_back({key + "\\InprocServer32", "", place.Library});
        values.push_back({key + "\\InprocServer32", "ThreadingModel", "Apartment"});
        values.push_back({key + "\\ProgID", "", entry.ProgId});
        // What standard tools and early-binding clients read from a class key:
        // the ProgID that does not change between versions (the class has one
        // ProgID), the class's version and the type library that describes it.
        values.push_back({key + "\\VersionIndependentProgID", "", entry.ProgId});
        values.push_back({key + "\\Version", "", kVersion});
        values.push_back({key + "\\TypeLib", "", GuidText(*module.TypeLibrary)});
        values.push_back({entry.ProgId, "", entry.Name});
        values.push_back({std::string(entry.ProgId) + "\\CLSID", "", GuidText(*entry.Clsid)});
        // The interface, its marshaller, and the type library that describes it.
        std::string dual = "Interface\\" + GuidText(*entry.Iid);
        values.push_back({dual, "", std::string("_") + entry.Name});
        values.push_back({dual + "\\ProxyStubClsid32", "", GuidText(kAutomationMarshaller)});
        values.push_back({dual + "\\TypeLib", "", GuidText(*module.TypeLibrary)});
        values.push_back({dual + "\\TypeLib", "Version", kVersion});
    }
    if (module.RegistersTypeLibrary) {
        // The library file holds its type information itself.
        std::string version = TypeLibraryKey(module) + "\\" + kVersion;
        values.push_back({TypeLibraryKey(module), "", ""});
        values.push_back({version, "", module.TypeLibraryName});
        values.push_back({version + "\\0", "", ""});
        values.push_back({version + "\\0\\" + place.Platform, "", place.Library});
        values.push_back({version + "\\FLAGS", "", "0"});
        values.push_back({version + "\\HELPDIR", "", place.Folder});
    }
    return values;
}

}  // namespace vendral::com
