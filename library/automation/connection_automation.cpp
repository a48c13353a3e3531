// The dispatch objects of a connection, of the recordsets its Execute gives
// and of their fields, so that scripting clients can run statements and read
// rows on the connections of a CDatabase.
#include <cctype>

#include "automation/component_server.h"
#include "com/automation_object.h"

using namespace vendral::com;

namespace vendral {
namespace {

using com::Arguments;
using com::Member;
using com::MemberKind;
using com::Result;

struct ConnectionObject {
    std::shared_ptr<Connection> Target;
    void* Native() { return &Target; }
};

struct RecordsetObject {
    std::shared_ptr<Connection> Owner;  // kept alive while rows are read
    std::unique_ptr<Recordset> Rows = std::make_unique<Recordset>();
    void* Native() { return this; }
};

struct FieldObject {
    Field Value;
    void* Native() { return &Value; }
};

IDispatch* ExecuteOn(const std::shared_ptr<Connection>& connection, const std::string& sql,
                     std::int32_t cacheSize);

// Execute's option for a statement that returns no rows: it is run as such and
// gives no recordset (Nothing).
constexpr std::int32_t adExecuteNoRecords = 0x80;

// Execute's RecordsAffected, when the caller passed a place for it.
void SetRecordsAffected(const Arguments& args, std::int64_t rows);

}  // namespace
}  // namespace vendral

namespace vendral::com {

template <>
struct MemberTable<ConnectionObject> {
    static constexpr const char* kName = "Connection";
    static constexpr const IID& kIid = IID_VendralConnection;
    static constexpr Member<ConnectionObject> kRows[] = {
        {"ConnectionString", MemberKind::Get, "",
         [](ConnectionObject& self, const Arguments&, Result& result) {
             result.Set(self.Target->ConnectionString());
         }},
        {"ConnectionString", MemberKind::Put, "Value:String",
         [](ConnectionObject& self, const Arguments& args, Result&) {
             self.Target->ConnectionString(args.Text(0));
         }},
        {"CommandTimeout", MemberKind::Get, "",
         [](ConnectionObject& self, const Arguments&, Result& result) {
             result.Set(self.Target->CommandTimeout());
         }},
        {"CommandTimeout", MemberKind::Put, "Value:Long",
         [](ConnectionObject& self, const Arguments& args, Result&) {
             self.Target->CommandTimeout(args.Int32(0));
         }},
        {"ConnectionTimeout", MemberKind::Get, "",
         [](ConnectionObject& self, const Arguments&, Result& result) {
             result.Set(self.Target->ConnectionTimeout());
         }},
        {"ConnectionTimeout", MemberKind::Put, "Value:Long",
         [](ConnectionObject& self, const Arguments& args, Result&) {
             self.Target->ConnectionTimeout(args.Int32(0));
         }},
        {"State", MemberKind::Get, "",
         [](ConnectionObject& self, const Arguments&, Result& result) {
             result.Set(self.Target->State());
         }},
        {"Open", MemberKind::Method, "[ConnectionString:String],[UserID:String],[Password:String],[Options:Long=-1]",
         [](ConnectionObject& self, const Arguments& args, Result&) {
             self.Target->Open(args.Text(0, ""), args.Text(1, ""), args.Text(2, ""),
                               args.Int32(3, -1));
         }},
        // CacheSize (ours, after the standard three) is the recordset's rows per
        // round trip: above 1 a long read is streamed instead of held whole.
        {"Execute", MemberKind::Method, "CommandText:String,[RecordsAffected:&Variant],[Options:Long=0],[CacheSize:Long=1]",
         [](ConnectionObject& self, const Arguments& args, Result& result) {
             if ((args.Int32(2, 0) & adExecuteNoRecords) != 0) {
                 SetRecordsAffected(args, self.Target->Execute(args.Text(0)));
                 result.SetObject(nullptr);
                 return;
             }
             result.SetObject(ExecuteOn(self.Target, args.Text(0), args.Int32(3, 1)));
         }},
        {"Close", MemberKind::Method, "",
         [](ConnectionObject& self, const Arguments&, Result&) { self.Target->Close(); }},
        {"BeginTrans", MemberKind::Method, "",
         [](ConnectionObject& self, const Arguments&, Result&) { self.Target->BeginTrans(); }},
        {"CommitTrans", MemberKind::Method, "",
         [](ConnectionObject& self, const Arguments&, Result&) { self.Target->CommitTrans(); }},
        {"RollbackTrans", MemberKind::Method, "",
         [](ConnectionObject& self, const Arguments&, Result&) { self.Target->RollbackTrans(); }},
    };
};

template <>
struct MemberTable<RecordsetObject> {
    static constexpr const char* kName = "Recordset";
    static constexpr const IID& kIid = IID_VendralRecordset;
    static constexpr Member<RecordsetObject> kRows[] = {
        {"EOF", MemberKind::Get, "",
         [](RecordsetObject& self, const Arguments&, Result& result) {
             result.Set(self.Rows->Eof());
         }},
        {"State", MemberKind::Get, "",
         [](RecordsetObject& self, const Arguments&, Result& result) {
             result.Set(self.Rows->State());
         }},
        {"FieldCount", MemberKind::Get, "",
         [](RecordsetObject& self, const Arguments&, Result& result) {
             result.Set(static_cast<std::int32_t>(self.Rows->FieldCount()));
         }},
        // Fields(i) by position or by column name.
        {"Fields", MemberKind::Get, "Index",
         [](RecordsetObject& self, const Arguments& args, Result& result) {
             Variant index = args.Value(0);
             Field field = index.IsString() ? self.Rows->Fields(index.ToString())
                                            : self.Rows->Fields(static_cast<int>(args.Int32(0)));
             result.SetObject(com::NewObject<FieldObject>(VendralModule(), FieldObject{field}));
         }},
        {"MoveNext", MemberKind::Method, "",
         [](RecordsetObject& self, const Arguments&, Result&) { self.Rows->MoveNext(); }},
        {"Close", MemberKind::Method, "",
         [](RecordsetObject& self, const Arguments&, Result&) { self.Rows->Close(); }},
    };
};

template <>
struct MemberTable<FieldObject> {
    static constexpr const char* kName = "Field";
    static constexpr const IID& kIid = IID_VendralField;
    static constexpr Member<FieldObject> kRows[] = {
        {"Value", MemberKind::Get, "",
         [](FieldObject& self, const Arguments&, Result& result) {
             result.Set(self.Value.Value());
         }},
        {"Name", MemberKind::Get, "",
         [](FieldObject& self, const Arguments&, Result& result) {
             result.Set(self.Value.Name());
         }},
    };
};

}  // namespace vendral::com

