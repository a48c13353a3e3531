// The members of CDatabase as automation clients reach them, in the order of
// the class's interface. This one table gives the dispatch names and ids, the
// type information and the entries of the dual interface _CDatabase.
#include "automation/component_server.h"
#include "automation/dispatch_list_control.h"
#include "com/automation_object.h"
#include "com/dispatch_client.h"
#include "com/served_type_library.h"
#include "vendral/cdatabase.h"

using namespace vendral::com;

namespace vendral {
namespace {

struct DatabaseObject {
    CDatabase Target;
    void* Native() { return &Target; }
};

using com::Arguments;
using com::MemberKind;
using com::Result;
using Row = com::Member<DatabaseObject>;

// The connection members: an unopened connection is made when one is read
// while the slot is empty, as the class does on first use.
using ConnectionGetter = const std::shared_ptr<Connection>& (CDatabase::*)() const;
using ConnectionSetter = void (CDatabase::*)(std::shared_ptr<Connection>);

void GetConnection(CDatabase& db, ConnectionGetter get, ConnectionSetter put, Result& result) {
    if (!(db.*get)()) (db.*put)(std::make_shared<Connection>());
    result.SetObject(NewConnectionObject((db.*get)()));
}

void PutConnection(CDatabase& db, ConnectionSetter put, const Arguments& args) {
    IDispatch* object = args.Object(0);
    if (!object) {
        (db.*put)(nullptr);
        return;
    }
    std::shared_ptr<Connection>* connection = ConnectionOfObject(object);
    if (!connection) throw com::ArgumentError{DISP_E_TYPEMISMATCH, 0};
    (db.*put)(*connection);
}

}  // namespace
}  // namespace vendral

