// CDatabase: the two connections to the CRM database (central and local) and
// everything the library does on them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "vendral/connection.h"
#include "vendral/export.h"
#include "vendral/list_control.h"
#include "vendral/variant.h"

namespace vendral {

// Open modes of OpenODBC_DB.
enum OpenDatabase : std::int32_t {
    OpenCentral = 1,
    OpenLocal = 2,
    Central_Local = 3,
    Central_if_failes_local = 4,
    Central_local_if_failes_local = 5,
};

// List tables by their table number.
enum ComboLists : std::int32_t {
    Relation = 48,
    UserGroup = 59,
    Business = 61,
    Category = 64,
    Task = 67,
    ContactInterest = 70,
    PersonInterest = 73,
    Position = 76,
    Priority = 79,
    Probality = 82,
    ProjectType = 85,
    ProjectStatus = 88,
    ProjectMemberType = 91,
    MrMrs = 94,
    Credited = 97,
    Source = 100,
    Reason = 103,
    SearchCat = 106,
    Comptr = 109,
    Currency = 112,
    OptCat = 115,
    OptType = 118,
    OptState = 121,
    OptInt = 124,
    OptDec = 127,
    DocTemplate = 130,
    ExternalApplication = 133,
    UDLList = 136,
};

// Owners of user-defined fields.
enum UDFType : std::int32_t {
    UDFContact = 0,
    UDFPerson = 1,
    UDFProject = 2,
    UDFSale = 3,
};

// Action types of travel transaction log rows.
constexpr std::int16_t kActionInsert = 4352;
constexpr std::int16_t kActionUpdate = 4608;
constexpr std::int16_t kActionDelete = 4864;

// The table catalogue: table number -> prefix + table name in capitals.
constexpr std::size_t kCatalogueSlots = 261;
constexpr std::size_t kCatalogueNames = 252;
using TableCatalogue = std::array<std::string, kCatalogueSlots>;

// The CRM table names by table number (0 to 251).
VENDRAL_API std::span<const char* const> CatalogueTableNames();
// The position of the first entry that, in capitals, equals text; -1 when none does.
VENDRAL_API Variant FindListIndex(std::span<const std::string> list, const std::string& text);

// One row of the free-text table list: a table whose records are indexed, and
// the selector and owner columns of that table (empty when the record owns itself).
struct FreeTextTableRow {
    std::string TableNumber;
    std::string SelectorColumn;
    std::string OwnerColumn;
};

class VENDRAL_API CDatabase {
  public:
    CDatabase();
    ~CDatabase();
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;

    // Connections; clients may read and assign them. A null one is created
    // unopened when it is next used.
    std::shared_ptr<Connection> dDatabase;
    std::shared_ptr<Connection> LocaldDatabase;
    std::shared_ptr<Connection> AccdDatabase;
    bool SysdDatabaseAccess = false;
    bool SysLocaldDatabaseAccess = false;

    // Query helpers.
    Variant CountRecords(const std::string& sTable, const std::string& sWhere = "",
                         std::int16_t iDatabaseConnection = 0);
    Variant CountRecordsSQL(const std::string& sQueryFrom, std::int16_t iDatabaseConnection = 0);
    Variant GetFirstTextRecord(const std::string& sTable, const std::string& sField,
                               const std::string& sWhere = "",
                               std::int16_t iDatabaseConnection = 0);
    Variant GetFirstLongRecord(const std::string& sTable, const std::string& sField,
                               const std::string& sWhere = "",
                               std::int16_t iDatabaseConnection = 0);

    // Sequence numbers.
    Variant UpdateSequence(std::int16_t iTableNumber, std::int16_t iDatabaseConnection);

    // Opening.
    Variant OpenODBC_ByConnection(const std::string& sDSN, const std::string& sPrefix,
                                  const std::string& sDatabaseType, const Variant& sUserID,
                                  const std::string& sPassWord);
    Variant OpenODBC_DB(const std::string& sINIFile, std::int32_t iOpenDatabase,
                        bool UseDBName_and_Prefix = false);
    Variant OpenAccess_DB(const std::string& sAccessFile);

