// What the kick needs of a CDatabase object, so that the same engine runs on a
// C++ object of the library and on an object created through the component
// server (reached through its dual interface only).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vendral/cdatabase.h"
#include "vendral/variant.h"

namespace vendral::kick {

// A forward-only read of a statement's rows on the central connection.
class KickRows {
  public:
    virtual ~KickRows() = default;
    virtual bool Eof() = 0;
    virtual std::size_t FieldCount() = 0;
    // The value of the current row's column at position index.
    virtual Variant Value(std::size_t index) = 0;
    virtual void MoveNext() = 0;
    virtual void Close() = 0;
};

// Errors reach callers as DatabaseError (with the driver's records) or as the
// library's other exceptions, as the C++ class throws them.
class KickDatabase {
  public:
    virtual ~KickDatabase() = default;

    // Opening, for the programs.
    virtual Variant OpenODBC_DB(const std::string& iniFile, std::int32_t openDatabase,
                                bool useNameAndPrefix) = 0;
    virtual bool dDatabaseIsRunning() = 0;
    virtual std::string LastReturnedErrorMessage() = 0;

    // The members of the class the per-row kick calls.
    virtual std::string CentralDatabasePrefix() = 0;
    virtual void AssociateID(std::int32_t id) = 0;
    virtual std::int32_t AssociateID() = 0;
    virtual Variant GetFirstLongRecord(const std::string& table, const std::string& field,
                                       const std::string& where,
                                       std::int16_t databaseConnection) = 0;
    virtual Variant UpdateTravelTransactionLog(std::int16_t actionType, std::int32_t associateID,
                                               std::int16_t tableNumber, std::int32_t recordID,
                                               std::int16_t databaseConnection) = 0;

    // The central connection (dDatabase).
    virtual bool CentralIsOpen() = 0;
    // Reads statement's rows; readAhead above 1 asks for rows in blocks of
    // that many where the driver would otherwise hold every row in memory.
    virtual std::unique_ptr<KickRows> ReadRows(const std::string& statement,
                                               std::int32_t readAhead) = 0;
    // Runs a statement that returns no rows; the rows affected, -1 where the
    // driver does not tell.
    virtual std::int64_t Execute(const std::string& statement) = 0;
    virtual void BeginTrans() = 0;
    virtual void CommitTrans() = 0;
    virtual void RollbackTrans() = 0;
    virtual bool InTransaction() = 0;
};

// The kick's access to a C++ CDatabase object (the library linked into the
// program: the tests and the benchmarks).
class CDatabaseKick : public KickDatabase {
  public:
    explicit CDatabaseKick(CDatabase& db) : db_(db) {}
    // Keeps owned alive as long as this lives.
    explicit CDatabaseKick(std::shared_ptr<CDatabase> owned)
        : owned_(std::move(owned)), db_(*owned_) {}

    CDatabase& Database() { return db_; }

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
    std::unique_ptr<KickRows> ReadRows(const std::string& statement,
                                       std::int32_t readAhead) override;
    std::int64_t Execute(const std::string& statement) override;
    void BeginTrans() override;
    void CommitTrans() override;
    void RollbackTrans() override;
    bool InTransaction() override;

  private:
    std::shared_ptr<CDatabase> owned_;
    CDatabase& db_;
};

}  // namespace vendral::kick
