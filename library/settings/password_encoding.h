// The stored form of an empty password.
#pragma once

#include <string>

#include "base/internal_export.h"

namespace vendral::detail {

// What DecodePassword gives for the stored form of an empty password; the
// opening code treats it as no password.
VENDRAL_TEST_INTERNAL const std::string& EmptyPasswordSentinel();

}  // namespace vendral::detail

// The library's own code names these without the detail qualifier.
namespace vendral {
using namespace detail;
}  // namespace vendral