    Variant CheckSQL(const std::string& ChkSQL);
    Variant FillCombo(ListControl& TmpObjCombo, const std::string& sQuery,
                      std::int16_t iDatabaseConnection = 0);

    // Properties: a getter X() and a setter X(value) of the same name.
    std::int32_t AssociateID() const { return associateID_; }
    void AssociateID(std::int32_t lAssociateID) { associateID_ = lAssociateID; }
    const std::string& LanguageCode() const { return languageCode_; }
    void LanguageCode(const std::string& sLanguageCode) { languageCode_ = sLanguageCode; }
    const std::string& IniPath() const { return iniPath_; }
    void IniPath(const std::string& sIniPath) { iniPath_ = sIniPath; }
    const std::string& CentralArchivePath() const { return centralArchivePath_; }
    void CentralArchivePath(const std::string& v) { centralArchivePath_ = v; }
    const std::string& CentralDSN() const { return centralDSN_; }
    void CentralDSN(const std::string& sCentralDSN) { centralDSN_ = sCentralDSN; }
    const std::string& CentralDatabasePrefix() const { return centralPrefix_; }
    void CentralDatabasePrefix(const std::string& sDatabasePrefix);
    const std::string& LocalDatabasePrefix() const { return localPrefix_; }
    void LocalDatabasePrefix(const std::string& sDatabasePrefix);
    const std::string& LocalArchivePath() const { return localArchivePath_; }
    void LocalArchivePath(const std::string& v) { localArchivePath_ = v; }
    const std::string& LocalDSN() const { return localDSN_; }
    void LocalDSN(const std::string& sLocalDSN) { localDSN_ = sLocalDSN; }
    const std::string& Prefix() const { return prefix_; }
    void Prefix(const std::string& sPrefix) { prefix_ = sPrefix; }
    bool UpdateFreeText() const { return updateFreeText_; }
    void UpdateFreeText(bool bValue) { updateFreeText_ = bValue; }
    bool LocalStartedasCentral() const { return localStartedAsCentral_; }
    void LocalStartedasCentral(bool bValue) { localStartedAsCentral_ = bValue; }
    bool dDatabaseIsRunning() const { return centralRunning_; }
    bool LocaldDatabaseIsRunning() const { return localRunning_; }
    std::string LastGeneratedSequenceID() const;
    const std::string& SQLFunct_FirstLast() const { return sqlFunct_[0]; }
    const std::string& SQLFunct_MrFirstLast() const { return sqlFunct_[1]; }
    const std::string& SQLFunct_Discount() const { return sqlFunct_[2]; }
    const std::string& SQLFunct_ContNullPerson() const { return sqlFunct_[3]; }
    const std::string& SQLFunct_NameDepart() const { return sqlFunct_[4]; }
    const std::string& SQLFunct_NullContID() const { return sqlFunct_[5]; }
    const std::string& SQLFunct_PersonContact() const { return sqlFunct_[6]; }
    const std::string& SQLFunct_ContactInvoice() const { return sqlFunct_[7]; }
    const std::string& SQLFunct_ProjectInvoice() const { return sqlFunct_[8]; }
    const std::string& CentralConnectionString() const { return centralConnectionString_; }
    const std::string& LocalConnectionString() const { return localConnectionString_; }
    const std::string& LocalDSNEntry() const { return localDSNEntry_; }
    void LocalDSNEntry(const std::string& sValue) { localDSNEntry_ = sValue; }
    void UserID(const std::string& sValue) { userIDOverride_ = sValue; }
    void DatabaseTimeOUt(std::int16_t sValue) { databaseTimeOut_ = sValue; }
    const std::string& DatabaseTypeCentral() const { return databaseTypeCentral_; }
    void DatabaseTypeCentral(const std::string& sValue) { databaseTypeCentral_ = sValue; }
    const std::string& DatabaseTypeLocal() const { return databaseTypeLocal_; }
    void DatabaseTypeLocal(const std::string& sValue) { databaseTypeLocal_ = sValue; }
    void Password(const std::string& sValue) { passwordOverride_ = sValue; }
    const std::string& LocalPassword() const { return localPassword_; }
    void LocalPassword(const std::string& sValue) { localPassword_ = sValue; }
    const std::string& CentralPassword() const { return centralPassword_; }
    void CentralPassword(const std::string& sValue) { centralPassword_ = sValue; }
    const std::string& CentralUID() const { return centralUID_; }
    void CentralUID(const std::string& sValue) { centralUID_ = sValue; }
    const std::string& LocalUID() const { return localUID_; }
    void LocalUID(const std::string& sValue) { localUID_ = sValue; }
    const std::string& SQLCentralDatabaseType() const { return databaseTypeCentral_; }
    const std::string& SQLLocalDatabaseType() const { return databaseTypeLocal_; }
    std::int16_t FailCount() const { return failCount_; }
    void FailCount(std::int16_t iValue) { failCount_ = iValue; }
    const std::string& LastReturnedErrorMessage() const { return lastReturnedErrorMessage_; }

