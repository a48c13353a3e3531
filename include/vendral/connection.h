/// @file
/// The data layer's Connection over the ODBC C API, in the shape of the data
/// object the original component used. Its recordsets are in
/// vendral/recordset.h (included here too), its errors in vendral/errors.h.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "vendral/errors.h"
#include "vendral/export.h"
#include "vendral/variant.h"

namespace vendral {

/// @name Object states
/// What Connection::State() and Recordset::State() report.
/** @{ */
constexpr std::int32_t adStateClosed = 0;  ///< Closed.
constexpr std::int32_t adStateOpen = 1;    ///< Open.
/** @} */

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

}  // namespace vendral

// A connection's reads come with it.
#include "vendral/recordset.h"
