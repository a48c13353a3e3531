// The type information of CDatabase as type-library tools and early-binding
// clients read it: typed arguments with their optional flags and defaults,
// member kinds, and the type library with the public enumerations.
#include <map>

#include "com/com_support.h"

namespace vendral::test {
namespace {

class TypeLibraryTest : public ComTest {
  protected:
    void SetUp() override {
        ComTest::SetUp();
        db_ = ServerLibrary::Instance().NewDatabase();
        ASSERT_NE(db_, nullptr);
        ASSERT_EQ(db_->GetTypeInfo(0, 0, &info_), S_OK);
    }
    void TearDown() override {
        if (info_) info_->Release();
        if (db_) db_->Release();
        ComTest::TearDown();
    }

    // The function descriptions of member name, by invocation kind.
    std::map<int, FUNCDESC*> Functions(const std::string& name) {
        std::map<int, FUNCDESC*> found;
        TYPEATTR* attr = nullptr;
        EXPECT_EQ(info_->GetTypeAttr(&attr), S_OK);
        for (UINT i = 0; attr && i < attr->cFuncs; ++i) {
            FUNCDESC* desc = nullptr;
            EXPECT_EQ(info_->GetFuncDesc(i, &desc), S_OK);
            if (desc->memid == IdOf(db_, name)) {
                found[desc->invkind] = desc;
            } else {
                info_->ReleaseFuncDesc(desc);
            }
        }
        info_->ReleaseTypeAttr(attr);
        return found;
    }

    // Releases every description Functions() gave.
    void Release(std::map<int, FUNCDESC*>& functions) {
        for (auto& [kind, desc] : functions) info_->ReleaseFuncDesc(desc);
        functions.clear();
    }

    std::vector<std::string> Names(MEMBERID id) {
        BSTR names[10] = {};
        UINT got = 0;
        EXPECT_EQ(info_->GetNames(id, names, 10, &got), S_OK);
        std::vector<std::string> out;
        for (UINT i = 0; i < got; ++i) {
            out.push_back(Narrow(names[i], SysStringLen(names[i])));
            SysFreeString(names[i]);
        }
        return out;
    }

