// CProgressBar as the tests call it, once late-bound (IDispatch::Invoke by
// name, as a script does) and once early-bound (the entries of the dual
// interface _CProgressBar, as a compiled client does). Each call gives its
// HRESULT; a failed call's error number (0x800A000B for 11) is kept.
#pragma once

#include <oleauto.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "vendral/class_ids.h"
#include "vendral_tlb.h"

namespace progress_tests {

// A VARIANT that clears itself.
struct Value {
    VARIANT v;
    Value() { VariantInit(&v); }
    explicit Value(long number) : Value() {
        v.vt = VT_I4;
        v.lVal = number;
    }
    static Value Boolean(bool value) {
        Value made;
        made.v.vt = VT_BOOL;
        made.v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        return made;
    }
    static Value Object(IDispatch* object) {
        Value made;
        made.v.vt = VT_DISPATCH;
        made.v.pdispVal = object;
        if (object) object->AddRef();
        return made;
    }
    Value(const Value& other) : Value() { VariantCopy(&v, const_cast<VARIANT*>(&other.v)); }
    Value& operator=(const Value&) = delete;
    ~Value() { VariantClear(&v); }
    long Long() const {
        VARIANT copy;
        VariantInit(&copy);
        long out = VariantChangeType(&copy, const_cast<VARIANT*>(&v), 0, VT_I4) == S_OK ? copy.lVal
                                                                                        : -999999;
        VariantClear(&copy);
        return out;
    }
};

// The optional arguments of Create; an empty one is omitted.
struct CreateArguments {
    std::optional<long> Left, Top, Width, Height;
    std::optional<bool> Smooth;
};

class Bar {
  public:
    virtual ~Bar() = default;
    virtual const char* Binding() const = 0;
    virtual HRESULT Method(const char* name, std::vector<Value> args, Value* result) = 0;
    virtual HRESULT Get(const char* name, Value* result) = 0;
    virtual HRESULT Put(const char* name, const Value& value) = 0;
    virtual HRESULT PutParent(IDispatch* parent) = 0;
    virtual HRESULT Create(const CreateArguments& args, Value* result) = 0;
    // The error number of the last failed call (the scode), 0 when none.
    HRESULT LastError() const { return lastError_; }

    long GetLong(const char* name) {
        Value value;
        return SUCCEEDED(Get(name, &value)) ? value.Long() : -999999;
    }

  protected:
    HRESULT lastError_ = 0;
};

// Late binding: every call by name through IDispatch::Invoke.
class LateBoundBar final : public Bar {
  public:
    explicit LateBoundBar(IDispatch* object) : object_(object) {}
    ~LateBoundBar() override { object_->Release(); }
    const char* Binding() const override { return "late-bound"; }

    HRESULT Method(const char* name, std::vector<Value> args, Value* result) override {
        return Call(name, DISPATCH_METHOD, args, result);
    }
    HRESULT Get(const char* name, Value* result) override {
        return Call(name, DISPATCH_PROPERTYGET, {}, result);
    }
    HRESULT Put(const char* name, const Value& value) override {
        return Call(name, DISPATCH_PROPERTYPUT, {value}, nullptr);
    }
    HRESULT PutParent(IDispatch* parent) override {
        return Call("Parent", DISPATCH_PROPERTYPUTREF, {Value::Object(parent)}, nullptr);
    }
    HRESULT Create(const CreateArguments& args, Value* result) override {
        // Omitted optional arguments travel as DISP_E_PARAMNOTFOUND errors.
        std::vector<Value> values;
        for (const std::optional<long>* number : {&args.Left, &args.Top, &args.Width, &args.Height})
            values.push_back(*number ? Value(**number) : Missing());
        values.push_back(args.Smooth ? Value::Boolean(*args.Smooth) : Missing());
        return Call("Create", DISPATCH_METHOD, values, result);
    }

  private:
    static Value Missing() {
        Value missing;
        missing.v.vt = VT_ERROR;
        missing.v.scode = DISP_E_PARAMNOTFOUND;
        return missing;
    }
    HRESULT Call(const char* name, WORD flags, const std::vector<Value>& args, Value* result) {
        std::wstring wide(name, name + strlen(name));
        LPOLESTR names[] = {wide.data()};
        DISPID id = DISPID_UNKNOWN;
        HRESULT hr = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr)) return lastError_ = hr;
        // Arguments go last first.
        std::vector<VARIANT> reversed;
        for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->v);
        DISPID putId = DISPID_PROPERTYPUT;
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            params.rgdispidNamedArgs = &putId;
            params.cNamedArgs = 1;
        }
        EXCEPINFO error{};
        UINT argError = 0;
        Value ignored;
        hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                             result ? &result->v : &ignored.v, &error, &argError);
        if (hr == DISP_E_EXCEPTION) lastError_ = error.scode;
        SysFreeString(error.bstrSource);
        SysFreeString(error.bstrDescription);
        SysFreeString(error.bstrHelpFile);
        return hr;
    }

    IDispatch* object_;
};

