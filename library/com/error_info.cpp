#include "com/error_info.h"

#include <new>

#include "com/automation_text.h"
#include "com/ref_counted.h"

namespace vendral::com {
namespace {

class ErrorObject final : public RefCounted<IErrorInfo, IVendralErrorRecords> {
  public:
    ErrorObject(const IID& iid, std::string source, std::string description,
                std::vector<ErrorRecord> records)
        : iid_(iid),
          source_(std::move(source)),
          description_(std::move(description)),
          records_(std::move(records)) {}

    HRESULT VENDRAL_COM_CALL QueryInterface(const IID& iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IErrorInfo) {
            *out = static_cast<IErrorInfo*>(this);
        } else if (iid == IID_IVendralErrorRecords && !records_.empty()) {
            *out = static_cast<IVendralErrorRecords*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

    HRESULT VENDRAL_COM_CALL GetGUID(GUID* out) override {
        if (!out) return E_POINTER;
        *out = iid_;
        return S_OK;
    }
    HRESULT VENDRAL_COM_CALL GetSource(BSTR* out) override { return Text(source_, out); }
    HRESULT VENDRAL_COM_CALL GetDescription(BSTR* out) override { return Text(description_, out); }
    HRESULT VENDRAL_COM_CALL GetHelpFile(BSTR* out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return S_OK;
    }
    HRESULT VENDRAL_COM_CALL GetHelpContext(DWORD* out) override {
        if (!out) return E_POINTER;
        *out = 0;
        return S_OK;
    }

    HRESULT VENDRAL_COM_CALL GetRecordCount(ULONG* count) override {
        if (!count) return E_POINTER;
        *count = static_cast<ULONG>(records_.size());
        return S_OK;
    }
    HRESULT VENDRAL_COM_CALL GetRecord(ULONG index, BSTR* description, BSTR* sqlState,
                                       LONG* nativeError) override {
        if (index >= records_.size()) return DISP_E_BADINDEX;
        const ErrorRecord& record = records_[index];
        if (description && FAILED(Text(record.Description, description))) return E_OUTOFMEMORY;
        if (sqlState && FAILED(Text(record.SQLState, sqlState))) {
            if (description) SysFreeString(*description);
            return E_OUTOFMEMORY;
        }
        if (nativeError) *nativeError = record.NativeError;
        return S_OK;
    }

  private:
    static HRESULT Text(const std::string& text, BSTR* out) {
        if (!out) return E_POINTER;
        *out = AllocBstr(text);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    IID iid_;
    std::string source_, description_;
    std::vector<ErrorRecord> records_;
};

}  // namespace

IErrorInfo* NewErrorInfo(const IID& iid, const std::string& source, const std::string& description,
                         std::vector<ErrorRecord> records) {
    return new ErrorObject(iid, source, description, std::move(records));
}

}  // namespace vendral::com
