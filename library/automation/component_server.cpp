// The entry points of libvendral.so as an in-process component server.
#include "automation/component_server.h"

#include "automation/served_classes.h"

namespace vendral {
namespace {

void Anchor() {}

#define VENDRAL_SERVED_ENTRY(name, progId, create) VENDRAL_CLASS_ENTRY(name, progId, &create)
const com::ClassEntry kClasses[] = {VENDRAL_SERVED_CLASSES(VENDRAL_SERVED_ENTRY)};
#undef VENDRAL_SERVED_ENTRY

}  // namespace

com::ServerModule& VendralModule() {
    // The library's object and lock counts; the one state of the server that
    // is shared by all threads, as DllCanUnloadNow answers for the library.
    static com::ServerModule module{
        kClasses,           std::size(kClasses),    true,
        kServedTypeLibrary, kServedTypeLibraryName, reinterpret_cast<const void*>(&Anchor)};
    return module;
}

}  // namespace vendral

VENDRAL_SERVER_ENTRY_POINTS(vendral::VendralModule)
