#include "automation/served_type_library.h"

#include <list>
#include <mutex>

#include "vendral/class_ids.h"

namespace vendral {

// From cdatabase_members.cpp: CDatabase's description and the enumerations.
const com::ClassInfo& DatabaseClass();
const std::vector<com::EnumInfo>& PublicEnumerations();

}  // namespace vendral

namespace vendral::internal {
namespace {

struct Libraries {
    std::mutex Lock;
    std::vector<CoclassInfo> Added;
    // Every version handed out; type information objects keep references to
    // them, so none is ever freed.
    std::list<TypeLibraryInfo> Versions;
    bool Changed = true;
};

Libraries& State() {
    static Libraries* state = new Libraries;  // never destroyed: see Versions
    return *state;
}

}  // namespace

const TypeLibraryInfo& ServedTypeLibrary() {
    Libraries& state = State();
    std::lock_guard<std::mutex> guard(state.Lock);
    if (state.Changed) {
        TypeLibraryInfo library{"Vendral",
                                &LIBID_Vendral,
                                {{"CDatabase", &CLSID_CDatabase, &DatabaseClass()}},
                                PublicEnumerations()};
        library.Classes.insert(library.Classes.end(), state.Added.begin(), state.Added.end());
        state.Versions.push_back(std::move(library));
        state.Changed = false;
    }
    return state.Versions.back();
}

void AddServedClasses(const std::vector<CoclassInfo>& classes) {
    Libraries& state = State();
    std::lock_guard<std::mutex> guard(state.Lock);
    for (const CoclassInfo& added : classes) {
        bool known = false;
        for (const CoclassInfo& existing : state.Added) known |= *existing.Clsid == *added.Clsid;
        if (!known) state.Added.push_back(added);
    }
    state.Changed = true;
}

}  // namespace vendral::internal
