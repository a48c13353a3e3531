// The per-thread error object where the system keeps none: LeaveErrorInfo and
// the exported SetErrorInfo/GetErrorInfo of this platform's binary standard.
#include "com/error_info.h"

namespace vendral::com {
namespace {

// The thread's error object; released with the thread.
struct ThreadError {
    IErrorInfo* Error = nullptr;
    ~ThreadError() {
        if (Error) Error->Release();
    }
    void Replace(IErrorInfo* error) {
        IErrorInfo* previous = Error;
        Error = error;
        if (previous) previous->Release();
    }
};

thread_local ThreadError tError;

}  // namespace

void LeaveErrorInfo(IErrorInfo* error) {
    tError.Replace(error);
}

}  // namespace vendral::com

VENDRAL_COM_EXPORT vendral::com::HRESULT VendralSetErrorInfo(vendral::com::ULONG reserved,
                                                             vendral::com::IErrorInfo* errorInfo) {
    using namespace vendral::com;
    if (reserved != 0) return E_INVALIDARG;
    if (errorInfo) errorInfo->AddRef();
    vendral::com::LeaveErrorInfo(errorInfo);
    return S_OK;
}

VENDRAL_COM_EXPORT vendral::com::HRESULT VendralGetErrorInfo(vendral::com::ULONG reserved,
                                                             vendral::com::IErrorInfo** errorInfo) {
    using namespace vendral::com;
    if (!errorInfo) return E_POINTER;
    *errorInfo = nullptr;
    if (reserved != 0) return E_INVALIDARG;
    *errorInfo = vendral::com::tError.Error;
    vendral::com::tError.Error = nullptr;
    return *errorInfo ? S_OK : S_FALSE;
}
