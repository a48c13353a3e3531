// The private-profile reader and writer as the settings room and the widget
// library call them: what a name matches, what a value is, what a buffer
// holds, and that a write changes the named keys and nothing else.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "base/base_files.h"
#include "base/private_profile.h"
#include "base/text.h"

namespace vendral::test {
namespace {

namespace fs = std::filesystem;
using detail::GetPrivateProfileString;
using detail::WritePrivateProfileString;
using detail::WritePrivateProfileValues;

constexpr std::size_t kBuffer = 1000;

std::string Get(const std::string& section, const std::string& key, const std::string& path) {
    return GetPrivateProfileString(section, key, "<default>", kBuffer, path);
}

TEST(PrivateProfileNames, AsciiLettersMatchWithoutCaseOtherLettersAndBlanksAsWritten) {
    BaseScratch folder;
    const std::string path = folder / "names.ini";
    WriteBytes(path, "[Central]\nData Source = crm\n[ÄRGER]\nK=upper\n");
    EXPECT_EQ(Get("CENTRAL", "data source", path), "crm");
    EXPECT_EQ(Get("  central ", " DATA SOURCE\t", path), "crm");
    EXPECT_EQ(Get("Central", "DataSource", path), "<default>");
    EXPECT_EQ(Get("ÄRGER", "k", path), "upper");
    // Only ASCII letters fold: "ärger" is another section, for the writer too.
    EXPECT_EQ(Get("ärger", "K", path), "<default>");
    ASSERT_TRUE(WritePrivateProfileString("ärger", "K", "lower", path));
    EXPECT_EQ(ReadBytes(path),
              "[Central]\nData Source = crm\n[ÄRGER]\nK=upper\n\n[ärger]\nK=lower\n");
    EXPECT_EQ(Get("ärger", "K", path), "lower");
    EXPECT_EQ(Get("ÄRGER", "K", path), "upper");
    // Blanks around the names given to the writer are dropped.
    ASSERT_TRUE(WritePrivateProfileString(" central\t", "  data source ", "other", path));
    EXPECT_EQ(Get("Central", "Data Source", path), "other");
    EXPECT_EQ(ReadBytes(path).find("data source"), std::string::npos);
}

TEST(PrivateProfileValues, EqualsSignsInnerBlanksAndSemicolonsBelongToTheValue) {
    BaseScratch folder;
    const std::string path = folder / "values.ini";
    WriteBytes(path,
               "[Odbc]\n"
               "Connect=DSN=crm;UID=sa;PWD=a=b\n"
               "Path =  C:\\Program Files\\CRM  \n"
               "Note=first ; second\n"
               "; Hidden=x\n"
               "  # Hash=y\n"
               "Padded=\"  kept  \"\n"
               "Blank=   \n");
    EXPECT_EQ(Get("Odbc", "Connect", path), "DSN=crm;UID=sa;PWD=a=b");
    EXPECT_EQ(Get("Odbc", "Path", path), "C:\\Program Files\\CRM");
    EXPECT_EQ(Get("Odbc", "Note", path), "first ; second");
    EXPECT_EQ(Get("Odbc", "Hidden", path), "<default>");
    EXPECT_EQ(Get("Odbc", "Hash", path), "<default>");
    EXPECT_EQ(Get("Odbc", "Padded", path), "  kept  ");
    EXPECT_EQ(Get("Odbc", "Blank", path), "<default>");

    // What is written reads back the same, however many "=" it holds.
    ASSERT_TRUE(WritePrivateProfileString("Odbc", "Connect", "DSN=x;PWD==", path));
    EXPECT_EQ(Get("Odbc", "Connect", path), "DSN=x;PWD==");
    EXPECT_NE(ReadBytes(path).find("\nConnect=DSN=x;PWD==\n"), std::string::npos);
    // Blanks around a value are written, and dropped again by the reader.
    ASSERT_TRUE(WritePrivateProfileString("Odbc", "Note", "  spaced  ", path));
    EXPECT_NE(ReadBytes(path).find("\nNote=  spaced  \n"), std::string::npos);
    EXPECT_EQ(Get("Odbc", "Note", path), "spaced");
}

TEST(PrivateProfileValues, MissingFileSectionKeyOrNameGivesTheDefault) {
    BaseScratch folder;
    const std::string path = folder / "defaults.ini";
    WriteBytes(path, "Top=above every section\n[S]\nK=v\nQuotedEmpty=''\n");
    EXPECT_EQ(Get("S", "K", path), "v");
    EXPECT_EQ(Get("S", "Other", path), "<default>");
    EXPECT_EQ(Get("T", "K", path), "<default>");
    EXPECT_EQ(Get("", "Top", path), "<default>");
    EXPECT_EQ(Get("S", "", path), "<default>");
    EXPECT_EQ(Get("  ", "K", path), "<default>");
    EXPECT_EQ(Get("S", "QuotedEmpty", path), "<default>");
    EXPECT_EQ(Get("S", "K", folder / "missing.ini"), "<default>");
    EXPECT_EQ(Get("S", "K", folder.Path()), "<default>");
    EXPECT_EQ(GetPrivateProfileString("S", "Other", "", kBuffer, path), "");
}

// A buffer of n characters holds n - 1 and the NUL, for a value and for the
// default alike; characters are code points, never cut in the middle.
TEST(PrivateProfileValues, TheBufferSizeCutsValuesAndDefaultsInCharacters) {
    BaseScratch folder;
    const std::string path = folder / "buffer.ini";
    WriteBytes(path, "[S]\nAscii=abcdef\nAccented=ééééé\n");
    EXPECT_EQ(GetPrivateProfileString("S", "Ascii", "dflt", 4, path), "abc");
    EXPECT_EQ(GetPrivateProfileString("S", "Accented", "dflt", 4, path), "ééé");
    EXPECT_EQ(GetPrivateProfileString("S", "Missing", "wxyz", 4, path), "wxy");
    EXPECT_EQ(GetPrivateProfileString("S", "Missing", "ü€z", 3, path), "ü€");
    EXPECT_EQ(GetPrivateProfileString("S", "Ascii", "dflt", 7, path), "abcdef");
    EXPECT_EQ(GetPrivateProfileString("S", "Ascii", "dflt", 1, path), "");
    EXPECT_EQ(GetPrivateProfileString("S", "Ascii", "dflt", 0, path), "");
    EXPECT_EQ(GetPrivateProfileString("S", "Missing", "dflt", 0, path), "");
}

TEST(PrivateProfileWrite, SeveralValuesInOneWriteUpdateInPlaceAndKeepTheRest) {
    BaseScratch folder;
    const std::string path = folder / "several.ini";
    WriteBytes(path, "; top\r\n[Central]\r\nDSN=old\r\nUID=sa\r\n\r\n[Local]\r\nDSN=loc\r\n");
    ASSERT_TRUE(WritePrivateProfileValues(
        "central", {{"dsn", "new"}, {"PWDC", "x"}, {"Timeout", "30"}, {"PWDC", "y"}}, path));
    // In the order given, the last of a repeated key winning; new keys after
    // the section's last key, with the file's own line breaks.
    EXPECT_EQ(ReadBytes(path),
              "; top\r\n[Central]\r\nDSN=new\r\nUID=sa\r\nPWDC=y\r\nTimeout=30\r\n\r\n[Local]\r\n"
              "DSN=loc\r\n");
    EXPECT_EQ(Get("Local", "DSN", path), "loc");

    // A new section goes at the end, after a blank line, and a last line
    // without its break gets one.
    const std::string bare = folder / "bare.ini";
    WriteBytes(bare, "[A]\r\nK=1");
    ASSERT_TRUE(WritePrivateProfileValues("B", {{"M", "3"}, {"N", "4"}}, bare));
    EXPECT_EQ(ReadBytes(bare), "[A]\r\nK=1\r\n\r\n[B]\r\nM=3\r\nN=4\r\n");
}

TEST(PrivateProfileWrite, OneBadNameLeavesTheWholeWriteUndone) {
    BaseScratch folder;
    const std::string path = folder / "all_or_none.ini";
    const std::string original = "[Central]\nDSN=old\n";
    WriteBytes(path, original);
    EXPECT_FALSE(WritePrivateProfileValues("Central", {{"DSN", "new"}, {"Bad=Key", "2"}}, path));
    EXPECT_EQ(ReadBytes(path), original);

    const std::string fresh = folder / "fresh.ini";
    EXPECT_FALSE(WritePrivateProfileValues("Central", {{"DSN", "x"}, {";Key", "y"}}, fresh));
    EXPECT_FALSE(fs::exists(fresh));
    // No temporary file is left beside them either.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
}

TEST(PrivateProfileWrite, NamesThatWouldChangeTheFilesShapeAreRefused) {
    BaseScratch folder;
    const std::string path = folder / "refused.ini";
    const std::string original = "[Central]\nDSN=old\n";
    WriteBytes(path, original);
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"", "K"},         {"  ", "K"},       {"A]B", "K"},      {"A\nB", "K"},
        {"A\rB", "K"},     {"Central", ""},   {"Central", " "},  {"Central", "K=V"},
        {"Central", ";K"}, {"Central", "#K"}, {"Central", "[K"}, {"Central", "K\nL"}};
    for (const auto& [section, key] : refused) {
        EXPECT_FALSE(WritePrivateProfileString(section, key, "v", path))
            << "[" << section << "] " << key;
    }
    EXPECT_EQ(ReadBytes(path), original);
    // A name may hold what only the other kind of name must not.
    ASSERT_TRUE(WritePrivateProfileString("A=B", "K]", "v", path));
    EXPECT_EQ(Get("A=B", "K]", path), "v");
}

