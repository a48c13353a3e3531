#include "served_kick_database.h"

#include <strings.h>

#include <cstdio>
#include <stdexcept>

#include "vendral/automation_client.h"
#include "vendral/connection.h"

namespace vendral::kick {
namespace {

using com::ComCallError;
using com::Dispatch;
using com::OwnedVariant;

// Execute's option for statements that return no rows.
constexpr std::int32_t kExecuteNoRecords = 0x80;

template <class T>
struct Released {
    T* Object = nullptr;
    ~Released() {
        if (Object) Object->Release();
    }
};

// The rows of a recordset that the connection's Execute gave.
class DispatchRows : public KickRows {
  public:
    explicit DispatchRows(IDispatch* recordset) : recordset_(recordset), rows_(recordset) {}
    ~DispatchRows() override { recordset_->Release(); }
    DispatchRows(const DispatchRows&) = delete;
    DispatchRows& operator=(const DispatchRows&) = delete;

    bool Eof() override { return rows_.Get("EOF").ToBool(); }
    std::size_t FieldCount() override {
        return static_cast<std::size_t>(rows_.Get("FieldCount").ToLong());
    }
    Variant Value(std::size_t index) override {
        std::vector<VARIANT> args(1);
        VariantInit(&args[0]);
        args[0].vt = VT_I4;
        args[0].lVal = static_cast<std::int32_t>(index);
        OwnedVariant field;
        rows_.Invoke("Fields", DISPATCH_PROPERTYGET, args, &field.Value);
        Released<IDispatch> object{com::TakeObject(field.Value, "Fields")};
        if (!object.Object) throw ComCallError(E_POINTER, "Fields gave Nothing");
        // Every field object has the same table: its id of Value is kept once.
        Dispatch value(object.Object);
        if (valueId_ == DISPID_UNKNOWN) valueId_ = value.Id("Value");
        std::vector<VARIANT> none;
        DISPPARAMS params{nullptr, nullptr, 0, 0};
        EXCEPINFO exception{};
        UINT argError = 0;
        OwnedVariant result;
        HRESULT hr = object.Object->Invoke(valueId_, IID_NULL, 0, DISPATCH_PROPERTYGET, &params,
                                           &result.Value, &exception, &argError);
        if (FAILED(hr)) com::ThrowFailure(object.Object, IID_IDispatch, hr, "Value", &exception);
        return com::ValueOf(result.Value);
    }
    void MoveNext() override { rows_.Method("MoveNext"); }
    void Close() override { rows_.Method("Close"); }

