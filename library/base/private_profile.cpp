// Reading parses the file with SimpleIni. Writing edits the text line by line
// (with the same rules for what is a section, a key and a comment) because a
// re-serialised file would lose spacing, trailing comments and duplicate
// sections that the user wrote.
#include "base/private_profile.h"

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <vector>

#include "base/atomic_file.h"
#include "base/text.h"

namespace vendral::detail {
namespace {

constexpr std::string_view kUtf8Signature = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeSignature = "\xFF\xFE";
constexpr std::string_view kUtf16BeSignature = "\xFE\xFF";

// How the bytes of a settings file are to be read and written back. Files of
// the original platform are ANSI (the code page of AnsiToUtf8) or UTF-16 with
// a byte-order mark.
enum class FileEncoding { Utf8, Ansi, Utf16Le, Utf16Be };

bool IsUtf8(std::string_view bytes) {
    for (char32_t c : DecodeUtf8(bytes))
        if (c >= 0xDC80 && c <= 0xDCFF) return false;  // a byte that is no UTF-8
    return true;
}

// Names and values are UTF-8. Bytes among them that are no UTF-8 are taken as
// the ANSI text they stand for (the text callers of the original platform
// pass): stored raw, they would turn a UTF-8 file into one that reads as ANSI,
// and every other key's non-ASCII text into mojibake.
std::string AnsiBytesAsUtf8(std::string_view text) {
    std::u32string characters = DecodeUtf8(text);
    std::u32string out;
    std::string pending;  // a run of bytes that were no UTF-8
    bool changed = false;
    auto flush = [&] {
        if (pending.empty()) return;
        out += DecodeUtf8(AnsiFileTextToUtf8(pending));
        pending.clear();
        changed = true;
    };
    for (char32_t c : characters) {
        if (c >= 0xDC80 && c <= 0xDCFF) {
            pending.push_back(static_cast<char>(c - 0xDC00));
            continue;
        }
        flush();
        out.push_back(c);
    }
    flush();
    return changed ? EncodeUtf8(out) : std::string(text);
}

struct DecodedFile {
    std::string text;  // UTF-8, any UTF-8 signature kept for the writer
    FileEncoding encoding = FileEncoding::Utf8;
};

// A file that does not exist yet is made in the platform's encoding.
DecodedFile NewFile() {
    return {"", SettingsFilesInAnsi() ? FileEncoding::Ansi : FileEncoding::Utf8};
}

DecodedFile DecodeFile(std::string_view bytes) {
    DecodedFile file;
    if (bytes.starts_with(kUtf16LeSignature) || bytes.starts_with(kUtf16BeSignature)) {
        const bool little = bytes.starts_with(kUtf16LeSignature);
        file.encoding = little ? FileEncoding::Utf16Le : FileEncoding::Utf16Be;
        std::u16string units;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            auto first = static_cast<unsigned char>(bytes[i]);
            auto second = static_cast<unsigned char>(bytes[i + 1]);
            units.push_back(
                static_cast<char16_t>(little ? first | (second << 8) : (first << 8) | second));
        }
        file.text = FromUtf16(units);
    } else if (IsUtf8(bytes) && (!SettingsFilesInAnsi() || bytes.starts_with(kUtf8Signature))) {
        file.text = std::string(bytes);
    } else {
        file.encoding = FileEncoding::Ansi;
        file.text = AnsiFileTextToUtf8(bytes);
    }
    return file;
}

// Back into the file's own encoding.
std::string EncodeFile(const std::string& text, FileEncoding encoding) {
    switch (encoding) {
        case FileEncoding::Utf8:
            return text;
        case FileEncoding::Ansi:
            return Utf8ToAnsiFileText(text);
        case FileEncoding::Utf16Le:
        case FileEncoding::Utf16Be: {
            const bool little = encoding == FileEncoding::Utf16Le;
            std::string bytes(little ? kUtf16LeSignature : kUtf16BeSignature);
            for (char16_t unit : ToUtf16(text)) {
                char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
                bytes.push_back(little ? low : high);
                bytes.push_back(little ? high : low);
            }
            return bytes;
        }
    }
    return text;
}

// SimpleIni's idea of blanks around names and values.
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Names compare as SimpleIni compares them: ASCII letters without regard to case.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string StripOuterQuotes(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// At most count code points of text.
std::string FirstCharacters(const std::string& text, std::size_t count) {
    std::u32string characters = DecodeUtf8(text);
    if (characters.size() <= count) return text;
    characters.resize(count);
    return EncodeUtf8(characters);
}

struct Line {
    std::string text;  // without its line break
    std::string end;   // "\r\n", "\n", "\r" or "" for a last line without one
};

// A NUL ends a line as a line break does, for the reader as for the writer:
// binary garbage in a file must not hide the keys behind it from one of them.
constexpr std::string_view kLineEnds("\r\n\0", 3);

std::vector<Line> SplitLines(std::string_view contents) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < contents.size()) {
        std::size_t stop = contents.find_first_of(kLineEnds, start);
        if (stop == std::string_view::npos) {
            lines.push_back({std::string(contents.substr(start)), ""});
            break;
        }
        std::size_t breakLength =
            (contents[stop] == '\r' && stop + 1 < contents.size() && contents[stop + 1] == '\n')
                ? 2
                : 1;
        lines.push_back({std::string(contents.substr(start, stop - start)),
                         std::string(contents.substr(stop, breakLength))});
        start = stop + breakLength;
    }
    return lines;
}

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;       // section or key name, trimmed
    std::size_t valueStart = 0;  // for a key: where the value begins in the line
};

