// The module (vendral.dll, or the tests' copy) that the library's code runs
// in: it owns the library's resources and window classes.
#pragma once

#include <windows.h>

#include <string>

namespace vendral::detail {

HMODULE OwnModule();

// The module's file, empty when it cannot be read.
std::wstring OwnModuleFile();

}  // namespace vendral::detail
