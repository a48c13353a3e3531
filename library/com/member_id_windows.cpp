// Objects of the system's script engines (a VBScript class instance under
// Wine, for one) may not answer GetIDsOfNames but do answer IDispatchEx.
#include <dispex.h>

#include "com/dispatch_client.h"

namespace vendral::com {
namespace {

// The interface id of IDispatchEx (not in every import library of the system).
constexpr IID kIidDispatchEx = {
    0xA6EF9860, 0xC720, 0x11D0, {0x93, 0x37, 0x00, 0xA0, 0xC9, 0x0D, 0xCA, 0xA9}};

}  // namespace

HRESULT MemberId(IDispatch* object, LPOLESTR name, DISPID* id) {
    HRESULT hr = object->GetIDsOfNames(IID_NULL, &name, 1, 0, id);
    if (hr != E_NOTIMPL) return hr;
    IDispatchEx* extended = nullptr;
    if (FAILED(object->QueryInterface(kIidDispatchEx, reinterpret_cast<void**>(&extended))) ||
        !extended)
        return hr;
    BSTR text = SysAllocString(name);
    hr = extended->GetDispID(text, fdexNameCaseInsensitive, id);
    SysFreeString(text);
    extended->Release();
    return hr;
}

}  // namespace vendral::com
