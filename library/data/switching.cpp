// Re-opening a connection with a new connection string.
#include "data/cdatabase_state.h"
#include "odbc/connection_access.h"
#include "odbc/library_errors.h"
#include "vendral/cdatabase.h"

namespace vendral {
namespace {

// Closing a connection that is not open is refused, as the data objects do;
// that is the error a switch of a never-opened connection reports.
void CloseOpenConnection(Connection& connection) {
    if (connection.State() != adStateOpen)
        detail::Raise(connection, detail::kConnectionClosed, detail::kObjectClosedText);
    connection.Close();
}

}  // namespace

Variant CDatabase::SwitchCentralConnection(const std::string& sCentralConnection,
                                           const std::string& sConnectionType) {
    return impl_->SwitchConnection(impl_->central_, sCentralConnection, sConnectionType);
}

Variant CDatabase::SwitchLocalConnection(const std::string& sLocalConnection,
                                         const std::string& sConnectionType) {
    return impl_->SwitchConnection(impl_->local_, sLocalConnection, sConnectionType);
}

Variant CDatabase::Impl::SwitchConnection(Side& side, const std::string& sConnection,
                                          const std::string& sConnectionType) {
    Connection& connection = side.Connect();
    CloseOpenConnection(connection);
    connection.ConnectionString(sConnection);
    connection.Open();
    side.ConnectionString = connection.ConnectionString();
    side.TakeType(ReadDatabaseType(sConnectionType));
    // The SQL dialect follows the central side only.
    if (&side == &central_) self_.SetSQLFunctions(side.DatabaseType);
    side.Running = true;
    return Variant();
}

}  // namespace vendral
