// CDatabase's own state and workings: what the public header keeps behind its
// implementation pointer.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vendral/cdatabase.h"
#include "vendral/recordset.h"

namespace vendral {

struct CDatabase::Impl {
    // One of the two databases, central or local: the settings it is opened
    // with, the connection and file-database flag clients see for it, its
    // table catalogue and whether it runs.
    struct Side {
        std::shared_ptr<Connection> Slot = std::make_shared<Connection>();
        bool FileDatabase = false;  // SysdDatabaseAccess or SysLocaldDatabaseAccess
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

    explicit Impl(CDatabase& owner)
        : self_(owner),
          workRecordset_(std::make_unique<Recordset>()),
          preferenceRecordset_(std::make_unique<Recordset>()) {}

    CDatabase& self_;
    std::int32_t associateID_ = 0;
    std::string languageCode_, iniPath_, prefix_;
    Side central_;
    Side local_;
    std::shared_ptr<Connection> accdDatabase_ = std::make_shared<Connection>();
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

    // Connection selector: 0 is central, any other value local.
    Side& SideFor(std::int16_t iDatabaseConnection);
    const Side& SideFor(std::int16_t iDatabaseConnection) const;
    std::shared_ptr<Connection>& ConnectionFor(std::int16_t iDatabaseConnection);
    const std::string& PrefixFor(std::int16_t iDatabaseConnection) const;
    const TableCatalogue& CatalogueFor(std::int16_t iDatabaseConnection) const;
    // A bare table name gets the side's prefix; a dotted one is kept.
    std::string QualifyTable(const std::string& sTable, std::int16_t iDatabaseConnection) const;
    std::string PrepareSQL(std::string sql, std::int16_t iDatabaseConnection) const;
    // The prefix a bare table name gets ("" for a dotted one), as QualifyTable adds it.
    std::string_view PrefixOfTable(const std::string& sTable,
                                   std::int16_t iDatabaseConnection) const;
    // The first column of a COUNT statement's row, 0 without a row.
    Variant CountOf(std::string countSql, std::int16_t iDatabaseConnection);
    // Opens the work recordset forward-only and read-only on the chosen connection.
    void OpenWorkRecordset(const std::string& preparedSql, std::int16_t iDatabaseConnection);
    // The first column of the first row of a statement, Empty when there is no row.
    Variant FirstValue(const std::string& preparedSql, std::int16_t iDatabaseConnection);
    // FirstValue of "SELECT field FROM table where", with missing for no row or a null.
    Variant FirstOfTable(const std::string& sTable, const std::string& sField,
                         const std::string& sWhere, std::int16_t iDatabaseConnection,
                         const Variant& missing);
    void FillFromWorkRecordset(ListControl& control);

    // Opening (settings file, type detection).
    void DetectDatabaseType(const std::string& section);
    std::string ReadDatabaseType(const std::string& section) const;

    // Opening from the settings file: the state of one OpenODBC_DB call (its
    // failure handling and the credentials it connects with), the reading of
    // the settings, one function per open mode, and the steps they share.
    // Defined in opening.cpp. Each step that can end the call reports whether
    // the call goes on.
    struct OpenRun;
    void ReadOpenSettings(OpenRun& run, const std::string& sINIFile);
    void OpenModeCentral(OpenRun& run);
    void OpenModeLocal(OpenRun& run);
    void OpenModeCentralLocal(OpenRun& run);
    void OpenModeCentralIfFailsLocal(OpenRun& run);
    void OpenModeCentralLocalIfFailsLocal(OpenRun& run);
    // The local data source opened in the central slot, as the modes that fall
    // back on it do.
    bool OpenLocalAsCentral(OpenRun& run);
    // Opens the slot of one side with the data source and credentials of
    // another (the same one, or the local one standing in for the central).
    bool OpenWithSettingsOf(OpenRun& run, Side& slot, const Side& source);
    // The rest of an open: the connection string, the type from the section the
    // data source came from, and for the central slot the dialect and (when the
    // central database itself was opened) the free-text settings.
    bool FinishOpen(OpenRun& run, Side& slot, const std::string& section, bool loadFreeText);
    Variant SwitchConnection(Side& side, const std::string& sConnection,
                             const std::string& sConnectionType);

    // Travel log: reserves a log id and writes the row, retried with a fresh id
    // when the insert fails; with a change given, the row and the change are
    // written in one transaction. Defined in travel_log.cpp.
    Variant WriteTravelLog(std::int16_t iActionType, std::int32_t iAssociateID,
                           std::int16_t iTableNumber, std::int32_t lRecordID,
                           std::int16_t iDatabaseConnection, const std::string* change);

    // Free text.
    static Variant FindTableRow(const std::vector<FreeTextTableRow>& list, const std::string& text);
    // On the connection (and behind the prefix) of the change it follows.
    void RemoveFreeTextEntries(std::int16_t iTableNumber, std::int32_t lRecordID,
                               std::int16_t iDatabaseConnection = 0);
};

namespace detail {

// The library's other rooms and its test inspection reach the state here.
struct CDatabaseAccess {
    static CDatabase::Impl& Of(CDatabase& db) { return *db.impl_; }
    static const CDatabase::Impl& Of(const CDatabase& db) { return *db.impl_; }
};

}  // namespace detail
}  // namespace vendral
