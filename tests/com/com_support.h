// A client of the component server that reaches it only through its entry
// points (the library is loaded with dlopen, never linked), and a late-bound
// calling helper in the manner of a scripting client.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "vendral/class_ids.h"
#include "vendral/com_activation.h"
#include "vendral/com_automation.h"

namespace vendral::test {

using namespace vendral::com;

std::u16string Wide(const std::string& text);
std::string Narrow(const OLECHAR* text, std::size_t length);

// Owns one VARIANT.
struct Var {
    VARIANT v;
    Var() { VariantInit(&v); }
    Var(const Var&) = delete;
    Var& operator=(const Var&) = delete;
    ~Var() { VariantClear(&v); }
    static void Text(VARIANT& out, const std::string& text);
    std::string Text() const;  // of a VT_BSTR
};
VARIANT I2(std::int16_t value);
VARIANT I4(std::int32_t value);
VARIANT Bool(bool value);
VARIANT Missing();
VARIANT Object(IDispatch* object);
// A VT_BSTR the caller's Call frees.
VARIANT Str(const std::string& text);

// The outcome of one Invoke.
struct CallResult {
    HRESULT Result = S_OK;
    VARIANT Value{};
    std::string Description, Source;
    SCODE Number = 0;
    UINT ArgError = 0;
    CallResult() { VariantInit(&Value); }
    CallResult(CallResult&& other) noexcept;
    CallResult(const CallResult&) = delete;
    ~CallResult() { VariantClear(&Value); }
    std::string Text() const;
};

DISPID IdOf(IDispatch* object, const std::string& name, HRESULT* result = nullptr);
// Invokes name with args in declared order (VT_BSTR arguments are freed).
CallResult Call(IDispatch* object, const std::string& name, WORD flags,
                std::vector<VARIANT> args = {});
CallResult Get(IDispatch* object, const std::string& name, std::vector<VARIANT> args = {});
CallResult Put(IDispatch* object, const std::string& name, VARIANT value,
               WORD flags = DISPATCH_PROPERTYPUT);
CallResult Method(IDispatch* object, const std::string& name, std::vector<VARIANT> args = {});
// Calls method name with positional args (declared order) followed by named
// ones, whose ids GetIDsOfNames gives for their names (VT_BSTR arguments are freed).
CallResult MethodNamed(IDispatch* object, const std::string& name, std::vector<VARIANT> positional,
                       std::vector<std::pair<std::string, VARIANT>> named);

// The library under test, loaded for the whole test program.
class ServerLibrary {
  public:
    static ServerLibrary& Instance();
    void* Handle() const { return handle_; }
    HRESULT GetClassObject(const CLSID& clsid, const IID& iid, void** out) const;
    HRESULT CanUnloadNow() const;
    HRESULT Register() const;
    HRESULT Unregister() const;
    // A new CDatabase through the class factory.
    IDispatch* NewDatabase() const;

  private:
    ServerLibrary();
    void* handle_;
};

// Per test: a registry file of its own and a folder for databases, and an
// ODBC configuration with the machine's drivers.
class ComTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    std::string Scratch(const std::string& name) const { return (folder_ / name).string(); }
    std::string RegistryText() const;
    // An empty SQLite database file (a new file is an empty database).
    std::string NewSqliteFile(const std::string& name) const;
    std::filesystem::path folder_;
};

}  // namespace vendral::test
