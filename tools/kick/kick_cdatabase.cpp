// The kick on a C++ CDatabase object of the library the program links.
#include "kick.h"
#include "kick_database.h"
#include "vendral/connection.h"

namespace vendral::kick {
namespace {

class RecordsetRows : public KickRows {
  public:
    RecordsetRows(const std::string& statement, const std::shared_ptr<Connection>& connection,
                  std::int32_t readAhead) {
        if (readAhead > 1) rows_.CacheSize(readAhead);
        rows_.Open(statement, connection, adOpenForwardOnly, adLockReadOnly, adCmdText);
    }
    bool Eof() override { return rows_.Eof(); }
    std::size_t FieldCount() override { return rows_.FieldCount(); }
    Variant Value(std::size_t index) override { return rows_.Collect(index); }
    void MoveNext() override { rows_.MoveNext(); }
    void Close() override { rows_.Close(); }

  private:
    Recordset rows_;
};

// The central connection for statements; a missing one reads as closed.
Connection& Central(CDatabase& db) {
    if (!db.dDatabase())
        throw DatabaseError("Operation is not allowed when the object is closed.", "08003", 3704);
    return *db.dDatabase();
}

}  // namespace

Variant CDatabaseKick::OpenODBC_DB(const std::string& iniFile, std::int32_t openDatabase,
                                   bool useNameAndPrefix) {
    return db_.OpenODBC_DB(iniFile, openDatabase, useNameAndPrefix);
}
bool CDatabaseKick::dDatabaseIsRunning() {
    return db_.dDatabaseIsRunning();
}
std::string CDatabaseKick::LastReturnedErrorMessage() {
    return db_.LastReturnedErrorMessage();
}
std::string CDatabaseKick::CentralDatabasePrefix() {
    return db_.CentralDatabasePrefix();
}
void CDatabaseKick::AssociateID(std::int32_t id) {
    db_.AssociateID(id);
}
std::int32_t CDatabaseKick::AssociateID() {
    return db_.AssociateID();
}
Variant CDatabaseKick::GetFirstLongRecord(const std::string& table, const std::string& field,
                                          const std::string& where,
                                          std::int16_t databaseConnection) {
    return db_.GetFirstLongRecord(table, field, where, databaseConnection);
}
Variant CDatabaseKick::UpdateTravelTransactionLog(std::int16_t actionType, std::int32_t associateID,
                                                  std::int16_t tableNumber, std::int32_t recordID,
                                                  std::int16_t databaseConnection) {
    return db_.UpdateTravelTransactionLog(actionType, associateID, tableNumber, recordID,
                                          databaseConnection);
}
bool CDatabaseKick::CentralIsOpen() {
    return db_.dDatabase() && db_.dDatabase()->State() == adStateOpen;
}
std::unique_ptr<KickRows> CDatabaseKick::ReadRows(const std::string& statement,
                                                  std::int32_t readAhead) {
    return std::make_unique<RecordsetRows>(statement, db_.dDatabase(), readAhead);
}
std::int64_t CDatabaseKick::Execute(const std::string& statement) {
    return Central(db_).Execute(statement);
}
void CDatabaseKick::BeginTrans() {
    Central(db_).BeginTrans();
}
void CDatabaseKick::CommitTrans() {
    Central(db_).CommitTrans();
}
void CDatabaseKick::RollbackTrans() {
    Central(db_).RollbackTrans();
}
bool CDatabaseKick::InTransaction() {
    return db_.dDatabase() && db_.dDatabase()->InTransaction();
}

void RunKick(CDatabase& db, const KickRequest& request, KickCounts& counts,
             const KickProgress& progress) {
    CDatabaseKick access(db);
    RunKick(static_cast<KickDatabase&>(access), request, counts, progress);
}

void RunBatchKick(CDatabase& db, const KickRequest& request, KickCounts& counts,
                  const KickProgress& progress, std::int32_t blockRows,
                  std::int64_t wholeReadRows) {
    CDatabaseKick access(db);
    RunBatchKick(static_cast<KickDatabase&>(access), request, counts, progress, blockRows,
                 wholeReadRows);
}

}  // namespace vendral::kick
