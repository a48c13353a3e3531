/// @file
/// CDatabase: the two connections to the CRM database (central and local) and
/// everything the library does on them, with the enumerations and constants
/// its members take.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "vendral/connection.h"
#include "vendral/export.h"
#include "vendral/list_control.h"
#include "vendral/variant.h"

namespace vendral {

namespace detail {
// The library's own access to the object's state.
struct CDatabaseAccess;
}  // namespace detail

/// Open modes of CDatabase::OpenODBC_DB: which connections it opens and which
/// failures end the call. Any other value opens nothing (the settings are still
/// read and prepared, and the call returns true).
enum OpenDatabase : std::int32_t {
    /// The central connection only; any failure is fatal.
    OpenCentral = 1,
    /// The local database, opened in the central slot (CDatabase::dDatabase);
    /// any failure is fatal.
    OpenLocal = 2,
    /// The central connection, then the local one; any failure is fatal.
    Central_Local = 3,
    /// The central connection; when it cannot be opened, the local database in
    /// the central slot (CDatabase::LocalStartedasCentral becomes true).
    Central_if_failes_local = 4,
    /// The central connection and then the local one; when the central one
    /// cannot be opened, the local database in the central slot. A failure of
    /// the local connection alone is only counted.
    Central_local_if_failes_local = 5,
};

/// The CRM's pick-list tables by their table number, for CDatabase::GetListID
/// and CDatabase::ComboList (any other table number of the catalogue is taken
/// as well).
enum ComboLists : std::int32_t {
    /// Relation definitions (`RELATIONDEFINITION`), whose id column is
    /// `reldef_id`. Each of the other values is the number of the list table of
    /// its name (`USERGROUP`, `BUSINESS`, `CATEGORY`, ...), whose id column is
    /// the table's name followed by "_ID".
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

/// The owners of user-defined fields, for CDatabase::GetUDFListID and
/// CDatabase::GetUDFListValue.
enum UDFType : std::int32_t {
    UDFContact = 0,  ///< Fields of contacts (column ids from 8961).
    UDFPerson = 1,   ///< Fields of persons (column ids from 35841).
    UDFProject = 2,  ///< Fields of projects (column ids from 36353).
    UDFSale = 3,     ///< Fields of sales (column ids from 40449).
};

/// @name Action types of travel transaction log rows
/// The `type` column of a row of `traveltransactionlog`, as
/// CDatabase::UpdateTravelTransactionLog writes it.
/** @{ */
constexpr std::int16_t kActionInsert = 4352;  ///< A record was inserted (0x1100).
constexpr std::int16_t kActionUpdate = 4608;  ///< A record was changed (0x1200).
constexpr std::int16_t kActionDelete = 4864;  ///< A record was deleted (0x1300).
/** @} */

/// Slots of a table catalogue, indexed by table number 0 to 260.
constexpr std::size_t kCatalogueSlots = 261;
/// Slots that hold a table name (0 to 251); the rest stay empty.
constexpr std::size_t kCatalogueNames = 252;
/// A table catalogue: table number -> the side's prefix followed by the table
/// name in capitals ("CRM5.APPOINTMENT" in slot 9 with the default prefix).
using TableCatalogue = std::array<std::string, kCatalogueSlots>;

/// The CRM's table names by table number (0 to 251), in capitals and without
/// prefix: "SEQUENCE", "COMPANY", ... "SYNCTEMP".
VENDRAL_API std::span<const char* const> CatalogueTableNames();
/// The position of the first entry of @p list that, in capitals, equals
/// @p text exactly; -1 when none does. @p text is compared as given, so pass it
/// in capitals. Never throws.
VENDRAL_API Variant FindListIndex(std::span<const std::string> list, const std::string& text);

/// One row of the free-text table list: a table whose records are indexed, and
/// the selector and owner columns of that table (empty when the record owns itself).
struct FreeTextTableRow {
    std::string TableNumber;     ///< The table number in decimal ("7").
    std::string SelectorColumn;  ///< The column that tells the kind of owner.
    std::string OwnerColumn;     ///< The column that holds the owner's id.
};

/// The data-access object: two connections to the CRM database at once, the
/// central one (the company's network database, CDatabase::dDatabase) and the
/// local one (a travelling user's copy, CDatabase::LocaldDatabase), and
/// everything the library does on them.
///
/// **Choosing the side.** Every query member takes a last, optional
/// `iDatabaseConnection`: 0 (the default) works on the central connection
/// with CentralDatabasePrefix(), any other value on the local connection with
/// LocalDatabasePrefix(). A bare table name (one without ".") gets the
/// side's prefix in front of it; a dotted name is used as it is. On a side
/// whose database type is "ACCESS" (selector 0 or 1 only) the prefix is taken
/// out of the statement. The writing members (UpdateSequence(), ExecSQL(),
/// UpdateTravelTransactionLog()) take 0 or 1 only.
///
/// **Errors.** The query and writing members catch nothing: a failure of the
/// driver reaches the caller as DatabaseError (with the driver's message and
/// SQLSTATE), and a refused argument (a selector other than 0 or 1 where only
/// those are defined, a table number outside the catalogue, a statement the
/// travel transaction log cannot describe) as UsageError (a DatabaseError)
/// with SQLSTATE "HY024" or "HY000" before anything is written. OpenODBC_DB() and
/// OpenAccess_DB() catch errors instead and leave the text in
/// LastReturnedErrorMessage(); OpenODBC_DB() also counts them in FailCount()
/// and reports fatal ones in one "Error" message box. The free-text index
/// maintenance stops quietly at its first error.
///
/// **Threads.** An object belongs to the thread that created it, and calls on it
/// must not overlap: the queries share one recordset (WorkRecordset()). The
/// object holds no lock.
///
/// Properties are pairs of members of one name: `X()` reads, `X(value)` writes.
/// No property opens, closes or reopens a connection; settings take effect at
/// the next opening.
class VENDRAL_API CDatabase {
  public:
    /// An object with three unopened connections, both prefixes "CRM5.", a
    /// time-out of 60 seconds, both running flags false and both table
    /// catalogues filled behind "CRM5.".
    CDatabase();
    /// Releases the recordsets and the object's share of the connections; a
    /// connection closes when its last owner lets it go.
    ~CDatabase();
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;

