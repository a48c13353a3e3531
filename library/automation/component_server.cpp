// The entry points of libvendral.so as an in-process component server.
#include "automation/component_server.h"

namespace vendral {
namespace {

void Anchor() {}

const com::ClassEntry kClasses[] = {
    {"CDatabase", &CLSID_CDatabase, &IID__CDatabase, "Vendral.CDatabase", &NewDatabaseObject},
};

}  // namespace

com::ServerModule& VendralModule() {
    // The library's object and lock counts; the one state of the server that
    // is shared by all threads, as DllCanUnloadNow answers for the library.
    static com::ServerModule module{kClasses,  std::size(kClasses),
                                    true,      &LIBID_Vendral,
                                    "Vendral", reinterpret_cast<const void*>(&Anchor)};
    return module;
}

}  // namespace vendral

VENDRAL_SERVER_ENTRY_POINTS(vendral::VendralModule)
