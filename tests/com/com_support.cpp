#include "com/com_support.h"

#include <stdexcept>

namespace vendral::test {

std::u16string Wide(const std::string& text) {
    std::u16string out;
    for (unsigned char c : text) out.push_back(c);  // the tests use ASCII texts
    return out;
}

std::string Narrow(const OLECHAR* text, std::size_t length) {
    std::string out;
    for (std::size_t i = 0; i < length; ++i) out.push_back(static_cast<char>(text[i]));
    return out;
}

void Var::Text(VARIANT& out, const std::string& text) {
    std::u16string wide = Wide(text);
    out.vt = VT_BSTR;
    out.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

std::string Var::Text() const {
    return v.vt == VT_BSTR ? Narrow(v.bstrVal, SysStringLen(v.bstrVal)) : "<not a text>";
}

VARIANT I2(std::int16_t value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I2;
    v.iVal = value;
    return v;
}

VARIANT I4(std::int32_t value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

VARIANT Bool(bool value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

VARIANT Missing() {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ERROR;
    v.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

VARIANT Object(IDispatch* object) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = object;
    return v;
}

VARIANT Str(const std::string& text) {
    VARIANT v;
    VariantInit(&v);
    Var::Text(v, text);
    return v;
}

CallResult::CallResult(CallResult&& other) noexcept
    : Result(other.Result),
      Value(other.Value),
      Description(std::move(other.Description)),
      Source(std::move(other.Source)),
      Number(other.Number),
      ArgError(other.ArgError) {
    VariantInit(&other.Value);
}

std::string CallResult::Text() const {
    return Value.vt == VT_BSTR ? Narrow(Value.bstrVal, SysStringLen(Value.bstrVal))
                               : "<not a text>";
}

DISPID IdOf(IDispatch* object, const std::string& name, HRESULT* result) {
    std::u16string wide = Wide(name);
    LPOLESTR names[] = {wide.data()};
    DISPID id = 12345;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    if (result) *result = hr;
    return id;
}

CallResult Call(IDispatch* object, const std::string& name, WORD flags, std::vector<VARIANT> args) {
    CallResult out;
    HRESULT hr = S_OK;
    DISPID id = IdOf(object, name, &hr);
    if (FAILED(hr)) {
        out.Result = hr;
    } else {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPID putId = DISPID_PROPERTYPUT;
        bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
        DISPPARAMS params{reversed.data(), put ? &putId : nullptr,
                          static_cast<UINT>(reversed.size()), put ? 1u : 0u};
        EXCEPINFO error{};
        out.Result = object->Invoke(id, IID_NULL, 0, flags, &params, put ? nullptr : &out.Value,
                                    &error, &out.ArgError);
        if (out.Result == DISP_E_EXCEPTION) {
            out.Description = Narrow(error.bstrDescription, SysStringLen(error.bstrDescription));
            out.Source = Narrow(error.bstrSource, SysStringLen(error.bstrSource));
            out.Number = error.scode;
            SysFreeString(error.bstrDescription);
            SysFreeString(error.bstrSource);
            SysFreeString(error.bstrHelpFile);
        }
    }
    for (VARIANT& v : args)
        if (v.vt == VT_BSTR) SysFreeString(v.bstrVal);
    return out;
}

CallResult Get(IDispatch* object, const std::string& name, std::vector<VARIANT> args) {
    return Call(object, name, DISPATCH_PROPERTYGET, std::move(args));
}

CallResult Put(IDispatch* object, const std::string& name, VARIANT value, WORD flags) {
    return Call(object, name, flags, {value});
}

CallResult Method(IDispatch* object, const std::string& name, std::vector<VARIANT> args) {
    return Call(object, name, DISPATCH_METHOD, std::move(args));
}

CallResult MethodNamed(IDispatch* object, const std::string& name, std::vector<VARIANT> positional,
                       std::vector<std::pair<std::string, VARIANT>> named) {
    CallResult out;
    std::vector<std::u16string> wide{Wide(name)};
    for (const auto& [argName, value] : named) wide.push_back(Wide(argName));
    std::vector<LPOLESTR> names;
    for (std::u16string& text : wide) names.push_back(text.data());
    std::vector<DISPID> ids(names.size(), 0);
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names.data(), static_cast<UINT>(names.size()), 0,
                                       ids.data());
    // An unknown argument name still goes to Invoke, with the id it was given.
    if (ids[0] == DISPID_UNKNOWN) {
        out.Result = hr;
    } else {
        // Named arguments first, then the positional ones, last first.
        std::vector<VARIANT> all;
        std::vector<DISPID> namedIds;
        for (std::size_t i = 0; i < named.size(); ++i) {
            all.push_back(named[i].second);
            namedIds.push_back(ids[i + 1]);
        }
        all.insert(all.end(), positional.rbegin(), positional.rend());
        DISPPARAMS params{all.data(), namedIds.data(), static_cast<UINT>(all.size()),
                          static_cast<UINT>(namedIds.size())};
        EXCEPINFO error{};
        out.Result = object->Invoke(ids[0], IID_NULL, 0, DISPATCH_METHOD, &params, &out.Value,
                                    &error, &out.ArgError);
        if (out.Result == DISP_E_EXCEPTION) {
            out.Description = Narrow(error.bstrDescription, SysStringLen(error.bstrDescription));
            out.Number = error.scode;
            SysFreeString(error.bstrDescription);
            SysFreeString(error.bstrSource);
            SysFreeString(error.bstrHelpFile);
        }
    }
    for (VARIANT& v : positional)
        if (v.vt == VT_BSTR) SysFreeString(v.bstrVal);
    for (auto& [argName, v] : named)
        if (v.vt == VT_BSTR) SysFreeString(v.bstrVal);
    return out;
}

ServerLibrary& ServerLibrary::Instance() {
    static ServerLibrary library;
    return library;
}

ServerLibrary::ServerLibrary() {
    handle_ = dlopen(VENDRAL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw std::runtime_error(std::string("cannot load the library: ") + dlerror());
}

HRESULT ServerLibrary::GetClassObject(const CLSID& clsid, const IID& iid, void** out) const {
    auto f = reinterpret_cast<DllGetClassObjectFunction>(dlsym(handle_, "DllGetClassObject"));
    return f(&clsid, &iid, out);
}

HRESULT ServerLibrary::CanUnloadNow() const {
    return reinterpret_cast<DllCanUnloadNowFunction>(dlsym(handle_, "DllCanUnloadNow"))();
}

HRESULT ServerLibrary::Register() const {
    return reinterpret_cast<DllRegisterServerFunction>(dlsym(handle_, "DllRegisterServer"))();
}

HRESULT ServerLibrary::Unregister() const {
    return reinterpret_cast<DllRegisterServerFunction>(dlsym(handle_, "DllUnregisterServer"))();
}

IDispatch* ServerLibrary::NewDatabase() const {
    void* raw = nullptr;
    if (FAILED(GetClassObject(CLSID_CDatabase, IID_IClassFactory, &raw))) return nullptr;
    auto* factory = static_cast<IClassFactory*>(raw);
    void* object = nullptr;
    HRESULT hr = factory->CreateInstance(nullptr, IID_IDispatch, &object);
    factory->Release();
    return SUCCEEDED(hr) ? static_cast<IDispatch*>(object) : nullptr;
}

void ComTest::SetUp() {
    char pattern[] = "/tmp/vendral-com-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    const char* odbcTemplate = std::getenv("VENDRAL_ODBC_TEMPLATE");
    ASSERT_NE(odbcTemplate, nullptr) << "VENDRAL_ODBC_TEMPLATE must name the build's odbc folder";
    std::filesystem::copy_file(std::string(odbcTemplate) + "/odbcinst.ini",
                               folder_ / "odbcinst.ini");
    std::ofstream(folder_ / "odbc.ini").close();
    setenv("ODBCSYSINI", folder_.c_str(), 1);
    setenv("ODBCINI", (folder_ / "odbc.ini").c_str(), 1);
    setenv("VENDRAL_REGISTRY", Scratch("registry.reg").c_str(), 1);
}

void ComTest::TearDown() {
    unsetenv("VENDRAL_REGISTRY");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string ComTest::RegistryText() const {
    std::ifstream in(Scratch("registry.reg"));
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ComTest::NewSqliteFile(const std::string& name) const {
    std::string path = Scratch(name);
    std::ofstream(path).close();
    return path;
}

}  // namespace vendral::test
