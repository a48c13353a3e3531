// Which readings of a statement text matter on a connection: the string forms
// of its engine. A PostgreSQL session of the library takes backslashes in
// plain texts literally (it turns standard_conforming_strings on when it
// opens), and so does a MariaDB or MySQL one (NO_BACKSLASH_ESCAPES); an engine
// the library does not know is read in every way.
#include "base/text.h"
#include "data/statement_text.h"
#include "odbc/connection_access.h"
#include "odbc/driver_kind.h"
#include "odbc/odbc.h"

namespace vendral::detail {

std::vector<SqlReading> ReadingsOf(const Connection& connection) {
    auto dbc = static_cast<SQLHDBC>(ConnectionAccess::NativeHandle(connection));
    SQLCHAR name[256] = {};
    SQLSMALLINT length = 0;
    std::string driver;
    if (dbc && SQL_SUCCEEDED(SQLGetInfo(dbc, SQL_DRIVER_NAME, name, sizeof name, &length)))
        driver = ToUpper(reinterpret_cast<char*>(name));
    if (driver.find("SQLITE") != std::string::npos) return {SqlReading::SQLite};
    if (driver.find("PSQLODBC") != std::string::npos) return {SqlReading::PostgreSQL};
    // The placeholder reading first: it decides the statement's kind and
    // finds the "#" that ExecSQL numbers.
    if (IsMariaDBDriverName(driver)) return {SqlReading::MariaDBPlaceholder, SqlReading::MariaDB};
    return {std::begin(kEveryReading), std::end(kEveryReading)};
}

bool ReadsAsMariaDB(const Connection& connection) {
    return ReadingsOf(connection).front() == SqlReading::MariaDBPlaceholder;
}

}  // namespace vendral::detail