// Early binding: the typed entries of _CProgressBar as the type library
// declares them (widl's header of it), as a compiled client calls them.
class EarlyBoundBar final : public Bar {
  public:
    explicit EarlyBoundBar(_CProgressBar* object) : object_(object) {}
    ~EarlyBoundBar() override { object_->Release(); }
    const char* Binding() const override { return "early-bound"; }

    HRESULT Method(const char* name, std::vector<Value> args, Value* result) override {
        Value ignored;
        VARIANT* out = result ? &result->v : &ignored.v;
        std::string n = name;
        const Value none;
        const Value& first = args.empty() ? none : args[0];
        HRESULT hr = E_NOTIMPL;
        if (n == "SetBackColor") hr = object_->SetBackColor(first.Long(), out);
        if (n == "SetBarColor") hr = object_->SetBarColor(first.Long(), out);
        if (n == "SetProgVert") hr = object_->SetProgVert(AsBoolean(first), out);
        if (n == "DestroyProgBar") hr = object_->DestroyProgBar(out);
        if (n == "ClearProgBar") hr = object_->ClearProgBar(out);
        if (n == "SetProgBarPos") hr = object_->SetProgBarPos(first.Long(), out);
        if (n == "DelayProgBar") hr = object_->DelayProgBar(static_cast<short>(first.Long()), out);
        return Keep(hr);
    }
    HRESULT Get(const char* name, Value* result) override {
        std::string n = name;
        HRESULT hr = E_NOTIMPL;
        LONG number = 0;
        if (n == "Parent") {
            IDispatch* parent = nullptr;
            hr = object_->get_Parent(&parent);
            if (SUCCEEDED(hr)) {
                VariantClear(&result->v);
                result->v.vt = VT_DISPATCH;
                result->v.pdispVal = parent;  // the reference the get gave
            }
            return Keep(hr);
        }
        if (n == "SethWndParent") hr = object_->get_SethWndParent(&number);
        if (n == "ProgBarHwnd") hr = object_->get_ProgBarHwnd(&number);
        if (n == "MaxValue") hr = object_->get_MaxValue(&number);
        if (SUCCEEDED(hr)) {
            VariantClear(&result->v);
            result->v.vt = VT_I4;
            result->v.lVal = number;
        }
        return Keep(hr);
    }
    HRESULT Put(const char* name, const Value& value) override {
        std::string n = name;
        HRESULT hr = E_NOTIMPL;
        if (n == "SethWndParent") hr = object_->put_SethWndParent(value.Long());
        if (n == "Raise") hr = object_->put_Raise(value.Long());
        if (n == "StepValue") hr = object_->put_StepValue(value.Long());
        if (n == "MaxValue") hr = object_->put_MaxValue(value.Long());
        return Keep(hr);
    }
    HRESULT PutParent(IDispatch* parent) override { return Keep(object_->putref_Parent(parent)); }
    HRESULT Create(const CreateArguments& args, Value* result) override {
        Value left, top, width, height;
        VARIANT* slots[4] = {};
        Value* values[4] = {&left, &top, &width, &height};
        const std::optional<long>* given[4] = {&args.Left, &args.Top, &args.Width, &args.Height};
        for (int i = 0; i < 4; ++i) {
            if (!*given[i]) continue;
            values[i]->v.vt = VT_I4;
            values[i]->v.lVal = **given[i];
            slots[i] = &values[i]->v;
        }
        // Smooth has a default (False): an early-bound caller always passes it.
        VARIANT_BOOL smooth = args.Smooth.value_or(false) ? VARIANT_TRUE : VARIANT_FALSE;
        return Keep(object_->Create(slots[0], slots[1], slots[2], slots[3], smooth, &result->v));
    }

  private:
    static VARIANT_BOOL AsBoolean(const Value& value) {
        return value.Long() != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    }
    // A failing entry returns the error's number.
    HRESULT Keep(HRESULT hr) {
        if (FAILED(hr)) lastError_ = hr;
        return hr;
    }
    _CProgressBar* object_;
};

}  // namespace progress_tests
