#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "base/text.h"
#include "odbc/connection_access.h"
#include "odbc/library_errors.h"
#include "odbc/odbc.h"
#include "odbc/row_spill.h"
#include "vendral/connection.h"

namespace vendral {
namespace {

enum class ColumnKind { Integer, Floating, Decimal, Boolean, Binary, Text };

ColumnKind KindOf(SQLSMALLINT sqlType) {
    switch (sqlType) {
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
            return ColumnKind::Integer;
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return ColumnKind::Floating;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            return ColumnKind::Decimal;
        case SQL_BIT:
            return ColumnKind::Boolean;
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            return ColumnKind::Binary;
        default:
            return ColumnKind::Text;
    }
}

// Whole numbers as Long, and as the 64-bit type only where they do not fit.
Variant WholeNumber(std::int64_t value) {
    if (value >= std::numeric_limits<std::int32_t>::min() &&
        value <= std::numeric_limits<std::int32_t>::max())
        return Variant(static_cast<std::int32_t>(value));
    return Variant(static_cast<long long>(value));
}

// A decimal with a fraction is a Double; without one, a whole number.
Variant DecimalValue(const std::string& text) {
    std::string trimmed = Trim(text);
    std::int64_t whole = 0;
    auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), whole);
    if (error == std::errc() && end == trimmed.data() + trimmed.size()) return WholeNumber(whole);
    double value = 0;
    auto [dend, derror] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
    if (derror == std::errc() && dend == trimmed.data() + trimmed.size()) {
        if (value == static_cast<double>(static_cast<std::int64_t>(value)) &&
            std::abs(value) < 9.2e18)
            return WholeNumber(static_cast<std::int64_t>(value));
        return Variant(value);
    }
    return Variant(text);
}

// Column names compare without regard to case; plain ASCII names (nearly all)
// without building upper-case copies.
bool SameName(const std::string& a, const std::string& b) {
    if (a.size() == b.size()) {
        bool ascii = true;
        for (std::size_t i = 0; i < a.size() && ascii; ++i) {
            auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
            if (x >= 0x80 || y >= 0x80) {
                ascii = false;
            } else if (x != y && std::toupper(x) != std::toupper(y)) {
                return false;
            }
        }
        if (ascii) return true;
    }
    return ToUpper(a) == ToUpper(b);
}

// The room a bound column's value is fetched into.
union BoundValue {
    SQLBIGINT integer;
    double floating;
    unsigned char boolean;
};

bool Bindable(ColumnKind kind) {
    return kind == ColumnKind::Integer || kind == ColumnKind::Floating ||
           kind == ColumnKind::Boolean;
}

// A value read from the driver, or the return code of the call that failed.
struct ColumnRead {
    SQLRETURN Failure = SQL_SUCCESS;
    Variant Value;
};

ColumnRead ReadFailed(SQLRETURN rc) {
    return {rc, Variant()};
}

// A value of fixed size in one call; convert turns what was read into its Variant.
template <class Value, class Convert>
ColumnRead ReadFixed(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, Convert convert) {
    Value value{};
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(stmt, column, cType, &value, sizeof value, &indicator);
    if (!odbc::Succeeded(rc)) return ReadFailed(rc);
    return {SQL_SUCCESS, indicator == SQL_NULL_DATA ? Variant::Null() : convert(value)};
}

// Bytes, read in pieces until the driver has given them all.
ColumnRead ReadBinary(SQLHSTMT stmt, SQLUSMALLINT column) {
    std::string bytes;
    char buffer[4096];
    while (true) {
        SQLLEN indicator = 0;
        SQLRETURN rc = SQLGetData(stmt, column, SQL_C_BINARY, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA) break;
        if (!odbc::Succeeded(rc)) return ReadFailed(rc);
        if (indicator == SQL_NULL_DATA) return {SQL_SUCCESS, Variant::Null()};
        std::size_t got =
            (indicator == SQL_NO_TOTAL || indicator > static_cast<SQLLEN>(sizeof buffer))
                ? sizeof buffer
                : static_cast<std::size_t>(indicator);
        bytes.append(buffer, got);
        if (rc == SQL_SUCCESS) break;
    }
    return {SQL_SUCCESS, Variant(std::move(bytes))};
}