  private:
    IDispatch* recordset_;
    Dispatch rows_;
    DISPID valueId_ = DISPID_UNKNOWN;
};

}  // namespace

namespace {

// The central connection the object holds now (it may be replaced between calls).
struct Central {
    Released<IDispatch> Connection;
    explicit Central(DualInterface& database) {
        Connection.Object = database.Object("dDatabase");
        if (!Connection.Object)
            throw DatabaseError("Operation is not allowed when the object is closed.", "08003",
                                3704);
    }
};

}  // namespace

Variant ServedKickDatabase::OpenODBC_DB(const std::string& iniFile, std::int32_t openDatabase,
                                        bool useNameAndPrefix) {
    return database_.Call("OpenODBC_DB", INVOKE_FUNC,
                          {Variant(iniFile), Variant(openDatabase), Variant(useNameAndPrefix)});
}

bool ServedKickDatabase::dDatabaseIsRunning() {
    return database_.Call("dDatabaseIsRunning", INVOKE_PROPERTYGET).ToBool();
}

std::string ServedKickDatabase::LastReturnedErrorMessage() {
    return database_.Call("LastReturnedErrorMessage", INVOKE_PROPERTYGET).ToString();
}

std::string ServedKickDatabase::CentralDatabasePrefix() {
    return database_.Call("CentralDatabasePrefix", INVOKE_PROPERTYGET).ToString();
}

void ServedKickDatabase::AssociateID(std::int32_t id) {
    database_.Call("AssociateID", INVOKE_PROPERTYPUT, {Variant(id)});
}

std::int32_t ServedKickDatabase::AssociateID() {
    return database_.Call("AssociateID", INVOKE_PROPERTYGET).ToLong();
}

Variant ServedKickDatabase::GetFirstLongRecord(const std::string& table, const std::string& field,
                                               const std::string& where,
                                               std::int16_t databaseConnection) {
    return database_.Call(
        "GetFirstLongRecord", INVOKE_FUNC,
        {Variant(table), Variant(field), Variant(where), Variant(databaseConnection)});
}

Variant ServedKickDatabase::UpdateTravelTransactionLog(std::int16_t actionType,
                                                       std::int32_t associateID,
                                                       std::int16_t tableNumber,
                                                       std::int32_t recordID,
                                                       std::int16_t databaseConnection) {
    return database_.Call("UpdateTravelTransactionLog", INVOKE_FUNC,
                          {Variant(actionType), Variant(associateID), Variant(tableNumber),
                           Variant(recordID), Variant(databaseConnection)});
}

bool ServedKickDatabase::CentralIsOpen() {
    Released<IDispatch> connection{database_.Object("dDatabase")};
    if (!connection.Object) return false;
    return Dispatch(connection.Object).Get("State").ToLong() == adStateOpen;
}

std::unique_ptr<KickRows> ServedKickDatabase::ReadRows(const std::string& statement,
                                                       std::int32_t readAhead) {
    Central central(database_);
    Dispatch connection(central.Connection.Object);
    // Standard order, last first: CacheSize, Options, RecordsAffected, CommandText.
    com::VariantList args(4);
    args.Items[0].vt = VT_I4;
    args.Items[0].lVal = readAhead > 1 ? readAhead : 1;
    args.Items[1].vt = VT_ERROR;
    args.Items[1].scode = DISP_E_PARAMNOTFOUND;
    args.Items[2].vt = VT_ERROR;
    args.Items[2].scode = DISP_E_PARAMNOTFOUND;
    args.Items[3].vt = VT_BSTR;
    args.Items[3].bstrVal = com::NewBstr(statement);
    OwnedVariant result;
    connection.Invoke("Execute", DISPATCH_METHOD, args.Items, &result.Value);
    IDispatch* recordset = com::TakeObject(result.Value, "Execute");
    if (!recordset) throw ComCallError(E_POINTER, "Execute gave Nothing");
    return std::make_unique<DispatchRows>(recordset);
}

std::int64_t ServedKickDatabase::Execute(const std::string& statement) {
    Central central(database_);
    Dispatch connection(central.Connection.Object);
    std::int64_t affected = -1;
    // Standard order: Options, RecordsAffected (by reference), CommandText.
    com::VariantList args(3);
    args.Items[0].vt = VT_I4;
    args.Items[0].lVal = kExecuteNoRecords;
    args.Items[1].vt = VT_BYREF | VT_I8;
    args.Items[1].pllVal = &affected;
    args.Items[2].vt = VT_BSTR;
    args.Items[2].bstrVal = com::NewBstr(statement);
    OwnedVariant result;
    connection.Invoke("Execute", DISPATCH_METHOD, args.Items, &result.Value);
    return affected;
}

void ServedKickDatabase::BeginTrans() {
    Central central(database_);
    Dispatch(central.Connection.Object).Method("BeginTrans");
    inTransaction_ = true;
}

void ServedKickDatabase::CommitTrans() {
    Central central(database_);
    Dispatch(central.Connection.Object).Method("CommitTrans");
    inTransaction_ = false;
}

void ServedKickDatabase::RollbackTrans() {
    Central central(database_);
    inTransaction_ = false;
    Dispatch(central.Connection.Object).Method("RollbackTrans");
}

}  // namespace vendral::kick
