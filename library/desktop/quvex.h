// The helper program "QUVEX.EXE" in the "SYSTEM" folder under the Windows
// folder, which a double click on the library's forms starts. The Windows
// folder is the one named by the environment variable WINDIR; without that
// variable (as on Linux, where it is not set) nothing is started.
#pragma once

#include <string>

#include "base/internal_export.h"

// The widget library's forms start it as the core's do.
namespace vendral::internal {

// Starts the program as a separate process, without waiting for it, when the
// file exists. Every failure is swallowed; true when a process was started.
VENDRAL_INTERNAL bool StartQuvexIfPresent() noexcept;

}  // namespace vendral::internal

namespace vendral::detail::desktop {

// WINDIR with "\SYSTEM\QUVEX.EXE" (on Linux every "\" as "/"), or "" when
// WINDIR is not set.
VENDRAL_TEST_INTERNAL std::string QuvexPath();
using internal::StartQuvexIfPresent;

}  // namespace vendral::detail::desktop

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace desktop = detail::desktop;
}  // namespace vendral
