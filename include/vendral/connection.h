/// @file
/// The data layer: Connection, Recordset and Field over the ODBC C API, in the
/// shape of the data objects the original component used, and DatabaseError,
/// the exception of every failure of the data layer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "vendral/export.h"
#include "vendral/variant.h"

namespace vendral {

/// @name Object states
/// What Connection::State() and Recordset::State() report.
/** @{ */
constexpr std::int32_t adStateClosed = 0;  ///< Closed.
constexpr std::int32_t adStateOpen = 1;    ///< Open.
/** @} */

/// @name Options of Recordset::Open
/// Cursor types, lock types and command options, taken for compatibility:
/// every recordset reads forward only, whatever is asked for.
/** @{ */
constexpr std::int32_t adOpenUnspecified = -1;  ///< Cursor type: unspecified.
constexpr std::int32_t adOpenForwardOnly = 0;   ///< Cursor type: forward only.
constexpr std::int32_t adOpenKeyset = 1;        ///< Cursor type: keyset.
constexpr std::int32_t adOpenDynamic = 2;       ///< Cursor type: dynamic.
constexpr std::int32_t adOpenStatic = 3;        ///< Cursor type: static.
constexpr std::int32_t adLockUnspecified = -1;  ///< Lock type: unspecified.
constexpr std::int32_t adLockReadOnly = 1;      ///< Lock type: read-only.
constexpr std::int32_t adLockPessimistic = 2;   ///< Lock type: pessimistic.
constexpr std::int32_t adLockOptimistic = 3;    ///< Lock type: optimistic.
constexpr std::int32_t adCmdUnspecified = -1;   ///< Command option: unspecified.
constexpr std::int32_t adCmdText = 1;           ///< Command option: the source is SQL text.
/** @} */

/// One diagnostic record of the driver or the driver manager.
struct ErrorRecord {
    std::string Description;       ///< The message, as the driver words it.
    std::string SQLState;          ///< The five-character SQLSTATE.
    std::int32_t NativeError = 0;  ///< The driver's own error number.
};

/// The errors of the last failing call on a connection (Connection::Errors()).
class VENDRAL_API ErrorList {
  public:
    /// The number of records.
    std::size_t Count() const { return records_.size(); }
    /// The record at @p index. @throws std::out_of_range past the last one.
    const ErrorRecord& Item(std::size_t index) const { return records_.at(index); }
    /// Forgets the records.
    void Clear() { records_.clear(); }
    /// All records, first one first.
    const std::vector<ErrorRecord>& Records() const { return records_; }
    /// Replaces the records.
    void Assign(std::vector<ErrorRecord> records) { records_ = std::move(records); }

  private:
    std::vector<ErrorRecord> records_;
};

/// Every failure of the data layer: an error of the driver or the driver
/// manager, and the data layer's own refusals (see UsageError). what() is the
/// driver's message, prefixed with the SQLSTATE in brackets as drivers report
/// it, one line per record. Records() holds every diagnostic record of the
/// failing call in the driver's order (notices and warnings included);
/// Description, SQLState and NativeError are those of the first.
class VENDRAL_API DatabaseError : public std::runtime_error {
  public:
    /// An error of the diagnostic records of a failed call, first one first;
    /// an empty list stands for an unknown error.
    explicit DatabaseError(std::vector<ErrorRecord> records);
    /// An error of one record.
    DatabaseError(const std::string& description, const std::string& sqlState,
                  std::int32_t nativeError = 0);

    /// The first record's message, without the SQLSTATE.
    const std::string& Description() const { return records_.front().Description; }
    /// The first record's SQLSTATE.
    const std::string& SQLState() const { return records_.front().SQLState; }
    /// The first record's native error number.
    std::int32_t NativeError() const { return records_.front().NativeError; }
    /// Every diagnostic record of the failure.
    const std::vector<ErrorRecord>& Records() const { return records_; }

