// Re-opening a connection with a new connection string.
#include "platform/connection_access.h"
#include "vendral/cdatabase.h"

namespace vendral {
namespace {

// Closing a connection that is not open is refused, as the data objects do;
// that is the error a switch of a never-opened connection reports.
void CloseOpenConnection(Connection& connection) {
    if (connection.State() != adStateOpen)
        detail::ConnectionAccess::Fail(
            connection, {{"Operation is not allowed when the object is closed.", "08003", 3704}});
    connection.Close();
}

}  // namespace

Variant CDatabase::SwitchCentralConnection(const std::string& sCentralConnection,
                                           const std::string& sConnectionType) {
    Connection& connection = *ConnectionFor(0);
    CloseOpenConnection(connection);
    connection.ConnectionString(sCentralConnection);
    connection.Open();
    centralConnectionString_ = connection.ConnectionString();
    databaseTypeCentral_ = ReadDatabaseType(sConnectionType);
    if (databaseTypeCentral_ == "ACCESS") SysdDatabaseAccess = true;
    SetSQLFunctions(databaseTypeCentral_);
    centralRunning_ = true;
    return Variant();
}

Variant CDatabase::SwitchLocalConnection(const std::string& sLocalConnection,
                                         const std::string& sConnectionType) {
    Connection& connection = *ConnectionFor(1);
    CloseOpenConnection(connection);
    connection.ConnectionString(sLocalConnection);
    connection.Open();
    localConnectionString_ = connection.ConnectionString();
    databaseTypeLocal_ = ReadDatabaseType(sConnectionType);
    if (databaseTypeLocal_ == "ACCESS") SysLocaldDatabaseAccess = true;
    // The SQL dialect follows the central side only.
    localRunning_ = true;
    return Variant();
}

}  // namespace vendral