namespace vendral::com {

// A property get that reads as TYPE (Long, Integer, String, Boolean).
#define VENDRAL_GET(NAME, TYPE)                                           \
    Row {                                                                 \
#NAME, MemberKind::Get, "",                                       \
            [](DatabaseObject & self, const Arguments&,                   \
               Result& result) { result.Set(self.Target.NAME()); }, #TYPE \
    }
// The type information names a property's type after its conversion.
#define VENDRAL_TYPE_Int32 ":Long"
#define VENDRAL_TYPE_Int16 ":Integer"
#define VENDRAL_TYPE_Text ":String"
#define VENDRAL_TYPE_Bool ":Boolean"
#define VENDRAL_PUT(NAME, ARG, CONVERT)                        \
    Row {                                                      \
#NAME, MemberKind::Put, #ARG VENDRAL_TYPE_##CONVERT,   \
            [](DatabaseObject & self, const Arguments& args,   \
               Result&) { self.Target.NAME(args.CONVERT(0)); } \
    }

template <>
struct MemberTable<DatabaseObject> {
    static constexpr const char* kName = "CDatabase";
    static constexpr const IID& kIid = IID__CDatabase;
    // The type library that lists the served classes and the public enumerations.
    static const TypeLibraryInfo& Library();
    static constexpr Row kRows[] = {
        // The public members.
        {"dDatabase", MemberKind::Get, "",
         [](DatabaseObject& self, const Arguments&, Result& result) {
             GetConnection(self.Target, &CDatabase::dDatabase, &CDatabase::dDatabase, result);
         }},
        {"dDatabase", MemberKind::PutRef, "dDatabase:Object",
         [](DatabaseObject& self, const Arguments& args, Result&) {
             PutConnection(self.Target, &CDatabase::dDatabase, args);
         }},
        {"LocaldDatabase", MemberKind::Get, "",
         [](DatabaseObject& self, const Arguments&, Result& result) {
             GetConnection(self.Target, &CDatabase::LocaldDatabase, &CDatabase::LocaldDatabase,
                           result);
         }},
        {"LocaldDatabase", MemberKind::PutRef, "LocaldDatabase:Object",
         [](DatabaseObject& self, const Arguments& args, Result&) {
             PutConnection(self.Target, &CDatabase::LocaldDatabase, args);
         }},
        {"AccdDatabase", MemberKind::Get, "",
         [](DatabaseObject& self, const Arguments&, Result& result) {
             GetConnection(self.Target, &CDatabase::AccdDatabase, &CDatabase::AccdDatabase, result);
         }},
        {"AccdDatabase", MemberKind::PutRef, "AccdDatabase:Object",
         [](DatabaseObject& self, const Arguments& args, Result&) {
             PutConnection(self.Target, &CDatabase::AccdDatabase, args);
         }},
        {"SysdDatabaseAccess", MemberKind::Get, "",
         [](DatabaseObject& self, const Arguments&, Result& result) {
             result.Set(self.Target.SysdDatabaseAccess());
         }},
        {"SysdDatabaseAccess", MemberKind::Put, "SysdDatabaseAccess:Boolean",
         [](DatabaseObject& self, const Arguments& args, Result&) {
             self.Target.SysdDatabaseAccess(args.Bool(0));
         }},
        {"SysLocaldDatabaseAccess", MemberKind::Get, "",
         [](DatabaseObject& self, const Arguments&, Result& result) {
             result.Set(self.Target.SysLocaldDatabaseAccess());
         }},
        {"SysLocaldDatabaseAccess", MemberKind::Put, "SysLocaldDatabaseAccess:Boolean",
         [](DatabaseObject& self, const Arguments& args, Result&) {
             self.Target.SysLocaldDatabaseAccess(args.Bool(0));
         }},

        // Query helpers, sequences, opening.
        {"CountRecords", MemberKind::Method,
         "sTable:String,[sWhere:String=\"\"],[iDatabaseConnection:Integer=0]",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.CountRecords(args.Text(0), args.Text(1, ""), args.Int16(2, 0)));
         }},
        {"CountRecordsSQL", MemberKind::Method, "sQueryFrom:String,[iDatabaseConnection:Integer=0]",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.CountRecordsSQL(args.Text(0), args.Int16(1, 0)));
         }},
        {"GetFirstTextRecord", MemberKind::Method,
         "sTable:String,sField:String,[sWhere:String=\"\"],[iDatabaseConnection:Integer=0]",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.GetFirstTextRecord(args.Text(0), args.Text(1), args.Text(2, ""),
                                                       args.Int16(3, 0)));
         }},
        {"GetFirstLongRecord", MemberKind::Method,
         "sTable:String,sField:String,[sWhere:String=\"\"],[iDatabaseConnection:Integer=0]",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.GetFirstLongRecord(args.Text(0), args.Text(1), args.Text(2, ""),
                                                       args.Int16(3, 0)));
         }},
        {"UpdateSequence", MemberKind::Method, "iTableNumber:Integer,iDatabaseConnection:Integer",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.UpdateSequence(args.Int16(0), args.Int16(1)));
         }},
        {"OpenODBC_ByConnection", MemberKind::Method,
         "sDSN:String,sPrefix:String,sDatabaseType:String,sUserID:Variant,sPassWord:String",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.OpenODBC_ByConnection(args.Text(0), args.Text(1), args.Text(2),
                                                          args.Value(3), args.Text(4)));
         }},
        {"OpenODBC_DB", MemberKind::Method,
         "sINIFile:String,iOpenDatabase:OpenDatabase,[UseDBName_and_Prefix:&Boolean]",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.OpenODBC_DB(args.Text(0), args.Int32(1), args.Bool(2, false)));
         }},
        {"OpenAccess_DB", MemberKind::Method, "sAccessFile:String",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.OpenAccess_DB(args.Text(0)));
         }},
        {"CheckSQL", MemberKind::Method, "ChkSQL:String",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.CheckSQL(args.Text(0)));
         }},
        {"FillCombo", MemberKind::Method,
         "TmpObjCombo:&Object,sQuery:String,[iDatabaseConnection:Integer=0]",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             DispatchListControl combo(args.Object(0));
             result.Set(self.Target.FillCombo(combo, args.Text(1), args.Int16(2, 0)));
         }},

        // Properties.
        VENDRAL_PUT(AssociateID, lAssociateID, Int32),
        VENDRAL_GET(AssociateID, Long),
        VENDRAL_PUT(LanguageCode, sLanguageCode, Text),
        VENDRAL_GET(LanguageCode, String),
        VENDRAL_PUT(IniPath, sIniPath, Text),
        VENDRAL_GET(IniPath, String),
        VENDRAL_PUT(CentralArchivePath, sCentralArchivePath, Text),
        VENDRAL_GET(CentralArchivePath, String),
        VENDRAL_PUT(CentralDSN, sCentralDSN, Text),
        VENDRAL_GET(CentralDatabasePrefix, String),
        VENDRAL_PUT(CentralDatabasePrefix, sDatabasePrefix, Text),
        VENDRAL_GET(LocalDatabasePrefix, String),
        VENDRAL_PUT(LocalDatabasePrefix, sDatabasePrefix, Text),
        VENDRAL_GET(CentralDSN, String),
        VENDRAL_PUT(LocalArchivePath, sLocalArchivePath, Text),
        VENDRAL_GET(LocalArchivePath, String),
        VENDRAL_PUT(LocalDSN, sLocalDSN, Text),
        VENDRAL_GET(LocalDSN, String),
        VENDRAL_PUT(Prefix, sPrefix, Text),
        VENDRAL_GET(Prefix, String),
        VENDRAL_PUT(UpdateFreeText, bValue, Bool),
        VENDRAL_GET(UpdateFreeText, Boolean),
        VENDRAL_GET(LocalStartedasCentral, Boolean),
        // Its value is passed by reference.
        {"LocalStartedasCentral", MemberKind::Put, "bValue:&Boolean",
         [](DatabaseObject& self, const Arguments& args, Result&) {
             self.Target.LocalStartedasCentral(args.Bool(0));
         }},
        VENDRAL_GET(dDatabaseIsRunning, Boolean),
        VENDRAL_GET(LocaldDatabaseIsRunning, Boolean),
        VENDRAL_GET(LastGeneratedSequenceID, String),
        VENDRAL_GET(SQLFunct_FirstLast, String),
        VENDRAL_GET(SQLFunct_MrFirstLast, String),
        VENDRAL_GET(SQLFunct_Discount, String),
        VENDRAL_GET(SQLFunct_ContNullPerson, String),
        VENDRAL_GET(SQLFunct_NameDepart, String),
        VENDRAL_GET(SQLFunct_NullContID, String),
        VENDRAL_GET(SQLFunct_PersonContact, String),
        VENDRAL_GET(SQLFunct_ContactInvoice, String),
        VENDRAL_GET(SQLFunct_ProjectInvoice, String),
        VENDRAL_GET(CentralConnectionString, String),
        VENDRAL_GET(LocalConnectionString, String),
        VENDRAL_PUT(LocalDSNEntry, sValue, Text),
        VENDRAL_GET(LocalDSNEntry, String),
        VENDRAL_PUT(UserID, sValue, Text),
        VENDRAL_PUT(DatabaseTimeOUt, sValue, Int16),
        VENDRAL_PUT(DatabaseTypeCentral, sValue, Text),
        VENDRAL_GET(DatabaseTypeCentral, String),
        VENDRAL_PUT(DatabaseTypeLocal, sValue, Text),
        VENDRAL_GET(DatabaseTypeLocal, String),
        VENDRAL_PUT(Password, sValue, Text),
        VENDRAL_PUT(LocalPassword, sValue, Text),
        VENDRAL_GET(LocalPassword, String),
        VENDRAL_PUT(CentralPassword, sValue, Text),
        VENDRAL_GET(CentralPassword, String),
        VENDRAL_PUT(CentralUID, sValue, Text),
        VENDRAL_GET(CentralUID, String),
        VENDRAL_PUT(LocalUID, sValue, Text),
        VENDRAL_GET(LocalUID, String),
        VENDRAL_GET(SQLCentralDatabaseType, String),
        VENDRAL_GET(SQLLocalDatabaseType, String),
        VENDRAL_GET(FailCount, Integer),
        VENDRAL_PUT(FailCount, iValue, Int16),
        VENDRAL_GET(LastReturnedErrorMessage, String),

        // Dialect, switching, the settings dialog, execution, preferences,
        // lists, the free-text index and the catalogue.
        {"SetSQLFunctions", MemberKind::Method, "sDriverType:String",
         [](DatabaseObject& self, const Arguments& args, Result&) {
             self.Target.SetSQLFunctions(args.Text(0));
         }},
        {"SwitchCentralConnection", MemberKind::Method,
         "sCentralConnection:String,sConnectionType:String",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.SwitchCentralConnection(args.Text(0), args.Text(1)));
         }},
        {"SwitchLocalConnection", MemberKind::Method,
         "sLocalConnection:String,sConnectionType:String",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.SwitchLocalConnection(args.Text(0), args.Text(1)));
         }},
        {"ShowODBCSettings", MemberKind::Method,
         "sINIFile:String,iOpenDatabase:Long,[UseDBName_and_Prefix:&Boolean]",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(
                 self.Target.ShowODBCSettings(args.Text(0), args.Int32(1), args.Bool(2, false)));
         }},
        {"UpdateTravelTransactionLog", MemberKind::Method,
         "iActionType:Integer,iAssociateID:Long,iTableNumber:Integer,lRecordID:Long,"
         "[iDatabaseConnection:Integer=0]",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.UpdateTravelTransactionLog(
                 args.Int16(0), args.Int32(1), args.Int16(2), args.Int32(3), args.Int16(4, 0)));
         }},
        {"GetPreference", MemberKind::Method,
         "tDefLevel:Integer,tOwnerID:Long,tPrefsection:String,tPrefKey:String,"
         "[tDefault:String=\"\"],[bReadGlobalSettings:&Variant],[iDatabaseConnection:Integer=0]",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.GetPreference(args.Int16(0), args.Int32(1), args.Text(2),
                                                  args.Text(3), args.Text(4, ""), args.Value(5),
                                                  args.Int16(6, 0)));
         }},
        {"DeletePreference", MemberKind::Method,
         "tDefLevel:Integer,[tOwnerID:Long=0],[tWhereClause:String=\"\"]",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(
                 self.Target.DeletePreference(args.Int16(0), args.Int32(1, 0), args.Text(2, "")));
         }},
        {"SavePreference", MemberKind::Method,
         "tDefLevel:Integer,tOwnerID:Long,tPrefsection:String,tPrefKey:String,"
         "tPrefvalue:String",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.SavePreference(args.Int16(0), args.Int32(1), args.Text(2),
                                                   args.Text(3), args.Text(4)));
         }},
        {"GetListID", MemberKind::Method,
         "ComboType:ComboLists,sName:String,[bCreateIfNotFound:&Boolean=False],"
         "[iDatabaseConnection:Integer=0]",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.GetListID(args.Int32(0), args.Text(1), args.Bool(2, false),
                                              args.Int16(3, 0)));
         }},
        {"GetUDFListID", MemberKind::Method,
         "iType:UDFType,sFieldName:String,sName:String,[bCreateIfNotFound:&Boolean],"
         "[ExactSearch:&Boolean],[iDatabaseConnection:Integer=0]",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.GetUDFListID(args.Int32(0), args.Text(1), args.Text(2),
                                                 args.Bool(3, false), args.Bool(4, false),
                                                 args.Int16(5, 0)));
         }},
        {"GetUDFListValue", MemberKind::Method,
         "iType:UDFType,sFieldName:String,lValue:Long,[iDatabaseConnection:Integer=0]",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.GetUDFListValue(args.Int32(0), args.Text(1), args.Int32(2),
                                                    args.Int16(3, 0)));
         }},
        {"ComboList", MemberKind::Method,
         "oCombo:&Object,ComboType:ComboLists,[iDatabaseConnection:Integer=0]",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             DispatchListControl combo(args.Object(0));
             result.Set(self.Target.ComboList(combo, args.Int32(1), args.Int16(2, 0)));
         }},
        {"ComboListAssociate", MemberKind::Method, "oCombo:&Object,[iDatabaseConnection:Integer=0]",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             DispatchListControl combo(args.Object(0));
             result.Set(self.Target.ComboListAssociate(combo, args.Int16(1, 0)));
         }},
        {"ExecSQL", MemberKind::Method,
         "sQuery:String,[lRecordIDNumber:Long=0],[iDatabaseConnection:Integer=0]",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.ExecSQL(args.Text(0), args.Int32(1, 0), args.Int16(2, 0)));
         }},
        {"UpdateFreeTextTables", MemberKind::Method,
         "sQuery:String,iTableID:Integer,lRecordID:Long",
         [](DatabaseObject& self, const Arguments& args, Result&) {
             self.Target.UpdateFreeTextTables(args.Text(0), args.Int16(1), args.Int32(2));
         }},
        {"GetFreeTxtSrchLnk", MemberKind::Method, "sQuery:String,iTableID:Integer,lRecordID:Long",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.GetFreeTxtSrchLnk(args.Text(0), args.Int16(1), args.Int32(2)));
         }},
        {"GetUDFFieldName", MemberKind::Method, "lColumnID:Long",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.GetUDFFieldName(args.Int32(0)));
         }},
        {"GetTableNumber", MemberKind::Method, "TableName:String,[iDatabaseConnection:Integer=0]",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.GetTableNumber(args.Text(0), args.Int16(1, 0)));
         }},
        {"GetSOVersion", MemberKind::Method, "[iDatabaseConnection:Integer=0]",
         [](DatabaseObject& self, const Arguments& args, Result& result) {
             result.Set(self.Target.GetSOVersion(args.Int16(0, 0)));
         }},
    };
};

