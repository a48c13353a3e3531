#include "base/version_resource.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace vendral::detail::version {
namespace {

// The string fields in the order of the file information properties.
constexpr std::array<const char*, 8> kStringKeys = {
    "CompanyName",    "FileDescription",  "FileVersion", "InternalName",
    "LegalCopyright", "OriginalFileName", "ProductName", "ProductVersion"};

constexpr std::uint32_t kResourceTypeVersion = 16;  // RT_VERSION
constexpr std::uint32_t kVersionInfoId = 1;         // VS_VERSION_INFO
constexpr std::size_t kMaxFileSize = 1u << 30;

using Bytes = std::vector<std::uint8_t>;

std::optional<Bytes> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxFileSize) return std::nullopt;
    in.seekg(0);
    Bytes bytes(static_cast<std::size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
    return bytes;
}

// Bounds-checked little- or big-endian reads; every read of file data goes
// through here, so a damaged file ends in "no version" rather than a crash.
class Reader {
  public:
    Reader(const Bytes& bytes, bool bigEndian = false) : bytes_(bytes), big_(bigEndian) {}
    bool Has(std::uint64_t offset, std::uint64_t size) const {
        return offset <= bytes_.size() && size <= bytes_.size() - offset;
    }
    std::optional<std::uint64_t> Unsigned(std::uint64_t offset, int size) const {
        if (!Has(offset, static_cast<std::uint64_t>(size))) return std::nullopt;
        std::uint64_t value = 0;
        for (int i = 0; i < size; ++i) {
            int index = big_ ? i : size - 1 - i;
            value = (value << 8) | bytes_[static_cast<std::size_t>(offset) + index];
        }
        return value;
    }

  private:
    const Bytes& bytes_;
    bool big_;
};

std::optional<Bytes> Slice(const Bytes& bytes, std::uint64_t offset, std::uint64_t size) {
    if (!Reader(bytes).Has(offset, size)) return std::nullopt;
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                 bytes.begin() + static_cast<std::ptrdiff_t>(offset + size));
}

// ---- Windows PE files: resource directory -> RT_VERSION -> first name -> first language.

struct PeSection {
    std::uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

std::optional<std::uint64_t> RvaToOffset(const std::vector<PeSection>& sections,
                                         std::uint32_t rva) {
    for (const PeSection& s : sections) {
        std::uint32_t span = std::max(s.virtualSize, s.rawSize);
        if (rva >= s.virtualAddress && rva - s.virtualAddress < span) {
            std::uint32_t delta = rva - s.virtualAddress;
            if (delta >= s.rawSize) return std::nullopt;
            return static_cast<std::uint64_t>(s.rawOffset) + delta;
        }
    }
    return std::nullopt;
}

struct DirectoryEntry {
    bool named;
    std::uint32_t id;
    bool subdirectory;
    std::uint32_t offset;  // from the start of the resource section
};

std::vector<DirectoryEntry> ReadDirectory(const Reader& r, std::uint64_t base,
                                          std::uint64_t offset) {
    std::vector<DirectoryEntry> entries;
    auto named = r.Unsigned(base + offset + 12, 2);
    auto ids = r.Unsigned(base + offset + 14, 2);
    if (!named || !ids) return entries;
    std::uint64_t count = *named + *ids;
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t at = base + offset + 16 + i * 8;
        auto name = r.Unsigned(at, 4);
        auto data = r.Unsigned(at + 4, 4);
        if (!name || !data) break;
        entries.push_back({(*name & 0x80000000u) != 0, static_cast<std::uint32_t>(*name & 0xFFFF),
                           (*data & 0x80000000u) != 0,
                           static_cast<std::uint32_t>(*data & 0x7FFFFFFFu)});
    }
    return entries;
}