    // SQL dialect.
    void SetSQLFunctions(const std::string& sDriverType);

    Variant SwitchCentralConnection(const std::string& sCentralConnection,
                                    const std::string& sConnectionType);
    Variant SwitchLocalConnection(const std::string& sLocalConnection,
                                  const std::string& sConnectionType);
    Variant ShowODBCSettings(const std::string& sINIFile, std::int32_t iOpenDatabase,
                             bool UseDBName_and_Prefix = false);

    // Statement execution and the travel transaction log.
    Variant UpdateTravelTransactionLog(std::int16_t iActionType, std::int32_t iAssociateID,
                                       std::int16_t iTableNumber, std::int32_t lRecordID,
                                       std::int16_t iDatabaseConnection = 0);

    // Preferences.
    Variant GetPreference(std::int16_t tDefLevel, std::int32_t tOwnerID,
                          const std::string& tPrefsection, const std::string& tPrefKey,
                          const std::string& tDefault = "",
                          const Variant& bReadGlobalSettings = Variant(),
                          std::int16_t iDatabaseConnection = 0);
    Variant DeletePreference(std::int16_t tDefLevel, std::int32_t tOwnerID = 0,
                             const std::string& tWhereClause = "");
    Variant SavePreference(std::int16_t tDefLevel, std::int32_t tOwnerID,
                           const std::string& tPrefsection, const std::string& tPrefKey,
                           const std::string& tPrefvalue);

    // Lists and user-defined fields.
    Variant GetListID(std::int32_t ComboType, const std::string& sName,
                      bool bCreateIfNotFound = false, std::int16_t iDatabaseConnection = 0);
    Variant GetUDFListID(std::int32_t iType, const std::string& sFieldName,
                         const std::string& sName, bool bCreateIfNotFound = false,
                         bool ExactSearch = false, std::int16_t iDatabaseConnection = 0);
    Variant GetUDFListValue(std::int32_t iType, const std::string& sFieldName, std::int32_t lValue,
                            std::int16_t iDatabaseConnection = 0);
    Variant ComboList(ListControl& oCombo, std::int32_t ComboType,
                      std::int16_t iDatabaseConnection = 0);
    Variant ComboListAssociate(ListControl& oCombo, std::int16_t iDatabaseConnection = 0);

    Variant ExecSQL(const std::string& sQuery, std::int32_t lRecordIDNumber = 0,
                    std::int16_t iDatabaseConnection = 0);

    // Free-text index.
    void UpdateFreeTextTables(const std::string& sQuery, std::int16_t iTableID,
                              std::int32_t lRecordID);
    Variant GetFreeTxtSrchLnk(const std::string& sQuery, std::int16_t iTableID,
                              std::int32_t lRecordID);

    Variant GetUDFFieldName(std::int32_t lColumnID);
    Variant GetTableNumber(const std::string& TableName, std::int16_t iDatabaseConnection = 0);
    Variant GetSOVersion(std::int16_t iDatabaseConnection = 0);

