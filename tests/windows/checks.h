// The checks of the Wine test programs: one line each ("ok NAME" or
// "FAIL NAME: DETAIL"), and at the end the sentinel line scripts/wine-tests.sh
// requires, since Wine's programs may stop without a word.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace checks {

inline int failures = 0;

inline void Check(const std::string& name, bool ok, const std::string& detail = "") {
    std::printf("%s %s%s%s\n", ok ? "ok" : "FAIL", name.c_str(), detail.empty() ? "" : ": ",
                detail.c_str());
    if (!ok) ++failures;
}

// UTF-8, the library's text, to the system's UTF-16 and back.
inline std::wstring Wide(const std::string& text) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

inline std::string Utf8(const std::wstring& text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), length,
                        nullptr, nullptr);
    return utf8;
}

// Prints the sentinel and gives the program's exit status.
inline int Finish(const char* program) {
    std::printf("SENTINEL %s ran to its end with %d failed checks\n", program, failures);
    return failures == 0 ? 0 : 1;
}

}  // namespace checks