  private:
    std::vector<ErrorRecord> records_;
};

/// A call the library refuses before the database is asked: an argument out
/// of range (a connection selector, a list number), a statement the travel log
/// cannot describe, or a call the object's state does not allow (a closed
/// connection, a recordset without a current row). A DatabaseError too, so
/// that handlers of database errors still see it.
class UsageError : public DatabaseError {
  public:
    using DatabaseError::DatabaseError;
};

/// Sees every statement text exactly as it is handed to the driver.
using StatementObserver = std::function<void(const std::string& sql)>;

class Recordset;
namespace detail {
class ConnectionAccess;
}

/// A connection to a database through ODBC. Every failing call throws
/// DatabaseError and leaves the driver's diagnostic records in Errors().
/// Belongs to the thread that uses it; it holds no lock.
class VENDRAL_API Connection : public std::enable_shared_from_this<Connection> {
  public:
    /// A closed connection with a command time-out of 30 and a connection
    /// time-out of 15 seconds.
    Connection();
    /// Closes the connection (rolling back an open transaction); errors of the
    /// close are not reported.
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    /** @{ */
    /// Before Open: the string to open with. After Open: the provider and the
    /// string the driver manager completed. Never with a password: the one
    /// given is kept for opening only, also when an open fails.
    const std::string& ConnectionString() const { return connectionString_; }
    void ConnectionString(const std::string& value);
    /** @} */

    /** @{ */
    /// Seconds a statement may run; 0 waits without limit. Taken at the next
    /// statement.
    std::int32_t CommandTimeout() const { return commandTimeout_; }
    void CommandTimeout(std::int32_t seconds) { commandTimeout_ = seconds; }
    /** @} */
    /** @{ */
    /// Seconds an open may take; 0 waits without limit. Taken at the next Open.
    std::int32_t ConnectionTimeout() const { return connectionTimeout_; }
    void ConnectionTimeout(std::int32_t seconds) { connectionTimeout_ = seconds; }
    /** @} */

    /// Opens with @p connectionString when it is given, else with
    /// ConnectionString(). Forms: "Provider=MSDASQL;dsn=...;uid=...;pwd=..."
    /// (an ODBC data source; the provider is the default) and
    /// "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=FILE" (a database file,
    /// an SQLite database on this platform, never created by opening).
    /// @param connectionString the string to open with, or empty.
    /// @param userId when not empty, the user id, in place of the string's.
    /// @param password when not empty, the password, in place of the string's.
    /// @param options not used.
    /// @throws DatabaseError "08002" when already open; from the driver
    ///         manager or the driver when the open fails.
    void Open(const std::string& connectionString = "", const std::string& userId = "",
              const std::string& password = "", std::int32_t options = -1);
    /// Closes the recordsets reading from it, rolls back an open transaction
    /// and disconnects. Closing a closed connection does nothing.
    void Close();
    /// Runs a statement that returns no rows; the result is the number of rows
    /// affected (-1 where the driver does not tell).
    /// @throws DatabaseError "08003" when not open; from the driver.
    std::int64_t Execute(const std::string& sql);

    /** @{ */
    /// The diagnostic records of the last failing call.
    ErrorList& Errors() { return errors_; }
    const ErrorList& Errors() const { return errors_; }
    /** @} */
    /// adStateOpen or adStateClosed.
    std::int32_t State() const;

    /// Starts a transaction (autocommit off until it ends).
    /// @throws DatabaseError "25000" when one is open already; "08003" when not
    ///         open; from the driver.
    void BeginTrans();
    /// Commits the open transaction. Open recordsets keep their remaining rows.
    /// A transaction the server has aborted after an error is rolled back and
    /// reported instead.
    /// @throws DatabaseError "25000" when none is open; from the driver (the
    ///         transaction is then rolled back).
    void CommitTrans();
    /// Rolls back the open transaction.
    /// @throws DatabaseError "25000" when none is open; from the driver.
    void RollbackTrans();
    /// True while a transaction is open.
    bool InTransaction() const { return inTransaction_; }

    /// Installs @p observer to see every statement sent on this connection
    /// (an empty function removes it).
    void SetStatementObserver(StatementObserver observer) { observer_ = std::move(observer); }

