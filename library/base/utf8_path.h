// A path from the library's UTF-8 text. A narrow string handed to
// std::filesystem is read in the ANSI code page on Windows, where a folder
// such as C:\Users\Jürgen would name another file or none.
#pragma once

#include <filesystem>
#include <string>

namespace vendral::detail {

inline std::filesystem::path PathFromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// A path back as the library's UTF-8 text (path::string() gives the ANSI code
// page on Windows).
inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace vendral::detail