    /// @name Connections
    /// Clients may read and assign them. A null one is created unopened when it
    /// is next used.
    /** @{ */
    /// The central connection (the local database when it was opened in the
    /// central slot, see LocalStartedasCentral()).
    const std::shared_ptr<Connection>& dDatabase() const;
    void dDatabase(std::shared_ptr<Connection> connection);
    /// The local connection.
    const std::shared_ptr<Connection>& LocaldDatabase() const;
    void LocaldDatabase(std::shared_ptr<Connection> connection);
    /// A third connection, to a database file, opened only by OpenAccess_DB().
    const std::shared_ptr<Connection>& AccdDatabase() const;
    void AccdDatabase(std::shared_ptr<Connection> connection);
    /// True once the central connection opened with the database type
    /// "ACCESS"; the library only ever sets it to true.
    bool SysdDatabaseAccess() const;
    void SysdDatabaseAccess(bool value);
    /// True once the local connection opened with the database type "ACCESS";
    /// the library only ever sets it to true.
    bool SysLocaldDatabaseAccess() const;
    void SysLocaldDatabaseAccess(bool value);
    /** @} */

    /// @name Query helpers
    /// Each is one forward-only, read-only round trip on the side chosen by
    /// `iDatabaseConnection` through WorkRecordset(); nothing is cached. They
    /// catch no error: a failure of the driver (a connection not open, a bad
    /// statement, an unknown column) is thrown as DatabaseError, and
    /// FailCount() and LastReturnedErrorMessage() are not touched.
    /** @{ */

    /// Runs "SELECT COUNT(*) AS CountResult FROM " + table + " " + @p sWhere
    /// and returns the count as the driver delivers it; 0 when no row comes
    /// back.
    /// @param sTable the table; a bare name gets the side's prefix.
    /// @param sWhere its own WHERE clause, keyword included, or empty.
    /// @param iDatabaseConnection 0 central, any other value local.
    /// @throws DatabaseError from the driver.
    Variant CountRecords(const std::string& sTable, const std::string& sWhere = "",
                         std::int16_t iDatabaseConnection = 0);
    /// Runs "SELECT COUNT(*) AS CountResult " + @p sQueryFrom (which carries its
    /// own FROM clause and any WHERE clause; no prefix is added) and returns the
    /// count; 0 when no row comes back.
    /// @throws DatabaseError from the driver.
    Variant CountRecordsSQL(const std::string& sQueryFrom, std::int16_t iDatabaseConnection = 0);
    /// Runs "SELECT " + @p sField + " FROM " + table + " " + @p sWhere and
    /// returns the first column of the first row as the driver delivers it; an
    /// empty string when there is no row or the value is NULL.
    /// @throws DatabaseError from the driver.
    Variant GetFirstTextRecord(const std::string& sTable, const std::string& sField,
                               const std::string& sWhere = "",
                               std::int16_t iDatabaseConnection = 0);
    /// As GetFirstTextRecord(), but 0 when there is no row or the value is NULL.
    /// @throws DatabaseError from the driver.
    Variant GetFirstLongRecord(const std::string& sTable, const std::string& sField,
                               const std::string& sWhere = "",
                               std::int16_t iDatabaseConnection = 0);
    /** @} */