    static std::string NameOf(ITypeInfo* type) {
        BSTR name = nullptr;
        EXPECT_EQ(type->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
        std::string out = Narrow(name, SysStringLen(name));
        SysFreeString(name);
        return out;
    }

    // The values of an enumeration's description, by name.
    static std::map<std::string, std::int32_t> Values(ITypeInfo* type) {
        std::map<std::string, std::int32_t> out;
        TYPEATTR* attr = nullptr;
        EXPECT_EQ(type->GetTypeAttr(&attr), S_OK);
        EXPECT_EQ(attr->typekind, TKIND_ENUM);
        for (UINT i = 0; i < attr->cVars; ++i) {
            VARDESC* var = nullptr;
            EXPECT_EQ(type->GetVarDesc(i, &var), S_OK);
            EXPECT_EQ(var->varkind, VAR_CONST);
            EXPECT_EQ(var->lpvarValue->vt, VT_I4);
            BSTR name = nullptr;
            UINT got = 0;
            EXPECT_EQ(type->GetNames(var->memid, &name, 1, &got), S_OK);
            out[Narrow(name, SysStringLen(name))] = var->lpvarValue->lVal;
            SysFreeString(name);
            type->ReleaseVarDesc(var);
        }
        type->ReleaseTypeAttr(attr);
        return out;
    }

    IDispatch* db_ = nullptr;
    ITypeInfo* info_ = nullptr;
};

TEST_F(TypeLibraryTest, OpenOdbcDbDescribesItsArgumentsTypesAndOptionalFlag) {
    auto functions = Functions("OpenODBC_DB");
    ASSERT_EQ(functions.size(), 1u);
    FUNCDESC* desc = functions[INVOKE_FUNC];
    ASSERT_NE(desc, nullptr);
    EXPECT_EQ(Names(desc->memid),
              (std::vector<std::string>{"OpenODBC_DB", "sINIFile", "iOpenDatabase",
                                        "UseDBName_and_Prefix"}));
    ASSERT_EQ(desc->cParams, 3);
    EXPECT_EQ(desc->cParamsOpt, 1);
    EXPECT_EQ(desc->elemdescFunc.tdesc.vt, VT_VARIANT);
    const ELEMDESC* params = desc->lprgelemdescParam;
    EXPECT_EQ(params[0].tdesc.vt, VT_BSTR);
    EXPECT_EQ(params[0].paramdesc.wParamFlags, PARAMFLAG_FIN);
    // The open mode is of the enumeration OpenDatabase.
    ASSERT_EQ(params[1].tdesc.vt, VT_USERDEFINED);
    ITypeInfo* mode = nullptr;
    ASSERT_EQ(info_->GetRefTypeInfo(params[1].tdesc.hreftype, &mode), S_OK);
    EXPECT_EQ(NameOf(mode), "OpenDatabase");
    EXPECT_EQ(Values(mode)["Central_if_failes_local"], 4);
    mode->Release();
    // A Boolean by reference, optional, without a default.
    ASSERT_EQ(params[2].tdesc.vt, VT_PTR);
    EXPECT_EQ(params[2].tdesc.lptdesc->vt, VT_BOOL);
    EXPECT_EQ(params[2].paramdesc.wParamFlags, PARAMFLAG_FIN | PARAMFLAG_FOPT);
    EXPECT_EQ(params[2].paramdesc.pparamdescex, nullptr);
    info_->ReleaseFuncDesc(desc);
}

TEST_F(TypeLibraryTest, OptionalArgumentsCarryTheirDefaults) {
    auto functions = Functions("GetListID");
    FUNCDESC* desc = functions[INVOKE_FUNC];
    ASSERT_NE(desc, nullptr);
    ASSERT_EQ(desc->cParams, 4);
    const ELEMDESC* params = desc->lprgelemdescParam;
    EXPECT_EQ(params[0].tdesc.vt, VT_USERDEFINED);
    EXPECT_EQ(params[1].tdesc.vt, VT_BSTR);
    // bCreateIfNotFound: a Boolean by reference, default false.
    EXPECT_EQ(params[2].tdesc.vt, VT_PTR);
    EXPECT_EQ(params[2].paramdesc.wParamFlags,
              PARAMFLAG_FIN | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT);
    ASSERT_NE(params[2].paramdesc.pparamdescex, nullptr);
    EXPECT_EQ(params[2].paramdesc.pparamdescex->varDefaultValue.vt, VT_BOOL);
    EXPECT_EQ(params[2].paramdesc.pparamdescex->varDefaultValue.boolVal, VARIANT_FALSE);
    // iDatabaseConnection: a 16-bit integer, default 0.
    EXPECT_EQ(params[3].tdesc.vt, VT_I2);
    ASSERT_NE(params[3].paramdesc.pparamdescex, nullptr);
    EXPECT_EQ(params[3].paramdesc.pparamdescex->varDefaultValue.vt, VT_I2);
    EXPECT_EQ(params[3].paramdesc.pparamdescex->varDefaultValue.iVal, 0);
    info_->ReleaseFuncDesc(desc);

    // An object by reference.
    FUNCDESC* combo = Functions("ComboList")[INVOKE_FUNC];
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->lprgelemdescParam[0].tdesc.vt, VT_PTR);
    EXPECT_EQ(combo->lprgelemdescParam[0].tdesc.lptdesc->vt, VT_DISPATCH);
    info_->ReleaseFuncDesc(combo);
}

TEST_F(TypeLibraryTest, APropertyWithGetAndLetIsDescribedAsBoth) {
    auto functions = Functions("AssociateID");
    ASSERT_EQ(functions.size(), 2u);
    FUNCDESC* get = functions[INVOKE_PROPERTYGET];
    FUNCDESC* let = functions[INVOKE_PROPERTYPUT];
    ASSERT_NE(get, nullptr);
    ASSERT_NE(let, nullptr);
    EXPECT_EQ(get->memid, let->memid);
    EXPECT_EQ(get->cParams, 0);
    EXPECT_EQ(get->elemdescFunc.tdesc.vt, VT_I4);
    ASSERT_EQ(let->cParams, 1);
    EXPECT_EQ(let->lprgelemdescParam[0].tdesc.vt, VT_I4);
    EXPECT_EQ(let->elemdescFunc.tdesc.vt, VT_VOID);
    EXPECT_EQ(Names(let->memid), (std::vector<std::string>{"AssociateID", "lAssociateID"}));
    Release(functions);

    // A 16-bit property and a text property.
    auto fails = Functions("FailCount");
    ASSERT_NE(fails[INVOKE_PROPERTYGET], nullptr);
    EXPECT_EQ(fails[INVOKE_PROPERTYGET]->elemdescFunc.tdesc.vt, VT_I2);
    Release(fails);
    auto prefix = Functions("CentralDatabasePrefix");
    ASSERT_NE(prefix[INVOKE_PROPERTYPUT], nullptr);
    EXPECT_EQ(prefix[INVOKE_PROPERTYPUT]->lprgelemdescParam[0].tdesc.vt, VT_BSTR);
    Release(prefix);
}

TEST_F(TypeLibraryTest, PropertiesThatAreOnlyReadHaveTheirTypes) {
    std::map<std::string, VARTYPE> reads;
    std::vector<std::string> variants;
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info_->GetTypeAttr(&attr), S_OK);
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* desc = nullptr;
        ASSERT_EQ(info_->GetFuncDesc(i, &desc), S_OK);
        if (desc->invkind == INVOKE_PROPERTYGET) {
            std::string name = Names(desc->memid).at(0);
            reads[name] = desc->elemdescFunc.tdesc.vt;
            if (desc->elemdescFunc.tdesc.vt == VT_VARIANT) variants.push_back(name);
        }
        info_->ReleaseFuncDesc(desc);
    }
    info_->ReleaseTypeAttr(attr);
    EXPECT_EQ(reads["dDatabaseIsRunning"], VT_BOOL);
    EXPECT_EQ(reads["LocaldDatabaseIsRunning"], VT_BOOL);
    EXPECT_EQ(reads["LastReturnedErrorMessage"], VT_BSTR);
    EXPECT_EQ(reads["LastGeneratedSequenceID"], VT_BSTR);
    EXPECT_EQ(reads["SQLFunct_ProjectInvoice"], VT_BSTR);
    EXPECT_EQ(reads["CentralConnectionString"], VT_BSTR);
    EXPECT_EQ(reads["SQLLocalDatabaseType"], VT_BSTR);
    EXPECT_EQ(reads["LocalStartedasCentral"], VT_BOOL);
    EXPECT_EQ(reads["dDatabase"], VT_DISPATCH);
    // No property reads as a Variant.
    EXPECT_EQ(variants, std::vector<std::string>{});
}

