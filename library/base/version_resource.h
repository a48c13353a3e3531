// Reading the version resource (VS_VERSIONINFO) of a file: from the resource
// section of a Windows PE file, or from the ".vendral.version" section that
// our build puts into its own ELF files. The block is the same in both.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/internal_export.h"

namespace vendral::detail::version {

// Name of the ELF section that carries the VS_VERSIONINFO block of our own
// libraries and programs.
inline constexpr const char* kElfVersionSection = ".vendral.version";

// The raw VS_VERSIONINFO block of a file; nullopt when the file cannot be read
// or has no version resource.
VENDRAL_TEST_INTERNAL std::optional<std::vector<std::uint8_t>> ReadVersionBlock(
    const std::string& path);

// A query on a version block in the way of the platform's VerQueryValue:
// "\VarFileInfo\Translation" gives the bytes of the translation table,
// "\StringFileInfo\040904B0\CompanyName" the value text (up to its first NUL).
// Keys are compared without regard to ASCII case.
class VENDRAL_TEST_INTERNAL VersionBlock {
  public:
    explicit VersionBlock(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    std::optional<std::vector<std::uint8_t>> QueryBinary(const std::string& path) const;
    std::optional<std::string> QueryString(const std::string& path) const;

  private:
    struct Node {
        std::size_t offset = 0;
        std::size_t length = 0;  // whole node
        std::uint16_t valueLength = 0;
        std::uint16_t type = 0;  // 1 text, 0 binary
        std::string key;
        std::size_t valueOffset = 0;
        std::size_t childrenOffset = 0;
    };
    std::optional<Node> ParseNode(std::size_t offset, std::size_t limit) const;
    std::optional<Node> Find(const std::string& path) const;
    std::vector<std::uint8_t> bytes_;
};

// The eight query paths of the string fields, in the order of the file
// information keys, for the first entry of a translation table; nullopt when
// the table holds no whole entry.
VENDRAL_TEST_INTERNAL std::optional<std::vector<std::string>> StringQueriesFor(
    const std::vector<std::uint8_t>& translation);

// "041304E4" for language 0x0413 and code page 1252.
VENDRAL_TEST_INTERNAL std::string LanguageCodePageKey(std::uint16_t language,
                                                      std::uint16_t codePage);

}  // namespace vendral::detail::version

// Shared with the widget library, whose settings dialog shows the core's version.
namespace vendral::internal {

// The eight string fields of a file's version resource (CompanyName,
// FileDescription, FileVersion, InternalName, LegalCopyright,
// OriginalFilename, ProductName, ProductVersion), each empty where the block
// lacks it; nullopt when the file has no version resource or its translation
// table holds no whole entry. Only the table's first language is read.
VENDRAL_INTERNAL std::optional<std::array<std::string, 8>> ReadVersionStrings(
    const std::string& path);

}  // namespace vendral::internal

namespace vendral::detail::version {
using internal::ReadVersionStrings;
}  // namespace vendral::detail::version

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace version = detail::version;
}  // namespace vendral
