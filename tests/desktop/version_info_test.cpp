#include <gtest/gtest.h>

#include <fstream>

#include "base/version_resource.h"
#include "temp_folder.h"
#include "vendral/cfile.h"

namespace vendral {
namespace {

std::string PeFile(const std::string& name) {
    return std::string(PE_TEST_DIR) + "/" + name;
}

std::vector<std::string> AllStrings(const CFile& file) {
    return {file.FileInfo_CompanyName(),    file.FileInfo_FileDescription(),
            file.FileInfo_FileVersion(),    file.FileInfo_InternalName(),
            file.FileInfo_LegalCopyright(), file.FileInfo_OriginalFileName(),
            file.FileInfo_ProductName(),    file.FileInfo_ProductVersion()};
}

std::vector<std::string> QueriesOf(const std::string& path) {
    auto bytes = version::ReadVersionBlock(path);
    if (!bytes) return {};
    version::VersionBlock block(*bytes);
    auto translation = block.QueryBinary("\\VarFileInfo\\Translation");
    if (!translation) return {};
    return version::StringQueriesFor(*translation).value_or(std::vector<std::string>{});
}

TEST(GetFileInfoTest, NewObjectHoldsEightEmptyStrings) {
    CFile file;
    EXPECT_EQ(AllStrings(file), std::vector<std::string>(8, ""));
}

TEST(GetFileInfoTest, ReadsAllEightKeysOfADutchResource) {
    CFile file;
    file.GetFileInfo(PeFile("dutch.exe"));
    EXPECT_EQ(AllStrings(file),
              (std::vector<std::string>{"Kaasmakerij Noord", "Beheer van afspraken", "3.4.5.6",
                                        "AFSPRAAK", "(c) Kaasmakerij", "afspraak.exe", "Afspraken",
                                        "3.4"}));
}

TEST(GetFileInfoTest, QueriesTheKeysOfTheFirstTranslationInTableOrder) {
    std::vector<std::string> queries = QueriesOf(PeFile("dutch.exe"));
    ASSERT_EQ(queries.size(), 8u);
    EXPECT_EQ(queries.front(), "\\StringFileInfo\\041304E4\\CompanyName");
    EXPECT_EQ(queries[5], "\\StringFileInfo\\041304E4\\OriginalFileName");
    EXPECT_EQ(queries.back(), "\\StringFileInfo\\041304E4\\ProductVersion");
}

TEST(GetFileInfoTest, HighLanguageAndCodePageGiveEightDigits) {
    std::vector<std::string> queries = QueriesOf(PeFile("high.exe"));
    ASSERT_EQ(queries.size(), 8u);
    EXPECT_EQ(queries.front(), "\\StringFileInfo\\F409FDE9\\CompanyName");
    CFile file;
    file.GetFileInfo(PeFile("high.exe"));
    EXPECT_EQ(file.FileInfo_CompanyName(), "High Language");
    EXPECT_EQ(file.FileInfo_FileVersion(), "9.9");
    EXPECT_EQ(file.FileInfo_InternalName(), "");
}

TEST(GetFileInfoTest, MissingKeyGivesEmptyAndTheOthersAsFound) {
    CFile file;
    file.GetFileInfo(PeFile("dutch.exe"));
    file.GetFileInfo(PeFile("abc.exe"));
    EXPECT_EQ(AllStrings(file),
              (std::vector<std::string>{"ABC Company", "The ABC tool", "2.1.0.5", "ABC", "",
                                        "abc.exe", "ABC Suite", "2.1"}));
}

TEST(GetFileInfoTest, FileWithoutResourceOrTranslationLeavesTheEarlierStrings) {
    test::TempFolder temp;
    CFile file;
    file.GetFileInfo(PeFile("abc.exe"));
    std::vector<std::string> abc = AllStrings(file);
    file.GetFileInfo(PeFile("plain.exe"));
    EXPECT_EQ(AllStrings(file), abc);
    file.GetFileInfo(PeFile("notranslation.exe"));
    EXPECT_EQ(AllStrings(file), abc);
    file.GetFileInfo(temp / "missing.exe");
    EXPECT_EQ(AllStrings(file), abc);
    file.GetFileInfo(temp.Write("text.exe", "MZ but nothing more"));
    EXPECT_EQ(AllStrings(file), abc);
    file.GetFileInfo(temp.Path().string());  // a folder
    EXPECT_EQ(AllStrings(file), abc);
}

TEST(GetFileInfoTest, OnlyTheFirstTranslationIsRead) {
    CFile file;
    file.GetFileInfo(PeFile("twolanguages.exe"));
    EXPECT_EQ(file.FileInfo_InternalName(), "ENGLISH");
}

TEST(GetFileInfoTest, LongValuesAreReadWhole) {
    CFile file;
    file.GetFileInfo(PeFile("long.exe"));
    std::string expected;
    for (int i = 0; i < 300; ++i) expected += static_cast<char>('a' + i % 26);
    EXPECT_EQ(file.FileInfo_FileDescription(), expected);
    EXPECT_EQ(file.FileInfo_InternalName(), "LONG");
}

TEST(GetFileInfoTest, TruncatedPeFileIsNoVersionAndNoCrash) {
    test::TempFolder temp;
    std::ifstream in(PeFile("dutch.exe"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 1000u);
    CFile file;
    // Every cut either still holds the whole resource or reads as none.
    for (std::size_t size = 0; size < bytes.size(); size += 97) {
        file.GetFileInfo(temp.Write("cut.exe", bytes.substr(0, size)));
        EXPECT_TRUE(file.FileInfo_CompanyName().empty() ||
                    file.FileInfo_CompanyName() == "Kaasmakerij Noord");
    }
}

TEST(GetFileInfoTest, OurOwnProgramCarriesItsVersion) {
    CFile file;
    file.GetFileInfo(PRODWELL_PATH);
    EXPECT_EQ(file.FileInfo_InternalName(), "Prodwell");
    EXPECT_EQ(file.FileInfo_FileVersion(), VENDRAL_VERSION);
    EXPECT_EQ(file.FileInfo_ProductVersion(), VENDRAL_VERSION);
    EXPECT_EQ(file.FileInfo_ProductName(), "Vendral");
    EXPECT_EQ(file.FileInfo_OriginalFileName(), "prodwell");
    EXPECT_EQ(file.FileInfo_LegalCopyright(), "Copyright (C) Vendral developers");
    auto queries = QueriesOf(PRODWELL_PATH);
    ASSERT_FALSE(queries.empty());
    EXPECT_EQ(queries.front(), "\\StringFileInfo\\040904B0\\CompanyName");
}

}  // namespace
}  // namespace vendral
