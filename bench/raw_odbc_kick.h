// The kick's sequence of statements sent through the ODBC C API by a minimal
// loop: the yardstick for the cost of the library's layers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vendral::bench {

struct RawKickResult {
    std::int64_t RowsLookedAt = 0;
    std::int32_t Appointments = 0;
    std::int32_t Tasks = 0;
    double Seconds = 0;  // from the connection made to the last row, connecting not counted
};

// How a raw loop talks to the driver.
struct RawCalls {
    // The id reservation in a transaction of its own, as the library sends
    // it; otherwise every statement in autocommit.
    bool Transactions = true;
    // The wide (UTF-16) entry points, as a program that takes any text uses
    // them (and the library does with a Unicode driver); otherwise the narrow ones.
    bool Wide = false;
    // On PostgreSQL, the kick's read through a server cursor fetched blocks
    // of that many rows (psqlODBC's declare/fetch), read to its end before the
    // first write, as the library streams it; 0 reads the whole result at once.
    int CursorRows = 0;
};

// Connects with "DSN=...;UID=...;PWD=...", runs both phases and disconnects.
// Throws std::runtime_error with the driver's message on any failure.
RawKickResult RunRawKick(const std::string& dsn, const std::string& uid, const std::string& pwd,
                         const std::string& prefix, std::int32_t associateID, std::int32_t kickTime,
                         const RawCalls& calls);

// The floor of the job: the same log rows written by one INSERT ... SELECT of
// the engine (ids numbered in SQL), with the ids reserved in the same
// transaction. Returns the rows logged.
std::int64_t RunSingleStatementKick(const std::string& dsn, const std::string& uid,
                                    const std::string& pwd, const std::string& prefix,
                                    std::int32_t kickTime, double* seconds = nullptr);

// On SQLite in write-ahead-log mode: copies the log into the database file
// and empties it, so that the next timed kick does not pay for a checkpoint
// of the pages that the kicks before it wrote (the engine checkpoints within
// the commit that passes its threshold, whichever kick that is). Elsewhere
// nothing.
void CheckpointSqlite(const std::string& dsn, const std::string& uid, const std::string& pwd);

// The statement texts of CountRecords and GetFirstLongRecord sent count times
// through raw ODBC on one connection (one statement handle); returns a checksum.
std::int64_t RunRawHelperLoop(const std::string& dsn, const std::string& uid,
                              const std::string& pwd, const std::vector<std::string>& statements,
                              double* seconds = nullptr);

}  // namespace vendral::bench
