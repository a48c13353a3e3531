#include "served_kick_database.h"

#include <strings.h>

#include <cstdio>
#include <stdexcept>

#include "platform/com/automation_text.h"
#include "platform/com/values.h"
#include "vendral/com_client.h"
#include "vendral/connection.h"

namespace vendral::kick {
namespace {

using com::ComCallError;
using com::VariantList;

// Execute's option for statements that return no rows.
constexpr std::int32_t kExecuteNoRecords = 0x80;

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Hex(HRESULT result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
    return text;
}

struct ClearOnExit {
    VARIANT Value;
    ClearOnExit() { VariantInit(&Value); }
    ~ClearOnExit() { VariantClear(&Value); }
    ClearOnExit(const ClearOnExit&) = delete;
    ClearOnExit& operator=(const ClearOnExit&) = delete;
};

template <class T>
struct Released {
    T* Object = nullptr;
    ~Released() {
        if (Object) Object->Release();
    }
};

Variant ValueOf(const VARIANT& value) {
    try {
        return com::ToVariant(value, 0);
    } catch (const com::ArgumentError&) {
        throw ComCallError(DISP_E_TYPEMISMATCH,
                           "the object answered a value of type " + std::to_string(value.vt));
    }
}

// The error a failed call left: the thread's error object of the serving
// library first (with the database's records), else what EXCEPINFO says.
[[noreturn]] void ThrowFailure(IUnknown* object, const IID& iid, HRESULT hr,
                               const std::string& member, EXCEPINFO* exception = nullptr) {
    std::string description;
    HRESULT number = hr;
    if (exception && hr == DISP_E_EXCEPTION) {
        description = com::BstrToUtf8(exception->bstrDescription);
        if (exception->scode) number = exception->scode;
        SysFreeString(exception->bstrSource);
        SysFreeString(exception->bstrDescription);
        SysFreeString(exception->bstrHelpFile);
        *exception = EXCEPINFO{};
    }
    Released<IErrorInfo> error{com::TakeErrorInfo(object, iid)};
    if (error.Object) {
        void* raw = nullptr;
        if (SUCCEEDED(error.Object->QueryInterface(IID_IVendralErrorRecords, &raw)) && raw) {
            Released<IVendralErrorRecords> records{static_cast<IVendralErrorRecords*>(raw)};
            ULONG count = 0;
            records.Object->GetRecordCount(&count);
            std::vector<ErrorRecord> list;
            for (ULONG i = 0; i < count; ++i) {
                BSTR text = nullptr, state = nullptr;
                LONG native = 0;
                if (FAILED(records.Object->GetRecord(i, &text, &state, &native))) continue;
                list.push_back({com::BstrToUtf8(text), com::BstrToUtf8(state), native});
                SysFreeString(text);
                SysFreeString(state);
            }
            if (!list.empty()) throw DatabaseError(std::move(list));
        }
        BSTR text = nullptr;
        if (SUCCEEDED(error.Object->GetDescription(&text))) {
            std::string left = com::BstrToUtf8(text);
            if (!left.empty()) description = left;
        }
        SysFreeString(text);
    }
    if (description.empty()) description = member + " failed (error " + Hex(hr) + ")";
    throw ComCallError(number, description);
}

// A call by name on a dispatch object, with its ids kept.
class Dispatch {
  public:
    explicit Dispatch(IDispatch* object) : object_(object) {}

    DISPID Id(const std::string& member) {
        auto found = ids_.find(member);
        if (found != ids_.end()) return found->second;
        std::u16string wide = com::Utf8ToUtf16(member);
        LPOLESTR names[] = {wide.data()};
        DISPID id = DISPID_UNKNOWN;
        HRESULT hr = object_->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
        if (FAILED(hr)) ThrowFailure(object_, IID_IDispatch, hr, member);
        ids_.emplace(member, id);
        return id;
    }

    // args in the standard order (last first); result may be nullptr.
    void Invoke(const std::string& member, WORD flags, std::vector<VARIANT>& args,
                VARIANT* result) {
        DISPPARAMS params{args.empty() ? nullptr : args.data(), nullptr,
                          static_cast<UINT>(args.size()), 0};
        EXCEPINFO exception{};
        UINT argError = 0;
        HRESULT hr =
            object_->Invoke(Id(member), IID_NULL, 0, flags, &params, result, &exception, &argError);
        if (FAILED(hr)) ThrowFailure(object_, IID_IDispatch, hr, member, &exception);
    }