std::optional<Bytes> PeVersionBlock(const Bytes& file) {
    Reader r(file);
    if (file.size() < 64 || file[0] != 'M' || file[1] != 'Z') return std::nullopt;
    auto pe = r.Unsigned(0x3C, 4);
    if (!pe || !r.Has(*pe, 24) || file[*pe] != 'P' || file[*pe + 1] != 'E' || file[*pe + 2] != 0 ||
        file[*pe + 3] != 0)
        return std::nullopt;
    std::uint64_t coff = *pe + 4;
    auto sectionCount = r.Unsigned(coff + 2, 2);
    auto optionalSize = r.Unsigned(coff + 16, 2);
    std::uint64_t optional = coff + 20;
    auto magic = r.Unsigned(optional, 2);
    if (!sectionCount || !optionalSize || !magic) return std::nullopt;
    std::uint64_t countAt = *magic == 0x20b ? 108 : *magic == 0x10b ? 92 : 0;
    if (countAt == 0) return std::nullopt;
    auto directoryCount = r.Unsigned(optional + countAt, 4);
    if (!directoryCount || *directoryCount < 3) return std::nullopt;
    auto resourceRva = r.Unsigned(optional + countAt + 4 + 2 * 8, 4);
    if (!resourceRva || *resourceRva == 0) return std::nullopt;

    std::vector<PeSection> sections;
    std::uint64_t table = optional + *optionalSize;
    for (std::uint64_t i = 0; i < *sectionCount; ++i) {
        std::uint64_t at = table + i * 40;
        auto vsize = r.Unsigned(at + 8, 4), va = r.Unsigned(at + 12, 4);
        auto rawSize = r.Unsigned(at + 16, 4), raw = r.Unsigned(at + 20, 4);
        if (!vsize || !va || !rawSize || !raw) return std::nullopt;
        sections.push_back({static_cast<std::uint32_t>(*va), static_cast<std::uint32_t>(*vsize),
                            static_cast<std::uint32_t>(*raw),
                            static_cast<std::uint32_t>(*rawSize)});
    }
    auto base = RvaToOffset(sections, static_cast<std::uint32_t>(*resourceRva));
    if (!base) return std::nullopt;

    // Type level: the numbered entry RT_VERSION.
    std::optional<DirectoryEntry> type;
    for (const DirectoryEntry& e : ReadDirectory(r, *base, 0))
        if (!e.named && e.id == kResourceTypeVersion && e.subdirectory) type = e;
    if (!type) return std::nullopt;
    // Name level: VS_VERSION_INFO (1), or else the first entry.
    auto names = ReadDirectory(r, *base, type->offset);
    if (names.empty()) return std::nullopt;
    DirectoryEntry name = names.front();
    for (const DirectoryEntry& e : names)
        if (!e.named && e.id == kVersionInfoId) {
            name = e;
            break;
        }
    if (!name.subdirectory) return std::nullopt;
    // Language level: the first language.
    auto languages = ReadDirectory(r, *base, name.offset);
    if (languages.empty() || languages.front().subdirectory) return std::nullopt;
    std::uint64_t leaf = *base + languages.front().offset;
    auto dataRva = r.Unsigned(leaf, 4), dataSize = r.Unsigned(leaf + 4, 4);
    if (!dataRva || !dataSize || *dataSize == 0) return std::nullopt;
    auto dataOffset = RvaToOffset(sections, static_cast<std::uint32_t>(*dataRva));
    if (!dataOffset) return std::nullopt;
    return Slice(file, *dataOffset, *dataSize);
}

// ---- ELF files: the section named kElfVersionSection.

