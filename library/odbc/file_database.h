// A database file named by the Jet provider's "Data Source": what kind of file
// it is, and which driver opens it. The platform part (file_database_*.cpp)
// decides the driver: on Windows an Access file goes to the system's Access
// driver, elsewhere every file goes to the SQLite driver.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/internal_export.h"
#include "odbc/connection_string.h"
#include "vendral/errors.h"

namespace vendral::detail {

enum class FileDatabaseKind { Other, Jet, Ace };

// The two drivers of Access files: the newer reads both formats, the older
// Jet's .mdb files only.
inline constexpr const char* kAccessDriver = "Microsoft Access Driver (*.mdb, *.accdb)";
inline constexpr const char* kJetAccessDriver = "Microsoft Access Driver (*.mdb)";

// The kind by a file's first bytes: Jet 3/4 files carry "Standard Jet DB" and
// ACE files "Standard ACE DB" at offset 4.
VENDRAL_TEST_INTERNAL FileDatabaseKind KindOfDatabaseHeader(std::string_view header);
// The kind of the file at a UTF-8 path; Other when it cannot be read.
VENDRAL_TEST_INTERNAL FileDatabaseKind ReadFileDatabaseKind(const std::string& path);
// The driver, of those installed, that opens an Access file of the kind;
// none when no installed driver reads it.
VENDRAL_TEST_INTERNAL std::optional<std::string> ChooseAccessDriver(
    FileDatabaseKind kind, const std::vector<std::string>& installedDrivers);

// Points a file database's target at the driver that opens the file, or gives
// the error that says which driver is missing.
VENDRAL_TEST_INTERNAL std::optional<ErrorRecord> ChooseFileDatabaseDriver(OdbcTarget& target);

}  // namespace vendral::detail
