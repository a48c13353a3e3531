// Every driver is called through the wide-character (W) calls on Windows: the
// driver manager converts for a driver that has only the narrow ones, and
// Wine's odbc32 has no working narrow entry points.
#include "odbc/driver_kind.h"

namespace vendral {

bool IsUnicodeDriver(const std::string& /*odbcConnectionString*/) {
    return true;
}

}  // namespace vendral
