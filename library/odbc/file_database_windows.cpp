// An Access file opens through the system's Access driver, as the driver
// manager lists it; any other file through the SQLite driver.
#include <windows.h>
// The ODBC headers build on windows.h.
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include "base/text.h"
#include "odbc/file_database.h"

namespace vendral::detail {
namespace {

constexpr const char* kNoDriverState = "IM002";  // no such data source or driver

// The drivers the driver manager knows, by their names.
std::vector<std::string> InstalledDrivers() {
    std::vector<std::string> drivers;
    SQLHENV environment = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment)))
        return drivers;
    SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                  0);
    SQLWCHAR name[512];
    SQLWCHAR attributes[2048];
    SQLSMALLINT nameLength = 0, attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDriversW(environment, direction, name, 512, &nameLength, attributes,
                                     2048, &attributesLength))) {
        drivers.push_back(FromUtf16(reinterpret_cast<const char16_t*>(name)));
        direction = SQL_FETCH_NEXT;
    }
    SQLFreeHandle(SQL_HANDLE_ENV, environment);
    return drivers;
}

}  // namespace

std::optional<ErrorRecord> ChooseFileDatabaseDriver(OdbcTarget& target) {
    const FileDatabaseKind kind = ReadFileDatabaseKind(target.FilePath);
    if (kind == FileDatabaseKind::Other) return std::nullopt;
    std::optional<std::string> driver = ChooseAccessDriver(kind, InstalledDrivers());
    if (!driver) {
        return ErrorRecord{target.FilePath + " is a Microsoft Access database and no Access " +
                               "driver is installed: install the ODBC driver \"" + kAccessDriver +
                               "\" (the Microsoft Access Database Engine) to open it",
                           kNoDriverState, 0};
    }
    target.OdbcString = "Driver={" + *driver + "};DBQ=" + QuoteAttributeValue(target.FilePath);
    return std::nullopt;
}

}  // namespace vendral::detail
