// Settings files at the edges of what a reader meets: very large, binary,
// malformed or with duplicates. Each reads as the platform reads it or as the
// default, and a write keeps every other key.
#include <gtest/gtest.h>

#include <random>

#include "settings/settings_files.h"
#include "vendral/settings.h"

namespace vendral::test {
namespace {

std::string Read(const std::string& section, const std::string& key, const std::string& path) {
    return ReadIniValue(section, key, "<default>", path).ToString();
}

TEST(BoundaryInput, ATenMegabyteFileIsReadAndWritten) {
    std::string path = FreshSettingsPath();
    std::string text = "[Big]\n";
    for (int i = 0; text.size() < 10u * 1024 * 1024; ++i)
        text += "Key" + std::to_string(i) + "=" +
                std::string(200, static_cast<char>('a' + i % 26)) + "\n";
    text += "[Central]\nDSN=crm\n";
    WriteBytes(path, text);

    EXPECT_EQ(Read("Central", "DSN", path), "crm");
    EXPECT_EQ(Read("Big", "Key7", path), std::string(200, 'h'));
    WriteIniValue("Central", "DSN", "other", path);
    EXPECT_EQ(Read("Central", "DSN", path), "other");
    EXPECT_EQ(ReadBytes(path).size(), text.size() + 2);
    EXPECT_EQ(Read("Big", "Key7", path), std::string(200, 'h'));
}

TEST(BoundaryInput, BinaryGarbageReadsAsTheDefaultAndTakesAWrite) {
    std::string path = FreshSettingsPath();
    std::mt19937 random(16);
    std::string garbage;
    for (int i = 0; i < 65536; ++i) garbage.push_back(static_cast<char>(random() & 0xFF));
    WriteBytes(path, garbage);

    EXPECT_EQ(Read("Central", "DSN", path), "<default>");
    WriteIniValue("Central", "DSN", "crm", path);
    EXPECT_EQ(Read("Central", "DSN", path), "crm");
    // The garbage itself is kept: a settings file is never thrown away.
    EXPECT_EQ(ReadBytes(path).substr(0, garbage.size()), garbage);
}

TEST(BoundaryInput, LinesWithoutEqualsSignCarryNothing) {
    std::string path = FreshSettingsPath();
    WriteBytes(path, "[Central]\njust words\nDSN=crm\n=no name\nUID\n");
    EXPECT_EQ(Read("Central", "DSN", path), "crm");
    EXPECT_EQ(Read("Central", "UID", path), "<default>");
    EXPECT_EQ(Read("Central", "just words", path), "<default>");
    WriteIniValue("Central", "UID", "sa", path);
    EXPECT_EQ(Read("Central", "UID", path), "sa");
    EXPECT_EQ(ReadBytes(path), "[Central]\njust words\nDSN=crm\nUID=sa\n=no name\nUID\n");
}

TEST(BoundaryInput, ASectionWithoutItsBracketOpensNoSection) {
    std::string path = FreshSettingsPath();
    WriteBytes(path, "[Local]\nDSN=local\n[Central\nUID=sa\n");
    EXPECT_EQ(Read("Central", "UID", path), "<default>");
    EXPECT_EQ(Read("Local", "UID", path), "sa");
    WriteIniValue("Central", "DSN", "crm", path);
    EXPECT_EQ(Read("Central", "DSN", path), "crm");
    EXPECT_EQ(Read("Local", "DSN", path), "local");
}

TEST(BoundaryInput, AnUnclosedBracketDoesNotSwallowTheNextSection) {
    std::string path = FreshSettingsPath();
    WriteBytes(path, "[Local]\nDSN=local\n[\n[Central]\nDSN=crm\n");
    EXPECT_EQ(Read("Central", "DSN", path), "crm");
    WriteIniValue("Central", "DSN", "other", path);
    EXPECT_EQ(Read("Central", "DSN", path), "other");
    EXPECT_EQ(ReadBytes(path), "[Local]\nDSN=local\n[\n[Central]\nDSN=other\n");
}

TEST(BoundaryInput, ANulEndsItsLineAndHidesNothingBehindIt) {
    std::string path = FreshSettingsPath();
    WriteBytes(path, std::string("[Central]\nDSN=crm\0junk\nUID=sa\n\0[Local]\nDSN=local\n", 49));
    EXPECT_EQ(Read("Central", "DSN", path), "crm");
    EXPECT_EQ(Read("Central", "UID", path), "sa");
    EXPECT_EQ(Read("Local", "DSN", path), "local");
    WriteIniValue("Local", "DSN", "other", path);
    EXPECT_EQ(Read("Local", "DSN", path), "other");
    EXPECT_EQ(Read("Central", "UID", path), "sa");
}

TEST(BoundaryInput, DuplicateKeysAndSectionsTheFirstWinsAndIsWritten) {
    std::string path = FreshSettingsPath();
    WriteBytes(path, "[Central]\nDSN=first\nDSN=second\n[central]\nDSN=third\nUID=sa\n");
    EXPECT_EQ(Read("Central", "DSN", path), "first");
    EXPECT_EQ(Read("Central", "UID", path), "sa");
    WriteIniValue("Central", "DSN", "new", path);
    EXPECT_EQ(Read("Central", "DSN", path), "new");
    EXPECT_EQ(ReadBytes(path), "[Central]\nDSN=new\nDSN=second\n[central]\nDSN=third\nUID=sa\n");
}

}  // namespace
}  // namespace vendral::test