    // Inspection, for the widget layer, tools and tests.
    const TableCatalogue& CentralTableCatalogue() const { return centralCatalogue_; }
    const TableCatalogue& LocalTableCatalogue() const { return localCatalogue_; }
    // The recordset shared by the queries; closed between calls.
    const Recordset& WorkRecordset() const { return *workRecordset_; }
    std::int16_t FreeTextOwnerTable() const { return freeTextOwnerTable_; }
    std::int32_t FreeTextOwnerRecord() const { return freeTextOwnerRecord_; }
    const std::vector<std::string>& FreeTextStopWords() const { return stopWords_; }
    const std::vector<FreeTextTableRow>& FreeTextTables() const { return freeTextTables_; }
    // Rebuilds both table catalogues with the prefixes now in force, as opening
    // from the settings file does; for clients that hand in their own connections.
    void RefillTableCatalogues();
    // Reads the free-text switch, the stop words and the table list from the
    // central database; stops quietly at the first error.
    void LoadFreeTextSettings();

  private:
    enum class CatalogueSide { Central, Local };

    // Connection selector: 0 is central, any other value local.
    std::shared_ptr<Connection>& ConnectionFor(std::int16_t iDatabaseConnection);
    const std::string& PrefixFor(std::int16_t iDatabaseConnection) const;
    const TableCatalogue& CatalogueFor(std::int16_t iDatabaseConnection) const;
    // A bare table name gets the side's prefix; a dotted one is kept.
    std::string QualifyTable(const std::string& sTable, std::int16_t iDatabaseConnection) const;
    std::string PrepareSQL(const std::string& sql, std::int16_t iDatabaseConnection) const;
    // Opens WorkRecordset forward-only and read-only on the chosen connection.
    void OpenWorkRecordset(const std::string& preparedSql, std::int16_t iDatabaseConnection);
    // The first column of the first row of a statement, Empty when there is no row.
    Variant FirstValue(const std::string& preparedSql, std::int16_t iDatabaseConnection);
    void FillFromWorkRecordset(ListControl& control);

    void FillTableCatalogue(CatalogueSide side);

    // Opening (settings file, type detection).
    void DetectDatabaseType(const std::string& section);
    std::string ReadDatabaseType(const std::string& section) const;

    // Opening from the settings file: the state of one OpenODBC_DB call (its
    // failure handling and the credentials it connects with) and the three ways
    // it puts a connection into service. Defined in opening.cpp.
    struct OpenRun;
    void OpenCentralSide(OpenRun& run);
    void FinishCentralOpen(OpenRun& run, const std::string& section, bool loadFreeText);
    void OpenLocalAsCentral(OpenRun& run);
    void OpenLocalSide(OpenRun& run);
    void FinishLocalOpen(OpenRun& run);

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

    std::int32_t associateID_ = 0;
    std::string languageCode_, iniPath_, prefix_;
    std::string centralArchivePath_, localArchivePath_;
    std::string centralDSN_, localDSN_;
    std::string centralUID_, localUID_;
    std::string centralPassword_, localPassword_;
    std::string centralPrefix_ = "CRM5.";
    std::string localPrefix_ = "CRM5.";
    std::string databaseTypeCentral_, databaseTypeLocal_;
    std::string centralConnectionString_, localConnectionString_;
    std::string localDSNEntry_;
    std::string userIDOverride_, passwordOverride_;
    std::int16_t databaseTimeOut_ = 60;
    bool centralRunning_ = false;
    bool localRunning_ = false;
    bool localStartedAsCentral_ = false;
    bool updateFreeText_ = false;
    std::int16_t failCount_ = 0;
    std::string lastReturnedErrorMessage_;
    std::int32_t lastGeneratedSequenceID_ = 0;
    std::array<std::string, 9> sqlFunct_;

    TableCatalogue centralCatalogue_;
    TableCatalogue localCatalogue_;

    std::vector<std::string> stopWords_;
    std::vector<FreeTextTableRow> freeTextTables_;
    std::int16_t freeTextOwnerTable_ = 0;
    std::int32_t freeTextOwnerRecord_ = 0;

    std::unique_ptr<Recordset> workRecordset_;
    std::unique_ptr<Recordset> preferenceRecordset_;
};

}  // namespace vendral
