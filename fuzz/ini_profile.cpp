// The settings-file reader and the line-preserving writer: after any file
// has one key written, that key reads as written and every other key reads
// as before; a write that is refused leaves the file as it was.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_check.h"
#include "base/atomic_file.h"
#include "base/private_profile.h"

namespace {

constexpr std::size_t kBuffer = 1 << 20;

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    a = Trimmed(a);
    b = Trimmed(b);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// Section and key names that the file seems to hold, found by a rough look at
// its lines: the reader decides what they hold.
std::vector<std::pair<std::string, std::string>> Candidates(const std::string& contents) {
    std::vector<std::pair<std::string, std::string>> found;
    std::string section;
    std::size_t start = 0;
    while (start <= contents.size() && found.size() < 64) {
        std::size_t stop = contents.find_first_of("\r\n", start);
        std::string line =
            contents.substr(start, stop == std::string::npos ? std::string::npos : stop - start);
        std::string_view text = Trimmed(line);
        if (!text.empty() && text.front() == '[' && text.find(']') != std::string_view::npos) {
            section = std::string(Trimmed(text.substr(1, text.find(']') - 1)));
        } else if (std::size_t equals = text.find('='); equals != std::string_view::npos) {
            std::string key(Trimmed(text.substr(0, equals)));
            if (!section.empty() && !key.empty() && section.find('\0') == std::string::npos &&
                key.find('\0') == std::string::npos)
                found.emplace_back(section, key);
        }
        if (stop == std::string::npos) break;
        start = stop + 1;
    }
    return found;
}

const std::string& Folder() {
    static const std::string folder = [] {
        const char* base = getenv("TMPDIR");
        std::string pattern =
            std::string(base && *base ? base : "/tmp") + "/vendral-fuzz-ini.XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        return pattern;
    }();
    return folder;
}

// A value the reader gives back unchanged: no blanks or quotes at its ends,
// nothing that ends a line or a C string.
bool PlainValue(const std::string& value) {
    if (value.empty() || value.size() > 200) return false;
    for (unsigned char c : value)
        if (c < 0x20 || c == 0x7F) return false;
    char first = value.front(), last = value.back();
    return first != ' ' && last != ' ' && first != '"' && first != '\'' && last != '"' &&
           last != '\'';
}

}  // namespace

namespace {

// Well-formed UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF.
bool ValidUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = c < 0x80           ? 1
                             : (c >> 5) == 0x6  ? 2
                             : (c >> 4) == 0xE  ? 3
                             : (c >> 3) == 0x1E ? 4
                                                : 0;
        if (length == 0 || i + length > text.size()) return false;
        char32_t point = length == 1 ? c : c & (0x7F >> length);
        for (std::size_t j = 1; j < length; ++j) {
            auto next = static_cast<unsigned char>(text[i + j]);
            if ((next >> 6) != 0x2) return false;
            point = (point << 6) | (next & 0x3F);
        }
        static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < kMinimum[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

// Characters of a text: a byte that is no UTF-8 counts as one (the writer
// takes it as a Windows-1252 character).
std::size_t Characters(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
        i += i + length <= text.size() && ValidUtf8(text.substr(i, length)) ? length : 1;
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::string value = input.ConsumeRandomLengthString(64);
    std::string section = input.ConsumeRandomLengthString(16);
    std::string key = input.ConsumeRandomLengthString(16);
    bool existing = input.ConsumeBool();
    std::string contents = input.ConsumeRemainingBytesAsString();

    const std::string path = Folder() + "/settings.ini";
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file << contents;
    }
    auto candidates = Candidates(contents);
    if (existing && !candidates.empty()) {
        auto& chosen = candidates[value.size() % candidates.size()];
        section = chosen.first;
        key = chosen.second;
    }
    // Names come from C strings in the original interface: a NUL ends them.
    section = section.substr(0, section.find('\0'));
    key = key.substr(0, key.find('\0'));

    std::vector<std::string> before;
    for (const auto& [s, k] : candidates)
        before.push_back(vendral::GetPrivateProfileString(s, k, "\x01missing", kBuffer, path));

    bool written = vendral::WritePrivateProfileString(section, key, value, path);
    std::optional<std::string> after = vendral::ReadWholeFile(path);
    FUZZ_CHECK(after.has_value(), "the file is gone");
    if (!written) {
        FUZZ_CHECK(*after == contents, "a refused write changed the file");
        return 0;
    }
    // An ANSI file is known by its bytes that are no UTF-8. When a write
    // replaces the last of them and the other non-ASCII bytes happen to form
    // UTF-8, the file reads as UTF-8 from then on: ANSI files carry no mark
    // that could keep them apart, so such a file is left out here.
    const bool nonAscii = std::any_of(after->begin(), after->end(),
                                      [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    const bool turnedUtf8 = !ValidUtf8(contents) && ValidUtf8(*after) && nonAscii;
    for (std::size_t i = 0; i < candidates.size() && !turnedUtf8; ++i) {
        const auto& [s, k] = candidates[i];
        if (SameName(s, section) && SameName(k, key)) continue;
        std::string now = vendral::GetPrivateProfileString(s, k, "\x01missing", kBuffer, path);
        FUZZ_CHECK(now == before[i],
                   "[" + Printable(s) + "] " + Printable(k) + " was " + Printable(before[i]) +
                       ", is " + Printable(now) + " after writing [" + Printable(section) + "] " +
                       Printable(key) + "=" + Printable(value) + " into " + Printable(contents));
    }
    // Names and values are UTF-8; a file in another encoding stores what it can
    // hold of them, so only valid UTF-8 is expected to read back unchanged.
    const std::string written_text = section + key + value;
    const bool ascii = std::all_of(written_text.begin(), written_text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    // A file that is no UTF-8 is ANSI (Windows-1252): only ASCII survives there for sure.
    if (PlainValue(value) && ValidUtf8(section) && ValidUtf8(key) && ValidUtf8(value) &&
        (ascii || ValidUtf8(contents))) {
        std::string now =
            vendral::GetPrivateProfileString(section, key, "\x01missing", kBuffer, path);
        FUZZ_CHECK(now == value, "[" + Printable(section) + "] " + Printable(key) + "=" +
                                     Printable(value) + " reads back as " + Printable(now) +
                                     " from " + Printable(*after));
    }
    // A value that is no UTF-8 goes into a UTF-8 file as Windows-1252 text:
    // the file stays UTF-8 and the value keeps one character per byte.
    if (PlainValue(value) && ValidUtf8(section) && ValidUtf8(key) && !ValidUtf8(value) &&
        ValidUtf8(contents)) {
        FUZZ_CHECK(ValidUtf8(*after), "a UTF-8 file is no longer UTF-8 after writing " +
                                          Printable(value) + " into " + Printable(contents));
        std::string now =
            vendral::GetPrivateProfileString(section, key, "\x01missing", kBuffer, path);
        FUZZ_CHECK(ValidUtf8(now) && Characters(now) == Characters(value),
                   Printable(value) + " reads back as " + Printable(now));
    }
    return 0;
}