  private:
    // The data layer's own hooks, reached through its internal access class.
    friend class detail::ConnectionAccess;
    /** @{ */
    /// The ODBC connection handle (nullptr when closed).
    void* NativeHandle() const;
    /// Whether the driver takes wide-character calls.
    bool WideCalls() const { return wideCalls_; }
    /// Reports a statement to the observer.
    void NotifyStatement(const std::string& sql) const;
    /// Records a failure in Errors() and throws it as DatabaseError.
    [[noreturn]] void Fail(std::vector<ErrorRecord> records);
    /// The same for a call this connection refuses, raised as UsageError.
    [[noreturn]] void FailUsage(ErrorRecord record);
    /// Fails unless the connection is open and fit for statements (it is not
    /// after autocommit could not be restored at the end of a transaction).
    void RequireUsable();
    /// Registers a recordset that reads from this connection.
    void Attach(Recordset* recordset);
    /// Forgets a recordset that no longer reads from this connection.
    void Detach(Recordset* recordset);
    /// A statement handle on this connection, reused from an earlier statement
    /// where one was handed back.
    void* TakeStatementHandle();
    /// Hands a statement handle back, closed and unbound.
    void ReturnStatementHandle(void* statement) noexcept;
    /// A second connection to the same data source that streams results in
    /// blocks of @p fetchSize rows, for long reads on a driver that otherwise
    /// buffers a whole result; nullptr where this connection streams itself or
    /// where a second connection would not see what this one wrote (an open
    /// transaction). Its statements are reported to this connection's observer.
    std::shared_ptr<Connection> StreamingCompanion(std::int32_t fetchSize);
    /// Where the driver can stream one result through a server-side cursor on
    /// this connection itself, switches that on for the next statement
    /// executed (in blocks of @p fetchSize rows) and returns true; the caller
    /// ends it with EndCursorExecute() once the statement has run.
    bool BeginCursorExecute(std::int32_t fetchSize);
    void EndCursorExecute() noexcept;
    /// Execute() for the library's own writes, which never read the count of
    /// rows affected: the driver is not asked for it.
    void ExecuteUncounted(const std::string& sql) { Run(sql, false); }
    /** @} */

    std::int64_t Run(const std::string& sql, bool countRows);
    bool TransactionAborted();
    void RestoreAutocommit();
    enum class CursorEnd { Commit, Rollback, AutocommitSwitch };
    // Before a commit, a rollback or a switch of the commit mode that would end
    // the driver's open cursors, their remaining rows move into the recordsets.
    void KeepOpenCursors(CursorEnd end);
    // Before this connection writes: the reads its SQLite companion streams,
    // and its own reads through a server-side cursor, move their remaining
    // rows into their recordsets.
    void KeepStreamedReads();
    void SetAutocommit(bool on);
    void ReadDriverTraits(const std::string& completed);

    struct Handles;
    std::unique_ptr<Handles> handles_;
    std::string connectionString_;  // as reported
    std::string openString_;        // as given, password and all
    std::int32_t commandTimeout_ = 30;
    std::int32_t connectionTimeout_ = 15;
    bool inTransaction_ = false;
    bool failedInTransaction_ = false;  // an error struck inside the open transaction
    bool unusable_ = false;             // left in manual-commit mode
    bool wideCalls_ = true;
    ErrorList errors_;
    StatementObserver observer_;
    std::vector<Recordset*> openRecordsets_;
};

/// One column of the current row: its name and its value (Null for SQL NULL).
class VENDRAL_API Field {
  public:
    /// A field of @p name holding @p value.
    Field(std::string name, Variant value) : name_(std::move(name)), value_(std::move(value)) {}
    /// The column's name as the driver reports it.
    const std::string& Name() const { return name_; }
    /// The value, in the Variant type that fits the column's SQL type.
    const Variant& Value() const { return value_; }

