// The connection strings with which the library opens its connections.
#pragma once

#include <string>

#include "base/internal_export.h"

// The widget library's settings dialog builds the same strings.
namespace vendral::internal {

// "Provider=MSDASQL;dsn=...;uid=...;pwd=...". A value holding ";", "{", "}" or
// surrounding blanks is put in braces so that it can neither add attributes
// nor lose characters; other values are written as they are.
VENDRAL_INTERNAL std::string OdbcConnectionString(const std::string& dsn, const std::string& uid,
                                                  const std::string& pwd);

}  // namespace vendral::internal

namespace vendral::detail {

using internal::OdbcConnectionString;
// "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=FILE", the path braced in the same way.
VENDRAL_TEST_INTERNAL std::string FileConnectionString(const std::string& path);

}  // namespace vendral::detail

// The library's own code names these without the detail qualifier.
namespace vendral {
using namespace detail;
}  // namespace vendral