std::optional<Bytes> ElfVersionBlock(const Bytes& file) {
    if (file.size() < 64 || file[0] != 0x7F || file[1] != 'E' || file[2] != 'L' || file[3] != 'F')
        return std::nullopt;
    bool wide = file[4] == 2;
    if (file[4] != 1 && file[4] != 2) return std::nullopt;
    if (file[5] != 1 && file[5] != 2) return std::nullopt;
    Reader r(file, file[5] == 2);
    auto shoff = r.Unsigned(wide ? 0x28 : 0x20, wide ? 8 : 4);
    auto shentsize = r.Unsigned(wide ? 0x3A : 0x2E, 2);
    auto shnum = r.Unsigned(wide ? 0x3C : 0x30, 2);
    auto shstrndx = r.Unsigned(wide ? 0x3E : 0x32, 2);
    if (!shoff || !shentsize || !shnum || !shstrndx || *shoff == 0 || *shstrndx >= *shnum)
        return std::nullopt;
    struct Section {
        std::uint64_t name, type, offset, size;
    };
    auto section = [&](std::uint64_t index) -> std::optional<Section> {
        std::uint64_t at = *shoff + index * *shentsize;
        auto name = r.Unsigned(at, 4), type = r.Unsigned(at + 4, 4);
        auto offset = r.Unsigned(at + (wide ? 24 : 16), wide ? 8 : 4);
        auto size = r.Unsigned(at + (wide ? 32 : 20), wide ? 8 : 4);
        if (!name || !type || !offset || !size) return std::nullopt;
        return Section{*name, *type, *offset, *size};
    };
    auto names = section(*shstrndx);
    if (!names) return std::nullopt;
    const std::string wanted = kElfVersionSection;
    constexpr std::uint64_t kNoBits = 8;
    for (std::uint64_t i = 0; i < *shnum; ++i) {
        auto s = section(i);
        if (!s || s->type == kNoBits) continue;
        std::uint64_t at = names->offset + s->name;
        if (!r.Has(at, wanted.size() + 1) || s->name >= names->size) continue;
        if (std::equal(wanted.begin(), wanted.end(),
                       file.begin() + static_cast<std::ptrdiff_t>(at)) &&
            file[at + wanted.size()] == 0)
            return Slice(file, s->offset, s->size);
    }
    return std::nullopt;
}