    /// Reserves the next record id of a table from the CRM's `Sequence` table:
    /// increments `Next_id` of row @p iTableNumber + 10 and returns the value
    /// before the increment, checking that no row already holds it (a bounded
    /// number of passes).
    /// @param iTableNumber the table number of the catalogue (29 for the travel
    ///        transaction log, which counts in row 39).
    /// @param iDatabaseConnection 0 central, 1 local; nothing else.
    /// @throws UsageError "HY024" for another selector; from the driver (a
    ///         missing `Sequence` row, a lost connection); "HY000" when no free
    ///         id was found within the passes.
    Variant UpdateSequence(std::int16_t iTableNumber, std::int16_t iDatabaseConnection);

    /// @name Opening
    /** @{ */

    /// Opens the central connection from explicit values, without the settings
    /// file and without touching the local side: stores @p sPrefix as
    /// CentralDatabasePrefix() exactly as given (no "." appended), @p sDSN,
    /// @p sUserID (as text) and @p sPassWord as CentralDSN(), CentralUID() and
    /// CentralPassword(), @p sDatabaseType as DatabaseTypeCentral() (as given),
    /// sets the SQL dialect, opens "Provider=MSDASQL;dsn=...;uid=...;pwd=...",
    /// loads the free-text settings and sets dDatabaseIsRunning(). The result is
    /// always empty.
    /// @throws DatabaseError from the driver; nothing is caught and what was
    ///         stored before the failure stays stored.
    /// @throws VariantError when @p sUserID is Null.
    Variant OpenODBC_ByConnection(const std::string& sDSN, const std::string& sPrefix,
                                  const std::string& sDatabaseType, const Variant& sUserID,
                                  const std::string& sPassWord);
    /// Opens connections from a settings file (sections "Central" and the local
    /// section named by LocalDSNEntry(), "Local" when empty) in the open mode
    /// @p iOpenDatabase (see OpenDatabase).
    ///
    /// The file becomes this thread's settings file. When it does not exist the
    /// connection settings dialog is shown first (through the UI host); leaving
    /// it without saving returns false and opens nothing. Otherwise the call
    /// reads both sides' data source, user, password and prefix (prefixes get a
    /// trailing "."), moves a plain "PWD" to its encoded form under "PWDC",
    /// detects each side's database type from the data source's ODBC driver
    /// (unless "ForceDriver" keeps the stored one), refills both table
    /// catalogues and opens per mode. UserID() and Password(), when set,
    /// replace both sides' credentials in the connection strings. After the
    /// central settings opened the central connection, the SQL dialect is set
    /// and the free-text settings are loaded.
    ///
    /// Errors are caught: each one sets LastReturnedErrorMessage() and adds 1
    /// to FailCount(). A fatal one (see OpenDatabase) shows one "Error" box
    /// ("There is a problem with the central connection." or "... local
    /// connection." followed by the driver's text) and returns false; a
    /// tolerated one lets the call go on. Connections opened before a failure
    /// stay open.
    /// @param sINIFile the settings file; IniPath() is not consulted.
    /// @param iOpenDatabase the open mode.
    /// @param UseDBName_and_Prefix handed to the settings dialog: true shows
    ///        the server and database names.
    /// @return true when the call ran to its end (whatever the mode), false when
    ///         the dialog was cancelled or a fatal failure was reported, empty
    ///         when an error struck before the connection phase.
    Variant OpenODBC_DB(const std::string& sINIFile, std::int32_t iOpenDatabase,
                        bool UseDBName_and_Prefix = false);
    /// Opens AccdDatabase on a database file ("Provider=Microsoft.Jet.OLEDB.4.0;
    /// Data Source=" + @p sAccessFile; an SQLite file on this platform, never
    /// created by opening) with a command time-out of 60 seconds.
    /// @return true on success; false on any error, whose text is left in
    ///         LastReturnedErrorMessage() (FailCount() is not changed and no
    ///         message is shown).
    Variant OpenAccess_DB(const std::string& sAccessFile);
    /** @} */

