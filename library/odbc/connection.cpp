#include "vendral/connection.h"

#include <algorithm>
#include <optional>

#include "base/text.h"
#include "odbc/connection_string.h"
#include "odbc/driver_kind.h"
#include "odbc/file_database.h"
#include "odbc/library_errors.h"
#include "odbc/odbc.h"

namespace vendral {
namespace {

std::string JoinDescriptions(const std::vector<ErrorRecord>& records) {
    std::string text;
    for (const auto& record : records) {
        if (!text.empty()) text += "\n";
        text += "[" + record.SQLState + "] " + record.Description;
    }
    return text;
}

bool HasPassword(const std::string& text) {
    for (const auto& [key, value] : ParseConnectionString(text)) {
        std::string upper = ToUpper(key);
        if (upper == "PWD" || upper == "PASSWORD") return true;
    }
    return false;
}

// Texts are quoted by doubling their apostrophes only. A server, database or
// role that keeps standard_conforming_strings off would read a backslash in
// them as an escape, so that a value ending in one runs on as code: each
// PostgreSQL session turns it on first. (A pooler such as pgbouncer carries
// this setting over to every server connection it lends the session.) The
// errors of the statement, empty when it ran.
std::vector<ErrorRecord> ReadBackslashesLiterally(SQLHDBC connection, bool wide) {
    odbc::Handle statement(SQL_HANDLE_STMT, connection);
    SQLRETURN rc = odbc::ExecDirect(statement.get(), "SET standard_conforming_strings = on", false);
    if (odbc::Succeeded(rc) || rc == SQL_NO_DATA) return {};
    return odbc::Diagnostics(SQL_HANDLE_STMT, statement.get(), rc, wide);
}

// MariaDB and MySQL read a backslash in every text as an escape unless the
// session's SQL mode holds NO_BACKSLASH_ESCAPES, which their default mode does
// not: 'C:\dir\x' would be stored as "C:dirx", and a value ending in a
// backslash would end the statement in a syntax error or run on as code. Each
// session adds the mode to whatever the server gave it, then proves that it
// holds: '\' is a whole text only where backslashes are plain characters.
// The errors, empty when the session reads texts literally.
std::vector<ErrorRecord> ReadBackslashesLiterallyMariaDB(SQLHDBC connection, bool wide) {
    for (const char* sql : {"SET SESSION sql_mode = CONCAT_WS(',', NULLIF(@@SESSION.sql_mode, ''), "
                            "'NO_BACKSLASH_ESCAPES')",
                            "SELECT '\\'"}) {
        odbc::Handle statement(SQL_HANDLE_STMT, connection);
        SQLRETURN rc = odbc::ExecDirect(statement.get(), sql, false);
        if (odbc::Succeeded(rc) || rc == SQL_NO_DATA) continue;
        std::vector<ErrorRecord> records =
            odbc::Diagnostics(SQL_HANDLE_STMT, statement.get(), rc, wide);
        records.insert(records.begin(), detail::Record(detail::kBackslashesNotLiteral,
                                                       detail::kBackslashesNotLiteralText));
        return records;
    }
    return {};
}

}  // namespace

DatabaseError::DatabaseError(std::vector<ErrorRecord> records)
    : Error(JoinDescriptions(records)), records_(std::move(records)) {
    if (records_.empty())
        records_.push_back(
            detail::Record(detail::kSilentFailure, detail::kUnknownDatabaseErrorText));
}

DatabaseError::DatabaseError(const std::string& description, const std::string& sqlState,
                             std::int32_t nativeError)
    : DatabaseError(std::vector<ErrorRecord>{{description, sqlState, nativeError}}) {}

enum class DriverFamily { Other, SQLite, PostgreSQL, MariaDB };

struct Connection::Handles {
    odbc::Handle environment;
    odbc::Handle connection;
    bool connected = false;
    // The string the connection was opened with, password included, for a companion.
    std::string odbcString;
    DriverFamily family = DriverFamily::Other;
    // The driver streams results (SQLite's StepAPI, psqlODBC's declare/fetch).
    bool streams = false;
    SQLUSMALLINT commitBehavior = SQL_CB_PRESERVE;
    SQLUSMALLINT rollbackBehavior = SQL_CB_PRESERVE;
    // Closed statement handles kept for the next statement, with the query
    // timeout each was given, so that an unchanged one is not set again.
    struct Spare {
        odbc::Handle handle;
        std::int32_t timeout;
    };
    std::vector<Spare> spareStatements;
    std::vector<std::pair<SQLHANDLE, std::int32_t>> lentTimeouts;
    std::shared_ptr<Connection> companion;
};

namespace {

// The value of a key in a completed connection string; empty when absent.
std::string CompletedValue(const std::string& completed, const std::string& key) {
    for (const auto& [name, value] : ParseConnectionString(completed))
        if (ToUpper(name) == ToUpper(key)) return value;
    return {};
}

bool Enabled(const std::string& value) {
    return !value.empty() && value != "0";
}

}  // namespace

Connection::Connection() : handles_(std::make_unique<Handles>()) {}

Connection::~Connection() {
    try {
        Close();
    } catch (...) {
        // A connection that cannot be closed cleanly is released all the same.
    }
}

std::int32_t Connection::State() const {
    return handles_->connected ? adStateOpen : adStateClosed;
}

void* Connection::NativeHandle() const {
    return handles_->connected ? handles_->connection.get() : nullptr;
}

void Connection::NotifyStatement(const std::string& sql) const {
    if (observer_) observer_(sql);
}

void Connection::Fail(std::vector<ErrorRecord> records) {
    if (inTransaction_) failedInTransaction_ = true;
    errors_.Assign(records);
    throw DatabaseError(std::move(records));
}

void Connection::FailUsage(ErrorRecord record) {
    if (inTransaction_) failedInTransaction_ = true;
    std::vector<ErrorRecord> records{std::move(record)};
    errors_.Assign(records);
    throw UsageError(std::move(records));
}

void Connection::Attach(Recordset* recordset) {
    openRecordsets_.push_back(recordset);
}

void Connection::Detach(Recordset* recordset) {
    std::erase(openRecordsets_, recordset);
}

void Connection::ConnectionString(const std::string& value) {
    openString_ = value;
    connectionString_ = HasPassword(value) ? WithoutPassword(value) : value;
}

void Connection::Open(const std::string& connectionString, const std::string& userId,
                      const std::string& password, std::int32_t /*options*/) {
    if (handles_->connected) detail::Raise(*this, detail::kConnectionOpen, detail::kObjectOpenText);
    const std::string& source = connectionString.empty() ? openString_ : connectionString;
    OdbcTarget target = TranslateConnectionString(source, userId, password);
    if (!target.FileDatabase && !NamesDataSource(target.OdbcString))
        detail::Raise(*this, detail::kNoDataSource, detail::kNoDataSourceText);
    if (target.FileDatabase) {
        if (std::optional<ErrorRecord> missing = ChooseFileDatabaseDriver(target))
            Fail({std::move(*missing)});
    }

    Handles fresh;
    fresh.environment = odbc::Handle(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    SQLSetEnvAttr(fresh.environment.get(), SQL_ATTR_ODBC_VERSION,
                  reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    fresh.connection = odbc::Handle(SQL_HANDLE_DBC, fresh.environment.get());
    if (connectionTimeout_ > 0) {
        SQLSetConnectAttr(fresh.connection.get(), SQL_ATTR_LOGIN_TIMEOUT,
                          reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(connectionTimeout_)),
                          0);
    }
    const bool wide = IsUnicodeDriver(target.OdbcString);
    std::string completed;
    SQLRETURN rc = odbc::DriverConnect(fresh.connection.get(), target.OdbcString, completed, wide);
    if (!odbc::Succeeded(rc))
        Fail(odbc::Diagnostics(SQL_HANDLE_DBC, fresh.connection.get(), rc, wide));
    fresh.connected = true;
    fresh.odbcString = target.OdbcString;
    *handles_ = std::move(fresh);
    inTransaction_ = false;
    failedInTransaction_ = false;
    unusable_ = false;
    wideCalls_ = wide;
    ReadDriverTraits(completed);
    if (handles_->family == DriverFamily::PostgreSQL || handles_->family == DriverFamily::MariaDB) {
        std::vector<ErrorRecord> refused =
            handles_->family == DriverFamily::PostgreSQL
                ? ReadBackslashesLiterally(handles_->connection.get(), wide)
                : ReadBackslashesLiterallyMariaDB(handles_->connection.get(), wide);
        if (!refused.empty()) {
            Close();
            Fail(std::move(refused));
        }
    }

    if (target.FileDatabase) {
        connectionString_ = "Provider=" + target.Provider + ";Data Source=" + target.FilePath;
    } else {
        if (completed.empty()) completed = target.OdbcString;
        connectionString_ = "Provider=" + target.Provider + ";" + WithoutPassword(completed);
    }
}

void Connection::ReadDriverTraits(const std::string& completed) {
    SQLHDBC dbc = handles_->connection.get();
    SQLCHAR name[256] = {};
    SQLSMALLINT length = 0;
    std::string driver;
    if (odbc::Succeeded(SQLGetInfo(dbc, SQL_DRIVER_NAME, name, sizeof name, &length)))
        driver = ToUpper(reinterpret_cast<char*>(name));
    handles_->family = driver.find("SQLITE") != std::string::npos     ? DriverFamily::SQLite
                       : driver.find("PSQLODBC") != std::string::npos ? DriverFamily::PostgreSQL
                       : IsMariaDBDriverName(driver)                  ? DriverFamily::MariaDB
                                                                      : DriverFamily::Other;
    if (handles_->family == DriverFamily::SQLite)
        handles_->streams = Enabled(CompletedValue(completed, "StepAPI"));
    if (handles_->family == DriverFamily::PostgreSQL)
        handles_->streams = Enabled(CompletedValue(completed, "UseDeclareFetch"));
    SQLUSMALLINT behavior = SQL_CB_PRESERVE;
    if (odbc::Succeeded(SQLGetInfo(dbc, SQL_CURSOR_COMMIT_BEHAVIOR, &behavior, 0, nullptr)))
        handles_->commitBehavior = behavior;
    behavior = SQL_CB_PRESERVE;
    if (odbc::Succeeded(SQLGetInfo(dbc, SQL_CURSOR_ROLLBACK_BEHAVIOR, &behavior, 0, nullptr)))
        handles_->rollbackBehavior = behavior;
}

void Connection::KeepOpenCursors(CursorEnd end) {
    if (openRecordsets_.empty()) return;
    bool ends = false;
    switch (end) {
        case CursorEnd::Commit:
            ends = handles_->commitBehavior != SQL_CB_PRESERVE;
            break;
        case CursorEnd::Rollback:
            ends = handles_->rollbackBehavior != SQL_CB_PRESERVE;
            break;
        case CursorEnd::AutocommitSwitch:
            break;
    }
    // The SQLite driver reports that cursors survive, but a switch of the
    // commit mode (which every transaction of ours makes) ends the statement
    // it is stepping through; the rest of its rows would read as the end.
    if (handles_->family == DriverFamily::SQLite && handles_->streams) ends = true;
    if (!ends) return;
    for (Recordset* recordset : std::vector<Recordset*>(openRecordsets_))
        recordset->KeepRemainingRows();
}

// A read streamed on the SQLite companion holds its snapshot of the write-ahead
// log (or, in the other journal modes, a lock that keeps this connection's
// commits waiting) until its last row: every commit of this connection would
// try a checkpoint that cannot get past it, or wait for it. A read through a
// server-side cursor of this connection holds a transaction open, and with it
// a server connection of a pooler, and would take this connection's writes
// into it. The rest of such reads is kept (in memory, then in a temporary
// file) before the first write, so that the reads end and writes work as usual.
void Connection::KeepStreamedReads() {
    for (Recordset* recordset : std::vector<Recordset*>(openRecordsets_))
        if (recordset->ReadsServerCursor()) recordset->KeepRemainingRows();
    const std::shared_ptr<Connection>& companion = handles_->companion;
    if (!companion || handles_->family != DriverFamily::SQLite ||
        companion->openRecordsets_.empty())
        return;
    for (Recordset* recordset : std::vector<Recordset*>(companion->openRecordsets_))
        recordset->KeepRemainingRows();
}

void Connection::SetAutocommit(bool on) {
    SQLSetConnectAttr(handles_->connection.get(), SQL_ATTR_AUTOCOMMIT,
                      reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0);
}

void* Connection::TakeStatementHandle() {
    if (!handles_->connected)
        detail::Raise(*this, detail::kConnectionClosed, detail::kObjectClosedText);
    odbc::Handle statement;
    std::int32_t timeout = -1;
    if (!handles_->spareStatements.empty()) {
        statement = std::move(handles_->spareStatements.back().handle);
        timeout = handles_->spareStatements.back().timeout;
        handles_->spareStatements.pop_back();
    } else {
        statement = odbc::Handle(SQL_HANDLE_STMT, handles_->connection.get());
    }
    const std::int32_t wanted = commandTimeout_ > 0 ? commandTimeout_ : 0;
    if (timeout != wanted) {
        SQLSetStmtAttr(statement.get(), SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(wanted)), 0);
    }
    SQLHANDLE raw = statement.get();
    handles_->lentTimeouts.emplace_back(raw, wanted);
    statement.Release();
    return raw;
}

void Connection::ReturnStatementHandle(void* statement) noexcept {
    if (!statement) return;
    odbc::Handle handle = odbc::Handle::Adopt(SQL_HANDLE_STMT, statement);
    std::int32_t timeout = -1;
    auto& lent = handles_->lentTimeouts;
    for (auto it = lent.begin(); it != lent.end(); ++it) {
        if (it->first == statement) {
            timeout = it->second;
            lent.erase(it);
            break;
        }
    }
    // A handle that cannot be closed cleanly is freed rather than reused.
    // Closing is all a handle needs: the library sends its values in the
    // statement text, and a read unbinds its columns before it hands the
    // handle back.
    if (!handles_->connected || handles_->spareStatements.size() >= 4 ||
        !odbc::Succeeded(SQLFreeStmt(handle.get(), SQL_CLOSE)))
        return;
    try {
        handles_->spareStatements.push_back({std::move(handle), timeout});
    } catch (...) {
        // Out of memory: the handle is freed instead.
    }
}

std::shared_ptr<Connection> Connection::StreamingCompanion(std::int32_t /*fetchSize*/) {
    // PostgreSQL streams on this connection itself (BeginCursorExecute): a
    // second one would hold a second server connection of a pooler while the
    // first waits for it.
    if (!handles_->connected || inTransaction_ || handles_->streams ||
        handles_->family != DriverFamily::SQLite)
        return nullptr;
    // A second SQLite connection reads without holding up this one's writes,
    // in every journal mode, because the rest of its read is kept before this
    // connection's first write (KeepStreamedReads).
    if (handles_->companion && handles_->companion->State() == adStateOpen)
        return handles_->companion;
    auto companion = std::make_shared<Connection>();
    companion->CommandTimeout(commandTimeout_);
    companion->ConnectionTimeout(connectionTimeout_);
    companion->observer_ = [this](const std::string& sql) { NotifyStatement(sql); };
    std::string odbcString = handles_->odbcString;
    if (!odbcString.empty() && odbcString.back() != ';') odbcString += ';';
    odbcString += "StepAPI=1";
    companion->Open("Provider=MSDASQL;" + odbcString);
    handles_->companion = companion;
    return companion;
}

namespace {
// psqlODBC's own connection options, switched while connected.
constexpr SQLINTEGER kPsqlUseDeclareFetch = 65539;
constexpr SQLINTEGER kPsqlFetchRows = 65541;
}  // namespace

bool Connection::BeginCursorExecute(std::int32_t fetchSize) {
    if (!handles_->connected || handles_->streams || handles_->family != DriverFamily::PostgreSQL)
        return false;
    SQLHDBC dbc = handles_->connection.get();
    SQLSetConnectAttr(dbc, kPsqlFetchRows,
                      reinterpret_cast<SQLPOINTER>(static_cast<SQLLEN>(std::max(fetchSize, 2))), 0);
    return odbc::Succeeded(
        SQLSetConnectAttr(dbc, kPsqlUseDeclareFetch, reinterpret_cast<SQLPOINTER>(1), 0));
}

void Connection::EndCursorExecute() noexcept {
    if (handles_->connected)
        SQLSetConnectAttr(handles_->connection.get(), kPsqlUseDeclareFetch,
                          reinterpret_cast<SQLPOINTER>(0), 0);
}

void Connection::Close() {
    // Open readers go with the connection, as the original closes its recordsets.
    for (Recordset* recordset : std::vector<Recordset*>(openRecordsets_)) recordset->Release();
    openRecordsets_.clear();
    if (handles_->companion) {
        handles_->companion->observer_ = nullptr;
        handles_->companion->Close();
        handles_->companion.reset();
    }
    handles_->spareStatements.clear();
    handles_->lentTimeouts.clear();
    if (!handles_->connected) return;
    if (inTransaction_) {
        SQLEndTran(SQL_HANDLE_DBC, handles_->connection.get(), SQL_ROLLBACK);
        inTransaction_ = false;
    }
    SQLDisconnect(handles_->connection.get());
    unusable_ = false;
    handles_->connected = false;
    handles_->connection.Reset();
    handles_->environment.Reset();
}

void Connection::RequireUsable() {
    if (!handles_->connected)
        detail::Raise(*this, detail::kConnectionClosed, detail::kObjectClosedText);
    if (unusable_) detail::Raise(*this, detail::kManualCommitLeft, detail::kManualCommitText);
}

std::int64_t Connection::Execute(const std::string& sql) {
    return Run(sql, true);
}

std::int64_t Connection::Run(const std::string& sql, bool countRows) {
    RequireUsable();
    KeepStreamedReads();
    NotifyStatement(sql);
    struct Borrowed {
        Connection& owner;
        SQLHSTMT handle;
        ~Borrowed() { owner.ReturnStatementHandle(handle); }
        SQLHSTMT get() const { return handle; }
    } statement{*this, static_cast<SQLHSTMT>(TakeStatementHandle())};
    SQLRETURN rc = odbc::ExecDirect(statement.get(), sql, wideCalls_);
    SQLLEN rows = 0;
    if (rc != SQL_NO_DATA) {
        if (!odbc::Succeeded(rc))
            Fail(odbc::Diagnostics(SQL_HANDLE_STMT, statement.get(), rc, wideCalls_));
        if (countRows && !odbc::Succeeded(SQLRowCount(statement.get(), &rows))) rows = -1;
    }
    // A text of several statements reports the first result only; a later
    // statement that failed shows in the results after it, and must not pass
    // for a success. A text without a ";" holds one statement only.
    if (sql.find(';') == std::string::npos) return rows;
    for (;;) {
        SQLRETURN more = SQLMoreResults(statement.get());
        if (more == SQL_NO_DATA || more == SQL_INVALID_HANDLE) break;
        if (!odbc::Succeeded(more))
            Fail(odbc::Diagnostics(SQL_HANDLE_STMT, statement.get(), more, wideCalls_));
    }
    return rows;
}

void Connection::BeginTrans() {
    RequireUsable();
    if (inTransaction_)
        detail::Raise(*this, detail::kTransactionOutOfTurn, detail::kTransactionOpenText);
    KeepStreamedReads();
    KeepOpenCursors(CursorEnd::AutocommitSwitch);
    SQLRETURN rc = SQLSetConnectAttr(handles_->connection.get(), SQL_ATTR_AUTOCOMMIT,
                                     reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
    if (!odbc::Succeeded(rc))
        Fail(odbc::Diagnostics(SQL_HANDLE_DBC, handles_->connection.get(), rc, wideCalls_));
    inTransaction_ = true;
    failedInTransaction_ = false;
}

// True when the engine has aborted the open transaction after an error in it.
// Only asked after an error, since it costs a round trip; an engine that keeps
// its transactions alive after an error answers the probe, or fails it with
// another state (a statement it does not take), which counts as alive.
bool Connection::TransactionAborted() {
    odbc::Handle probe(SQL_HANDLE_STMT, handles_->connection.get());
    SQLRETURN rc = odbc::ExecDirect(probe.get(), "SELECT 1", false);
    if (odbc::Succeeded(rc) || rc == SQL_NO_DATA) return false;
    for (const ErrorRecord& record :
         odbc::Diagnostics(SQL_HANDLE_STMT, probe.get(), rc, wideCalls_))
        if (record.SQLState == detail::kStateTransactionAborted) return true;
    return false;
}

// Back to autocommit after a transaction; a connection left in manual-commit
// mode would hold every later change in a transaction nobody commits.
void Connection::RestoreAutocommit() {
    SQLRETURN rc = SQLSetConnectAttr(handles_->connection.get(), SQL_ATTR_AUTOCOMMIT,
                                     reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
    if (odbc::Succeeded(rc)) return;
    auto records = odbc::Diagnostics(SQL_HANDLE_DBC, handles_->connection.get(), rc, wideCalls_);
    unusable_ = true;
    records.insert(records.begin(),
                   detail::Record(detail::kManualCommitLeft, detail::kManualCommitText));
    Fail(std::move(records));
}

void Connection::CommitTrans() {
    if (!handles_->connected)
        detail::Raise(*this, detail::kConnectionClosed, detail::kObjectClosedText);
    if (!inTransaction_)
        detail::Raise(*this, detail::kTransactionOutOfTurn, detail::kNoTransactionText);
    if (failedInTransaction_ && TransactionAborted()) {
        RollbackTrans();
        detail::Raise(*this, detail::kTransactionAborted, detail::kTransactionAbortedText);
    }
    KeepOpenCursors(CursorEnd::Commit);
    SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, handles_->connection.get(), SQL_COMMIT);
    if (!odbc::Succeeded(rc)) {
        auto records =
            odbc::Diagnostics(SQL_HANDLE_DBC, handles_->connection.get(), rc, wideCalls_);
        RollbackTrans();
        Fail(std::move(records));
    }
    inTransaction_ = false;
    RestoreAutocommit();
}

void Connection::RollbackTrans() {
    if (!handles_->connected)
        detail::Raise(*this, detail::kConnectionClosed, detail::kObjectClosedText);
    if (!inTransaction_)
        detail::Raise(*this, detail::kTransactionOutOfTurn, detail::kNoTransactionText);
    KeepOpenCursors(CursorEnd::Rollback);
    SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, handles_->connection.get(), SQL_ROLLBACK);
    inTransaction_ = false;
    std::vector<ErrorRecord> records;
    if (!odbc::Succeeded(rc))
        records = odbc::Diagnostics(SQL_HANDLE_DBC, handles_->connection.get(), rc, wideCalls_);
    RestoreAutocommit();
    if (!records.empty()) Fail(std::move(records));
}

}  // namespace vendral
