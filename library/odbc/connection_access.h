// The call gate through which the data layer reaches a connection's own hooks
// (its ODBC handle, the reuse of statement handles, the failure report and the
// bookkeeping of open recordsets). Clients of the library never see it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vendral/connection.h"

namespace vendral::detail {

class ConnectionAccess {
  public:
    static void* NativeHandle(const Connection& connection) { return connection.NativeHandle(); }
    static bool WideCalls(const Connection& connection) { return connection.WideCalls(); }
    static void NotifyStatement(const Connection& connection, const std::string& sql) {
        connection.NotifyStatement(sql);
    }
    [[noreturn]] static void Fail(Connection& connection, std::vector<ErrorRecord> records) {
        connection.Fail(std::move(records));
    }
    [[noreturn]] static void FailUsage(Connection& connection, ErrorRecord record) {
        connection.FailUsage(std::move(record));
    }
    static void RequireUsable(Connection& connection) { connection.RequireUsable(); }
    static void Attach(Connection& connection, Recordset* recordset) {
        connection.Attach(recordset);
    }
    static void Detach(Connection& connection, Recordset* recordset) {
        connection.Detach(recordset);
    }
    static void* TakeStatementHandle(Connection& connection) {
        return connection.TakeStatementHandle();
    }
    static void ReturnStatementHandle(Connection& connection, void* statement) noexcept {
        connection.ReturnStatementHandle(statement);
    }
    static void ExecuteUncounted(Connection& connection, const std::string& sql) {
        connection.ExecuteUncounted(sql);
    }
    static std::shared_ptr<Connection> StreamingCompanion(Connection& connection,
                                                          std::int32_t fetchSize) {
        return connection.StreamingCompanion(fetchSize);
    }
    static void KeepStreamedReads(Connection& connection) { connection.KeepStreamedReads(); }
    static bool BeginCursorExecute(Connection& connection, std::int32_t fetchSize) {
        return connection.BeginCursorExecute(fetchSize);
    }
    static void EndCursorExecute(Connection& connection) noexcept { connection.EndCursorExecute(); }
};

}  // namespace vendral::detail