// The classification SimpleIni applies: blank and comment (";", "#") lines
// and lines without "=" carry nothing; "[name]" opens a section.
ParsedLine ParseLine(std::string_view text) {
    ParsedLine parsed;
    std::size_t first = 0;
    while (first < text.size() && IsBlank(text[first])) ++first;
    if (first == text.size() || text[first] == ';' || text[first] == '#') return parsed;
    if (text[first] == '[') {
        std::size_t close = text.find(']', first);
        if (close == std::string_view::npos) return parsed;
        parsed.kind = LineKind::Section;
        parsed.name = TrimBlanks(text.substr(first + 1, close - first - 1));
        return parsed;
    }
    std::size_t equals = text.find('=', first);
    if (equals == std::string_view::npos) return parsed;
    parsed.name = TrimBlanks(text.substr(first, equals - first));
    if (parsed.name.empty()) return parsed;
    parsed.kind = LineKind::Key;
    parsed.valueStart = equals + 1;
    while (parsed.valueStart < text.size() && IsBlank(text[parsed.valueStart])) {
        ++parsed.valueStart;
    }
    return parsed;
}

std::string Joined(const std::string& signature, const std::vector<Line>& lines) {
    std::string result = signature;
    for (const Line& line : lines) result += line.text + line.end;
    return result;
}

// The file as SimpleIni is given it: every line as the writer classifies it
// (a section, a key or nothing), so that both agree on every section and key.
// Left alone, SimpleIni lets a "[" without its "]" run on into the next lines.
std::string ReadableText(std::string_view contents) {
    if (contents.starts_with(kUtf8Signature)) contents.remove_prefix(kUtf8Signature.size());
    std::string text;
    text.reserve(contents.size());
    for (const Line& line : SplitLines(contents)) {
        ParsedLine parsed = ParseLine(line.text);
        if (parsed.kind == LineKind::Section) {
            text += "[";
            text += parsed.name;
            text += "]";
        } else if (parsed.kind == LineKind::Key) {
            text += parsed.name;
            text += "=";
            text.append(line.text, parsed.valueStart);
        }
        text += "\n";
    }
    return text;
}