std::size_t Align4(std::size_t offset) {
    return (offset + 3) & ~static_cast<std::size_t>(3);
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16LE text from offset up to the first NUL or limit; *end gets the offset
// after the NUL.
std::string Utf16Text(const Bytes& bytes, std::size_t offset, std::size_t limit,
                      std::size_t* end = nullptr) {
    std::string out;
    std::size_t at = offset;
    limit = std::min(limit, bytes.size());
    while (at + 1 < limit) {
        std::uint32_t unit = bytes[at] | (bytes[at + 1] << 8);
        at += 2;
        if (unit == 0) break;
        if (unit >= 0xD800 && unit < 0xDC00 && at + 1 < limit) {
            std::uint32_t low = bytes[at] | (bytes[at + 1] << 8);
            if (low >= 0xDC00 && low < 0xE000) {
                at += 2;
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                continue;
            }
        }
        if (unit >= 0xD800 && unit < 0xE000) unit = 0xFFFD;
        AppendUtf8(out, unit);
    }
    if (end != nullptr) *end = at;
    return out;
}

bool SameKey(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadVersionBlock(const std::string& path) {
    auto file = ReadWholeFile(path);
    if (!file) return std::nullopt;
    auto block = PeVersionBlock(*file);
    if (!block) block = ElfVersionBlock(*file);
    if (!block || block->size() < 6) return std::nullopt;
    return block;
}

std::optional<VersionBlock::Node> VersionBlock::ParseNode(std::size_t offset,
                                                          std::size_t limit) const {
    Reader r(bytes_);
    auto length = r.Unsigned(offset, 2), valueLength = r.Unsigned(offset + 2, 2);
    auto type = r.Unsigned(offset + 4, 2);
    if (!length || !valueLength || !type || *length < 6) return std::nullopt;
    Node node;
    node.offset = offset;
    node.length = std::min<std::size_t>(*length, limit - offset);
    node.valueLength = static_cast<std::uint16_t>(*valueLength);
    node.type = static_cast<std::uint16_t>(*type);
    std::size_t end = offset + node.length;
    std::size_t keyEnd = 0;
    node.key = Utf16Text(bytes_, offset + 6, end, &keyEnd);
    // A key cut off before its NUL is no key: the bytes after it would be
    // taken for its value.
    if (keyEnd < offset + 8 || bytes_[keyEnd - 2] != 0 || bytes_[keyEnd - 1] != 0)
        return std::nullopt;
    node.valueOffset = Align4(keyEnd);
    std::size_t valueBytes = node.type == 1 ? node.valueLength * 2u : node.valueLength;
    node.childrenOffset = Align4(node.valueOffset + valueBytes);
    return node;
}

std::optional<VersionBlock::Node> VersionBlock::Find(const std::string& path) const {
    auto node = ParseNode(0, bytes_.size());
    std::size_t start = 0;
    while (node && start < path.size()) {
        std::size_t stop = path.find('\\', start);
        if (stop == std::string::npos) stop = path.size();
        std::string key = path.substr(start, stop - start);
        start = stop + 1;
        if (key.empty()) continue;
        std::optional<Node> found;
        std::size_t end = node->offset + node->length;
        for (std::size_t at = node->childrenOffset; at + 6 <= end;) {
            auto child = ParseNode(at, end);
            if (!child) break;
            if (SameKey(child->key, key)) {
                found = child;
                break;
            }
            at = Align4(child->offset + child->length);
        }
        node = found;
    }
    return node;
}

std::optional<std::vector<std::uint8_t>> VersionBlock::QueryBinary(const std::string& path) const {
    auto node = Find(path);
    if (!node) return std::nullopt;
    std::size_t end = node->offset + node->length;
    std::size_t stop = std::min(end, node->valueOffset + node->valueLength);
    if (node->valueOffset > stop) return Bytes{};
    return Bytes(bytes_.begin() + static_cast<std::ptrdiff_t>(node->valueOffset),
                 bytes_.begin() + static_cast<std::ptrdiff_t>(stop));
}

std::optional<std::string> VersionBlock::QueryString(const std::string& path) const {
    auto node = Find(path);
    if (!node) return std::nullopt;
    if (node->valueLength == 0) return std::string();
    // The text runs to its NUL; the value length is not trusted beyond the node.
    return Utf16Text(bytes_, node->valueOffset, node->offset + node->length);
}

std::string LanguageCodePageKey(std::uint16_t language, std::uint16_t codePage) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X",
                  static_cast<unsigned>((static_cast<std::uint32_t>(language) << 16) | codePage));
    return text;
}

std::optional<std::vector<std::string>> StringQueriesFor(
    const std::vector<std::uint8_t>& translation) {
    if (translation.size() < 4) return std::nullopt;
    auto language = static_cast<std::uint16_t>(translation[0] | (translation[1] << 8));
    auto codePage = static_cast<std::uint16_t>(translation[2] | (translation[3] << 8));
    std::string prefix = "\\StringFileInfo\\" + LanguageCodePageKey(language, codePage) + "\\";
    std::vector<std::string> queries;
    for (const char* key : kStringKeys) queries.push_back(prefix + key);
    return queries;
}

}  // namespace vendral::detail::version

namespace vendral::internal {

std::optional<std::array<std::string, 8>> ReadVersionStrings(const std::string& path) {
    using namespace detail::version;
    auto bytes = ReadVersionBlock(path);
    if (!bytes) return std::nullopt;
    VersionBlock block(std::move(*bytes));
    auto translation = block.QueryBinary("\\VarFileInfo\\Translation");
    if (!translation) return std::nullopt;
    auto queries = StringQueriesFor(*translation);
    if (!queries) return std::nullopt;
    std::array<std::string, 8> strings;
    for (std::size_t i = 0; i < strings.size(); ++i)
        // Values are kept whole, however long.
        strings[i] = block.QueryString((*queries)[i]).value_or("");
    return strings;
}

}  // namespace vendral::internal
