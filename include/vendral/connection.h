// The ADO-style data layer: Connection, Recordset and Field over the ODBC C API.
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

// Object states as the original data objects report them.
constexpr std::int32_t adStateClosed = 0;
constexpr std::int32_t adStateOpen = 1;

// Cursor types, lock types and command options of Recordset::Open.
constexpr std::int32_t adOpenUnspecified = -1;
constexpr std::int32_t adOpenForwardOnly = 0;
constexpr std::int32_t adOpenKeyset = 1;
constexpr std::int32_t adOpenDynamic = 2;
constexpr std::int32_t adOpenStatic = 3;
constexpr std::int32_t adLockUnspecified = -1;
constexpr std::int32_t adLockReadOnly = 1;
constexpr std::int32_t adLockPessimistic = 2;
constexpr std::int32_t adLockOptimistic = 3;
constexpr std::int32_t adCmdUnspecified = -1;
constexpr std::int32_t adCmdText = 1;

// One diagnostic record of the driver or the driver manager.
struct ErrorRecord {
    std::string Description;
    std::string SQLState;
    std::int32_t NativeError = 0;
};

// The errors of the last failing call on a connection.
class VENDRAL_API ErrorList {
  public:
    std::size_t Count() const { return records_.size(); }
    const ErrorRecord& Item(std::size_t index) const { return records_.at(index); }
    void Clear() { records_.clear(); }
    const std::vector<ErrorRecord>& Records() const { return records_; }
    void Assign(std::vector<ErrorRecord> records) { records_ = std::move(records); }

  private:
    std::vector<ErrorRecord> records_;
};

// Every failure of the data layer. what() is the driver's message, prefixed
// with the SQLSTATE in brackets as drivers report it.
class VENDRAL_API DatabaseError : public std::runtime_error {
  public:
    explicit DatabaseError(std::vector<ErrorRecord> records);
    DatabaseError(const std::string& description, const std::string& sqlState,
                  std::int32_t nativeError = 0);

    const std::string& Description() const { return records_.front().Description; }
    const std::string& SQLState() const { return records_.front().SQLState; }
    std::int32_t NativeError() const { return records_.front().NativeError; }
    const std::vector<ErrorRecord>& Records() const { return records_; }

  private:
    std::vector<ErrorRecord> records_;
};

// Sees every statement text exactly as it is handed to the driver.
using StatementObserver = std::function<void(const std::string& sql)>;

class Recordset;
namespace detail {
class ConnectionAccess;
}

class VENDRAL_API Connection : public std::enable_shared_from_this<Connection> {
  public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Before Open: the string to open with. After Open: the provider and the
    // string the driver manager completed. Never with a password: the one
    // given is kept for opening only, also when an open fails.
    const std::string& ConnectionString() const { return connectionString_; }
    void ConnectionString(const std::string& value);

    // Seconds; 0 waits without limit.
    std::int32_t CommandTimeout() const { return commandTimeout_; }
    void CommandTimeout(std::int32_t seconds) { commandTimeout_ = seconds; }
    std::int32_t ConnectionTimeout() const { return connectionTimeout_; }
    void ConnectionTimeout(std::int32_t seconds) { connectionTimeout_ = seconds; }

    // Opens with connectionString when it is given, else with ConnectionString().
    // Forms: "Provider=MSDASQL;dsn=...;uid=...;pwd=..." (an ODBC data source; the
    // provider is the default) and "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=FILE"
    // (a database file, an SQLite database on this platform).
    void Open(const std::string& connectionString = "", const std::string& userId = "",
              const std::string& password = "", std::int32_t options = -1);
    void Close();
    // Runs a statement that returns no rows; the result is the number of rows
    // affected (-1 where the driver does not tell).
    std::int64_t Execute(const std::string& sql);

    ErrorList& Errors() { return errors_; }
    const ErrorList& Errors() const { return errors_; }
    std::int32_t State() const;

    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const { return inTransaction_; }

    void SetStatementObserver(StatementObserver observer) { observer_ = std::move(observer); }

