// Opens a document with the program the desktop associates with it.
#pragma once

#include <string>

namespace vendral::qt {

// Hands path to the desktop's opener; true when the opener could be started.
bool OpenDocument(const std::string& path);

}  // namespace vendral::qt
