// Whether a settings file that holds a password may be read by users other
// than its owner, as database clients warn of for their password files.
#pragma once

#include <string>

namespace vendral::detail {

bool ReadableByOthers(const std::string& file);

}  // namespace vendral::detail