bool WritableName(std::string_view name, std::string_view forbidden) {
    return !name.empty() && name.find_first_of(forbidden) == std::string_view::npos &&
           !IsBlank(name.front()) && !IsBlank(name.back());
}

}  // namespace

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t bufferSize,
                                    const std::string& path) {
    auto fallback = [&] { return FirstCharacters(std::string(defaultValue), bufferSize - 1); };
    // Names are looked up as the writer stores them.
    const std::string sectionText = AnsiBytesAsUtf8(section), keyText = AnsiBytesAsUtf8(key);
    section = TrimBlanks(sectionText);
    key = TrimBlanks(keyText);
    if (bufferSize == 0) return std::string();
    // Keys above the first section belong to no section the platform knows.
    if (section.empty() || key.empty()) return fallback();
    std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes) return fallback();
    std::optional<std::string> contents = DecodeFile(*bytes).text;

    CSimpleIniA ini(/*isUtf8=*/false, /*multiKey=*/true, /*multiLine=*/false);
    ini.SetQuotes(false);
    const std::string text = ReadableText(*contents);
    if (ini.LoadData(text.data(), text.size()) < 0) return fallback();
    CSimpleIniA::TNamesDepend values;
    std::string sectionName(section), keyName(key);
    if (!ini.GetAllValues(sectionName.c_str(), keyName.c_str(), values) || values.empty()) {
        return fallback();
    }
    // SimpleIni hands duplicates back in no set order; the platform takes the first.
    values.sort(CSimpleIniA::Entry::LoadOrder());
    std::string value = StripOuterQuotes(values.front().pItem);
    if (value.empty()) return fallback();
    return FirstCharacters(value, bufferSize - 1);
}

std::optional<std::string> WithProfileValue(const std::optional<std::string>& contents,
                                            std::string_view section, std::string_view key,
                                            std::string_view value) {
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    if (!WritableName(section, "]\r\n") || !WritableName(key, "=\r\n") || key.front() == ';' ||
        key.front() == '#' || key.front() == '[') {
        return std::nullopt;
    }
    // A line break in a value would start new keys or sections in the file; a
    // NUL ends the value as the platform's C strings end it.
    value = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));

    std::string text = contents.value_or(std::string());
    std::string signature;
    if (text.starts_with(kUtf8Signature)) {
        signature = kUtf8Signature;
        text.erase(0, kUtf8Signature.size());
    }
    std::vector<Line> lines = SplitLines(text);
    std::string lineBreak = "\n";
    for (const Line& line : lines) {
        if (!line.end.empty() && line.end[0] != '\0') {
            lineBreak = line.end;
            break;
        }
    }

    bool inMatchingSection = false, inFirstSection = false;
    std::optional<std::size_t> insertAfter;  // last line of the first matching section's keys
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ParsedLine parsed = ParseLine(lines[i].text);
        if (parsed.kind == LineKind::Section) {
            inMatchingSection = SameName(parsed.name, section);
            inFirstSection = inMatchingSection && !insertAfter;
            if (inFirstSection) insertAfter = i;
        } else if (parsed.kind == LineKind::Key && inMatchingSection) {
            if (SameName(parsed.name, key)) {
                // The key keeps its spelling and spacing; only the value changes.
                lines[i].text = lines[i].text.substr(0, parsed.valueStart) + std::string(value);
                return Joined(signature, lines);
            }
            if (inFirstSection) insertAfter = i;
        }
    }

    Line added{std::string(key) + "=" + std::string(value), lineBreak};
    if (insertAfter) {
        if (lines[*insertAfter].end.empty()) lines[*insertAfter].end = lineBreak;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*insertAfter + 1), added);
    } else {
        if (!lines.empty()) {
            if (lines.back().end.empty()) lines.back().end = lineBreak;
            if (!TrimBlanks(lines.back().text).empty()) lines.push_back({"", lineBreak});
        }
        lines.push_back({"[" + std::string(section) + "]", lineBreak});
        lines.push_back(added);
    }
    return Joined(signature, lines);
}

bool WritePrivateProfileValues(std::string_view section,
                               const std::vector<std::pair<std::string, std::string>>& values,
                               const std::string& path) {
    return ReplaceFileAtomically(
        path,
        [&](const std::optional<std::string>& bytes) -> std::optional<std::string> {
            // Edited as UTF-8, written back in the file's own encoding.
            DecodedFile file = bytes ? DecodeFile(*bytes) : NewFile();
            std::optional<std::string> text;
            if (bytes) text = file.text;
            const std::string sectionText = AnsiBytesAsUtf8(section);
            for (const auto& [key, value] : values) {
                text = WithProfileValue(text, sectionText, AnsiBytesAsUtf8(key),
                                        AnsiBytesAsUtf8(value));
                if (!text) return std::nullopt;
            }
            if (!text) return std::nullopt;
            return EncodeFile(*text, file.encoding);
        },
        0600);
}

}  // namespace vendral::detail

namespace vendral::internal {

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path) {
    return detail::WritePrivateProfileValues(section, {{std::string(key), std::string(value)}},
                                             path);
}

}  // namespace vendral::internal
