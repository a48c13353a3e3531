// Every database file opens through the SQLite driver here: there is no
// Access driver to hand an Access file to.
#include "odbc/file_database.h"

namespace vendral::detail {

std::optional<ErrorRecord> ChooseFileDatabaseDriver(OdbcTarget& /*target: SQLite's already*/) {
    return std::nullopt;
}

}  // namespace vendral::detail
