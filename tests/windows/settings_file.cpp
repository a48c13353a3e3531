// The settings file as other programs on a Windows workstation see it: a value
// outside ASCII written by WriteIniValue reads back unchanged through
// ReadIniValue and through the system's own GetPrivateProfileStringA, which
// reads ANSI text in the system's code page. Prints one line per check and
// "SENTINEL ..." at its end.
//   settings_file.exe FILE CODE_PAGE
// CODE_PAGE is the ANSI code page the run expects the system to have (1252
// Western, 1251 Cyrillic); the sample value is one that code page holds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "checks.h"
#include "vendral/settings.h"

namespace {

using checks::Check;

struct Sample {
    std::string Utf8;  // as the library's texts are
    std::string Ansi;  // as the code page writes it
};

Sample SampleFor(UINT codePage) {
    if (codePage == 1251) return {"\xD0\x96\xD1\x83\xD0\xBA", "\xC6\xF3\xEA"};  // "Жук"
    return {"Gruy\xC3\xA8re", "Gruy\xE8re"};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string file = argv[1];
    const UINT expected = static_cast<UINT>(std::strtoul(argv[2], nullptr, 10));
    Check("the system's ANSI code page is " + std::to_string(expected), GetACP() == expected,
          std::to_string(GetACP()));
    const Sample sample = SampleFor(expected);
    vendral::WriteIniValue("Central", "PrefixName", sample.Utf8, file);
    vendral::WriteIniValue("Central", "UID", "ada", file);
    Check(
        "ReadIniValue reads the value back",
        vendral::ReadIniValue("Central", "PrefixName", "", file, false).ToString() == sample.Utf8);
    char ansi[64] = {};
    GetPrivateProfileStringA("Central", "PrefixName", "", ansi, sizeof ansi, file.c_str());
    Check("GetPrivateProfileStringA reads it as ANSI text", std::string(ansi) == sample.Ansi, ansi);
    // A value another program wrote in the code page reads back as that text.
    WritePrivateProfileStringA("Central", "DBPrefix", sample.Ansi.c_str(), file.c_str());
    Check("ReadIniValue reads what WritePrivateProfileStringA wrote",
          vendral::ReadIniValue("Central", "DBPrefix", "", file, false).ToString() == sample.Utf8);
    return checks::Finish("settings_file");
}
