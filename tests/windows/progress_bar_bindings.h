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

// The entries of _CProgressBar after IDispatch's, in the class's member
// order: every argument and the result of methods and gets as VARIANT*, an
// omitted optional argument as a null pointer.
struct ProgressBarEntries : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE SetBackColor(VARIANT* colour, VARIANT* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBarColor(VARIANT* colour, VARIANT* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetProgVert(VARIANT* vertical, VARIANT* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE Create(VARIANT* left, VARIANT* top, VARIANT* width,
                                             VARIANT* height, VARIANT* smooth, VARIANT* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetParent(VARIANT* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE PutRefParent(VARIANT* parent) = 0;
    virtual HRESULT STDMETHODCALLTYPE DestroyProgBar(VARIANT* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearProgBar(VARIANT* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetProgBarPos(VARIANT* position, VARIANT* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE DelayProgBar(VARIANT* time, VARIANT* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSethWndParent(VARIANT* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE PutSethWndParent(VARIANT* window) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProgBarHwnd(VARIANT* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE PutRaise(VARIANT* item) = 0;
    virtual HRESULT STDMETHODCALLTYPE PutStepValue(VARIANT* step) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMaxValue(VARIANT* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE PutMaxValue(VARIANT* maximum) = 0;
};

// Early binding: the entries above, from the object's _CProgressBar.
class EarlyBoundBar final : public Bar {
  public:
    explicit EarlyBoundBar(ProgressBarEntries* object) : object_(object) {}
    ~EarlyBoundBar() override { object_->Release(); }
    const char* Binding() const override { return "early-bound"; }

    HRESULT Method(const char* name, std::vector<Value> args, Value* result) override {
        Value ignored;
        VARIANT* out = result ? &result->v : &ignored.v;
        std::string n = name;
        VARIANT* first = args.empty() ? nullptr : &args[0].v;
        HRESULT hr = E_NOTIMPL;
        if (n == "SetBackColor") hr = object_->SetBackColor(first, out);
        if (n == "SetBarColor") hr = object_->SetBarColor(first, out);
        if (n == "SetProgVert") hr = object_->SetProgVert(first, out);
        if (n == "DestroyProgBar") hr = object_->DestroyProgBar(out);
        if (n == "ClearProgBar") hr = object_->ClearProgBar(out);
        if (n == "SetProgBarPos") hr = object_->SetProgBarPos(first, out);
        if (n == "DelayProgBar") hr = object_->DelayProgBar(first, out);
        return Keep(hr);
    }
    HRESULT Get(const char* name, Value* result) override {
        std::string n = name;
        HRESULT hr = E_NOTIMPL;
        if (n == "Parent") hr = object_->GetParent(&result->v);
        if (n == "SethWndParent") hr = object_->GetSethWndParent(&result->v);
        if (n == "ProgBarHwnd") hr = object_->GetProgBarHwnd(&result->v);
        if (n == "MaxValue") hr = object_->GetMaxValue(&result->v);
        return Keep(hr);
    }
    HRESULT Put(const char* name, const Value& value) override {
        Value copy(value);
        std::string n = name;
        HRESULT hr = E_NOTIMPL;
        if (n == "SethWndParent") hr = object_->PutSethWndParent(&copy.v);
        if (n == "Raise") hr = object_->PutRaise(&copy.v);
        if (n == "StepValue") hr = object_->PutStepValue(&copy.v);
        if (n == "MaxValue") hr = object_->PutMaxValue(&copy.v);
        return Keep(hr);
    }
    HRESULT PutParent(IDispatch* parent) override {
        Value object = Value::Object(parent);
        return Keep(object_->PutRefParent(&object.v));
    }
    HRESULT Create(const CreateArguments& args, Value* result) override {
        Value left, top, width, height, smooth;
        VARIANT* slots[4] = {};
        Value* values[4] = {&left, &top, &width, &height};
        const std::optional<long>* given[4] = {&args.Left, &args.Top, &args.Width, &args.Height};
        for (int i = 0; i < 4; ++i) {
            if (!*given[i]) continue;
            values[i]->v.vt = VT_I4;
            values[i]->v.lVal = **given[i];
            slots[i] = &values[i]->v;
        }
        VARIANT* smoothSlot = nullptr;
        if (args.Smooth) {
            smooth.v.vt = VT_BOOL;
            smooth.v.boolVal = *args.Smooth ? VARIANT_TRUE : VARIANT_FALSE;
            smoothSlot = &smooth.v;
        }
        return Keep(
            object_->Create(slots[0], slots[1], slots[2], slots[3], smoothSlot, &result->v));
    }

  private:
    // A failing entry returns the error's number.
    HRESULT Keep(HRESULT hr) {
        if (FAILED(hr)) lastError_ = hr;
        return hr;
    }
    ProgressBarEntries* object_;
};

}  // namespace progress_tests
