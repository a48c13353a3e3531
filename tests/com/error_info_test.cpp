// The error object a failed call leaves on its thread for vtable callers,
// and the connection members that statements without rows and transactions
// need, through the entry points only.
#include <thread>

#include "com/com_support.h"

namespace vendral::test {
namespace {

using GetErrorInfoFunction = HRESULT (*)(ULONG, IErrorInfo**);
using SetErrorInfoFunction = HRESULT (*)(ULONG, IErrorInfo*);

std::string TextOf(BSTR text) {
    std::string out = Narrow(text, SysStringLen(text));
    SysFreeString(text);
    return out;
}

class ErrorInfoTest : public ComTest {
  protected:
    void SetUp() override {
        ComTest::SetUp();
        void* handle = ServerLibrary::Instance().Handle();
        getErrorInfo_ = reinterpret_cast<GetErrorInfoFunction>(dlsym(handle, "VendralGetErrorInfo"));
        setErrorInfo_ = reinterpret_cast<SetErrorInfoFunction>(dlsym(handle, "VendralSetErrorInfo"));
        ASSERT_NE(getErrorInfo_, nullptr);
        ASSERT_NE(setErrorInfo_, nullptr);
        db_ = ServerLibrary::Instance().NewDatabase();
        ASSERT_NE(db_, nullptr);
        // An SQLite file as the central connection, prefix "main".
        CallResult opened = Method(db_, "OpenAccess_DB", {Str(NewSqliteFile("crm.db"))});
        ASSERT_EQ(opened.Value.boolVal, VARIANT_TRUE) << opened.Description;
        CallResult access = Get(db_, "AccdDatabase");
        ASSERT_EQ(Put(db_, "dDatabase", access.Value, DISPATCH_PROPERTYPUTREF).Result, S_OK);
        ASSERT_EQ(Put(db_, "CentralDatabasePrefix", Str("main")).Result, S_OK);
        CallResult central = Get(db_, "dDatabase");
        connection_ = central.Value.pdispVal;
        connection_->AddRef();
        ASSERT_EQ(Method(connection_, "Execute",
                         {Str("CREATE TABLE appointment (appointment_id INTEGER PRIMARY KEY)")})
                      .Result,
                  S_OK);
    }
    void TearDown() override {
        if (connection_) connection_->Release();
        if (db_) db_->Release();
        ComTest::TearDown();
    }

    // The dual interface's entry of a method by its slot in the type information.
    const void* EntryOf(const std::string& name, INVOKEKIND kind) {
        ITypeInfo* info = nullptr;
        EXPECT_EQ(db_->GetTypeInfo(0, 0, &info), S_OK);
        TYPEATTR* attr = nullptr;
        EXPECT_EQ(info->GetTypeAttr(&attr), S_OK);
        const void* found = nullptr;
        for (UINT i = 0; i < attr->cFuncs && !found; ++i) {
            FUNCDESC* desc = nullptr;
            EXPECT_EQ(info->GetFuncDesc(i, &desc), S_OK);
            BSTR names[1] = {};
            UINT got = 0;
            info->GetNames(desc->memid, names, 1, &got);
            if (got == 1 && TextOf(names[0]) == name && desc->invkind == kind)
                found =
                    (*reinterpret_cast<const void* const* const*>(db_))[desc->oVft / sizeof(void*)];
            info->ReleaseFuncDesc(desc);
        }
        info->ReleaseTypeAttr(attr);
        info->Release();
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // CountRecords(sTable) through the vtable: the result's HRESULT.
    HRESULT CountThroughTable(const std::string& table, VARIANT& result) {
        using Entry = HRESULT (*)(IDispatch*, BSTR, BSTR, std::int16_t, VARIANT*);
        auto entry = reinterpret_cast<Entry>(EntryOf("CountRecords", INVOKE_FUNC));
        VARIANT name = Str(table);
        HRESULT hr = entry(db_, name.bstrVal, nullptr, 0, &result);
        VariantClear(&name);
        return hr;
    }

    GetErrorInfoFunction getErrorInfo_ = nullptr;
    SetErrorInfoFunction setErrorInfo_ = nullptr;
    IDispatch* db_ = nullptr;
    IDispatch* connection_ = nullptr;
};

TEST_F(ErrorInfoTest, AFailedVtableCallLeavesTheDriversMessageAndRecords) {
    void* raw = nullptr;
    ASSERT_EQ(db_->QueryInterface(IID_ISupportErrorInfo, &raw), S_OK);
    auto* support = static_cast<ISupportErrorInfo*>(raw);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID__CDatabase), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IClassFactory), S_FALSE);
    support->Release();

    Var result;
    EXPECT_EQ(CountThroughTable("nosuch", result.v), E_FAIL);
    IErrorInfo* error = nullptr;
    ASSERT_EQ(getErrorInfo_(0, &error), S_OK);
    ASSERT_NE(error, nullptr);
    BSTR text = nullptr;
    ASSERT_EQ(error->GetDescription(&text), S_OK);
    std::string description = TextOf(text);
    EXPECT_NE(description.find("no such table: main.nosuch"), std::string::npos) << description;
    ASSERT_EQ(error->GetSource(&text), S_OK);
    EXPECT_EQ(TextOf(text), "Vendral");
    GUID guid{};
    ASSERT_EQ(error->GetGUID(&guid), S_OK);
    EXPECT_TRUE(guid == IID__CDatabase);

