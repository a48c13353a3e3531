#include "com/registry_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vendral::com {
namespace {

constexpr const char* kHeader = "REGEDIT4";

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::string_view TrimLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    return line;
}

// A quoted text starting at text[pos] == '"'; pos ends after the closing quote.
std::string ReadQuoted(std::string_view text, std::size_t& pos, int lineNumber) {
    std::string out;
    ++pos;
    while (pos < text.size() && text[pos] != '"') {
        if (text[pos] == '\\' && pos + 1 < text.size()) ++pos;
        out.push_back(text[pos++]);
    }
    if (pos >= text.size())
        throw RegistryFormatError("registry file line " + std::to_string(lineNumber) +
                                  ": a quoted text is not closed");
    ++pos;
    return out;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

}  // namespace

std::optional<GUID> ParseGuid(std::string_view text) {
    if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
    if (text.size() != 36) return std::nullopt;
    std::string digits;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash != (text[i] == '-')) return std::nullopt;
        if (dash) continue;
        char c = Lower(text[i]);
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return std::nullopt;
        digits.push_back(c);
    }
    auto hex = [&](std::size_t from, std::size_t count) {
        return std::stoull(digits.substr(from, count), nullptr, 16);
    };
    GUID guid{};
    guid.Data1 = static_cast<std::uint32_t>(hex(0, 8));
    guid.Data2 = static_cast<std::uint16_t>(hex(8, 4));
    guid.Data3 = static_cast<std::uint16_t>(hex(12, 4));
    for (int i = 0; i < 8; ++i) guid.Data4[i] = static_cast<std::uint8_t>(hex(16 + 2 * i, 2));
    return guid;
}

std::string RegistryFilePath() {
    if (const char* named = std::getenv("VENDRAL_REGISTRY"); named && *named) return named;
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg && xdg[0] == '/') {
        config = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        config = std::string(home) + "/.config";
    } else {
        config = "/tmp";
    }
    return config + "/vendral/registry.reg";
}

RegistryFile RegistryFile::Parse(std::string_view text) {
    RegistryFile file;
    std::vector<std::string> lines;
    {
        std::string line;
        std::istringstream in{std::string(text)};
        while (std::getline(in, line)) lines.push_back(line);
    }
    bool headerSeen = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        int number = static_cast<int>(i) + 1;
        std::string_view line = TrimLine(lines[i]);
        if (line.empty()) continue;
        if (!headerSeen) {
            // A UTF-8 byte order mark some editors put first.
            if (line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
            if (line != kHeader)
                throw RegistryFormatError("registry file does not start with " +
                                          std::string(kHeader));
            headerSeen = true;
            continue;
        }
        if (line.front() == ';') {
            if (file.keys_.empty()) {
                file.leading_.emplace_back(line);
            } else {
                file.keys_.back().Lines.push_back({std::string(line), "", false, true});
            }
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']')
                throw RegistryFormatError("registry file line " + std::to_string(number) +
                                          ": a key is not closed with ]");
            file.keys_.push_back({std::string(line.substr(1, line.size() - 2)), {}});
            continue;
        }
        if (file.keys_.empty())
            throw RegistryFormatError("registry file line " + std::to_string(number) +
                                      ": a value outside any key");
        Line value;
        std::size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else if (line.front() == '"') {
            value.Name = ReadQuoted(line, pos, number);
        } else {
            throw RegistryFormatError("registry file line " + std::to_string(number) +
                                      ": neither a key nor a value");
        }
        if (pos >= line.size() || line[pos] != '=')
            throw RegistryFormatError("registry file line " + std::to_string(number) +
                                      ": a value without =");
        ++pos;
        if (pos < line.size() && line[pos] == '"') {
            value.Data = ReadQuoted(line, pos, number);
        } else {
            // dword:, hex: and the like, with continuation lines ending in "\".
            value.IsString = false;
            value.Data = std::string(line.substr(pos));
            while (!value.Data.empty() && value.Data.back() == '\\' && i + 1 < lines.size()) {
                value.Data += "\n" + lines[++i];
                while (!value.Data.empty() && value.Data.back() == '\r') value.Data.pop_back();
            }
        }
        file.keys_.back().Lines.push_back(std::move(value));
    }
    return file;
}

