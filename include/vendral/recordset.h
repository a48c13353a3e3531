/// @file
/// Recordset and Field: the forward-only reader of a statement's rows on a
/// Connection, and one column of its current row.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vendral/connection.h"
#include "vendral/errors.h"
#include "vendral/export.h"
#include "vendral/variant.h"

namespace vendral {

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