    /// Makes a text safe for an SQL literal: "'" is doubled, "[" is doubled and
    /// "|" becomes two characters of code 24. A text without any of the three
    /// is returned unchanged. Touches no connection and never throws.
    Variant CheckSQL(const std::string& ChkSQL);
    /// Adds one item per row of @p sQuery to @p TmpObjCombo, in the order
    /// delivered: column 1 is the item's text (empty for NULL), column 0 its
    /// item datum. The control is not cleared first. Result always empty.
    /// @throws DatabaseError from the driver; the items added before it stay.
    Variant FillCombo(ListControl& TmpObjCombo, const std::string& sQuery,
                      std::int16_t iDatabaseConnection = 0);

    // Properties: a getter X() and a setter X(value) of the same name. None of
    // them validates its value or touches a connection.

    /** @{ */
    /// The current user's associate id, written into the log rows of ExecSQL()
    /// and into list rows that GetListID() creates. 0 at first.
    std::int32_t AssociateID() const;
    void AssociateID(std::int32_t lAssociateID);
    /** @} */
    /** @{ */
    /// Stored for clients; the class itself does not read it.
    const std::string& LanguageCode() const;
    void LanguageCode(const std::string& sLanguageCode);
    /** @} */
    /** @{ */
    /// Stored for clients; OpenODBC_DB() takes its file from its argument, not
    /// from here.
    const std::string& IniPath() const;
    void IniPath(const std::string& sIniPath);
    /** @} */
    /** @{ */
    /// The central side's archive path, stored for clients and not used by the
    /// class.
    const std::string& CentralArchivePath() const;
    void CentralArchivePath(const std::string& v);
    /** @} */
    /** @{ */
    /// The central ODBC data source name (from the settings file's "Central"
    /// section, or from OpenODBC_ByConnection()).
    const std::string& CentralDSN() const;
    void CentralDSN(const std::string& sCentralDSN);
    /** @} */
    /** @{ */
    /// The central side's schema prefix, put before bare table names ("CRM5."
    /// at first). Setting it appends "." when the value does not end in one
    /// (an empty value becomes "."). The table catalogues keep the prefix of
    /// the last OpenODBC_DB() until RefillTableCatalogues().
    const std::string& CentralDatabasePrefix() const;
    void CentralDatabasePrefix(const std::string& sDatabasePrefix);
    /** @} */
    /** @{ */
    /// The local side's schema prefix; as CentralDatabasePrefix(). Opening from
    /// the settings file always reads it from the "Local" section.
    const std::string& LocalDatabasePrefix() const;
    void LocalDatabasePrefix(const std::string& sDatabasePrefix);
    /** @} */
    /** @{ */
    /// The local side's archive path, stored for clients and not used by the
    /// class.
    const std::string& LocalArchivePath() const;
    void LocalArchivePath(const std::string& v);
    /** @} */
    /** @{ */
    /// The local ODBC data source name (from the local section of the settings
    /// file).
    const std::string& LocalDSN() const;
    void LocalDSN(const std::string& sLocalDSN);
    /** @} */
    /** @{ */
    /// Stored for clients; the class itself does not read it.
    const std::string& Prefix() const;
    void Prefix(const std::string& sPrefix);
    /** @} */
    /** @{ */
    /// Whether ExecSQL() keeps the free-text index current. Set from the
    /// central database's preference "Freetext"/"Enabled" each time the central
    /// settings open the central connection; a client may set it too.
    bool UpdateFreeText() const;
    void UpdateFreeText(bool bValue);
    /** @} */
    /** @{ */
    /// True when the central slot (dDatabase) holds the local database because
    /// the central one could not be opened (open modes 4 and 5); queries with
    /// selector 0 then run on the local data.
    bool LocalStartedasCentral() const;
    void LocalStartedasCentral(bool bValue);
    /** @} */
    /// True once the central slot has opened (OpenODBC_DB(),
    /// OpenODBC_ByConnection(), SwitchCentralConnection()); OpenODBC_DB() sets
    /// it false before it opens anything.
    bool dDatabaseIsRunning() const;
    /// True once the local connection has opened (OpenODBC_DB(),
    /// SwitchLocalConnection()).
    bool LocaldDatabaseIsRunning() const;
    /// The id of the row most recently inserted through ExecSQL(), in decimal
    /// ("0" before the first insert).
    std::string LastGeneratedSequenceID() const;
    /// @name SQL dialect fragments
    /// Ready-made SQL expressions for the dialect of the central connection, to
    /// paste into one's own SELECT statements; empty until SetSQLFunctions()
    /// ran (opening the central connection runs it).
    /** @{ */
    /// A person's full name: first, middle and last name.
    const std::string& SQLFunct_FirstLast() const;
    /// A person's full name with the salutation (`Mrmrs`) in front.
    const std::string& SQLFunct_MrFirstLast() const;
    /// The discount `ADiscount` with NULL as 0.
    const std::string& SQLFunct_Discount() const;
    /// Contact id and person id joined by "/".
    const std::string& SQLFunct_ContNullPerson() const;
    /// A contact's name with its department.
    const std::string& SQLFunct_NameDepart() const;
    /// The contact id with NULL as 0.
    const std::string& SQLFunct_NullContID() const;
    /// Person id and contact id joined by "/".
    const std::string& SQLFunct_PersonContact() const;
    /// Contact id and invoice id joined by "/".
    const std::string& SQLFunct_ContactInvoice() const;
    /// Project id and invoice id joined by "/".
    const std::string& SQLFunct_ProjectInvoice() const;
    /** @} */
    /// The connection string the central connection reported after its last
    /// open (completed by the driver manager, without the password).
    const std::string& CentralConnectionString() const;
    /// The connection string the local connection reported after its last open.
    const std::string& LocalConnectionString() const;
    /** @{ */
    /// The settings-file section that describes the local connection; becomes
    /// "Local" when OpenODBC_DB() finds it empty.
    const std::string& LocalDSNEntry() const;
    void LocalDSNEntry(const std::string& sValue);
    /** @} */
    /// When not empty, replaces the user id of both sides in the connection
    /// strings of OpenODBC_DB(); CentralUID() and LocalUID() keep the file's
    /// values. Write-only.
    void UserID(const std::string& sValue);
    /// Command and connection time-out in seconds given to the central and the
    /// local connection by OpenODBC_DB() and OpenODBC_ByConnection() (60 at
    /// first). Write-only.
    void DatabaseTimeOUt(std::int16_t sValue);
    /** @{ */
    /// The central side's database type word ("SYBASE", "ADAPTIVESYBASE",
    /// "ORACLE", "SQLSERVER", "ACCESS", empty, or an unrecognised driver name
    /// in capitals). Setting it does not change the SQL dialect.
    const std::string& DatabaseTypeCentral() const;
    void DatabaseTypeCentral(const std::string& sValue);
    /** @} */
    /** @{ */
    /// The local side's database type word; as DatabaseTypeCentral().
    const std::string& DatabaseTypeLocal() const;
    void DatabaseTypeLocal(const std::string& sValue);
    /** @} */
    /// When not empty, replaces the password of both sides in the connection
    /// strings of OpenODBC_DB(). Write-only.
    void Password(const std::string& sValue);
    /** @{ */
    /// The local password in plain text, as decoded from the settings file.
    const std::string& LocalPassword() const;
    void LocalPassword(const std::string& sValue);
    /** @} */
    /** @{ */
    /// The central password in plain text, as decoded from the settings file
    /// or given to OpenODBC_ByConnection().
    const std::string& CentralPassword() const;
    void CentralPassword(const std::string& sValue);
    /** @} */
    /** @{ */
    /// The central user id, as read from the settings file or given to
    /// OpenODBC_ByConnection().
    const std::string& CentralUID() const;
    void CentralUID(const std::string& sValue);
    /** @} */
    /** @{ */
    /// The local user id, as read from the settings file.
    const std::string& LocalUID() const;
    void LocalUID(const std::string& sValue);
    /** @} */
    /// The same value as DatabaseTypeCentral().
    const std::string& SQLCentralDatabaseType() const;
    /// The same value as DatabaseTypeLocal().
    const std::string& SQLLocalDatabaseType() const;
    /** @{ */
    /// The number of errors OpenODBC_DB() caught, tolerated ones included.
    /// Never reset by the class: clients reset it by assigning 0.
    std::int16_t FailCount() const;
    void FailCount(std::int16_t iValue);
    /** @} */
    /// The text of the last error caught by OpenODBC_DB() or OpenAccess_DB(),
    /// or by the free-text index work after a change that ExecSQL() made.
    const std::string& LastReturnedErrorMessage() const;