TEST_F(TypeLibraryTest, EveryArgumentHasItsTypeAndEveryDefaultIsFlagged) {
    std::vector<std::string> variants, optionalWithoutDefault;
    std::map<std::string, int> defaults;
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info_->GetTypeAttr(&attr), S_OK);
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* desc = nullptr;
        ASSERT_EQ(info_->GetFuncDesc(i, &desc), S_OK);
        std::vector<std::string> names = Names(desc->memid);
        for (int k = 0; k < desc->cParams; ++k) {
            const ELEMDESC& param = desc->lprgelemdescParam[k];
            // A property's names are its get's: a put's value is named by position.
            std::size_t at = static_cast<std::size_t>(k) + 1;
            std::string name = names.at(0) + "." + (at < names.size() ? names[at] : "value");
            const TYPEDESC& type = param.tdesc.vt == VT_PTR ? *param.tdesc.lptdesc : param.tdesc;
            if (type.vt == VT_VARIANT) variants.push_back(name);
            USHORT flags = param.paramdesc.wParamFlags;
            if ((flags & PARAMFLAG_FOPT) && !(flags & PARAMFLAG_FHASDEFAULT))
                optionalWithoutDefault.push_back(name);
            if (flags & PARAMFLAG_FHASDEFAULT) ++defaults[names.at(0)];
        }
        info_->ReleaseFuncDesc(desc);
    }
    info_->ReleaseTypeAttr(attr);
    // Only the arguments that take any value are Variants.
    EXPECT_EQ(variants, (std::vector<std::string>{"OpenODBC_ByConnection.sUserID",
                                                  "GetPreference.bReadGlobalSettings"}));
    // The optional arguments without a default are those by reference that
    // tell a given value from an omitted one.
    EXPECT_EQ(optionalWithoutDefault,
              (std::vector<std::string>{
                  "OpenODBC_DB.UseDBName_and_Prefix", "ShowODBCSettings.UseDBName_and_Prefix",
                  "GetPreference.bReadGlobalSettings", "GetUDFListID.bCreateIfNotFound",
                  "GetUDFListID.ExactSearch"}));
    EXPECT_EQ(defaults["ExecSQL"], 2);
    EXPECT_EQ(defaults["GetPreference"], 2);
    EXPECT_EQ(defaults["DeletePreference"], 2);
    EXPECT_EQ(defaults["GetSOVersion"], 1);

    // CountRecords' sWhere: an empty text by default.
    FUNCDESC* count = Functions("CountRecords")[INVOKE_FUNC];
    ASSERT_NE(count, nullptr);
    ASSERT_EQ(count->cParams, 3);
    const ELEMDESC& where = count->lprgelemdescParam[1];
    EXPECT_EQ(where.tdesc.vt, VT_BSTR);
    EXPECT_EQ(where.paramdesc.wParamFlags, PARAMFLAG_FIN | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT);
    ASSERT_NE(where.paramdesc.pparamdescex, nullptr);
    EXPECT_EQ(where.paramdesc.pparamdescex->varDefaultValue.vt, VT_BSTR);
    EXPECT_EQ(SysStringLen(where.paramdesc.pparamdescex->varDefaultValue.bstrVal), 0u);
    info_->ReleaseFuncDesc(count);
}

