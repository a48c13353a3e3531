#include "base/text_windows.h"

#include <windows.h>

#include "base/text.h"

namespace vendral::detail {
namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
    if (text.empty()) return {};
    int size =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string FromWide(UINT codePage, const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                        size, nullptr, nullptr);
    return narrow;
}

}  // namespace

// UTF-8 and UTF-16 through the library's one converter, so that the system's
// calls see a stored text exactly as the ODBC layer and the automation
// strings do (wchar_t holds UTF-16 units here).
std::wstring Utf8ToWide(const std::string& text) {
    std::u16string wide = ToUtf16(text);
    return std::wstring(wide.begin(), wide.end());
}
std::string WideToUtf8(const std::wstring& text) {
    return FromUtf16(std::u16string(text.begin(), text.end()));
}
std::string Utf8ToAnsi(const std::string& text) {
    return FromWide(CP_ACP, Utf8ToWide(text));
}
std::string AnsiToUtf8(const std::string& text) {
    return WideToUtf8(ToWide(CP_ACP, text));
}

}  // namespace vendral::detail