    Variant Get(const std::string& member) {
        std::vector<VARIANT> none;
        ClearOnExit result;
        Invoke(member, DISPATCH_PROPERTYGET, none, &result.Value);
        return ValueOf(result.Value);
    }

    void Method(const std::string& member) {
        std::vector<VARIANT> none;
        ClearOnExit result;
        Invoke(member, DISPATCH_METHOD, none, &result.Value);
    }

    IDispatch* Object() const { return object_; }

  private:
    IDispatch* object_;
    std::map<std::string, DISPID> ids_;
};

// Takes over one reference of the object in value; nullptr for Nothing.
IDispatch* TakeObject(VARIANT& value, const std::string& member) {
    if (value.vt != VT_DISPATCH)
        throw ComCallError(DISP_E_TYPEMISMATCH, member + " did not read as an object");
    IDispatch* object = value.pdispVal;
    value.vt = VT_EMPTY;
    value.pdispVal = nullptr;
    return object;
}

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
        ClearOnExit field;
        rows_.Invoke("Fields", DISPATCH_PROPERTYGET, args, &field.Value);
        Released<IDispatch> object{TakeObject(field.Value, "Fields")};
        if (!object.Object) throw ComCallError(E_POINTER, "Fields gave Nothing");
        // Every field object has the same table: its id of Value is kept once.
        Dispatch value(object.Object);
        if (valueId_ == DISPID_UNKNOWN) valueId_ = value.Id("Value");
        std::vector<VARIANT> none;
        DISPPARAMS params{nullptr, nullptr, 0, 0};
        EXCEPINFO exception{};
        UINT argError = 0;
        ClearOnExit result;
        HRESULT hr = object.Object->Invoke(valueId_, IID_NULL, 0, DISPATCH_PROPERTYGET, &params,
                                           &result.Value, &exception, &argError);
        if (FAILED(hr)) ThrowFailure(object.Object, IID_IDispatch, hr, "Value", &exception);
        return ValueOf(result.Value);
    }
    void MoveNext() override { rows_.Method("MoveNext"); }
    void Close() override { rows_.Method("Close"); }

  private:
    IDispatch* recordset_;
    Dispatch rows_;
    DISPID valueId_ = DISPID_UNKNOWN;
};

using Pointer = VARIANT*;

HRESULT CallEntry(const void* entry, void* self, Pointer* a, std::size_t count) {
    switch (count) {
        case 0:
            return reinterpret_cast<HRESULT (*)(void*)>(entry)(self);
        case 1:
            return reinterpret_cast<HRESULT (*)(void*, Pointer)>(entry)(self, a[0]);
        case 2:
            return reinterpret_cast<HRESULT (*)(void*, Pointer, Pointer)>(entry)(self, a[0], a[1]);
        case 3:
            return reinterpret_cast<HRESULT (*)(void*, Pointer, Pointer, Pointer)>(entry)(
                self, a[0], a[1], a[2]);
        case 4:
            return reinterpret_cast<HRESULT (*)(void*, Pointer, Pointer, Pointer, Pointer)>(entry)(
                self, a[0], a[1], a[2], a[3]);
        case 5:
            return reinterpret_cast<HRESULT (*)(void*, Pointer, Pointer, Pointer, Pointer,
                                                Pointer)>(entry)(self, a[0], a[1], a[2], a[3],
                                                                 a[4]);
        case 6:
            return reinterpret_cast<HRESULT (*)(void*, Pointer, Pointer, Pointer, Pointer, Pointer,
                                                Pointer)>(entry)(self, a[0], a[1], a[2], a[3], a[4],
                                                                 a[5]);
        case 7:
            return reinterpret_cast<HRESULT (*)(void*, Pointer, Pointer, Pointer, Pointer, Pointer,
                                                Pointer, Pointer)>(entry)(self, a[0], a[1], a[2],
                                                                          a[3], a[4], a[5], a[6]);
        case 8:
            return reinterpret_cast<HRESULT (*)(void*, Pointer, Pointer, Pointer, Pointer, Pointer,
                                                Pointer, Pointer, Pointer)>(entry)(
                self, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
        default:
            return E_NOTIMPL;
    }
}

}  // namespace

