// A fault-injecting ODBC driver for tests: it forwards everything to the
// SQLite ODBC driver and makes chosen calls fail, on command, for faults that
// no real engine produces on demand. The library is linked against the SQLite
// driver, so the driver manager finds every function this file does not define
// there; the few defined here pass through unless the environment variable
// VENDRAL_FAULT_INJECT names their fault (see Injected):
//   "commit"        SQLEndTran(SQL_COMMIT) rolls back instead and fails (40001)
//   "autocommit-on" SQLSetConnectAttr(SQL_ATTR_AUTOCOMMIT, ON) fails (HY000),
//                   the connection staying in manual-commit mode
// The SQLite driver is an ANSI driver, so only the ANSI entry points are
// defined here. A failed call's diagnostic record is the one answered by SQLGetDiagRec and
// SQLGetDiagField for that handle until its next injected call.
#include <dlfcn.h>
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

namespace {

void* RealFunction(const char* name) {
    static void* driver = dlopen(VENDRAL_REAL_ODBC_DRIVER, RTLD_NOW | RTLD_LOCAL);
    if (!driver) std::abort();
    void* function = dlsym(driver, name);
    if (!function) std::abort();
    return function;
}

template <typename Function>
Function* Real(const char* name) {
    return reinterpret_cast<Function*>(RealFunction(name));
}

// True when this call is to fail: the variable names the fault, alone
// ("commit": every such call fails) or with the number of the call that is to
// fail first ("autocommit-on:2": the first passes, the second and later fail),
// counted from the moment the variable took its value.
bool Injected(std::string_view fault) {
    static std::mutex lock;
    static std::string seen;
    static int calls = 0;
    const char* faults = std::getenv("VENDRAL_FAULT_INJECT");
    std::lock_guard<std::mutex> guard(lock);
    if (!faults || seen != faults) {
        seen = faults ? faults : "";
        calls = 0;
    }
    std::string_view setting(seen);
    std::size_t colon = setting.find(':');
    if (setting.substr(0, colon) != fault) return false;
    int first = colon == std::string_view::npos ? 1 : std::atoi(seen.c_str() + colon + 1);
    return ++calls >= first;
}

struct Pending {
    SQLHANDLE handle = nullptr;
    std::string state;
    std::string message;
};

std::mutex pendingLock;
Pending pending;

void SetPending(SQLHANDLE handle, const char* state, const char* message) {
    std::lock_guard<std::mutex> lock(pendingLock);
    pending = {handle, state, message};
}

void ClearPending(SQLHANDLE handle) {
    std::lock_guard<std::mutex> lock(pendingLock);
    if (pending.handle == handle) pending = {};
}

bool PendingFor(SQLHANDLE handle, Pending& out) {
    std::lock_guard<std::mutex> lock(pendingLock);
    if (!handle || pending.handle != handle) return false;
    out = pending;
    return true;
}

template <typename Char>
SQLRETURN CopyText(const std::string& text, Char* buffer, SQLSMALLINT capacity,
                   SQLSMALLINT* length) {
    if (length) *length = static_cast<SQLSMALLINT>(text.size());
    if (!buffer || capacity <= 0) return SQL_SUCCESS_WITH_INFO;
    std::size_t count = std::min<std::size_t>(text.size(), static_cast<std::size_t>(capacity) - 1);
    for (std::size_t i = 0; i < count; ++i) buffer[i] = static_cast<Char>(text[i]);
    buffer[count] = 0;
    return count < text.size() ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

template <typename Char>
SQLRETURN PendingRecord(const Pending& record, SQLSMALLINT number, Char* state, SQLINTEGER* native,
                        Char* message, SQLSMALLINT capacity, SQLSMALLINT* length) {
    if (number != 1) return SQL_NO_DATA;
    if (state) CopyText(record.state, state, 6, nullptr);
    if (native) *native = 0;
    return CopyText(record.message, message, capacity, length);
}

SQLRETURN PendingField(const Pending& record, SQLSMALLINT number, SQLSMALLINT field,
                       SQLPOINTER value, SQLSMALLINT capacity, SQLSMALLINT* length) {
    if (field == SQL_DIAG_NUMBER) {
        if (value) *static_cast<SQLINTEGER*>(value) = 1;
        return SQL_SUCCESS;
    }
    if (field == SQL_DIAG_RETURNCODE) {
        if (value) *static_cast<SQLRETURN*>(value) = SQL_ERROR;
        return SQL_SUCCESS;
    }
    if (number != 1) return SQL_NO_DATA;
    const std::string* text = field == SQL_DIAG_SQLSTATE       ? &record.state
                              : field == SQL_DIAG_MESSAGE_TEXT ? &record.message
                                                               : nullptr;
    if (field == SQL_DIAG_NATIVE) {
        if (value) *static_cast<SQLINTEGER*>(value) = 0;
        return SQL_SUCCESS;
    }
    if (!text) return SQL_NO_DATA;
    SQLSMALLINT characters = 0;
    SQLRETURN rc = CopyText(*text, static_cast<SQLCHAR*>(value), capacity, &characters);
    if (length) *length = characters;
    return rc;
}

SQLRETURN SetConnectAttr(const char* name, SQLHDBC connection, SQLINTEGER attribute,
                         SQLPOINTER value, SQLINTEGER length) {
    ClearPending(connection);
    if (attribute == SQL_ATTR_AUTOCOMMIT && reinterpret_cast<SQLULEN>(value) == SQL_AUTOCOMMIT_ON &&
        Injected("autocommit-on")) {
        SetPending(connection, "HY000",
                   "[fault injection] the driver could not switch autocommit on");
        return SQL_ERROR;
    }
    using Function = SQLRETURN(SQLHDBC, SQLINTEGER, SQLPOINTER, SQLINTEGER);
    return Real<Function>(name)(connection, attribute, value, length);
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC connection, SQLINTEGER attribute, SQLPOINTER value,
                                    SQLINTEGER length) {
    return SetConnectAttr("SQLSetConnectAttr", connection, attribute, value, length);
}

SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion) {
    using Function = SQLRETURN(SQLSMALLINT, SQLHANDLE, SQLSMALLINT);
    auto* real = Real<Function>("SQLEndTran");
    ClearPending(handle);
    if (type == SQL_HANDLE_DBC && completion == SQL_COMMIT && Injected("commit")) {
        // As an engine that aborts the transaction at its end: nothing of it stays.
        real(type, handle, SQL_ROLLBACK);
        SetPending(handle, "40001",
                   "[fault injection] the transaction was rolled back instead of committed");
        return SQL_ERROR;
    }
    return real(type, handle, completion);
}

SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT number,
                                SQLCHAR* state, SQLINTEGER* native, SQLCHAR* message,
                                SQLSMALLINT capacity, SQLSMALLINT* length) {
    Pending record;
    if (PendingFor(handle, record))
        return PendingRecord(record, number, state, native, message, capacity, length);
    using Function = SQLRETURN(SQLSMALLINT, SQLHANDLE, SQLSMALLINT, SQLCHAR*, SQLINTEGER*, SQLCHAR*,
                               SQLSMALLINT, SQLSMALLINT*);
    return Real<Function>("SQLGetDiagRec")(type, handle, number, state, native, message, capacity,
                                           length);
}

SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT number,
                                  SQLSMALLINT field, SQLPOINTER value, SQLSMALLINT capacity,
                                  SQLSMALLINT* length) {
    Pending record;
    if (PendingFor(handle, record))
        return PendingField(record, number, field, value, capacity, length);
    using Function = SQLRETURN(SQLSMALLINT, SQLHANDLE, SQLSMALLINT, SQLSMALLINT, SQLPOINTER,
                               SQLSMALLINT, SQLSMALLINT*);
    return Real<Function>("SQLGetDiagField")(type, handle, number, field, value, capacity, length);
}

SQLRETURN SQL_API SQLError(SQLHENV environment, SQLHDBC connection, SQLHSTMT statement,
                           SQLCHAR* state, SQLINTEGER* native, SQLCHAR* message,
                           SQLSMALLINT capacity, SQLSMALLINT* length) {
    Pending record;
    SQLHANDLE handle = statement ? statement : connection ? connection : environment;
    if (PendingFor(handle, record)) {
        ClearPending(handle);  // SQLError hands each record out once
        return PendingRecord<SQLCHAR>(record, 1, state, native, message, capacity, length);
    }
    using Function = SQLRETURN(SQLHENV, SQLHDBC, SQLHSTMT, SQLCHAR*, SQLINTEGER*, SQLCHAR*,
                               SQLSMALLINT, SQLSMALLINT*);
    return Real<Function>("SQLError")(environment, connection, statement, state, native, message,
                                      capacity, length);
}

}  // extern "C"
