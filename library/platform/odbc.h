// Small RAII wrappers and diagnostics over the ODBC C API (wide-character calls).
#pragma once

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
    Handle& operator=(Handle&& other) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    SQLHANDLE get() const { return handle_; }
    SQLSMALLINT type() const { return type_; }
    explicit operator bool() const { return handle_ != SQL_NULL_HANDLE; }
    void Reset() noexcept;
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

std::u16string Wide(const std::string& text);
SQLWCHAR* WidePointer(std::u16string& text);

}  // namespace vendral::odbc
