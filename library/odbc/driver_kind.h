// Whether the driver behind a connection string takes wide-character calls.
#pragma once

#include <string>

namespace vendral {

// The driver manager hands text to a narrow (ANSI) driver by cutting each
// UTF-16 unit to one byte, which loses every character outside Latin-1. So a
// narrow driver is called through the narrow functions with UTF-8 text (the
// SQLite driver takes UTF-8), and a Unicode driver through the wide ones.
// Found the way the driver manager finds it: the driver library (named by
// DRIVER=, or by the data source's Driver entry) exports SQLDriverConnectW.
bool IsUnicodeDriver(const std::string& odbcConnectionString);

// Whether a driver's own name (SQL_DRIVER_NAME, in capitals) is that of the
// MariaDB connector (libmaodbc) or MySQL's (libmyodbc), which share their SQL.
inline bool IsMariaDBDriverName(const std::string& upperDriverName) {
    for (const char* word : {"MAODBC", "MARIADB", "MYODBC", "MYSQL"})
        if (upperDriverName.find(word) != std::string::npos) return true;
    return false;
}

}  // namespace vendral