namespace vendral {
namespace {

// A statement that returns rows gives an open recordset; any other is run
// and gives a closed one, as the original data objects do.
IDispatch* ExecuteOn(const std::shared_ptr<Connection>& connection, const std::string& sql,
                     std::int32_t cacheSize) {
    IDispatch* object = com::NewObject<RecordsetObject>(VendralModule());
    auto* self = static_cast<RecordsetObject*>(com::NativeOf(object, IID_VendralRecordset));
    self->Owner = connection;
    Recordset* rows = self->Rows.get();
    try {
        rows->CacheSize(cacheSize);
        rows->Open(sql, connection, adOpenForwardOnly, adLockReadOnly, adCmdText);
        if (rows->FieldCount() == 0) rows->Close();
    } catch (...) {
        object->Release();
        throw;
    }
    return object;
}

void SetRecordsAffected(const Arguments& args, std::int64_t rows) {
    if (!args.Has(1)) return;
    VARIANT* place = args.Place(1);
    if (!place) return;
    switch (place->vt) {
        case VT_BYREF | VT_I4:
            *place->plVal = static_cast<std::int32_t>(rows);
            break;
        case VT_BYREF | VT_I8:
            *place->pllVal = rows;
            break;
        case VT_BYREF | VT_VARIANT:
            VariantClear(place->pvarVal);
            place->pvarVal->vt = VT_I8;
            place->pvarVal->llVal = rows;
            break;
        default:
            // Passed by value: the caller wants no count back.
            break;
    }
}

}  // namespace

IDispatch* NewConnectionObject(std::shared_ptr<Connection> connection) {
    return com::NewObject<ConnectionObject>(VendralModule(),
                                            ConnectionObject{std::move(connection)});
}

std::shared_ptr<Connection>* ConnectionOfObject(IDispatch* object) {
    return static_cast<std::shared_ptr<Connection>*>(com::NativeOf(object, IID_VendralConnection));
}

}  // namespace vendral
