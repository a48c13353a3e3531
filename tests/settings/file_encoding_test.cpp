// Settings files written by the original platform: ANSI (Windows-1252) or
// UTF-16 with a byte-order mark, read as they are and written back in kind.
#include <gtest/gtest.h>

#include "settings/settings_files.h"
#include "vendral/settings.h"

namespace vendral::test {
namespace {

std::string Read(const std::string& path, const std::string& key) {
    return ReadIniValue("Central", key, "", path).ToString();
}

std::string Utf16Le(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

std::string Utf16Be(const std::u16string& text) {
    std::string bytes = "\xFE\xFF";
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit >> 8));
        bytes.push_back(static_cast<char>(unit & 0xFF));
    }
    return bytes;
}

TEST(SettingsFileEncoding, AnAnsiFileIsReadAsWindows1252AndWrittenBackInIt) {
    std::string path = FreshSettingsPath();
    // "Søren", "Zürich", "€5" and "“q”" in Windows-1252.
    WriteBytes(path,
               "[Central]\r\nUID=S\xF8ren\r\nDSN=Z\xFCrich\r\nCost=\x80"
               "5\r\nQuote=\x93q\x94\r\n");
    EXPECT_EQ(Read(path, "UID"), "Søren");
    EXPECT_EQ(Read(path, "DSN"), "Zürich");
    EXPECT_EQ(Read(path, "Cost"), "€5");
    EXPECT_EQ(Read(path, "Quote"), "“q”");

    WriteIniValue("Central", "ServerName", "Malmö", path);
    // A character ANSI cannot hold is written as "?", as the ANSI calls do.
    WriteIniValue("Central", "PrefixName", "日本", path);
    EXPECT_EQ(ReadBytes(path),
              "[Central]\r\nUID=S\xF8ren\r\nDSN=Z\xFCrich\r\nCost=\x80"
              "5\r\nQuote=\x93q\x94\r\nServerName=Malm\xF6\r\nPrefixName=??\r\n");
    EXPECT_EQ(Read(path, "ServerName"), "Malmö");
}

TEST(SettingsFileEncoding, AUtf16FileIsReadAndWrittenBackAsUtf16) {
    std::string path = FreshSettingsPath();
    const std::u16string text =
        u"[Central]\r\nDSN=crm\r\nUID=Søren 日本\r\n[Local]\r\nDSN=travel\r\n";
    WriteBytes(path, Utf16Le(text));
    EXPECT_EQ(Read(path, "DSN"), "crm");
    EXPECT_EQ(Read(path, "UID"), "Søren 日本");
    EXPECT_EQ(ReadIniValue("Local", "DSN", "", path).ToString(), "travel");

    WriteIniValue("Central", "PWDC", "Zürich", path);
    WriteIniValue("Central", "DSN", "crm2", path);
    EXPECT_EQ(ReadBytes(path),
              Utf16Le(u"[Central]\r\nDSN=crm2\r\nUID=Søren 日本\r\nPWDC=Zürich\r\n[Local]\r\n"
                      u"DSN=travel\r\n"));

    std::string big = FreshSettingsPath(".be.ini");
    WriteBytes(big, Utf16Be(u"[Central]\nDSN=ünï\n"));
    EXPECT_EQ(Read(big, "DSN"), "ünï");
    WriteIniValue("Central", "UID", "x", big);
    EXPECT_EQ(ReadBytes(big), Utf16Be(u"[Central]\nDSN=ünï\nUID=x\n"));
}

TEST(SettingsFileEncoding, UnicodeFilesStayUtf8AndANulEndsAValue) {
    std::string path = FreshSettingsPath();
    WriteBytes(path, "[Central]\nUID=Søren\n");
    WriteIniValue("Central", "DSN", "Zürich", path);
    EXPECT_EQ(ReadBytes(path), "[Central]\nUID=Søren\nDSN=Zürich\n");
    // A NUL ends the value when written, as a line break does.
    WriteIniValue("Central", "PWD", std::string("abc\0[Evil]\nx=1", 15), path);
    EXPECT_EQ(ReadBytes(path), "[Central]\nUID=Søren\nDSN=Zürich\nPWD=abc\n");
    EXPECT_EQ(Read(path, "PWD"), "abc");
}

// A value that is no UTF-8 is ANSI text: it is stored as the Windows-1252
// characters it stands for, so a UTF-8 file stays UTF-8 and its other keys
// keep their text (stored raw, the bytes made the whole file read as ANSI).
TEST(SettingsFileEncoding, AnAnsiValueWrittenIntoAUtf8FileKeepsTheFileUtf8) {
    std::string path = FreshSettingsPath();
    WriteBytes(path, "\xEF\xBB\xBF[Central]\r\nUID=S\xC3\xB8ren\r\n");
    WriteIniValue("Central", "DSN",
                  "Malm\xF6 \x80"
                  "5",
                  path);
    EXPECT_EQ(ReadBytes(path),
              "\xEF\xBB\xBF[Central]\r\nUID=S\xC3\xB8ren\r\nDSN=Malm\xC3\xB6 \xE2\x82\xAC"
              "5\r\n");
    EXPECT_EQ(Read(path, "UID"), "Søren");
    EXPECT_EQ(Read(path, "DSN"), "Malmö €5");

    // A new file is UTF-8 too, and a section named in ANSI is found by that name.
    std::string fresh = FreshSettingsPath(".new.ini");
    WriteIniValue("Z\xFCrich", "UID", "S\xF8ren", fresh);
    WriteIniValue("Z\xFCrich", "DSN", "Zürich", fresh);
    EXPECT_EQ(ReadBytes(fresh), "[Zürich]\nUID=Søren\nDSN=Zürich\n");
    EXPECT_EQ(ReadIniValue("Z\xFCrich", "UID", "", fresh).ToString(), "Søren");
    EXPECT_EQ(ReadIniValue("Zürich", "DSN", "", fresh).ToString(), "Zürich");
}

}  // namespace
}  // namespace vendral::test
