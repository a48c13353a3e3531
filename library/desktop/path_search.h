// A directory search in the way of the platform's find-first-file call: the
// last component of the path may hold "*" and "?", everything before it is
// taken literally.
#pragma once

#include <optional>
#include <string>

#include "base/internal_export.h"

namespace vendral::detail::desktop {

struct VENDRAL_TEST_INTERNAL FoundEntry {
    std::string Name;
    bool IsFolder = false;
};

// The first entry the search finds, or nullopt when it finds none. An empty
// path or one that ends in a separator finds nothing.
VENDRAL_TEST_INTERNAL std::optional<FoundEntry> SearchFirst(const std::string& path);

// True when name matches pattern: "*" any run of characters, "?" one
// character (a code point), the rest literally; "*.*" also matches names
// without a dot.
VENDRAL_TEST_INTERNAL bool WildcardMatch(const std::string& pattern, const std::string& name);

// Leading and trailing spaces removed, then one trailing "\" or "/".
VENDRAL_TEST_INTERNAL std::string StripTrailingBackslash(const std::string& path);

}  // namespace vendral::detail::desktop

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace desktop = detail::desktop;
}  // namespace vendral
