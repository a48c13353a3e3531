// The automation helpers: BSTR allocation and VARIANT clearing and copying.
#include <cstdlib>
#include <cstring>

#include "platform/com/automation_text.h"
#include "vendral/com.h"

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

namespace vendral::com {

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        char32_t point = byte;
        std::size_t length = 1;
        if (byte >= 0xF8) {
            length = 0;
        } else if (byte >= 0xF0) {
            length = 4;
            point = byte & 0x07;
        } else if (byte >= 0xE0) {
            length = 3;
            point = byte & 0x0F;
        } else if (byte >= 0xC0) {
            length = 2;
            point = byte & 0x1F;
        }
        bool valid = byte < 0x80 || (byte >= 0xC0 && length != 0 && i + length <= text.size());
        for (std::size_t k = 1; valid && k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) valid = false;
            point = (point << 6) | (next & 0x3F);
        }
        if (!valid) {
            // A stray byte keeps its place as a lone surrogate and comes back unchanged.
            out.push_back(static_cast<char16_t>(0xDC00 + byte));
            ++i;
            continue;
        }
        if (point >= 0x10000) {
            point -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (point >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (point & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(point));
        }
        i += length;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t point = text[i];
        if (point >= 0xD800 && point < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            point = 0x10000 + ((point - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (point >= 0xDC80 && point < 0xDD00) {
            out.push_back(static_cast<char>(point - 0xDC00));
            continue;
        }
        if (point < 0x80) {
            out.push_back(static_cast<char>(point));
        } else if (point < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (point >> 6)));
            out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
        } else if (point < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (point >> 12)));
            out.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (point >> 18)));
            out.push_back(static_cast<char>(0x80 | ((point >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (point & 0x3F)));
        }
    }
    return out;
}

BSTR AllocBstr(std::string_view text) {
    std::u16string wide = Utf8ToUtf16(text);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

std::string BstrToUtf8(BSTR text) {
    if (!text) return {};
    return Utf16ToUtf8(std::u16string_view(text, SysStringLen(text)));
}

std::string OleToUtf8(const OLECHAR* text) {
    if (!text) return {};
    std::size_t length = 0;
    while (text[length] != 0) ++length;
    return Utf16ToUtf8(std::u16string_view(text, length));
}

}  // namespace vendral::com
