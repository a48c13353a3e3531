// The one type library of the served classes, as the process sees it: each
// library of the process that serves classes under the library's id adds its
// classes as it loads (the core CDatabase and the public enumerations, the
// widget library CProgressBar and CSplash). Every class's type information
// leads to it, so that a client finds all the interfaces from any of the
// objects. It stands below the libraries' servers, so that the widget
// library's server reaches it without the core's.
#pragma once

#include <vector>

#include "base/internal_export.h"
#include "com/automation_object.h"

namespace vendral::internal {

// The library as it stands now. A description once given stays valid for the
// life of the process; a class added later shows in the next one asked for.
VENDRAL_INTERNAL const TypeLibraryInfo& ServedTypeLibrary();

// Adds classes and enumerations of a library of the process to the type
// library named name with id libid (the first library to add names it). The
// descriptions must live as long as the process (a served library stays
// loaded).
VENDRAL_INTERNAL void AddServedClasses(const char* name, const GUID* libid,
                                       const std::vector<CoclassInfo>& classes,
                                       const std::vector<EnumInfo>& enumerations = {});

}  // namespace vendral::internal
