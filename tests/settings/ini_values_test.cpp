#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "base/text.h"
#include "settings/settings_files.h"
#include "vendral/settings.h"

namespace vendral::test {
namespace {

namespace fs = std::filesystem;

std::string Read(const std::string& section, const std::string& key, const std::string& path,
                 const std::string& defaultValue = "<default>") {
    return ReadIniValue(section, key, defaultValue, path).ToString();
}

TEST(IniValues, ReadsWithThePlatformsMatchingRules) {
    std::string path = FreshSettingsPath();
    WriteBytes(path,
               "; settings\n"
               "[central]\n"
               "  dsn   =   crm_central   \n"
               "Uid=first\n"
               "UID=second\n"
               "Quoted=\"  padded  \"\n"
               "Single='x'\n"
               "Unbalanced=\"x'\n"
               "DoubleQuoted=\"\"x\"\"\n"
               "Inline=value ; not a comment\n"
               "[Local]\n"
               "DSN=local\n"
               "[CENTRAL]\n"
               "PWDC=from the repeated section\n"
               "DSN=shadowed\n");
    EXPECT_EQ(Read("Central", "DSN", path), "crm_central");
    EXPECT_EQ(Read("CENTRAL", "uid", path), "first");
    EXPECT_EQ(Read("Central", "Quoted", path), "  padded  ");
    EXPECT_EQ(Read("Central", "Single", path), "x");
    EXPECT_EQ(Read("Central", "Unbalanced", path), "\"x'");
    EXPECT_EQ(Read("Central", "DoubleQuoted", path), "\"x\"");
    EXPECT_EQ(Read("Central", "Inline", path), "value ; not a comment");
    EXPECT_EQ(Read("Central", "PWDC", path), "from the repeated section");
    EXPECT_EQ(Read("Local", "DSN", path), "local");
    EXPECT_EQ(Read("Local", "UID", path), "<default>");
    EXPECT_EQ(Read("Other", "DSN", path), "<default>");
    EXPECT_EQ(Read("Central", "DSN", path + ".missing"), "<default>");
}

TEST(IniValues, EmptyValueReadsAsTheDefault) {
    std::string path = FreshSettingsPath();
    WriteBytes(path, "[Central]\nDBPrefix=\nQuotedEmpty=\"\"\n");
    Variant prefix = ReadIniValue("Central", "DBPrefix", "CRM5", path);
    EXPECT_TRUE(prefix.IsString());
    EXPECT_EQ(prefix.ToString(), "CRM5");
    EXPECT_EQ(Read("Central", "QuotedEmpty", path), "<default>");
    EXPECT_EQ(ReadIniValue("Central", "DSN", "", path).ToString(), "");
}

TEST(IniValues, LongValuesAreCutToTheReadersBuffer) {
    std::string path = FreshSettingsPath();
    std::string ascii(1500, 'a');
    std::string accented;
    for (int i = 0; i < 1200; ++i) accented += "é";
    WriteBytes(path, "[Central]\nLong=" + ascii + "\nAccented=" + accented +
                         "\nExact=" + std::string(999, 'b') + "\n");
    EXPECT_EQ(Read("Central", "Long", path), std::string(999, 'a'));
    std::string cut = Read("Central", "Accented", path);
    EXPECT_EQ(DecodeUtf8(cut).size(), 999u);
    EXPECT_EQ(cut, accented.substr(0, 999 * 2));
    EXPECT_EQ(Read("Central", "Exact", path), std::string(999, 'b'));
}

TEST(IniValues, OnlyTheWriteBackReadChangesTheFile) {
    std::string path = FreshSettingsPath();
    const std::string original =
        "[Central]\r\nDSN=crm\r\nDatabaseType=\r\n\r\n[Local]\r\nDSN=loc\r\n";
    WriteBytes(path, original);
    for (const char* key : {"DSN", "UID", "PWD", "DBPrefix", "DatabaseType", "ForceDriver"}) {
        ReadIniValue("Central", key, "FALSE", path, false);
        ReadIniValue("Nowhere", key, "FALSE", path, false);
    }
    ReadIniValue("Central", "DSN", "FALSE", path, true);  // present: nothing to write back
    EXPECT_EQ(ReadBytes(path), original);

    EXPECT_EQ(ReadIniValue("Central", "ForceDriver", "FALSE", path, true).ToString(), "FALSE");
    EXPECT_EQ(ReadBytes(path),
              "[Central]\r\nDSN=crm\r\nDatabaseType=\r\nForceDriver=FALSE\r\n\r\n[Local]\r\n"
              "DSN=loc\r\n");
    // An empty value is written back too: the reader cannot tell it from a missing one.
    ReadIniValue("Central", "DatabaseType", "X", path, true);
    EXPECT_EQ(Read("Central", "DatabaseType", path), "X");
}

TEST(IniValues, WritingKeepsCommentsSpacingCaseAndOrder) {
    std::string path = FreshSettingsPath();
    WriteBytes(path,
               "# written by hand\n"
               "[ Central ]\n"
               "  Dsn   =  old_dsn   ; trailing words stay part of the value\n"
               "\tuid\t=\tsales\n"
               "; about the password\n"
               "pWd=\n"
               "\n"
               "[LOCAL]\n"
               "DSN = local_dsn\n"
               "; last words");
    WriteIniValue("CENTRAL", "DSN", "new_dsn", path);
    WriteIniValue("central", "PWDC", "secret", path);
    WriteIniValue("local", "uid", "traveller", path);
    WriteIniValue("Extra", "Key", "v", path);
    EXPECT_EQ(ReadBytes(path),
              "# written by hand\n"
              "[ Central ]\n"
              "  Dsn   =  new_dsn\n"
              "\tuid\t=\tsales\n"
              "; about the password\n"
              "pWd=\n"
              "PWDC=secret\n"
              "\n"
              "[LOCAL]\n"
              "DSN = local_dsn\n"
              "uid=traveller\n"
              "; last words\n"
              "\n"
              "[Extra]\n"
              "Key=v\n");
    EXPECT_EQ(Read("Central", "UID", path), "sales");
    EXPECT_EQ(Read("Central", "PWDC", path), "secret");
}

TEST(IniValues, WriteUpdatesTheKeyTheReaderSees) {
    // Every shape of file: whatever the writer changes is what the reader then
    // returns, and every other value reads as before.
    const std::vector<std::string> files = {
        "",
        "\n\n",
        "[Central]",
        "[Central]\nDSN=a",
        "\xEF\xBB\xBF[Central]\r\nDSN=a\r\n",
        "DSN=outside\n[Central]\nUID=u\n",
        "[Central]\nDSN=first\nDSN=second\n",
        "[Local]\nDSN=l\n[central]\nUID=u\n[CENTRAL]\nDSN=later\n",
        "[Central\nDSN=broken header\n[Central]\nUID=u\n",
        "[Central]\n;DSN=commented\n#DSN=hash\nDSN\n=nameless\n",
        "[Central]\rDSN=old mac\rUID=u\r",
        "[Local]\nX=1\n\n\n; comment\n",
    };
    const std::vector<std::pair<std::string, std::string>> probes = {
        {"Central", "DSN"}, {"Central", "UID"}, {"Local", "DSN"}, {"Local", "X"}};
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE("file " + std::to_string(i));
        std::string path = FreshSettingsPath("_" + std::to_string(i) + ".ini");
        WriteBytes(path, files[i]);
        for (const auto& [section, key] : probes) {
            std::map<std::pair<std::string, std::string>, std::string> before;
            for (const auto& probe : probes) before[probe] = Read(probe.first, probe.second, path);
            std::string value = "v_" + section + key;
            WriteIniValue(section, key, value, path);
            EXPECT_EQ(Read(section, key, path), value) << ReadBytes(path);
            for (const auto& probe : probes) {
                if (probe == std::pair{section, key}) continue;
                EXPECT_EQ(Read(probe.first, probe.second, path), before[probe])
                    << probe.first << "/" << probe.second << "\n"
                    << ReadBytes(path);
            }
        }
    }
}

TEST(IniValues, AValueIsOneLine) {
    std::string path = FreshSettingsPath();
    WriteIniValue("Central", "PWDC", "abc\n[Central]\nDSN=injected", path);
    EXPECT_EQ(Read("Central", "PWDC", path), "abc");
    EXPECT_EQ(Read("Central", "DSN", path), "<default>");
    WriteIniValue("Central", "Bad=Key", "x", path);
    WriteIniValue("Bad]Section", "Key", "x", path);
    EXPECT_EQ(ReadBytes(path), "[Central]\nPWDC=abc\n");
}

TEST(IniValues, NewFileIsPrivateAndExistingFileKeepsItsMode) {
    std::string path = FreshSettingsPath();
    WriteIniValue("Central", "PWDC", "x", path);
    EXPECT_EQ(ReadBytes(path), "[Central]\nPWDC=x\n");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    WriteIniValue("Central", "DSN", "y", path);
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Read("Central", "DSN", path), "y");
}

TEST(IniValues, FailedWritesLeaveTheOldFile) {
    std::string path = FreshSettingsPath();
    WriteBytes(path, "[Central]\nDSN=kept\n");
    // A read-only file stays as it is, even for a user who could override the mode.
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
    WriteIniValue("Central", "DSN", "changed", path);
    EXPECT_EQ(ReadBytes(path), "[Central]\nDSN=kept\n");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::group_read);

    std::string missingFolder = TestOdbc::Instance().ScratchPath("no_such_folder/settings.ini");
    WriteIniValue("Central", "DSN", "x", missingFolder);
    EXPECT_FALSE(fs::exists(missingFolder));
    EXPECT_EQ(Read("Central", "DSN", missingFolder), "<default>");
}

TEST(IniValues, WritesThroughALinkChangeTheLinkedFile) {
    std::string path = FreshSettingsPath();
    std::string link = path + ".link";
    WriteBytes(path, "[Central]\nDSN=a\n");
    fs::remove(link);
    fs::create_symlink(path, link);
    WriteIniValue("Central", "DSN", "b", link);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(path), "[Central]\nDSN=b\n");
}

}  // namespace
}  // namespace vendral::test
