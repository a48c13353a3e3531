#include "com/served_type_library.h"

#include <list>
#include <mutex>

namespace vendral::internal {
namespace {

struct Libraries {
    std::mutex Lock;
    const char* Name = nullptr;
    const GUID* Libid = nullptr;
    std::vector<CoclassInfo> Added;
    std::vector<EnumInfo> Enumerations;
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
        state.Versions.push_back(TypeLibraryInfo{state.Name ? state.Name : "", state.Libid,
                                                 state.Added, state.Enumerations});
        state.Changed = false;
    }
    return state.Versions.back();
}

void AddServedClasses(const char* name, const GUID* libid, const std::vector<CoclassInfo>& classes,
                      const std::vector<EnumInfo>& enumerations) {
    Libraries& state = State();
    std::lock_guard<std::mutex> guard(state.Lock);
    if (!state.Name) {
        state.Name = name;
        state.Libid = libid;
    }
    state.Enumerations.insert(state.Enumerations.end(), enumerations.begin(), enumerations.end());
    for (const CoclassInfo& added : classes) {
        bool known = false;
        for (const CoclassInfo& existing : state.Added) known |= *existing.Clsid == *added.Clsid;
        if (!known) state.Added.push_back(added);
    }
    state.Changed = true;
}

}  // namespace vendral::internal
