// UTF-8 text of the library and the UTF-16 BSTRs of the binary standard.
#include "com/automation_text.h"

namespace vendral::com {

BSTR AllocBstr(std::string_view text) {
    std::u16string wide = detail::ToUtf16(text);
    return SysAllocStringLen(AsOle(wide.data()), static_cast<UINT>(wide.size()));
}

std::string BstrToUtf8(BSTR text) {
    if (!text) return {};
    return detail::FromUtf16(std::u16string_view(AsUtf16(text), SysStringLen(text)));
}

std::string OleToUtf8(const OLECHAR* text) {
    if (!text) return {};
    std::size_t length = 0;
    while (text[length] != 0) ++length;
    return detail::FromUtf16(std::u16string_view(AsUtf16(text), length));
}

}  // namespace vendral::com
