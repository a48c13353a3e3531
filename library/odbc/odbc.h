// Small RAII wrappers and diagnostics over the ODBC C API (wide-character calls).
#pragma once

#ifdef _WIN32
#include <windows.h>  // the ODBC headers of Windows build on its types
#endif
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <string>
#include <vector>

#include "vendral/connection.h"

namespace vendral::odbc {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the driver manager's SQLWCHAR must be UTF-16");

// Owns one ODBC handle and frees it on every way out.
class Handle {
  public:
    Handle() = default;
    Handle(SQLSMALLINT type, SQLHANDLE parent);
    ~Handle() { Reset(); }
    Handle(Handle&& other) noexcept : type_(other.type_), handle_(other.handle_) {
        other.handle_ = SQL_NULL_HANDLE;
    }
    // Inline, as are the release and the reset: statement handles change
    // hands on every statement.
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Reset();
            type_ = other.type_;
            handle_ = other.handle_;
            other.handle_ = SQL_NULL_HANDLE;
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    SQLHANDLE get() const { return handle_; }
    SQLSMALLINT type() const { return type_; }
    explicit operator bool() const { return handle_ != SQL_NULL_HANDLE; }
    void Reset() noexcept {
        if (handle_ != SQL_NULL_HANDLE) {
            SQLFreeHandle(type_, handle_);
            handle_ = SQL_NULL_HANDLE;
        }
    }
    // Gives up ownership without freeing.
    void Release() noexcept { handle_ = SQL_NULL_HANDLE; }
    static Handle Adopt(SQLSMALLINT type, SQLHANDLE handle) {
        Handle adopted;
        adopted.type_ = type;
        adopted.handle_ = handle;
        return adopted;
    }

  private:
    SQLSMALLINT type_ = 0;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

inline bool Succeeded(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

// The diagnostic records of a handle; never empty (a generic record is made up
// when the driver left none).
// Narrow drivers are asked through the narrow call, whose text is UTF-8.
std::vector<ErrorRecord> Diagnostics(SQLSMALLINT type, SQLHANDLE handle, SQLRETURN rc,
                                     bool wide = true);

// The calls that pass text, each in the driver's width: wide (UTF-16) where
// the driver takes wide-character calls, else narrow (UTF-8).

// Runs a statement text; SQL_NO_DATA for a statement that touched no row.
SQLRETURN ExecDirect(SQLHSTMT statement, const std::string& sql, bool wide);
// Connects without prompting; completed receives the driver manager's completed string.
SQLRETURN DriverConnect(SQLHDBC connection, const std::string& in, std::string& completed,
                        bool wide);
// The name of a result column (1-based), as the driver reports it.
SQLRETURN ColumnName(SQLHSTMT statement, SQLUSMALLINT column, std::string& name, bool wide);
// The SQL type of a result column (1-based); dates
// and intervals as their verbose types (SQL_DATETIME, SQL_INTERVAL).
SQLRETURN ColumnType(SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT& type, bool wide);
// A text column of the current row, read in pieces; rc is left at the last
// call's status, isNull set for a NULL.
std::string ReadText(SQLHSTMT statement, SQLUSMALLINT column, SQLRETURN& rc, bool& isNull,
                     bool wide);

}  // namespace vendral::odbc
