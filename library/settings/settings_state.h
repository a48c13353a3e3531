// Setting the per-thread settings file path: only opening and the settings
// dialog name the file in use; everyone else reads SettingsFilePath().
#pragma once

#include <string>

#include "base/internal_export.h"
#include "vendral/settings.h"

namespace vendral::detail {

// The library's own callers name it here too.
using vendral::SetSettingsFilePath;

}  // namespace vendral::detail

// The library's own code names these without the detail qualifier.
namespace vendral {
using namespace detail;
}  // namespace vendral
