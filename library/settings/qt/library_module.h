// Where the widget library lives and what stands beside it: the help file, the
// library's own settings file, and the name and version the dialog shows.
#pragma once

#include <string>

#include "base/internal_export.h"

namespace vendral::detail::qt {

// The folder of the loaded libvendral-widgets module, without a trailing slash.
VENDRAL_TEST_INTERNAL std::string LibraryFolder();
// Makes LibraryFolder() report another folder (an empty text restores the
// module's own). Lets tests put or leave out the files beside the library.
VENDRAL_TEST_INTERNAL void OverrideLibraryFolder(const std::string& folder);

// "vendralhlp.mht" in the library's folder.
VENDRAL_TEST_INTERNAL std::string HelpFilePath();
// The settings file named after the library ("vendral.ini") in its folder.
VENDRAL_TEST_INTERNAL std::string LibrarySettingsPath();
// The library's description, a blank, and its version as major.minor.revision.
VENDRAL_TEST_INTERNAL std::string LibraryVersionCaption();

}  // namespace vendral::detail::qt

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace qt = detail::qt;
}  // namespace vendral
