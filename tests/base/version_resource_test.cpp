// The version-resource reader on real files (PE files made by the MinGW-w64
// tools from tests/desktop/pe, our own library, a system program with a
// section added by objcopy) and on blocks built here byte by byte, for the
// shapes no resource compiler writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/base_files.h"
#include "base/version_resource.h"

namespace vendral::test {
namespace {

namespace version = detail::version;
using Bytes = std::vector<std::uint8_t>;
using Strings = std::array<std::string, 8>;

std::string PeFile(const std::string& name) {
    return std::string(PE_TEST_DIR) + "/" + name;
}

// A VS_VERSIONINFO node as the resource compiler lays it out: length, value
// length (in characters for text), type, the key in UTF-16 with its NUL, the
// value and the children, each on a four-byte boundary.
void Pad(Bytes& bytes) {
    while (bytes.size() % 4 != 0) bytes.push_back(0);
}

void AppendUtf16(Bytes& bytes, const std::u16string& text) {
    for (char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
}

Bytes Node(const std::u16string& key, const Bytes& value, std::uint16_t valueLength, bool text,
           const std::vector<Bytes>& children = {}) {
    Bytes bytes = {0,
                   0,
                   static_cast<std::uint8_t>(valueLength & 0xFF),
                   static_cast<std::uint8_t>(valueLength >> 8),
                   text ? std::uint8_t{1} : std::uint8_t{0},
                   0};
    AppendUtf16(bytes, key + u'\0');
    Pad(bytes);
    bytes.insert(bytes.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        Pad(bytes);
        bytes.insert(bytes.end(), child.begin(), child.end());
    }
    bytes[0] = static_cast<std::uint8_t>(bytes.size() & 0xFF);
    bytes[1] = static_cast<std::uint8_t>(bytes.size() >> 8);
    return bytes;
}

Bytes Text(const std::u16string& key, const std::u16string& value) {
    Bytes bytes;
    AppendUtf16(bytes, value + u'\0');
    return Node(key, bytes, static_cast<std::uint16_t>(value.size() + 1), true);
}

// A block with one string table (Dutch, code page 1252) holding the strings.
Bytes Block(const std::vector<Bytes>& strings,
            const Bytes& translation = {0x13, 0x04, 0xE4, 0x04}) {
    return Node(u"VS_VERSION_INFO", {}, 0, false,
                {Node(u"StringFileInfo", {}, 0, true, {Node(u"041304E4", {}, 0, true, strings)}),
                 Node(u"VarFileInfo", {}, 0, true,
                      {Node(u"Translation", translation,
                            static_cast<std::uint16_t>(translation.size()), false)})});
}

TEST(ReadVersionBlock, FindsTheBlockInPeAndElfFilesAndNothingElsewhere) {
    auto pe = version::ReadVersionBlock(PeFile("dutch.exe"));
    ASSERT_TRUE(pe);
    // The root's value is VS_FIXEDFILEINFO: its signature, then FILEVERSION 2,1,0,5.
    auto fixed = version::VersionBlock(*pe).QueryBinary("\\");
    ASSERT_TRUE(fixed);
    ASSERT_EQ(fixed->size(), 52u);
    EXPECT_EQ(Bytes(fixed->begin(), fixed->begin() + 16),
              (Bytes{0xBD, 0x04, 0xEF, 0xFE, 0, 0, 1, 0, 1, 0, 2, 0, 5, 0, 0, 0}));

    auto elf = version::ReadVersionBlock(VENDRAL_LIBRARY_PATH);
    ASSERT_TRUE(elf);
    EXPECT_EQ(version::VersionBlock(*elf).QueryString("\\StringFileInfo\\040904B0\\ProductName"),
              "Vendral");

    BaseScratch folder;
    WriteBytes(folder / "text.exe", "MZ but nothing more");
    WriteBytes(folder / "empty", "");
    EXPECT_EQ(version::ReadVersionBlock(PeFile("plain.exe")), std::nullopt);
    EXPECT_EQ(version::ReadVersionBlock("/bin/true"), std::nullopt);
    EXPECT_EQ(version::ReadVersionBlock(folder / "text.exe"), std::nullopt);
    EXPECT_EQ(version::ReadVersionBlock(folder / "empty"), std::nullopt);
    EXPECT_EQ(version::ReadVersionBlock(folder / "missing"), std::nullopt);
    EXPECT_EQ(version::ReadVersionBlock(folder.Path()), std::nullopt);
}

TEST(ReadVersionStrings, TheEightFieldsInTheirOrderOrNothing) {
    EXPECT_EQ(version::ReadVersionStrings(PeFile("dutch.exe")),
              (Strings{"Kaasmakerij Noord", "Beheer van afspraken", "3.4.5.6", "AFSPRAAK",
                       "(c) Kaasmakerij", "afspraak.exe", "Afspraken", "3.4"}));
    EXPECT_EQ(version::ReadVersionStrings(PeFile("abc.exe")),
              (Strings{"ABC Company", "The ABC tool", "2.1.0.5", "ABC", "", "abc.exe", "ABC Suite",
                       "2.1"}));
    EXPECT_EQ(version::ReadVersionStrings(PeFile("notranslation.exe")), std::nullopt);
    EXPECT_EQ(version::ReadVersionStrings(PeFile("plain.exe")), std::nullopt);

    auto own = version::ReadVersionStrings(VENDRAL_LIBRARY_PATH);
    ASSERT_TRUE(own);
    EXPECT_EQ((*own)[3], "Vendral");
    EXPECT_EQ((*own)[2], VENDRAL_VERSION);
}

// The ELF reader finds the section wherever a linker or objcopy put it.
TEST(ReadVersionStrings, ASectionAddedToAnyElfFileIsRead) {
    BaseScratch folder;
    WriteBytes(folder / "block", [] {
        Bytes block = Block({Text(u"CompanyName", u"Objcopy"), Text(u"InternalName", u"ADDED")});
        return std::string(block.begin(), block.end());
    }());
    const std::string command = "objcopy --add-section .vendral.version=\"" + folder / "block" +
                                "\" /bin/true \"" + folder / "true" + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0);
    auto strings = version::ReadVersionStrings(folder / "true");
    ASSERT_TRUE(strings);
    EXPECT_EQ(*strings, (Strings{"Objcopy", "", "", "ADDED", "", "", "", ""}));
}

TEST(VersionBlock, KeysMatchWithoutRegardToCase) {
    auto bytes = version::ReadVersionBlock(PeFile("dutch.exe"));
    ASSERT_TRUE(bytes);
    version::VersionBlock block(*bytes);
    EXPECT_EQ(block.QueryString("\\stringfileinfo\\041304e4\\internalname"), "AFSPRAAK");
    EXPECT_EQ(block.QueryString("\\StringFileInfo\\040904B0\\InternalName"), std::nullopt);
    auto translation = block.QueryBinary("\\VarFileInfo\\Translation");
    ASSERT_TRUE(translation);
    EXPECT_EQ(*translation, (Bytes{0x13, 0x04, 0xE4, 0x04}));
}

TEST(VersionBlock, TextsAreUtf8UpToTheirFirstNul) {
    const std::u16string smiley = u"\U0001F600";
    version::VersionBlock block(Block({
        Text(u"Accents", u"Søren €"),
        Text(u"Pair", u"x" + smiley + u"y"),
        Text(u"Lone", std::u16string(1, char16_t{0xD800}) + u"x" + char16_t{0xDC00}),
        Text(u"Nul", std::u16string(u"before\0after", 12)),
        Node(u"Empty", {}, 0, true),
    }));
    const std::string table = "\\StringFileInfo\\041304E4\\";
    EXPECT_EQ(block.QueryString(table + "Accents"), "Søren €");
    EXPECT_EQ(block.QueryString(table + "Pair"), "x\xF0\x9F\x98\x80y");
    // Halves of a pair standing alone are no characters.
    EXPECT_EQ(block.QueryString(table + "Lone"), "\xEF\xBF\xBDx\xEF\xBF\xBD");
    EXPECT_EQ(block.QueryString(table + "Nul"), "before");
    EXPECT_EQ(block.QueryString(table + "Empty"), "");
    EXPECT_EQ(block.QueryString(table + "Missing"), std::nullopt);
    EXPECT_EQ(block.QueryString("\\StringFileInfo\\041304E4\\Accents\\Deeper"), std::nullopt);
}

// A block cut anywhere reads a value whole, cut short, or not at all, and
// never beyond its end (the sanitizer build would stop at that).
TEST(VersionBlock, ACutBlockNeverReadsBeyondItsEnd) {
    const Bytes whole = Block({Text(u"CompanyName", u"Kaasmakerij Noord")});
    const std::string query = "\\StringFileInfo\\041304E4\\CompanyName";
    ASSERT_EQ(version::VersionBlock(whole).QueryString(query), "Kaasmakerij Noord");
    for (std::size_t size = 0; size < whole.size(); ++size) {
        version::VersionBlock block(Bytes(whole.begin(), whole.begin() + size));
        std::optional<std::string> value = block.QueryString(query);
        if (value) {
            EXPECT_EQ(std::string("Kaasmakerij Noord").rfind(*value, 0), 0u) << size;
        }
        auto translation = block.QueryBinary("\\VarFileInfo\\Translation");
        if (translation) {
            EXPECT_LE(translation->size(), 4u);
            EXPECT_TRUE(std::equal(translation->begin(), translation->end(), whole.end() - 4))
                << size;
        }
    }
}

TEST(VersionBlock, TheFirstWholeTranslationEntryNamesTheStringTable) {
    EXPECT_EQ(version::StringQueriesFor({0x13, 0x04, 0xE4}), std::nullopt);
    EXPECT_EQ(version::StringQueriesFor({}), std::nullopt);
    auto queries = version::StringQueriesFor({0x09, 0x04, 0xB0, 0x04, 0x13, 0x04, 0xE4, 0x04});
    ASSERT_TRUE(queries);
    EXPECT_EQ(*queries, (std::vector<std::string>{"\\StringFileInfo\\040904B0\\CompanyName",
                                                  "\\StringFileInfo\\040904B0\\FileDescription",
                                                  "\\StringFileInfo\\040904B0\\FileVersion",
                                                  "\\StringFileInfo\\040904B0\\InternalName",
                                                  "\\StringFileInfo\\040904B0\\LegalCopyright",
                                                  "\\StringFileInfo\\040904B0\\OriginalFileName",
                                                  "\\StringFileInfo\\040904B0\\ProductName",
                                                  "\\StringFileInfo\\040904B0\\ProductVersion"}));
    EXPECT_EQ(version::LanguageCodePageKey(0x0409, 0x04B0), "040904B0");
    EXPECT_EQ(version::LanguageCodePageKey(0xF409, 0xFDE9), "F409FDE9");
    EXPECT_EQ(version::LanguageCodePageKey(0x8000, 0x0001), "80000001");
    EXPECT_EQ(version::LanguageCodePageKey(0, 0), "00000000");

    // A table too short for one entry gives no strings at all.
    BaseScratch folder;
    Bytes block = Block({Text(u"CompanyName", u"x")}, {0x13, 0x04});
    WriteBytes(folder / "block", std::string(block.begin(), block.end()));
    const std::string command = "objcopy --add-section .vendral.version=\"" + folder / "block" +
                                "\" /bin/true \"" + folder / "true" + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(version::ReadVersionStrings(folder / "true"), std::nullopt);
}

}  // namespace
}  // namespace vendral::test
