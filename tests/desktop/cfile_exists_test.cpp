#include <gtest/gtest.h>

#include "desktop/path_search.h"
#include "temp_folder.h"
#include "vendral/cfile.h"

namespace vendral {
namespace {

class FileExistsTest : public ::testing::Test {
  protected:
    test::TempFolder temp;
    CFile file;
};

TEST_F(FileExistsTest, FindsFilesAndFoldersAlike) {
    std::string report = temp.Write("report.txt");
    std::string folder = temp.Folder("Temp");
    EXPECT_TRUE(file.FileExists(report));
    EXPECT_TRUE(file.FileExists(folder));  // a folder counts as found
    EXPECT_FALSE(file.FileExists(temp / "missing.txt"));
    EXPECT_FALSE(file.FileExists(""));
}

TEST_F(FileExistsTest, FolderExistsRefusesAFile) {
    std::string report = temp.Write("report.txt");
    EXPECT_FALSE(file.FolderExists(report));
    EXPECT_TRUE(file.FolderExists(temp.Folder("Temp")));
    EXPECT_FALSE(file.FolderExists(temp / "missing"));
}

TEST_F(FileExistsTest, FolderExistsTrimsBlanksAndOneTrailingSeparator) {
    std::string folder = temp.Folder("Temp");
    EXPECT_TRUE(file.FolderExists(folder + "/"));
    EXPECT_TRUE(file.FolderExists("  " + folder + "  "));
    EXPECT_TRUE(file.FolderExists("  " + folder + "/  "));
    // Only one separator goes: the second stays and the search finds nothing.
    EXPECT_FALSE(file.FolderExists(folder + "//"));
    EXPECT_FALSE(file.FolderExists("   "));
}

TEST_F(FileExistsTest, FileExistsTakesThePathAsGiven) {
    std::string folder = temp.Folder("Temp");
    EXPECT_FALSE(file.FileExists(folder + "/"));
    EXPECT_FALSE(file.FileExists(" " + folder));
}

TEST_F(FileExistsTest, TrailingBackslashOfWindowsSettingsIsRemoved) {
    EXPECT_EQ(desktop::StripTrailingBackslash("C:\\Temp\\"), "C:\\Temp");
    EXPECT_EQ(desktop::StripTrailingBackslash("  C:\\Temp  "), "C:\\Temp");
    EXPECT_EQ(desktop::StripTrailingBackslash("C:\\Temp\\\\"), "C:\\Temp\\");
    EXPECT_EQ(desktop::StripTrailingBackslash("\tC:\\Temp"), "\tC:\\Temp");  // spaces only
    EXPECT_EQ(desktop::StripTrailingBackslash(""), "");
    std::string folder = temp.Folder("Temp");
    EXPECT_TRUE(file.FolderExists(folder + "\\"));
}

TEST_F(FileExistsTest, WildcardsSearchTheLastComponent) {
    temp.Folder("Temp");
    EXPECT_FALSE(file.FileExists(temp / "Temp/*.txt"));
    temp.Write("Temp/notes.md");
    EXPECT_FALSE(file.FileExists(temp / "Temp/*.txt"));
    temp.Write("Temp/a.txt");
    EXPECT_TRUE(file.FileExists(temp / "Temp/*.txt"));
    EXPECT_TRUE(file.FileExists(temp / "Temp/?.txt"));
    EXPECT_FALSE(file.FileExists(temp / "Temp/??.txt"));
    EXPECT_TRUE(file.FileExists(temp / "Temp/*"));
    // Wildcards before the last component are not searched.
    EXPECT_FALSE(file.FileExists(temp / "T*/a.txt"));
    // A bracket is an ordinary character, not a character class.
    temp.Write("Temp/[x].log");
    EXPECT_TRUE(file.FileExists(temp / "Temp/[x]*"));
    EXPECT_FALSE(file.FileExists(temp / "Temp/x*"));
}

TEST(WildcardMatchTest, FollowsTheDirectorySearchRules) {
    EXPECT_TRUE(desktop::WildcardMatch("*.*", "README"));
    EXPECT_TRUE(desktop::WildcardMatch("*.txt", ".txt"));
    EXPECT_TRUE(desktop::WildcardMatch("a*b*c", "aXXbYYc"));
    EXPECT_FALSE(desktop::WildcardMatch("a*b*c", "aXXbYY"));
    EXPECT_TRUE(desktop::WildcardMatch("gr??e", "grüße"));  // one ? per character
    EXPECT_FALSE(desktop::WildcardMatch("a.txt", "A.TXT"));
}

}  // namespace
}  // namespace vendral
