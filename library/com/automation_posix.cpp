// The automation helpers of the binary standard where the system has none:
// BSTR allocation and VARIANT clearing and copying (Windows has its own in oleaut32).
#include <cstdlib>
#include <cstring>

#include "com/automation_text.h"
#include "vendral/com_automation.h"

using namespace vendral::com;

VENDRAL_COM_EXPORT BSTR VendralSysAllocStringLen(const OLECHAR* text, UINT length) {
    // The byte length is kept in 32 bits before the characters.
    if (length > (0x7FFFFFFFu - 6) / sizeof(OLECHAR)) return nullptr;
    std::size_t bytes = static_cast<std::size_t>(length) * sizeof(OLECHAR);
    auto* block = static_cast<unsigned char*>(std::malloc(sizeof(std::uint32_t) + bytes + 2));
    if (!block) return nullptr;
    auto prefix = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &prefix, sizeof prefix);
    BSTR result = reinterpret_cast<BSTR>(block + sizeof prefix);
    if (text) {
        std::memcpy(result, text, bytes);
    } else {
        std::memset(result, 0, bytes);
    }
    result[length] = 0;
    return result;
}

VENDRAL_COM_EXPORT BSTR VendralSysAllocString(const OLECHAR* text) {
    if (!text) return nullptr;
    UINT length = 0;
    while (text[length] != 0) ++length;
    return SysAllocStringLen(text, length);
}

VENDRAL_COM_EXPORT void VendralSysFreeString(BSTR text) {
    if (text) std::free(reinterpret_cast<unsigned char*>(text) - sizeof(std::uint32_t));
}

VENDRAL_COM_EXPORT UINT VendralSysStringLen(BSTR text) {
    if (!text) return 0;
    std::uint32_t bytes = 0;
    std::memcpy(&bytes, reinterpret_cast<unsigned char*>(text) - sizeof bytes, sizeof bytes);
    return bytes / sizeof(OLECHAR);
}

VENDRAL_COM_EXPORT void VendralVariantInit(VARIANT* value) {
    if (!value) return;
    std::memset(value, 0, sizeof *value);
    value->vt = VT_EMPTY;
}

VENDRAL_COM_EXPORT HRESULT VendralVariantClear(VARIANT* value) {
    if (!value) return E_INVALIDARG;
    if ((value->vt & VT_BYREF) == 0) {
        switch (value->vt) {
            case VT_BSTR:
                SysFreeString(value->bstrVal);
                break;
            case VT_DISPATCH:
            case VT_UNKNOWN:
                if (value->punkVal) value->punkVal->Release();
                break;
            default:
                break;
        }
    }
    VariantInit(value);
    return S_OK;
}

VENDRAL_COM_EXPORT HRESULT VendralVariantCopy(VARIANT* destination, const VARIANT* source) {
    if (!destination || !source) return E_INVALIDARG;
    if (destination == source) return S_OK;
    VARIANT copy = *source;
    if ((source->vt & VT_BYREF) == 0) {
        if (source->vt == VT_BSTR && source->bstrVal) {
            copy.bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
            if (!copy.bstrVal) return E_OUTOFMEMORY;
        } else if ((source->vt == VT_DISPATCH || source->vt == VT_UNKNOWN) && source->punkVal) {
            source->punkVal->AddRef();
        }
    }
    VariantClear(destination);
    *destination = copy;
    return S_OK;
}
