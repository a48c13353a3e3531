// Private-profile ("INI") files with the platform's semantics: sections and
// keys matched without regard to case, blanks around names and values
// ignored, the first of duplicate keys wins, one pair of matching outer quotes
// taken off a value, and writes that change one line and keep every other
// line, comment and blank of the file as it was.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/internal_export.h"

// The widget library's settings dialog saves each value through this, to
// tell whether it was written.
namespace vendral::internal {

// Sets key in section to value, creating the file (readable by its owner
// only), the section and the key as needed; atomic. A value is one line: a
// line break ends it. Returns false when nothing was written (bad names,
// read-only file, missing folder); the file is then unchanged.
VENDRAL_INTERNAL bool WritePrivateProfileString(std::string_view section, std::string_view key,
                                                std::string_view value, const std::string& path);

}  // namespace vendral::internal

namespace vendral::detail {

// True where a settings file without a byte-order mark is ANSI text, as the
// system's A-suffixed profile functions leave it (Windows); false where such
// a file is UTF-8 unless its bytes are no UTF-8 (here).
bool SettingsFilesInAnsi();

// ANSI text of settings files: on Windows the system's ANSI code page, as the
// A-suffixed profile functions read and write it; elsewhere Windows-1252, the
// code page of the original platform's Western workstations. A character the
// code page cannot hold is written as "?", as the system's ANSI calls write
// it; a byte that was no UTF-8 (U+DC80 + byte) goes back as it was.
std::string AnsiFileTextToUtf8(std::string_view bytes);
std::string Utf8ToAnsiFileText(std::string_view text);

// The value of key in section, at most bufferSize - 1 characters (code
// points), as a buffer of bufferSize characters holding a terminating NUL
// would take it; defaultValue when the file, section or key is missing or the
// value is empty.
VENDRAL_TEST_INTERNAL std::string GetPrivateProfileString(std::string_view section,
                                                          std::string_view key,
                                                          std::string_view defaultValue,
                                                          std::size_t bufferSize,
                                                          const std::string& path);

using internal::WritePrivateProfileString;

// Sets several keys of one section in one atomic replacement of the file, in
// the order given; all or none of them are written.
VENDRAL_TEST_INTERNAL bool WritePrivateProfileValues(
    std::string_view section, const std::vector<std::pair<std::string, std::string>>& values,
    const std::string& path);

// Files are read as UTF-8 (with or without signature), UTF-16 with a
// byte-order mark, or else as ANSI (the code page of AnsiFileTextToUtf8), and
// written back in the encoding they were found in; a new file is UTF-8 here
// and ANSI on Windows. Names and values are UTF-8; bytes among them that are
// no UTF-8 are taken as ANSI text, so a file never changes its encoding
// through a write.

// The text of a file after setting key in section to value (the editing step
// of WritePrivateProfileString); nullopt for names that cannot be written.
VENDRAL_TEST_INTERNAL std::optional<std::string> WithProfileValue(
    const std::optional<std::string>& contents, std::string_view section, std::string_view key,
    std::string_view value);

}  // namespace vendral::detail

// The library's own code names these without the detail qualifier.
namespace vendral {
using namespace detail;
}  // namespace vendral