// A text, or a decimal number read as its text.
ColumnRead ReadTextual(SQLHSTMT stmt, SQLUSMALLINT column, bool decimal, bool wide) {
    SQLRETURN rc = SQL_SUCCESS;
    bool isNull = false;
    std::string text = odbc::ReadText(stmt, column, rc, isNull, wide);
    if (rc != SQL_NO_DATA && !odbc::Succeeded(rc)) return ReadFailed(rc);
    if (isNull) return {SQL_SUCCESS, Variant::Null()};
    return {SQL_SUCCESS, decimal ? DecimalValue(text) : Variant(std::move(text))};
}

// The value of an unbound column of the current row.
ColumnRead ReadColumn(SQLHSTMT stmt, SQLUSMALLINT column, ColumnKind kind, bool wide) {
    switch (kind) {
        case ColumnKind::Integer:
            return ReadFixed<SQLBIGINT>(stmt, column, SQL_C_SBIGINT,
                                        [](SQLBIGINT value) { return WholeNumber(value); });
        case ColumnKind::Floating:
            return ReadFixed<double>(stmt, column, SQL_C_DOUBLE,
                                     [](double value) { return Variant(value); });
        case ColumnKind::Boolean:
            return ReadFixed<unsigned char>(
                stmt, column, SQL_C_BIT, [](unsigned char value) { return Variant(value != 0); });
        case ColumnKind::Binary:
            return ReadBinary(stmt, column);
        case ColumnKind::Decimal:
        case ColumnKind::Text:
            break;
    }
    return ReadTextual(stmt, column, kind == ColumnKind::Decimal, wide);
}

// The value of a bound column, fetched with the row.
Variant BoundColumnValue(const BoundValue& value, SQLLEN indicator, ColumnKind kind) {
    if (indicator == SQL_NULL_DATA) return Variant::Null();
    switch (kind) {
        case ColumnKind::Integer:
            return WholeNumber(value.integer);
        case ColumnKind::Floating:
            return Variant(value.floating);
        default:
            return Variant(value.boolean != 0);
    }
}

}  // namespace

struct Recordset::Statement {
    // Borrowed from the connection that reads and handed back on release.
    SQLHSTMT handle = SQL_NULL_HSTMT;
    // The result's columns, counted and typed when its first row comes (a
    // look-up that finds nothing, the commonest read, never needs them) or
    // when a caller asks.
    std::size_t columns = 0;
    bool columnsKnown = false;
    std::vector<ColumnKind> kinds;
    bool wide = true;
    // From the second row on, the leading numeric columns are bound, so that
    // the fetch fills them without a call per value; the rest (all after the
    // last bound one, as every driver allows) are read with SQLGetData. A
    // result of one row, the helpers' kind, never pays for the binding.
    std::size_t rowsFetched = 0;
    std::size_t boundColumns = 0;
    std::vector<BoundValue> bound;
    std::vector<SQLLEN> indicators;
    // The connection whose Errors() and observer see this read: the caller's,
    // also when a companion connection streams it.
    std::shared_ptr<Connection> reporter;
    // Rows come from a server-side cursor, inside a transaction of the
    // reading connection that lasts until the handle goes back.
    bool serverCursor = false;
    // The rest of the rows, once the driver's cursor had to go.
    std::unique_ptr<RowSpill> spill;
    // Why the rest of the rows could not all be kept; raised after the kept ones.
    std::vector<ErrorRecord> failure;