std::string RegistryFile::Text() const {
    std::string out = std::string(kHeader) + "\n\n";
    for (const std::string& comment : leading_) out += comment + "\n";
    if (!leading_.empty()) out += "\n";
    for (const Key& key : keys_) {
        out += "[" + key.Path + "]\n";
        for (const Line& line : key.Lines) {
            if (line.IsComment) {
                out += line.Name + "\n";
                continue;
            }
            out += line.Name.empty() ? "@" : Quote(line.Name);
            out += "=" + (line.IsString ? Quote(line.Data) : line.Data) + "\n";
        }
        out += "\n";
    }
    return out;
}

RegistryFile::Key* RegistryFile::Find(std::string_view key) {
    for (Key& k : keys_)
        if (SameName(k.Path, key)) return &k;
    return nullptr;
}

const RegistryFile::Key* RegistryFile::Find(std::string_view key) const {
    return const_cast<RegistryFile*>(this)->Find(key);
}

bool RegistryFile::HasKey(std::string_view key) const {
    return Find(key) != nullptr;
}

std::optional<std::string> RegistryFile::Value(std::string_view key, std::string_view name) const {
    const Key* k = Find(key);
    if (!k) return std::nullopt;
    for (const Line& line : k->Lines)
        if (!line.IsComment && line.IsString && SameName(line.Name, name)) return line.Data;
    return std::nullopt;
}

void RegistryFile::AddKey(std::string_view key) {
    if (!Find(key)) keys_.push_back({std::string(key), {}});
}

void RegistryFile::SetValue(std::string_view key, std::string_view name, std::string_view value) {
    AddKey(key);
    Key* k = Find(key);
    for (Line& line : k->Lines) {
        if (!line.IsComment && SameName(line.Name, name)) {
            line.Data = value;
            line.IsString = true;
            return;
        }
    }
    k->Lines.push_back({std::string(name), std::string(value), true, false});
}

bool RegistryFile::RemoveKey(std::string_view key) {
    for (auto it = keys_.begin(); it != keys_.end(); ++it) {
        if (SameName(it->Path, key)) {
            keys_.erase(it);
            return true;
        }
    }
    return false;
}

bool RegistryFile::HasSubkeys(std::string_view key) const {
    for (const Key& k : keys_) {
        if (k.Path.size() > key.size() && k.Path[key.size()] == '\\' &&
            SameName(std::string_view(k.Path).substr(0, key.size()), key))
            return true;
    }
    return false;
}

bool RegistryFile::HasValues(std::string_view key) const {
    const Key* k = Find(key);
    if (!k) return false;
    for (const Line& line : k->Lines)
        if (!line.IsComment) return true;
    return false;
}

namespace {

// The bytes of a regular file; a FIFO, a device or a folder in its place is no
// registry, and is refused before a read could wait on it.
std::optional<std::string> ReadRegularFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    std::optional<std::string> text;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        text.emplace();
        char buffer[8192];
        for (;;) {
            ssize_t count = ::read(fd, buffer, sizeof buffer);
            if (count > 0) {
                text->append(buffer, static_cast<std::size_t>(count));
            } else if (count == 0 || errno != EINTR) {
                if (count < 0) text.reset();
                break;
            }
        }
    }
    ::close(fd);
    return text;
}

}  // namespace

std::optional<std::string> ReadRegistryString(const std::string& path, std::string_view key,
                                              std::string_view name) {
    std::optional<std::string> text = ReadRegularFile(path);
    if (!text) return std::nullopt;
    return RegistryFile::Parse(*text).Value(key, name);
}

}  // namespace vendral::com
