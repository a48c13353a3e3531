// The errors the data objects raise themselves, with their texts, SQLSTATEs
// and numbers in one place (CDatabase's own are in data/data_errors.h). Each one is either the
// caller's mistake (a refused argument, a call the object's state does not allow: UsageError) or a
// failure of the database or the machine (DatabaseError). The texts are what callers and their logs
// have always seen; change none of them.
#pragma once

#include <cstdint>
#include <string>

#include "odbc/connection_access.h"
#include "vendral/connection.h"

namespace vendral::detail {

enum class ErrorKind { Database, Usage };

// The SQLSTATE, the error number and the kind of one library error; the text
// is given beside it where it carries the call's values.
struct ErrorCode {
    const char* SQLState;
    std::int32_t Number;
    ErrorKind Kind;
};

// Error numbers of the data objects.
constexpr std::int32_t kNumberObjectClosed = 3704;
constexpr std::int32_t kNumberObjectOpen = 3705;
constexpr std::int32_t kNumberNoCurrentRecord = 3021;
constexpr std::int32_t kNumberItemNotFound = 3265;
constexpr std::int32_t kNumberArgumentOutOfRange = 3001;

// SQLSTATEs of the library's own errors.
constexpr const char* kStateGeneral = "HY000";
constexpr const char* kStateOutOfMemory = "HY001";
constexpr const char* kStateSequenceError = "HY010";
constexpr const char* kStateInvalidArgument = "HY024";
constexpr const char* kStateNotConnected = "08003";
constexpr const char* kStateAlreadyConnected = "08002";
constexpr const char* kStateTransactionState = "25000";
// PostgreSQL's state of a transaction that an error aborted: every statement
// fails until the end, and a COMMIT there quietly rolls back.
constexpr const char* kStateTransactionAborted = "25P02";

// The data objects' own texts.
constexpr const char* kObjectClosedText = "Operation is not allowed when the object is closed.";
constexpr const char* kObjectOpenText = "Operation is not allowed when the object is open.";
constexpr const char* kNoCurrentRecordText =
    "Either BOF or EOF is True, or the current record has been deleted. Requested operation "
    "requires a current record.";
constexpr const char* kItemNotFoundText =
    "Item cannot be found in the collection corresponding to the requested name or ordinal.";
// Followed by the name that was asked for.
constexpr const char* kItemNotFoundNamedText =
    "Item cannot be found in the collection corresponding to the requested name or ordinal: ";

// A connection: not open, open already, or a transaction call out of turn.
constexpr ErrorCode kConnectionClosed{kStateNotConnected, kNumberObjectClosed, ErrorKind::Usage};
constexpr ErrorCode kConnectionOpen{kStateAlreadyConnected, kNumberObjectOpen, ErrorKind::Usage};
constexpr ErrorCode kTransactionOutOfTurn{kStateTransactionState, 0, ErrorKind::Usage};
constexpr const char* kTransactionOpenText = "A transaction is already open on this connection.";
constexpr const char* kNoTransactionText = "No transaction is open on this connection.";

// A connection the driver left in manual-commit mode, and a transaction the
// database rolled back on its own: failures, not mistakes.
constexpr ErrorCode kManualCommitLeft{kStateGeneral, 0, ErrorKind::Database};
constexpr const char* kManualCommitText =
    "The connection could not return to autocommit mode after a transaction and can no longer "
    "be used; close it and open it again.";
constexpr ErrorCode kTransactionAborted{kStateTransactionAborted, 0, ErrorKind::Database};
constexpr const char* kTransactionAbortedText =
    "The database rolled the transaction back after an earlier error in it; nothing of it was "
    "committed.";

// A recordset: closed, open already, without a current row, without the column asked for.
constexpr ErrorCode kRecordsetClosed{kStateSequenceError, kNumberObjectClosed, ErrorKind::Usage};
constexpr ErrorCode kRecordsetOpen{kStateSequenceError, kNumberObjectOpen, ErrorKind::Usage};
constexpr ErrorCode kNoCurrentRecord{"24000", kNumberNoCurrentRecord, ErrorKind::Usage};
constexpr ErrorCode kItemNotFound{"07009", kNumberItemNotFound, ErrorKind::Usage};
constexpr ErrorCode kCacheSizeRefused{kStateInvalidArgument, kNumberArgumentOutOfRange,
                                      ErrorKind::Usage};
inline std::string CacheSizeRefusedText(std::int32_t rows) {
    return "CacheSize must be at least 1, not " + std::to_string(rows) + ".";
}

// The rows of an open cursor that a commit would end could not be kept.
constexpr ErrorCode kRowsNotKept{kStateOutOfMemory, 0, ErrorKind::Database};
constexpr const char* kRowsNotKeptText = "The rows of an open recordset could not be kept: ";
constexpr const char* kRowsNotKeptOutOfMemoryText =
    "The rows of an open recordset could not be kept: out of memory.";

// The driver manager gave no handle, or a failing call left no record.
constexpr ErrorCode kNoHandle{kStateOutOfMemory, 0, ErrorKind::Database};
constexpr const char* kNoHandleText = "Could not allocate an ODBC handle";
constexpr ErrorCode kSilentFailure{kStateGeneral, 0, ErrorKind::Database};
constexpr const char* kInvalidHandleText = "Invalid ODBC handle";
constexpr const char* kFailedWithoutMessageText = "The ODBC call failed without a message";
constexpr const char* kUnknownDatabaseErrorText = "Unknown database error";

// A connection string that names no data source: the driver manager would
// take its default driver, which may create a database of its own.
constexpr ErrorCode kNoDataSource{"IM002", 0, ErrorKind::Usage};
constexpr const char* kNoDataSourceText =
    "The connection string names no data source (DSN), driver (DRIVER) or file data source "
    "(FILEDSN).";

// A MariaDB or MySQL session that could not be made to read backslashes in
// texts literally: the library's quoting would corrupt values there, so the
// connection is closed instead (the server's own error follows this one).
constexpr ErrorCode kBackslashesNotLiteral{kStateGeneral, 0, ErrorKind::Database};
constexpr const char* kBackslashesNotLiteralText =
    "The MariaDB session could not be switched to read backslashes in texts literally "
    "(SQL mode NO_BACKSLASH_ESCAPES); it is not used, since texts would be stored changed.";

inline ErrorRecord Record(const ErrorCode& code, std::string text) {
    return ErrorRecord{std::move(text), code.SQLState, code.Number};
}

// Throws the error as its kind.
[[noreturn]] inline void Raise(const ErrorCode& code, std::string text) {
    if (code.Kind == ErrorKind::Usage) throw UsageError({Record(code, std::move(text))});
    throw DatabaseError({Record(code, std::move(text))});
}

// Records the error on the connection (Errors(), the transaction's failure)
// and throws it as its kind.
[[noreturn]] inline void Raise(Connection& connection, const ErrorCode& code, std::string text) {
    if (code.Kind == ErrorKind::Usage)
        ConnectionAccess::FailUsage(connection, Record(code, std::move(text)));
    ConnectionAccess::Fail(connection, {Record(code, std::move(text))});
}

}  // namespace vendral::detail