#undef VENDRAL_GET
#undef VENDRAL_PUT
#undef VENDRAL_TYPE_Int32
#undef VENDRAL_TYPE_Int16
#undef VENDRAL_TYPE_Text
#undef VENDRAL_TYPE_Bool

const TypeLibraryInfo& MemberTable<DatabaseObject>::Library() {
    return internal::ServedTypeLibrary();
}

}  // namespace vendral::com

namespace vendral {

const com::ClassInfo& DatabaseClass() {
    return com::ClassOf<DatabaseObject>();
}

const std::vector<com::EnumInfo>& PublicEnumerations() {
    static const std::vector<com::EnumInfo> enumerations{
        {"OpenDatabase",
         {{"OpenCentral", OpenCentral},
          {"OpenLocal", OpenLocal},
          {"Central_Local", Central_Local},
          {"Central_if_failes_local", Central_if_failes_local},
          {"Central_local_if_failes_local", Central_local_if_failes_local}}},
        {"ComboLists",
         {{"Relation", Relation},
          {"UserGroup", UserGroup},
          {"Business", Business},
          {"Category", Category},
          {"Task", Task},
          {"ContactInterest", ContactInterest},
          {"PersonInterest", PersonInterest},
          {"Position", Position},
          {"Priority", Priority},
          {"Probality", Probality},
          {"ProjectType", ProjectType},
          {"ProjectStatus", ProjectStatus},
          {"ProjectMemberType", ProjectMemberType},
          {"MrMrs", MrMrs},
          {"Credited", Credited},
          {"Source", Source},
          {"Reason", Reason},
          {"SearchCat", SearchCat},
          {"Comptr", Comptr},
          {"Currency", Currency},
          {"OptCat", OptCat},
          {"OptType", OptType},
          {"OptState", OptState},
          {"OptInt", OptInt},
          {"OptDec", OptDec},
          {"DocTemplate", DocTemplate},
          {"ExternalApplication", ExternalApplication},
          {"UDLList", UDLList}}},
        {"UDFType",
         {{"UDFContact", UDFContact},
          {"UDFPerson", UDFPerson},
          {"UDFProject", UDFProject},
          {"UDFSale", UDFSale}}}};
    return enumerations;
}

namespace {

// CDatabase and the enumerations open the process's type library as this
// library loads, before a library built on it (the widget library) adds its
// classes, so that CDatabase comes first.
const bool kDatabaseClassAdded = [] {
    internal::AddServedClasses("Vendral", &LIBID_Vendral,
                               {{"CDatabase", &CLSID_CDatabase, &DatabaseClass()}},
                               PublicEnumerations());
    return true;
}();

}  // namespace

}  // namespace vendral

namespace vendral {

IDispatch* NewDatabaseObject() {
    return com::NewObject<DatabaseObject>(VendralModule());
}

}  // namespace vendral