TEST(PrivateProfileWrite, AReadOnlyFileIsNotWrittenEvenByItsOwner) {
    BaseScratch folder;
    const std::string path = folder / "readonly.ini";
    WriteBytes(path, "[Central]\nDSN=kept\n");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_FALSE(WritePrivateProfileString("Central", "DSN", "changed", path));
    EXPECT_FALSE(WritePrivateProfileValues("Central", {{"UID", "u"}}, path));
    EXPECT_EQ(ReadBytes(path), "[Central]\nDSN=kept\n");
    EXPECT_EQ(Get("Central", "DSN", path), "kept");
}

// An ANSI file keeps every byte of Windows-1252 through a write, the five
// unassigned ones included (they stand for the C1 controls of the same value).
TEST(PrivateProfileWrite, AnAnsiFileKeepsEveryHighByteAndGetsQuestionMarksForTheRest) {
    BaseScratch folder;
    const std::string path = folder / "ansi.ini";
    std::string high;
    for (int b = 0x80; b < 0x100; ++b) high.push_back(static_cast<char>(b));
    WriteBytes(path, "[S]\r\nAll=" + high + "\r\n");
    ASSERT_TRUE(WritePrivateProfileString("S", "K", "€ Œ ÿ 日本", path));
    EXPECT_EQ(ReadBytes(path), "[S]\r\nAll=" + high + "\r\nK=\x80 \x8C \xFF ??\r\n");
    EXPECT_EQ(Get("S", "K", path), "€ Œ ÿ ??");
    const std::string all = Get("S", "All", path);
    EXPECT_EQ(detail::DecodeUtf8(all).size(), 128u);
    EXPECT_EQ(all.substr(0, 5), "€\xC2\x81");
    EXPECT_EQ(all.substr(all.size() - 4), "þÿ");
}

}  // namespace
}  // namespace vendral::test
