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

}  // namespace vendral