    /// Fills the nine SQLFunct_ fragments for a dialect: "SYBASE" and
    /// "ADAPTIVESYBASE" share one set, "SQLSERVER" and the empty word another,
    /// "ORACLE" and "ACCESS" have their own. Any other word (compared exactly)
    /// leaves all nine unchanged. Opening or switching the central connection
    /// calls it with the central type; the local side never changes it.
    void SetSQLFunctions(const std::string& sDriverType);

    /// Closes the central connection and opens it again with the full
    /// connection string @p sCentralConnection; its database type is then read
    /// from the "DatabaseType" key of section @p sConnectionType of this
    /// thread's settings file (the one last given to OpenODBC_DB() or
    /// ShowODBCSettings()), the SQL dialect follows it, and
    /// dDatabaseIsRunning() becomes true. Result always empty.
    /// @throws DatabaseError when the connection is not open ("08003"), or from
    ///         the driver; a failure after the close leaves it closed.
    Variant SwitchCentralConnection(const std::string& sCentralConnection,
                                    const std::string& sConnectionType);
    /// As SwitchCentralConnection() on the local connection
    /// (LocalConnectionString(), DatabaseTypeLocal(),
    /// LocaldDatabaseIsRunning()); the SQL dialect is not changed.
    /// @throws DatabaseError as SwitchCentralConnection().
    Variant SwitchLocalConnection(const std::string& sLocalConnection,
                                  const std::string& sConnectionType);
    /// Shows the connection settings dialog modally for the settings file
    /// @p sINIFile (which becomes this thread's settings file), then the
    /// message "The program must be restarted before changes will take
    /// effect!" whatever the user did. Opens nothing; result always empty.
    /// @param sINIFile the settings file the dialog edits.
    /// @param iOpenDatabase the open mode: which sections the dialog offers
    ///        (1 central, 2 local, 3 or more both).
    /// @param UseDBName_and_Prefix true shows the server and database names.
    Variant ShowODBCSettings(const std::string& sINIFile, std::int32_t iOpenDatabase,
                             bool UseDBName_and_Prefix = false);