    ASSERT_EQ(error->QueryInterface(IID_IVendralErrorRecords, &raw), S_OK);
    auto* records = static_cast<IVendralErrorRecords*>(raw);
    ULONG count = 0;
    ASSERT_EQ(records->GetRecordCount(&count), S_OK);
    ASSERT_GE(count, 1u);
    BSTR first = nullptr, state = nullptr;
    LONG native = 0;
    ASSERT_EQ(records->GetRecord(0, &first, &state, &native), S_OK);
    EXPECT_EQ(TextOf(first), description);
    EXPECT_EQ(TextOf(state).size(), 5u);
    EXPECT_EQ(records->GetRecord(count, &first, &state, &native), DISP_E_BADINDEX);
    records->Release();
    error->Release();

    // Taken once: the thread has none left.
    EXPECT_EQ(getErrorInfo_(0, &error), S_FALSE);
    EXPECT_EQ(error, nullptr);
}

TEST_F(ErrorInfoTest, ASuccessfulCallLeavesNoStaleErrorAndThreadsKeepTheirOwn) {
    Var failed;
    EXPECT_EQ(CountThroughTable("nosuch", failed.v), E_FAIL);
    // Another thread sees none of this thread's error object.
    std::thread([this] {
        IErrorInfo* other = nullptr;
        EXPECT_EQ(getErrorInfo_(0, &other), S_FALSE);
    }).join();
    Var counted;
    ASSERT_EQ(CountThroughTable("appointment", counted.v), S_OK);
    EXPECT_EQ(counted.v.vt, VT_I4);
    EXPECT_EQ(counted.v.lVal, 0);
    IErrorInfo* error = nullptr;
    EXPECT_EQ(getErrorInfo_(0, &error), S_FALSE);

    // A refused argument carries no error object either: its HRESULT says it all.
    EXPECT_EQ(Method(db_, "CountRecords", {Str("appointment"), Str("x"), Str("many")}).Result,
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(getErrorInfo_(0, &error), S_FALSE);
    EXPECT_EQ(setErrorInfo_(1, nullptr), E_INVALIDARG);
}

TEST_F(ErrorInfoTest, TheDispatchSideLeavesTheTextOfItsExcepinfo) {
    // The dispatch side leaves one too, beside its EXCEPINFO.
    CallResult failed = Method(connection_, "Execute", {Str("SELECT * FROM nosuch")});
    ASSERT_EQ(failed.Result, DISP_E_EXCEPTION);
    IErrorInfo* error = nullptr;
    ASSERT_EQ(getErrorInfo_(0, &error), S_OK);
    BSTR text = nullptr;
    ASSERT_EQ(error->GetDescription(&text), S_OK);
    EXPECT_EQ(TextOf(text), failed.Description);
    // A database error's records come with it.
    void* raw = nullptr;
    EXPECT_EQ(error->QueryInterface(IID_IVendralErrorRecords, &raw), S_OK);
    if (raw) static_cast<IUnknown*>(raw)->Release();
    error->Release();
}

TEST_F(ErrorInfoTest, TheConnectionRunsStatementsWithoutRowsAndTransactions) {
    // Execute with adExecuteNoRecords gives Nothing and the rows affected.
    VARIANT affected;
    VariantInit(&affected);
    affected.vt = VT_I4;
    affected.lVal = -5;
    VARIANT byRef;
    VariantInit(&byRef);
    byRef.vt = VT_BYREF | VT_I4;
    byRef.plVal = &affected.lVal;
    CallResult inserted =
        Method(connection_, "Execute",
               {Str("INSERT INTO appointment VALUES (1), (2), (3)"), byRef, I4(0x80)});
    ASSERT_EQ(inserted.Result, S_OK) << inserted.Description;
    EXPECT_EQ(inserted.Value.vt, VT_DISPATCH);
    EXPECT_EQ(inserted.Value.pdispVal, nullptr);
    EXPECT_EQ(affected.lVal, 3);

    // A count asked for in a Variant by reference.
    VARIANT count;
    VariantInit(&count);
    VARIANT countRef;
    VariantInit(&countRef);
    countRef.vt = VT_BYREF | VT_VARIANT;
    countRef.pvarVal = &count;
    ASSERT_EQ(Method(connection_, "Execute",
                     {Str("DELETE FROM appointment WHERE appointment_id > 1"), countRef, I4(0x80)})
                  .Result,
              S_OK);
    EXPECT_EQ(count.vt, VT_I8);
    EXPECT_EQ(count.llVal, 2);

    ASSERT_EQ(Method(connection_, "BeginTrans").Result, S_OK);
    ASSERT_EQ(Method(connection_, "Execute", {Str("INSERT INTO appointment VALUES (7)")}).Result,
              S_OK);
    ASSERT_EQ(Method(connection_, "RollbackTrans").Result, S_OK);
    EXPECT_EQ(Method(db_, "CountRecords", {Str("appointment")}).Value.lVal, 1);
    ASSERT_EQ(Method(connection_, "BeginTrans").Result, S_OK);
    ASSERT_EQ(Method(connection_, "Execute", {Str("INSERT INTO appointment VALUES (8)")}).Result,
              S_OK);
    ASSERT_EQ(Method(connection_, "CommitTrans").Result, S_OK);
    EXPECT_EQ(Method(db_, "CountRecords", {Str("appointment")}).Value.lVal, 2);
    // A commit without a transaction is the connection's error.
    CallResult stray = Method(connection_, "CommitTrans");
    EXPECT_EQ(stray.Result, DISP_E_EXCEPTION);
    EXPECT_FALSE(stray.Description.empty());
}

}  // namespace
}  // namespace vendral::test
