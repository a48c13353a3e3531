// CDatabase's own state: what the public header keeps behind its
// implementation pointer.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vendral/cdatabase.h"
#include "vendral/recordset.h"

namespace vendral {

// One of the two databases, central or local: the settings it is opened
// with, the connection member and file-database flag clients see for it,
// its table catalogue and whether it runs.
struct CDatabase::Side {
    Side(std::shared_ptr<Connection>& slot, bool& fileDatabase)
        : Slot(slot), FileDatabase(fileDatabase) {}
    Side(const Side&) = delete;
    Side& operator=(const Side&) = delete;

    std::shared_ptr<Connection>& Slot;  // dDatabase or LocaldDatabase
    bool& FileDatabase;                 // SysdDatabaseAccess or SysLocaldDatabaseAccess
    std::string DSN, UID, Password, ArchivePath;
    std::string Prefix = "CRM5.";
    std::string DatabaseType;
    std::string ConnectionString;  // as the open connection reports it
    TableCatalogue Catalogue;
    bool Running = false;

    // The side's connection; an unopened one is made when the slot is empty.
    Connection& Connect();
    // Takes the side's database type and marks the side as below.
    void TakeType(const std::string& type);
    // "ACCESS" marks the side a file database; a later type does not take
    // the mark back.
    void MarkFileDatabase();
    // Every table name behind the side's prefix.
    void FillCatalogue();
};

struct CDatabase::Impl {
    explicit Impl(CDatabase& owner)
        : central_{owner.dDatabase, owner.SysdDatabaseAccess},
          local_{owner.LocaldDatabase, owner.SysLocaldDatabaseAccess},
          workRecordset_(std::make_unique<Recordset>()),
          preferenceRecordset_(std::make_unique<Recordset>()) {}

    std::int32_t associateID_ = 0;
    std::string languageCode_, iniPath_, prefix_;
    Side central_;
    Side local_;
    std::string localDSNEntry_;
    std::string userIDOverride_, passwordOverride_;
    std::int16_t databaseTimeOut_ = 60;
    bool localStartedAsCentral_ = false;
    bool updateFreeText_ = false;
    std::int16_t failCount_ = 0;
    std::string lastReturnedErrorMessage_;
    std::int32_t lastGeneratedSequenceID_ = 0;
    std::array<std::string, 9> sqlFunct_;

    std::vector<std::string> stopWords_;
    std::vector<FreeTextTableRow> freeTextTables_;
    std::int16_t freeTextOwnerTable_ = 0;
    std::int32_t freeTextOwnerRecord_ = 0;

    std::unique_ptr<Recordset> workRecordset_;
    std::unique_ptr<Recordset> preferenceRecordset_;
};

}  // namespace vendral