    // Binds the leading numeric columns; where the driver refuses, every
    // value goes on being read with SQLGetData.
    void BindLeadingColumns() {
        std::size_t count = 0;
        while (count < kinds.size() && Bindable(kinds[count])) ++count;
        if (count == 0) return;
        bound.resize(count);
        indicators.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            SQLSMALLINT type = kinds[i] == ColumnKind::Integer    ? SQL_C_SBIGINT
                               : kinds[i] == ColumnKind::Floating ? SQL_C_DOUBLE
                                                                  : SQL_C_BIT;
            if (!odbc::Succeeded(SQLBindCol(handle, static_cast<SQLUSMALLINT>(i + 1), type,
                                            &bound[i], sizeof(BoundValue), &indicators[i]))) {
                SQLFreeStmt(handle, SQL_UNBIND);
                return;
            }
        }
        boundColumns = count;
    }

    // A handle goes back to its connection's spares without bindings: they
    // point into this record.
    void Unbind() noexcept {
        if (boundColumns != 0 && handle) SQLFreeStmt(handle, SQL_UNBIND);
        boundColumns = 0;
    }

    // As new, with the room of its column list kept for the next read.
    void Reset() {
        handle = SQL_NULL_HSTMT;
        columns = 0;
        columnsKnown = false;
        kinds.clear();
        wide = true;
        rowsFetched = 0;
        boundColumns = 0;
        reporter.reset();
        serverCursor = false;
        spill.reset();
        failure.clear();
    }
};

Recordset::Recordset() = default;

Recordset::~Recordset() {
    Release();
}

std::int32_t Recordset::State() const {
    return statement_ ? adStateOpen : adStateClosed;
}

void Recordset::CacheSize(std::int32_t rows) {
    if (rows < 1) detail::Raise(detail::kCacheSizeRefused, detail::CacheSizeRefusedText(rows));
    cacheSize_ = rows;
}

void Recordset::Release() noexcept {
    if (connection_) {
        detail::ConnectionAccess::Detach(*connection_, this);
        if (statement_ && statement_->handle) {
            statement_->Unbind();
            detail::ConnectionAccess::ReturnStatementHandle(*connection_, statement_->handle);
        }
    }
    if (statement_) {
        statement_->Reset();
        spareStatement_ = std::move(statement_);
    }
    connection_.reset();
    names_.clear();
    row_.clear();
    eof_ = true;
}

void Recordset::Close() {
    if (!statement_) detail::Raise(detail::kRecordsetClosed, detail::kObjectClosedText);
    Release();
}

void Recordset::Open(const std::string& source, const std::shared_ptr<Connection>& activeConnection,
                     std::int32_t /*cursorType*/, std::int32_t /*lockType*/,
                     std::int32_t /*options*/) {
    if (statement_) detail::Raise(detail::kRecordsetOpen, detail::kObjectOpenText);
    if (!activeConnection || activeConnection->State() != adStateOpen) {
        if (activeConnection)
            detail::Raise(*activeConnection, detail::kConnectionClosed, detail::kObjectClosedText);
        detail::Raise(detail::kConnectionClosed, detail::kObjectClosedText);
    }
    detail::ConnectionAccess::RequireUsable(*activeConnection);
    // The statement may write: streamed reads give up their hold first (a
    // reader's lock would keep an SQLite write waiting).
    detail::ConnectionAccess::KeepStreamedReads(*activeConnection);
    std::shared_ptr<Connection> reader = activeConnection;
    bool serverCursor = false;
    if (cacheSize_ > 1) {
        try {
            if (auto companion =
                    detail::ConnectionAccess::StreamingCompanion(*activeConnection, cacheSize_))
                reader = companion;
        } catch (const DatabaseError&) {
            // No second connection to be had: the driver's own (buffered) read still works.
        }
        if (reader == activeConnection)
            serverCursor = detail::ConnectionAccess::BeginCursorExecute(*reader, cacheSize_);
    }
    // The cursor is asked for this statement only.
    struct CursorEnd {
        Connection& connection;
        bool active;
        ~CursorEnd() {
            if (active) detail::ConnectionAccess::EndCursorExecute(connection);
        }
    } cursorEnd{*reader, serverCursor};

    std::unique_ptr<Statement> statement =
        spareStatement_ ? std::move(spareStatement_) : std::make_unique<Statement>();
    statement->reporter = activeConnection;
    statement->wide = detail::ConnectionAccess::WideCalls(*reader);
    statement->handle =
        static_cast<SQLHSTMT>(detail::ConnectionAccess::TakeStatementHandle(*reader));
    // Handed back on every way out until the recordset owns it.
    struct Guard {
        Connection& owner;
        Statement* statement;
        ~Guard() {
            if (statement)
                detail::ConnectionAccess::ReturnStatementHandle(owner, statement->handle);
        }
    } guard{*reader, statement.get()};
    SQLHSTMT stmt = statement->handle;
    const bool wide = statement->wide;
    detail::ConnectionAccess::NotifyStatement(*reader, source);
    SQLRETURN rc = odbc::ExecDirect(stmt, source, wide);
    if (cursorEnd.active) {
        detail::ConnectionAccess::EndCursorExecute(*reader);
        cursorEnd.active = false;
    }
    statement->serverCursor = serverCursor;
    if (rc != SQL_NO_DATA && !odbc::Succeeded(rc))
        detail::ConnectionAccess::Fail(*activeConnection,
                                       odbc::Diagnostics(SQL_HANDLE_STMT, stmt, rc, wide));

    // The column count and kinds are read with the first row, the names only
    // when a caller asks for one (most reads go by position). A statement
    // that touched no row has none.
    statement->columnsKnown = rc == SQL_NO_DATA;

    guard.statement = nullptr;
    statement_ = std::move(statement);
    connection_ = reader;
    detail::ConnectionAccess::Attach(*connection_, this);
    try {
        FetchRow();
    } catch (...) {
        Release();
        throw;
    }
}