  private:
    std::string name_;
    Variant value_;
};

/// A forward-only reader of a statement's rows. Rows are fetched one at a time,
/// so memory does not grow with the size of the result. Reading a closed
/// recordset, or a field where there is no current row, throws DatabaseError.
class VENDRAL_API Recordset {
  public:
    /// A closed recordset.
    Recordset();
    /// Closes it.
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    /// Runs @p source on @p activeConnection and stands on its first row
    /// (Eof() when there is none). The recordset stays open until Close(), or
    /// until the connection closes.
    /// @param source the SQL statement.
    /// @param activeConnection an open connection.
    /// @param cursorType taken for compatibility (see adOpenForwardOnly).
    /// @param lockType taken for compatibility.
    /// @param options taken for compatibility.
    /// @throws DatabaseError "HY010" when already open; "08003" when the
    ///         connection is not open; from the driver.
    void Open(const std::string& source, const std::shared_ptr<Connection>& activeConnection,
              std::int32_t cursorType = adOpenUnspecified,
              std::int32_t lockType = adLockUnspecified, std::int32_t options = adCmdUnspecified);
    /// True when no current row exists (also for an empty result).
    /// @throws DatabaseError "HY010" when closed.
    bool Eof() const;
    // The original name, for callers that have taken back the C library's EOF macro.
#pragma push_macro("EOF")
#undef EOF
    /// The same as Eof(), under the original name (for callers that have
    /// taken back the C library's EOF macro).
    bool EOF() const {
        return Eof();
    }
#pragma pop_macro("EOF")
    /// The number of columns of the result.
    std::size_t FieldCount() const;
    /// The column at @p index (0 first) of the current row.
    /// @throws DatabaseError "24000" without a current row; "07009" for an
    ///         index past the last column.
    Field Fields(std::size_t index) const;
    /// The column at @p index; a negative index is past the last column.
    Field Fields(int index) const {
        return Fields(static_cast<std::size_t>(index < 0 ? -1 : index));
    }
    /// The value of the column at @p index, as Fields(index).Value() has it,
    /// without reading the column's name (ADO's Collect).
    /// @throws DatabaseError as Fields(index).
    const Variant& Collect(std::size_t index) const;
    /// The column named @p name, matched without regard to case.
    /// @throws DatabaseError "24000" without a current row; "07009" for a
    ///         name the result does not have.
    Field Fields(const std::string& name) const;
    /// The column named @p name.
    Field Fields(const char* name) const {
        return Fields(std::string(name));
    }
    /// Moves to the next row (Eof() after the last).
    /// @throws DatabaseError "24000" without a current row; from the driver.
    void MoveNext();
    /// Closes the recordset.
    /// @throws DatabaseError "HY010" when it is not open.
    void Close();
    /// adStateOpen or adStateClosed.
    std::int32_t State() const;

    /** @{ */
    /// Rows fetched per round trip of a long read. Above 1, a result the driver
    /// would hold whole in memory is streamed in blocks of this many rows
    /// instead (set before Open; the default 1 leaves the driver's own way).
    /// Setting less than 1 throws DatabaseError.
    std::int32_t CacheSize() const {
        return cacheSize_;
    }
    void CacheSize(std::int32_t rows);
    /** @} */

  private:
    friend class Connection;
    void Release() noexcept;
    void FetchRow();
    bool ReadDriverRow(std::vector<Variant>& row);
    void ReadKinds();
    // The result's column count, asked of the driver once.
    std::size_t ColumnCount() const;
    void RequireRow() const;
    // The columns' names, asked of the driver the first time they are needed.
    const std::vector<std::string>& Names() const;
    // Moves the rest of the rows out of the driver's cursor; a failure is kept
    // and raised by the next MoveNext, so that the caller's commit still happens.
    void KeepRemainingRows() noexcept;
    // True while rows remain in a server-side cursor of the reading connection.
    bool ReadsServerCursor() const noexcept;

    struct Statement;
    std::unique_ptr<Statement> statement_;
    // The last closed read's, kept for the next Open (helpers open one read after another).
    std::unique_ptr<Statement> spareStatement_;
    std::shared_ptr<Connection> connection_;
    mutable std::vector<std::string> names_;
    std::vector<Variant> row_;
    bool eof_ = true;
    std::int32_t cacheSize_ = 1;
};

}  // namespace vendral