  private:
    // The data layer's own hooks, reached through its internal access class.
    friend class detail::ConnectionAccess;
    // The ODBC connection handle (nullptr when closed), and whether the
    // driver takes wide-character calls.
    void* NativeHandle() const;
    bool WideCalls() const { return wideCalls_; }
    // Reports a statement to the observer and records a failure in Errors().
    void NotifyStatement(const std::string& sql) const;
    [[noreturn]] void Fail(std::vector<ErrorRecord> records);
    // Fails unless the connection is open and fit for statements (it is not
    // after autocommit could not be restored at the end of a transaction).
    void RequireUsable();
    void Attach(Recordset* recordset);
    void Detach(Recordset* recordset);
    // A statement handle on this connection, reused from an earlier statement
    // where one was handed back; handed back closed and unbound.
    void* TakeStatementHandle();
    void ReturnStatementHandle(void* statement) noexcept;
    // A second connection to the same data source that streams results in
    // blocks of fetchSize rows, for long reads on a driver that otherwise
    // buffers a whole result; nullptr where this connection streams itself or
    // where a second connection would not see what this one wrote (an open
    // transaction). Its statements are reported to this connection's observer.
    std::shared_ptr<Connection> StreamingCompanion(std::int32_t fetchSize);

    bool TransactionAborted();
    void RestoreAutocommit();
    enum class CursorEnd { Commit, Rollback, AutocommitSwitch };
    // Before a commit, a rollback or a switch of the commit mode that would end
    // the driver's open cursors, their remaining rows move into the recordsets.
    void KeepOpenCursors(CursorEnd end);
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

// One column of the current row.
class VENDRAL_API Field {
  public:
    Field(std::string name, Variant value) : name_(std::move(name)), value_(std::move(value)) {}
    const std::string& Name() const { return name_; }
    const Variant& Value() const { return value_; }

  private:
    std::string name_;
    Variant value_;
};

// A forward-only reader of a statement's rows. Rows are fetched one at a time,
// so memory does not grow with the size of the result.
class VENDRAL_API Recordset {
  public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    void Open(const std::string& source, const std::shared_ptr<Connection>& activeConnection,
              std::int32_t cursorType = adOpenUnspecified,
              std::int32_t lockType = adLockUnspecified, std::int32_t options = adCmdUnspecified);
    // True when no current row exists (also for an empty result).
    bool Eof() const;
    // The original name, for callers that have taken back the C library's EOF macro.
#pragma push_macro("EOF")
#undef EOF
    bool EOF() const {
        return Eof();
    }
#pragma pop_macro("EOF")
    std::size_t FieldCount() const;
    Field Fields(std::size_t index) const;
    Field Fields(int index) const {
        return Fields(static_cast<std::size_t>(index < 0 ? -1 : index));
    }
    // Column names are matched without regard to case.
    Field Fields(const std::string& name) const;
    Field Fields(const char* name) const {
        return Fields(std::string(name));
    }
    void MoveNext();
    void Close();
    std::int32_t State() const;

    // Rows fetched per round trip of a long read. Above 1, a result the driver
    // would hold whole in memory is streamed in blocks of this many rows
    // instead (set before Open; the default 1 leaves the driver's own way).
    std::int32_t CacheSize() const {
        return cacheSize_;
    }
    void CacheSize(std::int32_t rows);

  private:
    friend class Connection;
    void Release() noexcept;
    void FetchRow();
    bool ReadDriverRow(std::vector<Variant>& row);
    void RequireRow() const;
    // Moves the rest of the rows out of the driver's cursor; a failure is kept
    // and raised by the next MoveNext, so that the caller's commit still happens.
    void KeepRemainingRows() noexcept;

    struct Statement;
    std::unique_ptr<Statement> statement_;
    std::shared_ptr<Connection> connection_;
    std::vector<std::string> names_;
    std::vector<Variant> row_;
    bool eof_ = true;
    std::int32_t cacheSize_ = 1;
};

}  // namespace vendral
