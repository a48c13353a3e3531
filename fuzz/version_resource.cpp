// The version-resource reader: any file (a PE file, an ELF file of ours, or
// garbage) gives a version block or none, never a crash; a block answers the
// queries CFile makes, with values that lie inside the block, keys compared
// without regard to ASCII case, and string queries for every whole
// translation entry. The input is read both as a file and as a block.
#include "base/version_resource.h"

#include <stdlib.h>
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_check.h"

using namespace vendral::detail::version;

namespace {

const std::string& FilePath() {
    static const std::string path = [] {
        const char* base = getenv("TMPDIR");
        std::string pattern =
            std::string(base && *base ? base : "/tmp") + "/vendral-fuzz-pe.XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        return pattern + "/file.exe";
    }();
    return path;
}

std::string OtherCase(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        auto u = static_cast<unsigned char>(c);
        if (std::isupper(u))
            c = static_cast<char>(std::tolower(u));
        else if (std::islower(u))
            c = static_cast<char>(std::toupper(u));
    }
    return out;
}

bool HexKey(const std::string& key) {
    if (key.size() != 8) return false;
    for (char c : key)
        if (!std::isdigit(static_cast<unsigned char>(c)) && (c < 'A' || c > 'F')) return false;
    return true;
}

void Query(const std::vector<std::uint8_t>& bytes) {
    VersionBlock block(bytes);
    auto translation = block.QueryBinary("\\VarFileInfo\\Translation");
    FUZZ_CHECK(translation == block.QueryBinary("\\VARFILEINFO\\translation"),
               "the translation depends on the case of its keys");
    if (!translation) return;
    FUZZ_CHECK(translation->size() <= bytes.size(), "a value larger than its block");
    auto queries = StringQueriesFor(*translation);
    FUZZ_CHECK(queries.has_value() == (translation->size() >= 4),
               "string queries do not match the whole translation entries");
    if (!queries) return;
    FUZZ_CHECK(queries->size() == 8, "not one query per string field");
    const std::string prefix = "\\StringFileInfo\\";
    const std::string language = (*queries)[0].substr(prefix.size(), 8);
    FUZZ_CHECK(HexKey(language), "the language and code page key is no 8-digit hex key");
    FUZZ_CHECK(
        language == LanguageCodePageKey(
                        static_cast<std::uint16_t>((*translation)[0] | ((*translation)[1] << 8)),
                        static_cast<std::uint16_t>((*translation)[2] | ((*translation)[3] << 8))),
        "the key is not the first translation entry's");
    for (const std::string& query : *queries) {
        FUZZ_CHECK(query.rfind(prefix + language + "\\", 0) == 0, "a query of another block");
        auto value = block.QueryString(query);
        FUZZ_CHECK(value == block.QueryString(OtherCase(query)),
                   "a string depends on the case of its keys");
        if (value) {
            FUZZ_CHECK(value->find('\0') == std::string::npos, "a string holds a NUL");
            // UTF-8 of UTF-16 text takes at most 3 bytes for every 2 bytes of the block.
            FUZZ_CHECK(value->size() <= bytes.size() * 3 / 2, "a string larger than its block");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    {
        std::ofstream file(FilePath(), std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    auto block = ReadVersionBlock(FilePath());
    if (block) {
        FUZZ_CHECK(block->size() >= 6 && block->size() <= size, "a block larger than its file");
        Query(*block);
    }
    Query(bytes);
    return 0;
}
