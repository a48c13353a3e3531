// Late binding and the dual interface of CDatabase on an SQLite database,
// through the entry points only.
#include <atomic>
#include <map>

#include "com/com_support.h"

namespace vendral::test {
namespace {

// A list control of a client: any dispatch object with AddItem, NewIndex and ItemData.
class ClientCombo final : public IDispatch {
  public:
    std::vector<std::string> Items;
    std::map<std::int32_t, std::int32_t> Data;

    HRESULT QueryInterface(const IID& iid, void** out) override {
        *out = nullptr;
        if (!(iid == IID_IUnknown || iid == IID_IDispatch)) return E_NOINTERFACE;
        AddRef();
        *out = this;
        return S_OK;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override { return --references_; }  // lives on the test's stack
    HRESULT GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(const IID&, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
        std::u16string name(names[0]);
        if (name == u"AddItem") {
            ids[0] = 1;
        } else if (name == u"NewIndex") {
            ids[0] = 2;
        } else if (name == u"ItemData") {
            ids[0] = 3;
        } else {
            ids[0] = DISPID_UNKNOWN;
            return DISP_E_UNKNOWNNAME;
        }
        return S_OK;
    }
    HRESULT Invoke(DISPID id, const IID&, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO*, UINT*) override {
        if (id == 1 && (flags & DISPATCH_METHOD) && params->cArgs == 1 &&
            params->rgvarg[0].vt == VT_BSTR) {
            Items.push_back(
                Narrow(params->rgvarg[0].bstrVal, SysStringLen(params->rgvarg[0].bstrVal)));
            return S_OK;
        }
        if (id == 2 && (flags & DISPATCH_PROPERTYGET) && result) {
            result->vt = VT_I4;
            result->lVal = static_cast<std::int32_t>(Items.size()) - 1;
            return S_OK;
        }
        // ItemData(index) = value: the value first, named DISPID_PROPERTYPUT.
        if (id == 3 && (flags & DISPATCH_PROPERTYPUT) && params->cArgs == 2 &&
            params->cNamedArgs == 1 && params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT &&
            params->rgvarg[1].vt == VT_I4) {
            const VARIANT& value = params->rgvarg[0];
            Data[params->rgvarg[1].lVal] = value.vt == VT_I4 ? value.lVal : -999;
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

  private:
    std::atomic<ULONG> references_{1};
};

class InvokeTest : public ComTest {
  protected:
    void SetUp() override {
        ComTest::SetUp();
        db_ = ServerLibrary::Instance().NewDatabase();
        ASSERT_NE(db_, nullptr);
    }
    void TearDown() override {
        if (db_) db_->Release();
        ComTest::TearDown();
    }

    // An SQLite file with an appointment table of three rows, opened through
    // OpenAccess_DB and handed to the central slot with the prefix "main".
    void OpenSqlite() {
        CallResult opened = Method(db_, "OpenAccess_DB", {Str(NewSqliteFile("crm.db"))});
        ASSERT_EQ(opened.Result, S_OK) << opened.Description;
        ASSERT_EQ(opened.Value.vt, VT_BOOL);
        ASSERT_EQ(opened.Value.boolVal, VARIANT_TRUE);
        CallResult access = Get(db_, "AccdDatabase");
        ASSERT_EQ(access.Value.vt, VT_DISPATCH);
        ASSERT_EQ(Put(db_, "dDatabase", access.Value, DISPATCH_PROPERTYPUTREF).Result, S_OK);
        ASSERT_EQ(Put(db_, "CentralDatabasePrefix", Str("main")).Result, S_OK);
        CallResult central = Get(db_, "dDatabase");
        for (const char* sql :
             {"CREATE TABLE appointment (appointment_id INTEGER, subject VARCHAR(40))",
              "INSERT INTO appointment VALUES (1, 'first')",
              "INSERT INTO appointment VALUES (2, 'second')",
              "INSERT INTO appointment VALUES (3, 'third')"}) {
            CallResult done = Method(central.Value.pdispVal, "Execute", {Str(sql)});
            ASSERT_EQ(done.Result, S_OK) << sql << ": " << done.Description;
        }
    }

    IDispatch* db_ = nullptr;
};

TEST_F(InvokeTest, NamesAreFoundWithoutRegardToCase) {
    HRESULT hr = E_FAIL;
    DISPID id = IdOf(db_, "CountRecords", &hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_GT(id, 0);
    EXPECT_EQ(IdOf(db_, "countrecords"), id);
    EXPECT_EQ(IdOf(db_, "COUNTRECORDS"), id);
    // A property's get and put share one id.
    EXPECT_EQ(IdOf(db_, "centraldatabaseprefix"), IdOf(db_, "CentralDatabasePrefix"));
    EXPECT_EQ(IdOf(db_, "NoSuchMember", &hr), DISPID_UNKNOWN);
    EXPECT_EQ(hr, DISP_E_UNKNOWNNAME);

    // Argument names give their positions.
    std::u16string method = u"countrecords", arg = u"IDATABASECONNECTION", bad = u"sNothing";
    LPOLESTR names[] = {method.data(), arg.data(), bad.data()};
    DISPID ids[3] = {};
    EXPECT_EQ(db_->GetIDsOfNames(IID_NULL, names, 3, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], id);
    EXPECT_EQ(ids[1], 2);
    EXPECT_EQ(ids[2], DISPID_UNKNOWN);
}

TEST_F(InvokeTest, PropertiesConvertTheirArgumentsAsAutomationClientsExpect) {
    ASSERT_EQ(Put(db_, "CentralDatabasePrefix", Str("main")).Result, S_OK);
    CallResult prefix = Get(db_, "CentralDatabasePrefix");
    ASSERT_EQ(prefix.Result, S_OK);
    EXPECT_EQ(prefix.Text(), "main.");

    // A text that holds a number, for a 32-bit property.
    ASSERT_EQ(Put(db_, "AssociateID", Str("12")).Result, S_OK);
    CallResult associate = Get(db_, "AssociateID");
    EXPECT_EQ(associate.Value.vt, VT_I4);
    EXPECT_EQ(associate.Value.lVal, 12);

    // A 32-bit value for a 16-bit property when it fits; overflow and mismatch otherwise.
    ASSERT_EQ(Put(db_, "FailCount", I4(5)).Result, S_OK);
    CallResult fails = Get(db_, "FailCount");
    EXPECT_EQ(fails.Value.vt, VT_I2);
    EXPECT_EQ(fails.Value.iVal, 5);
    EXPECT_EQ(Put(db_, "FailCount", I4(70000)).Result, DISP_E_OVERFLOW);
    CallResult mismatch = Put(db_, "FailCount", Str("five"));
    EXPECT_EQ(mismatch.Result, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(mismatch.ArgError, 0u);
    EXPECT_EQ(Get(db_, "FailCount").Value.iVal, 5);

    // Booleans cross as -1 and 0.
    ASSERT_EQ(Put(db_, "UpdateFreeText", I2(1)).Result, S_OK);
    CallResult flag = Get(db_, "UpdateFreeText");
    EXPECT_EQ(flag.Value.vt, VT_BOOL);
    EXPECT_EQ(flag.Value.boolVal, VARIANT_TRUE);

    // Write-only and read-only members refuse the other direction.
    EXPECT_EQ(Get(db_, "UserID").Result, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Put(db_, "LastReturnedErrorMessage", Str("x")).Result, DISP_E_MEMBERNOTFOUND);
    // A property read with the method flag, as scripting clients call it.
    EXPECT_EQ(Method(db_, "CentralDatabasePrefix").Text(), "main.");
    // A method is no property.
    EXPECT_EQ(Get(db_, "CountRecords", {Str("x")}).Result, DISP_E_MEMBERNOTFOUND);
}

// A reference to a VARIANT is followed once, as the standard allows; a
// reference to another reference (a loop of them, say) is a type mismatch,
// not a walk without end.
TEST_F(InvokeTest, AReferenceToAVariantIsFollowedOnceOnly) {
    VARIANT number = I4(12);
    VARIANT reference;
    VariantInit(&reference);
    reference.vt = VT_BYREF | VT_VARIANT;
    reference.pvarVal = &number;
    ASSERT_EQ(Put(db_, "AssociateID", reference).Result, S_OK);
    EXPECT_EQ(Get(db_, "AssociateID").Value.lVal, 12);

    VARIANT first, second;
    VariantInit(&first);
    VariantInit(&second);
    first.vt = second.vt = VT_BYREF | VT_VARIANT;
    first.pvarVal = &second;
    second.pvarVal = &first;
    CallResult looped = Put(db_, "AssociateID", first);
    EXPECT_EQ(looped.Result, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(looped.ArgError, 0u);
    second.pvarVal = &number;  // a chain of two references, no loop
    EXPECT_EQ(Put(db_, "AssociateID", first).Result, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Get(db_, "AssociateID").Value.lVal, 12);
}

TEST_F(InvokeTest, CountRecordsWithAndWithoutItsOptionalArguments) {
    OpenSqlite();
    CallResult all = Method(db_, "CountRecords", {Str("appointment")});
    ASSERT_EQ(all.Result, S_OK) << all.Description;
    EXPECT_EQ(all.Value.vt, VT_I4);
    EXPECT_EQ(all.Value.lVal, 3);

    CallResult some =
        Method(db_, "CountRecords", {Str("appointment"), Str("WHERE appointment_id > 1")});
    EXPECT_EQ(some.Value.lVal, 2);
    // Omitted by VT_ERROR with DISP_E_PARAMNOTFOUND, and a selector given as a text.
    CallResult omitted = Method(db_, "CountRecords", {Str("appointment"), Missing(), Str("0")});
    ASSERT_EQ(omitted.Result, S_OK) << omitted.Description;
    EXPECT_EQ(omitted.Value.lVal, 3);

    EXPECT_EQ(Method(db_, "CountRecords").Result, DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Method(db_, "CountRecords", {Str("a"), Str(""), I2(0), I2(0)}).Result,
              DISP_E_BADPARAMCOUNT);
    CallResult required = Method(db_, "CountRecords", {Missing()});
    EXPECT_EQ(required.Result, DISP_E_PARAMNOTFOUND);

    CallResult text = Method(db_, "GetFirstTextRecord",
                             {Str("appointment"), Str("subject"), Str("WHERE appointment_id = 2")});
    EXPECT_EQ(text.Text(), "second");
}

TEST_F(InvokeTest, DatabaseErrorsComeBackAsExceptionsWithTheDriversMessage) {
    OpenSqlite();
    CallResult failed = Method(db_, "CountRecords", {Str("nosuch")});
    ASSERT_EQ(failed.Result, DISP_E_EXCEPTION);
    EXPECT_NE(failed.Description.find("no such table: main.nosuch"), std::string::npos)
        << failed.Description;
    EXPECT_EQ(failed.Source, "Vendral");
    EXPECT_EQ(failed.Number, E_FAIL);
    EXPECT_EQ(failed.Value.vt, VT_EMPTY);

    // OpenAccess_DB catches its error and reports it as false.
    CallResult missing = Method(db_, "OpenAccess_DB", {Str(Scratch("none.db"))});
    ASSERT_EQ(missing.Result, S_OK);
    EXPECT_EQ(missing.Value.vt, VT_BOOL);
    EXPECT_EQ(missing.Value.boolVal, VARIANT_FALSE);
    EXPECT_FALSE(Get(db_, "LastReturnedErrorMessage").Text().empty());
}

TEST_F(InvokeTest, ConnectionsAndRecordsetsAreDispatchObjects) {
    OpenSqlite();
    CallResult central = Get(db_, "dDatabase");
    IDispatch* connection = central.Value.pdispVal;
    EXPECT_EQ(Get(connection, "State").Value.lVal, 1);
    EXPECT_NE(Get(connection, "ConnectionString").Text().find("crm.db"), std::string::npos);

    CallResult rows = Method(connection, "Execute",
                             {Str("SELECT appointment_id, subject FROM appointment ORDER BY 1")});
    ASSERT_EQ(rows.Result, S_OK) << rows.Description;
    IDispatch* recordset = rows.Value.pdispVal;
    std::vector<std::string> read;
    while (Get(recordset, "EOF").Value.boolVal == VARIANT_FALSE) {
        CallResult field = Get(recordset, "Fields", {I4(1)});
        ASSERT_EQ(field.Result, S_OK);
        read.push_back(Get(field.Value.pdispVal, "Value").Text());
        CallResult byName = Get(recordset, "Fields", {Str("appointment_id")});
        EXPECT_EQ(Get(byName.Value.pdispVal, "Value").Value.lVal,
                  static_cast<std::int32_t>(read.size()));
        ASSERT_EQ(Method(recordset, "MoveNext").Result, S_OK);
    }
    EXPECT_EQ(read, (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(Method(recordset, "Close").Result, S_OK);
    EXPECT_EQ(Get(recordset, "State").Value.lVal, 0);

    // Execute's fourth argument is the recordset's CacheSize, refused below 1.
    CallResult cached = Method(connection, "Execute",
                               {Str("SELECT subject FROM appointment ORDER BY appointment_id"),
                                Missing(), Missing(), I4(2)});
    ASSERT_EQ(cached.Result, S_OK) << cached.Description;
    EXPECT_EQ(Get(Get(cached.Value.pdispVal, "Fields", {I4(0)}).Value.pdispVal, "Value").Text(),
              "first");
    CallResult refused =
        Method(connection, "Execute",
               {Str("SELECT subject FROM appointment"), Missing(), Missing(), I4(0)});
    EXPECT_EQ(refused.Result, DISP_E_EXCEPTION);
    EXPECT_EQ(refused.Description, "CacheSize must be at least 1, not 0.");

    // A statement without rows gives a closed recordset.
    CallResult none =
        Method(connection, "Execute", {Str("DELETE FROM appointment WHERE appointment_id = 3")});
    ASSERT_EQ(none.Result, S_OK);
    EXPECT_EQ(Get(none.Value.pdispVal, "State").Value.lVal, 0);
    EXPECT_EQ(Method(db_, "CountRecords", {Str("appointment")}).Value.lVal, 2);

    // Only connections of this library can be assigned.
    ClientCombo foreign;
    EXPECT_EQ(Put(db_, "LocaldDatabase", Object(&foreign), DISPATCH_PROPERTYPUTREF).Result,
              DISP_E_TYPEMISMATCH);
}

TEST_F(InvokeTest, FillComboFillsAClientsDispatchObject) {
    OpenSqlite();
    ClientCombo combo;
    CallResult filled =
        Method(db_, "FillCombo",
               {Object(&combo), Str("SELECT appointment_id, subject FROM appointment "
                                    "ORDER BY appointment_id")});
    ASSERT_EQ(filled.Result, S_OK) << filled.Description;
    EXPECT_EQ(filled.Value.vt, VT_EMPTY);
    EXPECT_EQ(combo.Items, (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(combo.Data, (std::map<std::int32_t, std::int32_t>{{0, 1}, {1, 2}, {2, 3}}));

    // An object without the list members: the call fails with the object's refusal.
    ClientCombo* none = nullptr;
    CallResult nothing = Method(db_, "FillCombo", {Object(none), Str("SELECT 1, 'a'")});
    EXPECT_EQ(nothing.Result, DISP_E_EXCEPTION);
}

// The dual interface: entries after the seven of IDispatch, at the offsets
// the type information gives, in the order of the class's interface.
TEST_F(InvokeTest, TheDualInterfaceAndTheTypeInformationFollowTheOneTable) {
    OpenSqlite();
    UINT count = 0;
    ASSERT_EQ(db_->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(db_->GetTypeInfo(0, 0, &info), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(attr->guid == IID__CDatabase);
    const int functions = attr->cFuncs;
    info->ReleaseTypeAttr(attr);

    std::vector<std::string> order;
    std::map<std::string, int> slotOfGet, slotOfPut, slotOfMethod;
    for (int i = 0; i < functions; ++i) {
        FUNCDESC* desc = nullptr;
        ASSERT_EQ(info->GetFuncDesc(i, &desc), S_OK);
        BSTR names[8] = {};
        UINT got = 0;
        ASSERT_EQ(info->GetNames(desc->memid, names, 8, &got), S_OK);
        std::string name = Narrow(names[0], SysStringLen(names[0]));
        for (UINT k = 0; k < got; ++k) SysFreeString(names[k]);
        EXPECT_EQ(desc->memid, IdOf(db_, name));
        EXPECT_EQ(desc->oVft, static_cast<int>((7 + i) * sizeof(void*)));
        int slot = desc->oVft / static_cast<int>(sizeof(void*));
        if (desc->invkind == INVOKE_FUNC) slotOfMethod[name] = slot;
        if (desc->invkind == INVOKE_PROPERTYGET) slotOfGet[name] = slot;
        if (desc->invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) slotOfPut[name] = slot;
        if (name == "CountRecords") {
            EXPECT_EQ(desc->cParams, 3);
            EXPECT_EQ(desc->cParamsOpt, 2);
            EXPECT_EQ(got, 4u);
        }
        if (order.empty() || order.back() != name) order.push_back(name);
        info->ReleaseFuncDesc(desc);
    }
    info->Release();
    ASSERT_GE(order.size(), 10u);
    EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + 7),
              (std::vector<std::string>{"dDatabase", "LocaldDatabase", "AccdDatabase",
                                        "SysdDatabaseAccess", "SysLocaldDatabaseAccess",
                                        "CountRecords", "CountRecordsSQL"}));
    EXPECT_EQ(order.back(), "GetSOVersion");

    // Calls through the table of entries, each argument of its declared type:
    // texts as BSTRs, the 16-bit selector as a short, a text property's
    // result as a BSTR.
    auto table = *reinterpret_cast<void* const* const*>(db_);
    using PutEntry = HRESULT (*)(IDispatch*, BSTR);
    using GetEntry = HRESULT (*)(IDispatch*, BSTR*);
    using CountEntry = HRESULT (*)(IDispatch*, BSTR, BSTR, std::int16_t, VARIANT*);
    using RunningEntry = HRESULT (*)(IDispatch*, VARIANT_BOOL*);
    VARIANT prefix = Str("dbo");
    ASSERT_EQ(
        reinterpret_cast<PutEntry>(table[slotOfPut["CentralDatabasePrefix"]])(db_, prefix.bstrVal),
        S_OK);
    SysFreeString(prefix.bstrVal);
    BSTR read = nullptr;
    ASSERT_EQ(reinterpret_cast<GetEntry>(table[slotOfGet["CentralDatabasePrefix"]])(db_, &read),
              S_OK);
    EXPECT_EQ(Narrow(read, SysStringLen(read)), "dbo.");
    SysFreeString(read);
    VARIANT_BOOL running = VARIANT_TRUE;
    ASSERT_EQ(reinterpret_cast<RunningEntry>(table[slotOfGet["dDatabaseIsRunning"]])(db_, &running),
              S_OK);
    EXPECT_EQ(running, VARIANT_FALSE);
    ASSERT_EQ(Put(db_, "CentralDatabasePrefix", Str("main")).Result, S_OK);
    VARIANT tableName = Str("appointment");
    Var counted;
    ASSERT_EQ(reinterpret_cast<CountEntry>(table[slotOfMethod["CountRecords"]])(
                  db_, tableName.bstrVal, nullptr, 0, &counted.v),
              S_OK);
    EXPECT_EQ(counted.v.vt, VT_I4);
    EXPECT_EQ(counted.v.lVal, 3);
    VARIANT where = Str("WHERE appointment_id > 2");
    Var some;
    ASSERT_EQ(reinterpret_cast<CountEntry>(table[slotOfMethod["CountRecords"]])(
                  db_, tableName.bstrVal, where.bstrVal, 0, &some.v),
              S_OK);
    EXPECT_EQ(some.v.lVal, 1);
    VARIANT missingTable = Str("nosuch");
    Var none;
    EXPECT_EQ(reinterpret_cast<CountEntry>(table[slotOfMethod["CountRecords"]])(
                  db_, missingTable.bstrVal, nullptr, 0, &none.v),
              E_FAIL);
    SysFreeString(tableName.bstrVal);
    SysFreeString(where.bstrVal);
    SysFreeString(missingTable.bstrVal);
}

}  // namespace
}  // namespace vendral::test

namespace vendral::test {
namespace {

// Named arguments, as a standard dual interface takes them: by the names
// GetIDsOfNames maps, in any order, after positional ones.
TEST_F(InvokeTest, NamedArgumentsAreTakenInAnyOrderAndAfterPositionalOnes) {
    OpenSqlite();
    CallResult onlyNamed =
        MethodNamed(db_, "CountRecords", {},
                    {{"sWhere", Str("WHERE appointment_id > 1")}, {"sTable", Str("appointment")}});
    ASSERT_EQ(onlyNamed.Result, S_OK) << onlyNamed.Description;
    EXPECT_EQ(onlyNamed.Value.vt, VT_I4);
    EXPECT_EQ(onlyNamed.Value.lVal, 2);

    // Names match without regard to case; a skipped optional argument takes its default.
    CallResult skipping = MethodNamed(
        db_, "countrecords", {}, {{"IDATABASECONNECTION", I2(0)}, {"stable", Str("appointment")}});
    ASSERT_EQ(skipping.Result, S_OK) << skipping.Description;
    EXPECT_EQ(skipping.Value.lVal, 3);

    CallResult mixed =
        MethodNamed(db_, "GetFirstTextRecord", {Str("appointment"), Str("subject")},
                    {{"iDatabaseConnection", I2(0)}, {"sWhere", Str("WHERE appointment_id = 3")}});
    ASSERT_EQ(mixed.Result, S_OK) << mixed.Description;
    EXPECT_EQ(mixed.Text(), "third");
}

TEST_F(InvokeTest, NamedArgumentsThatNameNothingOrTwiceAreRefused) {
    OpenSqlite();
    // An unknown name: GetIDsOfNames says so, and Invoke refuses its id.
    CallResult unknown =
        MethodNamed(db_, "CountRecords", {Str("appointment")}, {{"sNothing", Str("x")}});
    EXPECT_EQ(unknown.Result, DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(unknown.ArgError, 0u);

    // A name for an argument already given by position.
    CallResult twice =
        MethodNamed(db_, "CountRecords", {Str("appointment")},
                    {{"iDatabaseConnection", I2(0)}, {"sTable", Str("appointment")}});
    EXPECT_EQ(twice.Result, DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(twice.ArgError, 1u);

    // A required argument that no name and no position gives: the argument
    // is known but not optional.
    CallResult missing = MethodNamed(db_, "CountRecords", {}, {{"sWhere", Str("")}});
    EXPECT_EQ(missing.Result, DISP_E_PARAMNOTOPTIONAL);
    CallResult second = MethodNamed(db_, "GetFirstTextRecord", {Str("appointment")},
                                    {{"iDatabaseConnection", I2(0)}});
    EXPECT_EQ(second.Result, DISP_E_PARAMNOTOPTIONAL);

    // A refused value is reported at the caller's index of it.
    CallResult mismatch =
        MethodNamed(db_, "CountRecords", {},
                    {{"sTable", Str("appointment")}, {"iDatabaseConnection", Str("not a number")}});
    EXPECT_EQ(mismatch.Result, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(mismatch.ArgError, 1u);
}

}  // namespace
}  // namespace vendral::test