void Recordset::FetchRow() {
    if (statement_->columnsKnown && statement_->columns == 0) {
        row_.clear();
        eof_ = true;
        return;
    }
    Statement& statement = *statement_;
    if (statement.handle) {
        eof_ = !ReadDriverRow(row_);
        return;
    }
    if (statement.spill) {
        row_.resize(statement.columns);
        if (statement.spill->Next(row_)) {
            eof_ = false;
            return;
        }
    }
    row_.clear();
    eof_ = true;
    // The end of the kept rows is the end of the result only when all were kept.
    if (!statement.failure.empty())
        detail::ConnectionAccess::Fail(*statement.reporter, statement.failure);
}

void Recordset::KeepRemainingRows() noexcept {
    if (!statement_ || !statement_->handle) return;
    Statement& statement = *statement_;
    if (eof_ && statement.serverCursor) {
        // A cursor read to its end still holds its transaction until it goes.
        statement.Unbind();
        detail::ConnectionAccess::ReturnStatementHandle(*connection_, statement.handle);
        statement.handle = SQL_NULL_HSTMT;
        return;
    }
    if (eof_ || ColumnCount() == 0) return;
    try {
        Names();  // while the driver can still tell them
        statement.spill = std::make_unique<RowSpill>();
        std::vector<Variant> row;
        while (ReadDriverRow(row)) statement.spill->Append(row);
    } catch (const DatabaseError& error) {
        statement.failure = error.Records();
    } catch (...) {
        statement.failure = {
            detail::Record(detail::kRowsNotKept, detail::kRowsNotKeptOutOfMemoryText)};
    }
    // The cursor is done with: what is left to read is ours.
    statement.Unbind();
    detail::ConnectionAccess::ReturnStatementHandle(*connection_, statement.handle);
    statement.handle = SQL_NULL_HSTMT;
}

bool Recordset::ReadsServerCursor() const noexcept {
    return statement_ && statement_->handle && statement_->serverCursor;
}

std::size_t Recordset::ColumnCount() const {
    Statement& statement = *statement_;
    if (statement.columnsKnown) return statement.columns;
    SQLSMALLINT columns = 0;
    if (statement.handle) SQLNumResultCols(statement.handle, &columns);
    statement.columns = static_cast<std::size_t>(std::max<SQLSMALLINT>(columns, 0));
    statement.columnsKnown = true;
    return statement.columns;
}

void Recordset::ReadKinds() {
    Statement& statement = *statement_;
    statement.kinds.clear();
    for (std::size_t c = 1; c <= statement.columns; ++c) {
        SQLSMALLINT type = 0;
        SQLRETURN rc =
            odbc::ColumnType(statement.handle, static_cast<SQLUSMALLINT>(c), type, statement.wide);
        if (!odbc::Succeeded(rc))
            detail::ConnectionAccess::Fail(
                *statement.reporter,
                odbc::Diagnostics(SQL_HANDLE_STMT, statement.handle, rc, statement.wide));
        statement.kinds.push_back(KindOf(type));
    }
}

