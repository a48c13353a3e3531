#include "platform/odbc.h"

#include "platform/library_errors.h"
#include "platform/text.h"

namespace vendral::odbc {

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
    SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
    if (!Succeeded(rc)) {
        std::vector<ErrorRecord> records =
            parent == SQL_NULL_HANDLE
                ? std::vector<ErrorRecord>{}
                : Diagnostics(type == SQL_HANDLE_DBC ? SQL_HANDLE_ENV : SQL_HANDLE_DBC, parent, rc);
        handle_ = SQL_NULL_HANDLE;
        if (records.empty())
            records.push_back(detail::Record(detail::kNoHandle, detail::kNoHandleText));
        throw DatabaseError(std::move(records));
    }
}

Handle& Handle::operator=(Handle&& other) noexcept {
    if (this != &other) {
        Reset();
        type_ = other.type_;
        handle_ = other.handle_;
        other.handle_ = SQL_NULL_HANDLE;
    }
    return *this;
}

void Handle::Reset() noexcept {
    if (handle_ != SQL_NULL_HANDLE) {
        SQLFreeHandle(type_, handle_);
        handle_ = SQL_NULL_HANDLE;
    }
}

std::vector<ErrorRecord> Diagnostics(SQLSMALLINT type, SQLHANDLE handle, SQLRETURN rc, bool wide) {
    std::vector<ErrorRecord> records;
    for (SQLSMALLINT index = 1; handle != SQL_NULL_HANDLE; ++index) {
        ErrorRecord record;
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        if (wide) {
            SQLWCHAR state[6] = {};
            SQLWCHAR message[2048] = {};
            SQLRETURN diag = SQLGetDiagRecW(type, handle, index, state, &native, message,
                                            static_cast<SQLSMALLINT>(std::size(message)), &length);
            if (!Succeeded(diag)) break;
            record.SQLState = FromUtf16(std::u16string_view(reinterpret_cast<char16_t*>(state), 5));
            std::size_t used =
                std::min<std::size_t>(std::max<SQLSMALLINT>(length, 0), std::size(message) - 1);
            record.Description =
                FromUtf16(std::u16string_view(reinterpret_cast<char16_t*>(message), used));
        } else {
            SQLCHAR state[6] = {};
            SQLCHAR message[4096] = {};
            SQLRETURN diag = SQLGetDiagRec(type, handle, index, state, &native, message,
                                           static_cast<SQLSMALLINT>(sizeof message), &length);
            if (!Succeeded(diag)) break;
            record.SQLState.assign(reinterpret_cast<char*>(state), 5);
            std::size_t used =
                std::min<std::size_t>(std::max<SQLSMALLINT>(length, 0), sizeof message - 1);
            record.Description.assign(reinterpret_cast<char*>(message), used);
        }
        record.NativeError = native;
        records.push_back(std::move(record));
    }
    if (records.empty()) {
        records.push_back(detail::Record(
            detail::kSilentFailure, rc == SQL_INVALID_HANDLE ? detail::kInvalidHandleText
                                                             : detail::kFailedWithoutMessageText));
    }
    return records;
}

std::u16string Wide(const std::string& text) {
    return ToUtf16(text);
}

SQLWCHAR* WidePointer(std::u16string& text) {
    return reinterpret_cast<SQLWCHAR*>(text.data());
}

}  // namespace vendral::odbc