    /// Writes one row into the travel transaction log of the chosen side, so
    /// that the synchronizer sends the record (again): a log id reserved with
    /// UpdateSequence(29, ...), the local time in whole seconds since 1970,
    /// @p iActionType, @p iAssociateID, @p iTableNumber and @p lRecordID. A
    /// failed insert is tried again a few times with a fresh id (not inside
    /// the caller's own transaction).
    /// @param iActionType kActionInsert, kActionUpdate or kActionDelete.
    /// @param iAssociateID the associate the change is logged for.
    /// @param iTableNumber the record's table number (9 for appointments).
    /// @param lRecordID the record's id.
    /// @param iDatabaseConnection 0 central, 1 local; nothing else.
    /// @return the id of the row written (32-bit).
    /// @throws UsageError "HY024" for another selector, or from the driver
    ///         when the last attempt fails.
    Variant UpdateTravelTransactionLog(std::int16_t iActionType, std::int32_t iAssociateID,
                                       std::int16_t iTableNumber, std::int32_t lRecordID,
                                       std::int16_t iDatabaseConnection = 0);

    /// @name Preferences
    /// Rows of the CRM's `userpreference` table, keyed by definition level,
    /// owner, section and key. The table is always named with the central
    /// prefix. Nothing is caught: failures are thrown as DatabaseError.
    /** @{ */

