// UTF-8 text of the library and the UTF-16 BSTRs of the binary standard.
#pragma once

#include <string>
#include <string_view>

#include "platform/internal_export.h"
#include "vendral/com.h"

namespace vendral::com {

VENDRAL_INTERNAL std::u16string Utf8ToUtf16(std::string_view text);
VENDRAL_INTERNAL std::string Utf16ToUtf8(std::u16string_view text);
// A new BSTR the caller frees with SysFreeString.
VENDRAL_INTERNAL BSTR AllocBstr(std::string_view text);
// The whole BSTR (its stored length), nullptr as "".
VENDRAL_INTERNAL std::string BstrToUtf8(BSTR text);
// A zero-terminated OLECHAR text, as GetIDsOfNames receives its names.
VENDRAL_INTERNAL std::string OleToUtf8(const OLECHAR* text);

}  // namespace vendral::com
