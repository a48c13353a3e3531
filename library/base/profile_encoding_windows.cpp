// Other programs on the workstation read the settings file with the system's
// A-suffixed profile functions: it stays ANSI text in the system's code page,
// also once a value outside ASCII is written into it.
#include <windows.h>

#include <string>
#include <string_view>

#include "base/private_profile.h"
#include "base/text.h"
#include "base/text_windows.h"

namespace vendral::detail {

bool SettingsFilesInAnsi() {
    return true;
}

std::string AnsiFileTextToUtf8(std::string_view bytes) {
    return AnsiToUtf8(std::string(bytes));
}

std::string Utf8ToAnsiFileText(std::string_view text) {
    // Characters go through the code page ("?" for one it lacks, as the
    // system writes it); bytes that were no UTF-8 go back as they were.
    std::string bytes;
    std::u32string run;
    auto flush = [&] {
        if (run.empty()) return;
        bytes += Utf8ToAnsi(EncodeUtf8(run));
        run.clear();
    };
    for (char32_t c : DecodeUtf8(text)) {
        if (c >= 0xDC80 && c <= 0xDCFF) {
            flush();
            bytes.push_back(static_cast<char>(c - 0xDC00));
        } else {
            run.push_back(c);
        }
    }
    flush();
    return bytes;
}

}  // namespace vendral::detail