TEST_F(TypeLibraryTest, TheContainingTypeLibraryListsTheClassItsInterfaceAndTheEnumerations) {
    ITypeLib* library = nullptr;
    UINT index = 99;
    ASSERT_EQ(info_->GetContainingTypeLib(&library, &index), S_OK);
    ASSERT_NE(library, nullptr);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attr), S_OK);
    EXPECT_TRUE(attr->guid == LIBID_Vendral);
    EXPECT_EQ(attr->wMajorVerNum, 1);
    library->ReleaseTLibAttr(attr);
    BSTR name = nullptr;
    ASSERT_EQ(library->GetDocumentation(-1, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(Narrow(name, SysStringLen(name)), "Vendral");
    SysFreeString(name);

    std::vector<std::pair<std::string, TYPEKIND>> listed;
    std::map<std::string, std::map<std::string, std::int32_t>> enums;
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        TYPEKIND kind{};
        ASSERT_EQ(library->GetTypeInfoType(i, &kind), S_OK);
        ITypeInfo* type = nullptr;
        ASSERT_EQ(library->GetTypeInfo(i, &type), S_OK);
        listed.emplace_back(NameOf(type), kind);
        if (kind == TKIND_ENUM) enums[NameOf(type)] = Values(type);
        type->Release();
    }
    EXPECT_EQ(listed, (std::vector<std::pair<std::string, TYPEKIND>>{{"CDatabase", TKIND_COCLASS},
                                                                     {"_CDatabase", TKIND_DISPATCH},
                                                                     {"OpenDatabase", TKIND_ENUM},
                                                                     {"ComboLists", TKIND_ENUM},
                                                                     {"UDFType", TKIND_ENUM}}));
    // The interface's own description stands at the index it was given.
    EXPECT_EQ(listed.at(index).first, "_CDatabase");
    EXPECT_EQ(enums["OpenDatabase"],
              (std::map<std::string, std::int32_t>{{"OpenCentral", 1},
                                                   {"OpenLocal", 2},
                                                   {"Central_Local", 3},
                                                   {"Central_if_failes_local", 4},
                                                   {"Central_local_if_failes_local", 5}}));
    EXPECT_EQ(enums["UDFType"],
              (std::map<std::string, std::int32_t>{
                  {"UDFContact", 0}, {"UDFPerson", 1}, {"UDFProject", 2}, {"UDFSale", 3}}));
    EXPECT_EQ(enums["ComboLists"].size(), 28u);
    EXPECT_EQ(enums["ComboLists"]["Relation"], 48);
    EXPECT_EQ(enums["ComboLists"]["Probality"], 82);
    EXPECT_EQ(enums["ComboLists"]["UDLList"], 136);

    // The class by its id, and through it its interface.
    ITypeInfo* coclass = nullptr;
    ASSERT_EQ(library->GetTypeInfoOfGuid(CLSID_CDatabase, &coclass), S_OK);
    std::uint32_t reference = 0;
    ASSERT_EQ(coclass->GetRefTypeOfImplType(0, &reference), S_OK);
    ITypeInfo* dual = nullptr;
    ASSERT_EQ(coclass->GetRefTypeInfo(reference, &dual), S_OK);
    TYPEATTR* dualAttr = nullptr;
    ASSERT_EQ(dual->GetTypeAttr(&dualAttr), S_OK);
    EXPECT_TRUE(dualAttr->guid == IID__CDatabase);
    dual->ReleaseTypeAttr(dualAttr);
    dual->Release();
    coclass->Release();
    library->Release();
}

}  // namespace
}  // namespace vendral::test
