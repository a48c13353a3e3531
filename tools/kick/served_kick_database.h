// The kick's access to a CDatabase object created through the component
// server: the members of CDatabase through the entries of its dual interface
// _CDatabase (found by name in its type information), the central connection
// and its recordsets through their dispatch interfaces. No C++ object of the
// serving library is touched, so the library registered for the class (which
// may be another build than the one this program links) runs every call.
#pragma once

#include <string>
#include <utility>

#include "kick_database.h"
#include "vendral/automation_client.h"
#include "vendral/com_automation.h"

namespace vendral::kick {

using namespace vendral::com;

class ServedKickDatabase : public KickDatabase {
  public:
    // database: the object's _CDatabase interface.
    explicit ServedKickDatabase(IDispatch* database) : database_(database) {}

    Variant OpenODBC_DB(const std::string& iniFile, std::int32_t openDatabase,
                        bool useNameAndPrefix) override;
    bool dDatabaseIsRunning() override;
    std::string LastReturnedErrorMessage() override;
    std::string CentralDatabasePrefix() override;
    void AssociateID(std::int32_t id) override;
    std::int32_t AssociateID() override;
    Variant GetFirstLongRecord(const std::string& table, const std::string& field,
                               const std::string& where, std::int16_t databaseConnection) override;
    Variant UpdateTravelTransactionLog(std::int16_t actionType, std::int32_t associateID,
                                       std::int16_t tableNumber, std::int32_t recordID,
                                       std::int16_t databaseConnection) override;
    bool CentralIsOpen() override;
    // The dispatch connection's Execute reads as its driver reads by default:
    // it offers no read-ahead setting, so readAhead is not passed on.
    std::unique_ptr<KickRows> ReadRows(const std::string& statement,
                                       std::int32_t readAhead) override;
    std::int64_t Execute(const std::string& statement) override;
    void BeginTrans() override;
    void CommitTrans() override;
    void RollbackTrans() override;
    bool InTransaction() override { return inTransaction_; }

  private:
    DualInterface database_;
    // Begun here and neither committed nor rolled back (a failed commit leaves it open).
    bool inTransaction_ = false;
};

}  // namespace vendral::kick
