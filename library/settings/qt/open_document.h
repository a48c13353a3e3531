// Opens a document with the program the desktop associates with it.
#pragma once

#include <string>

#include "base/internal_export.h"

namespace vendral::detail::qt {

// Hands path to the desktop's opener; true when the opener could be started.
VENDRAL_TEST_INTERNAL bool OpenDocument(const std::string& path);

}  // namespace vendral::detail::qt

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace qt = detail::qt;
}  // namespace vendral