    /// The value of a setting as text; @p tDefault when the row is missing or
    /// its value is empty or NULL. When the row is missing and
    /// @p bReadGlobalSettings is true, the global row (level 2, owner 0) is read
    /// instead; a row with an empty value does not fall back.
    /// @param tDefLevel the definition level.
    /// @param tOwnerID the owner (0 for global).
    /// @param tPrefsection the section.
    /// @param tPrefKey the key.
    /// @param tDefault the result for a missing or empty setting.
    /// @param bReadGlobalSettings true falls back to the global setting; empty
    ///        counts as false.
    /// @param iDatabaseConnection the side read (0 central, other local).
    /// @throws DatabaseError from the driver.
    Variant GetPreference(std::int16_t tDefLevel, std::int32_t tOwnerID,
                          const std::string& tPrefsection, const std::string& tPrefKey,
                          const std::string& tDefault = "",
                          const Variant& bReadGlobalSettings = Variant(),
                          std::int16_t iDatabaseConnection = 0);
    /// Deletes, on the central side, every row of level @p tDefLevel that
    /// belongs to @p tOwnerID (when not 0) and matches @p tWhereClause (an SQL
    /// condition, when not empty), one ExecSQL() per row, so each deletion is
    /// logged. Result always empty.
    /// @throws UsageError "HY024" when both the owner is 0 and the condition
    ///         is empty (that would delete the whole level); from the driver.
    ///         Rows deleted before a failure stay deleted.
    Variant DeletePreference(std::int16_t tDefLevel, std::int32_t tOwnerID = 0,
                             const std::string& tWhereClause = "");
    /// Stores a setting on the central side through ExecSQL(): an update of
    /// the existing row's value, else an insert of a new row numbered from the
    /// sequence; either is logged. Result always empty.
    /// @throws DatabaseError from the driver.
    Variant SavePreference(std::int16_t tDefLevel, std::int32_t tOwnerID,
                           const std::string& tPrefsection, const std::string& tPrefKey,
                           const std::string& tPrefvalue);
    /** @} */

    /// @name Lists and user-defined fields
    /// Nothing is caught: failures are thrown as DatabaseError; a created
    /// entry stays logged when a later step fails.
    /** @{ */

    /// The id of the first entry of list table @p ComboType whose name begins
    /// with @p sName, searched on the chosen side; 0 when there is none. With
    /// @p bCreateIfNotFound a missing entry is created on the central side
    /// (through ExecSQL(), so it is logged) and its new id returned.
    /// @param ComboType a table number from 0 to 260 (see ComboLists).
    /// @param sName the name, or its beginning.
    /// @param bCreateIfNotFound true creates a missing entry.
    /// @param iDatabaseConnection the side searched (0 central, other local).
    /// @throws UsageError "HY024" for a table number outside the catalogue
    ///         or an empty slot; from the driver.
    Variant GetListID(std::int32_t ComboType, const std::string& sName,
                      bool bCreateIfNotFound = false, std::int16_t iDatabaseConnection = 0);
    /// The `UDList_id` of a value of the list-type user-defined field
    /// @p sFieldName ("LONG01", "STRING41", ...) of owner @p iType: the value
    /// named @p sName exactly (@p ExactSearch) or containing it; 0 when
    /// @p sName is empty or nothing matches. With @p bCreateIfNotFound a
    /// missing value is inserted (numbered by ExecSQL(), so it is logged) and
    /// its id returned. Always works on the central side.
    /// @param iType the owner (see UDFType).
    /// @param sFieldName the field's name, in any case.
    /// @param sName the value's name.
    /// @param bCreateIfNotFound true creates a missing value.
    /// @param ExactSearch true matches the whole name.
    /// @param iDatabaseConnection accepted and not used.
    /// @throws UsageError "HY024" for an owner other than 0 to 3; from the
    ///         driver.
    Variant GetUDFListID(std::int32_t iType, const std::string& sFieldName,
                         const std::string& sName, bool bCreateIfNotFound = false,
                         bool ExactSearch = false, std::int16_t iDatabaseConnection = 0);
    /// The name of the value @p lValue (a `UDList_id`) of the list-type field
    /// @p sFieldName of owner @p iType; an empty text for 0 (without touching
    /// the database) or when no such value exists. Always works on the central
    /// side.
    /// @param iType the owner (see UDFType).
    /// @param sFieldName the field's name, in any case.
    /// @param lValue the value's id.
    /// @param iDatabaseConnection accepted and not used.
    /// @throws UsageError "HY024" for an owner other than 0 to 3; from the
    ///         driver.
    Variant GetUDFListValue(std::int32_t iType, const std::string& sFieldName, std::int32_t lValue,
                            std::int16_t iDatabaseConnection = 0);
    /// Adds the entries of list table @p ComboType that are not deleted, in
    /// `Rank` order, to @p oCombo: the name as text, the id as item datum. The
    /// control is not cleared first. Result always empty.
    /// @throws UsageError "HY024" for a table number outside the catalogue;
    ///         from the driver.
    Variant ComboList(ListControl& oCombo, std::int32_t ComboType,
                      std::int16_t iDatabaseConnection = 0);
    /// Adds the CRM's active associates (in a group, not deleted, person not
    /// retired) ordered by last name to @p oCombo: the full name
    /// (SQLFunct_FirstLast()) as text, the associate id as item datum. Result
    /// always empty.
    /// @throws DatabaseError from the driver.
    Variant ComboListAssociate(ListControl& oCombo, std::int16_t iDatabaseConnection = 0);
    /** @} */

