// A client's form as the progress bar sees it: an object of our own that
// answers hWnd and Width (in twips) through IDispatch alone, and counts how
// often each was read.
#pragma once

#include <oleauto.h>
#include <windows.h>

#include <string>

namespace progress_tests {

class FormObject final : public IDispatch {
  public:
    FormObject(HWND window, float widthTwips) : window_(window), width_(widthTwips) {}

    int HandleReads() const { return handleReads_; }
    int WidthReads() const { return widthReads_; }
    ULONG References() const { return references_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch) return E_NOINTERFACE;
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    // The object lives on the test's stack; only the count is kept.
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (count != 1) return DISP_E_UNKNOWNNAME;
        if (lstrcmpiW(names[0], L"hWnd") == 0) {
            ids[0] = kHandle;
        } else if (lstrcmpiW(names[0], L"Width") == 0) {
            ids[0] = kWidth;
        } else {
            ids[0] = DISPID_UNKNOWN;
            return DISP_E_UNKNOWNNAME;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
        VariantInit(result);
        if (id == kHandle) {
            ++handleReads_;
            result->vt = VT_I4;
            result->lVal = static_cast<LONG>(reinterpret_cast<INT_PTR>(window_));
            return S_OK;
        }
        if (id == kWidth) {
            ++widthReads_;
            // A form's Width is a Single.
            result->vt = VT_R4;
            result->fltVal = width_;
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

  private:
    static constexpr DISPID kHandle = 1;
    static constexpr DISPID kWidth = 2;
    HWND window_;
    float width_;
    ULONG references_ = 1;
    int handleReads_ = 0;
    int widthReads_ = 0;
};

}  // namespace progress_tests
