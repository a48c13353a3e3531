// Whether a component library may be loaded: code that users other than its
// owner and root may replace runs in every program that creates its classes.
#pragma once

#include <string>

namespace vendral::com {

// Why the library at path must not be loaded (the file, or a folder on its
// path or on the path of the file it links to, may be written by users other
// than its owner and root), with what to do about it; empty when it may be.
// A folder with the sticky bit (such as /tmp) protects the entries of others.
std::string UnsafeLibraryReason(const std::string& path);

}  // namespace vendral::com