DualInterface::DualInterface(IDispatch* object) : object_(object) {
    if (!object_) throw ComCallError(E_POINTER, "no object");
    object_->AddRef();
    try {
        ITypeInfo* info = nullptr;
        HRESULT hr = object_->GetTypeInfo(0, 0, &info);
        if (FAILED(hr) || !info) ThrowFailure(object_, IID_IDispatch, hr, "GetTypeInfo");
        Released<ITypeInfo> type{info};
        TYPEATTR* attr = nullptr;
        hr = info->GetTypeAttr(&attr);
        if (FAILED(hr) || !attr) ThrowFailure(object_, IID_IDispatch, hr, "GetTypeAttr");
        iid_ = attr->guid;
        WORD functions = attr->cFuncs;
        info->ReleaseTypeAttr(attr);
        for (UINT i = 0; i < functions; ++i) {
            FUNCDESC* desc = nullptr;
            if (FAILED(info->GetFuncDesc(i, &desc)) || !desc) continue;
            BSTR name = nullptr;
            UINT names = 0;
            if (SUCCEEDED(info->GetNames(desc->memid, &name, 1, &names)) && names == 1) {
                Entry entry{static_cast<std::size_t>(desc->oVft) / sizeof(void*),
                            static_cast<std::size_t>(desc->cParams),
                            desc->elemdescFunc.tdesc.vt != VT_VOID};
                entries_.emplace(std::make_pair(Lower(com::BstrToUtf8(name)), desc->invkind),
                                 entry);
            }
            SysFreeString(name);
            info->ReleaseFuncDesc(desc);
        }
    } catch (...) {
        object_->Release();
        throw;
    }
}

DualInterface::~DualInterface() {
    object_->Release();
}

const DualInterface::Entry& DualInterface::Find(const std::string& member, INVOKEKIND kind) const {
    auto found = entries_.find({Lower(member), kind});
    if (found == entries_.end())
        throw ComCallError(DISP_E_MEMBERNOTFOUND,
                           "the object's interface has no entry for " + member);
    return found->second;
}

HRESULT DualInterface::Run(const std::string& member, INVOKEKIND kind,
                           const std::vector<Variant>& args, VARIANT* result) {
    const Entry& entry = Find(member, kind);
    if (args.size() > entry.Params)
        throw std::invalid_argument(member + " takes " + std::to_string(entry.Params) +
                                    " arguments");
    VariantList values(args.size());
    std::vector<Pointer> pointers(entry.Params + (entry.HasResult ? 1 : 0), nullptr);
    for (std::size_t i = 0; i < args.size(); ++i) {
        com::FromVariant(args[i], &values.Items[i]);
        pointers[i] = &values.Items[i];
    }
    if (entry.HasResult) pointers[entry.Params] = result;
    const void* const* table = *reinterpret_cast<const void* const* const*>(object_);
    HRESULT hr = CallEntry(table[entry.Slot], object_, pointers.data(), pointers.size());
    if (FAILED(hr)) ThrowFailure(object_, iid_, hr, member);
    return hr;
}

Variant DualInterface::Call(const std::string& member, INVOKEKIND kind,
                            const std::vector<Variant>& args) {
    ClearOnExit result;
    Run(member, kind, args, &result.Value);
    return ValueOf(result.Value);
}

IDispatch* DualInterface::Object(const std::string& member) {
    ClearOnExit result;
    Run(member, INVOKE_PROPERTYGET, {}, &result.Value);
    return TakeObject(result.Value, member);
}

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
    VariantList args(4);
    args.Items[0].vt = VT_I4;
    args.Items[0].lVal = readAhead > 1 ? readAhead : 1;
    args.Items[1].vt = VT_ERROR;
    args.Items[1].scode = DISP_E_PARAMNOTFOUND;
    args.Items[2].vt = VT_ERROR;
    args.Items[2].scode = DISP_E_PARAMNOTFOUND;
    args.Items[3].vt = VT_BSTR;
    args.Items[3].bstrVal = com::AllocBstr(statement);
    ClearOnExit result;
    connection.Invoke("Execute", DISPATCH_METHOD, args.Items, &result.Value);
    IDispatch* recordset = TakeObject(result.Value, "Execute");
    if (!recordset) throw ComCallError(E_POINTER, "Execute gave Nothing");
    return std::make_unique<DispatchRows>(recordset);
}

std::int64_t ServedKickDatabase::Execute(const std::string& statement) {
    Central central(database_);
    Dispatch connection(central.Connection.Object);
    std::int64_t affected = -1;
    // Standard order: Options, RecordsAffected (by reference), CommandText.
    VariantList args(3);
    args.Items[0].vt = VT_I4;
    args.Items[0].lVal = kExecuteNoRecords;
    args.Items[1].vt = VT_BYREF | VT_I8;
    args.Items[1].pllVal = &affected;
    args.Items[2].vt = VT_BSTR;
    args.Items[2].bstrVal = com::AllocBstr(statement);
    ClearOnExit result;
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
