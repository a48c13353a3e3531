// The kick's sequence of statements sent through the ODBC C API by a minimal
// loop: the yardstick for the cost of the library's layers.
#pragma once

#include <cstdint>
#include <string>

namespace vendral::bench {

struct RawKickResult {
    std::int64_t RowsLookedAt = 0;
    std::int32_t Appointments = 0;
    std::int32_t Tasks = 0;
};

// Connects with "DSN=...;UID=...;PWD=...", runs both phases and disconnects.
// Throws std::runtime_error with the driver's message on any failure.
RawKickResult RunRawKick(const std::string& dsn, const std::string& uid, const std::string& pwd,
                         const std::string& prefix, std::int32_t associateID,
                         std::int32_t kickTime);

}  // namespace vendral::bench
