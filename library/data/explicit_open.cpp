// Opening from explicit parameters: a data source for the central connection,
// or a database file on the third connection.
#include "data/cdatabase_state.h"
#include "odbc/connection_strings.h"
#include "vendral/cdatabase.h"
#include "vendral/ui_host.h"

namespace vendral {
namespace {

// The Access connection always waits this long for a statement, whatever
// DatabaseTimeOUt says.
constexpr std::int32_t kFileCommandTimeout = 60;

}  // namespace

Variant CDatabase::OpenODBC_ByConnection(const std::string& sDSN, const std::string& sPrefix,
                                         const std::string& sDatabaseType, const Variant& sUserID,
                                         const std::string& sPassWord) {
    // The prefix is taken as given: no "." is appended here.
    impl_->central_.Prefix = sPrefix;
    impl_->central_.DSN = sDSN;
    impl_->central_.UID = sUserID.ToString();
    impl_->central_.Password = sPassWord;
    impl_->central_.DatabaseType = sDatabaseType;
    SetSQLFunctions(impl_->central_.DatabaseType);
    Connection& connection = impl_->central_.Connect();
    connection.CommandTimeout(impl_->databaseTimeOut_);
    connection.ConnectionTimeout(impl_->databaseTimeOut_);
    connection.ConnectionString(OdbcConnectionString(sDSN, impl_->central_.UID, sPassWord));
    connection.Open();
    impl_->central_.MarkFileDatabase();
    LoadFreeTextSettings();
    impl_->central_.Running = true;
    return Variant();
}

Variant CDatabase::OpenAccess_DB(const std::string& sAccessFile) {
    const std::shared_ptr<UiHost> hostShare = CurrentUiHost();
    UiHost& host = *hostShare;
    host.SetMousePointer(kPointerBusy);
    std::shared_ptr<Connection>& file = impl_->accdDatabase_;
    if (!file) file = std::make_shared<Connection>();
    try {
        file->CommandTimeout(kFileCommandTimeout);
        file->ConnectionString(FileConnectionString(sAccessFile));
        file->Open();
    } catch (const std::exception& error) {
        // The provider's own text, without the SQLSTATE the exception adds.
        const auto* database = dynamic_cast<const DatabaseError*>(&error);
        impl_->lastReturnedErrorMessage_ = database ? database->Description() : error.what();
        host.SetMousePointer(kPointerArrow);
        impl_->ConnectionFor(0)->Errors().Clear();
        return Variant(false);
    }
    host.SetMousePointer(kPointerArrow);
    return Variant(true);
}

}  // namespace vendral
