// Where the widget library lives and what stands beside it: the help file, the
// library's own settings file, and the name and version the dialog shows.
#pragma once

#include <string>

namespace vendral::qt {

// The folder of the loaded libvendral-widgets module, without a trailing slash.
std::string LibraryFolder();
// Makes LibraryFolder() report another folder (an empty text restores the
// module's own). Lets tests put or leave out the files beside the library.
void OverrideLibraryFolder(const std::string& folder);

// "vendralhlp.mht" in the library's folder.
std::string HelpFilePath();
// The settings file named after the library ("vendral.ini") in its folder.
std::string LibrarySettingsPath();
// The library's description, a blank, and its version as major.minor.revision.
std::string LibraryVersionCaption();

}  // namespace vendral::qt
