// UTF-8 text of the library and the UTF-16 BSTRs of the binary standard
// (converted by base/text.h's ToUtf16 and FromUtf16).
#pragma once

#include <string>
#include <string_view>

#include "base/internal_export.h"
#include "base/text.h"
#include "vendral/com_automation.h"

namespace vendral::com {

// A new BSTR the caller frees with SysFreeString.
VENDRAL_TEST_INTERNAL BSTR AllocBstr(std::string_view text);
// The whole BSTR (its stored length), nullptr as "".
VENDRAL_TEST_INTERNAL std::string BstrToUtf8(BSTR text);
// A zero-terminated OLECHAR text, as GetIDsOfNames receives its names.
VENDRAL_TEST_INTERNAL std::string OleToUtf8(const OLECHAR* text);

// OLECHAR is char16_t here and the system's wchar_t on Windows: UTF-16 units both.
static_assert(sizeof(OLECHAR) == sizeof(char16_t));
inline const char16_t* AsUtf16(const OLECHAR* text) {
    return reinterpret_cast<const char16_t*>(text);
}
inline OLECHAR* AsOle(char16_t* text) {
    return reinterpret_cast<OLECHAR*>(text);
}

}  // namespace vendral::com