    /// Executes a change and records it in the travel transaction log of the
    /// same side, so that the synchronizer copies it.
    ///
    /// The statement's leading keyword classifies it. An INSERT, UPDATE or
    /// DELETE has its table looked up in the side's catalogue (a bare name
    /// behind the side's prefix; -1 when unknown) and is logged with
    /// AssociateID(): an insert with @p lRecordIDNumber 0 gets an id reserved
    /// from the sequence in place of its first "#" (LastGeneratedSequenceID()
    /// then reports it); an update or delete is logged for
    /// @p lRecordIDNumber. The log row and the change are written in one
    /// transaction (a savepoint inside the caller's own), so neither stays
    /// without the other. Any other statement runs unlogged. When
    /// UpdateFreeText() is on, the free-text index follows the change on the
    /// central side; an error there is not thrown but left in
    /// LastReturnedErrorMessage(), since the change itself is committed.
    /// @param sQuery one statement.
    /// @param lRecordIDNumber the id of the record changed; 0 for an insert
    ///        numbered here.
    /// @param iDatabaseConnection 0 central, 1 local; nothing else.
    /// @return the id of the log row written; empty for an unlogged statement.
    /// @throws UsageError "HY024" for another selector; "HY000" before
    ///         anything is written for a text the log cannot describe (several
    ///         changing statements, MERGE, REPLACE, an insert that may update,
    ///         a WITH that changes rows), for an insert to be numbered without
    ///         "#" or whose table is not in the catalogue; from the driver.
    Variant ExecSQL(const std::string& sQuery, std::int32_t lRecordIDNumber = 0,
                    std::int16_t iDatabaseConnection = 0);

    /// @name Free-text index
    /// The CRM's word index: words of the statement's text literals (at least
    /// three characters, cut to nine, in capitals, stop words skipped) with one
    /// posting per word that names the record and its owner. Works on the
    /// central connection with the central prefix, and stops quietly at its
    /// first error, keeping what it wrote before.
    /** @{ */

    /// Indexes the words of the text literals of @p sQuery for record
    /// @p lRecordID of table @p iTableID, when the table is in the free-text
    /// table list and the statement's apostrophes pair up. Never throws; the
    /// text of an error that stopped it is left in LastReturnedErrorMessage().
    void UpdateFreeTextTables(const std::string& sQuery, std::int16_t iTableID,
                              std::int32_t lRecordID);
    /// Sets the free-text owner (FreeTextOwnerTable(), FreeTextOwnerRecord())
    /// of record @p lRecordID of table @p iTableID: the record itself, or the
    /// contact, person, project ... that its selector and owner columns name.
    /// @p sQuery is not used. Result always empty; never throws.
    Variant GetFreeTxtSrchLnk(const std::string& sQuery, std::int16_t iTableID,
                              std::int32_t lRecordID);
    /** @} */

    /// The name of the user-defined field column @p lColumnID ("LONG01" for
    /// 8961, "STRING41" for 9217); empty when no field set holds it. Touches no
    /// connection.
    Variant GetUDFFieldName(std::int32_t lColumnID);
    /// The CRM's own table number of @p TableName from `conceptualtable` on
    /// the chosen side; 0 when the name is unknown.
    /// @throws DatabaseError from the driver.
    Variant GetTableNumber(const std::string& TableName, std::int16_t iDatabaseConnection = 0);
    /// The CRM's version digit, the last character of the name of
    /// `conceptualdatabase` row 1 on the chosen side, as a Double; 0 when the
    /// name is empty or does not end in a digit.
    /// @throws DatabaseError from the driver.
    Variant GetSOVersion(std::int16_t iDatabaseConnection = 0);

    /// The recordset shared by the queries; closed between calls.
    const Recordset& WorkRecordset() const;
    /// Rebuilds both table catalogues with the prefixes now in force, as opening
    /// from the settings file does; for clients that hand in their own connections.
    void RefillTableCatalogues();
    /// Reads the free-text switch (UpdateFreeText()), the stop words and the
    /// table list from the central database; stops quietly at the first error
    /// and never throws.
    void LoadFreeTextSettings();

  private:
    // The object's state and its workings, out of the clients' sight so that
    // they can change without changing the class's layout.
    struct Impl;
    friend struct detail::CDatabaseAccess;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vendral
