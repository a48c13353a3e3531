// The one type library of the served classes, as the process sees it: CDatabase
// and the public enumerations from this library, and the classes of every other
// library of the process that serves classes under the same library id (the
// widget library adds CProgressBar and CSplash when it is loaded). Every class's
// type information leads to it, so that a client finds the three interfaces
// from any of the objects.
#pragma once

#include <vector>

#include "base/internal_export.h"
#include "com/automation_object.h"

namespace vendral::internal {

// The library as it stands now. A description once given stays valid for the
// life of the process; a class added later shows in the next one asked for.
VENDRAL_INTERNAL const TypeLibraryInfo& ServedTypeLibrary();

// Adds classes served by another library of the process; their descriptions
// must live as long as the process (a served library stays loaded).
VENDRAL_INTERNAL void AddServedClasses(const std::vector<CoclassInfo>& classes);

}  // namespace vendral::internal