bool Recordset::ReadDriverRow(std::vector<Variant>& row) {
    row.clear();
    Statement& statement = *statement_;
    SQLHSTMT stmt = statement.handle;
    const bool wide = statement.wide;
    Connection& reporter = *statement.reporter;
    if (statement.rowsFetched == 1 && statement.boundColumns == 0) statement.BindLeadingColumns();
    SQLRETURN rc = SQLFetch(stmt);
    if (rc == SQL_NO_DATA) return false;
    if (!odbc::Succeeded(rc)) {
        std::vector<ErrorRecord> records = odbc::Diagnostics(SQL_HANDLE_STMT, stmt, rc, wide);
        // A statement without a result (a write sent as a read) has no rows to fetch.
        if (!statement.columnsKnown && ColumnCount() == 0) return false;
        detail::ConnectionAccess::Fail(reporter, std::move(records));
    }
    if (statement.rowsFetched++ == 0) {
        ColumnCount();
        ReadKinds();
    }
    const std::size_t columns = statement.columns;
    row.reserve(columns);
    for (std::size_t i = 0; i < statement.boundColumns; ++i)
        row.push_back(
            BoundColumnValue(statement.bound[i], statement.indicators[i], statement.kinds[i]));
    for (std::size_t i = statement.boundColumns; i < columns; ++i) {
        ColumnRead read =
            ReadColumn(stmt, static_cast<SQLUSMALLINT>(i + 1), statement.kinds[i], wide);
        if (read.Failure != SQL_SUCCESS)
            detail::ConnectionAccess::Fail(
                reporter, odbc::Diagnostics(SQL_HANDLE_STMT, stmt, read.Failure, wide));
        row.push_back(std::move(read.Value));
    }
    return true;
}

void Recordset::RequireRow() const {
    if (!statement_) detail::Raise(detail::kRecordsetClosed, detail::kObjectClosedText);
    if (eof_) detail::Raise(detail::kNoCurrentRecord, detail::kNoCurrentRecordText);
}

bool Recordset::Eof() const {
    if (!statement_) detail::Raise(detail::kRecordsetClosed, detail::kObjectClosedText);
    return eof_;
}

std::size_t Recordset::FieldCount() const {
    return statement_ ? ColumnCount() : 0;
}

const std::vector<std::string>& Recordset::Names() const {
    const Statement& statement = *statement_;
    if (names_.size() == ColumnCount()) return names_;
    names_.clear();
    // Without a cursor (its rows kept by us) a name the driver could not
    // tell before stays empty; that failure is raised with the kept rows.
    for (std::size_t i = 0; statement.handle && i < statement.columns; ++i) {
        std::string name;
        SQLRETURN rc = odbc::ColumnName(statement.handle, static_cast<SQLUSMALLINT>(i + 1), name,
                                        statement.wide);
        if (!odbc::Succeeded(rc)) {
            names_.clear();
            detail::ConnectionAccess::Fail(
                *statement.reporter,
                odbc::Diagnostics(SQL_HANDLE_STMT, statement.handle, rc, statement.wide));
        }
        names_.push_back(std::move(name));
    }
    names_.resize(statement.columns);
    return names_;
}

const Variant& Recordset::Collect(std::size_t index) const {
    RequireRow();
    if (index >= row_.size()) detail::Raise(detail::kItemNotFound, detail::kItemNotFoundText);
    return row_[index];
}

Field Recordset::Fields(std::size_t index) const {
    const Variant& value = Collect(index);  // checked before the name is looked up
    return Field(Names()[index], value);
}

Field Recordset::Fields(const std::string& name) const {
    RequireRow();
    const std::vector<std::string>& names = Names();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (SameName(names[i], name)) return Field(names[i], row_[i]);
    }
    detail::Raise(detail::kItemNotFound, detail::kItemNotFoundNamedText + name);
}

void Recordset::MoveNext() {
    RequireRow();
    FetchRow();
}

}  // namespace vendral
