// The settings file as other programs on a Windows workstation see it: a value
// outside ASCII written by WriteIniValue reads back unchanged through
// ReadIniValue and through the system's own GetPrivateProfileStringA (ANSI).
// Prints one line per check and "SENTINEL ..." at its end.
//   settings_file.exe FILE
#include <windows.h>

#include <cstdio>
#include <string>

#include "checks.h"
#include "vendral/settings.h"

namespace {

using checks::Check;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string file = argv[1];
    const std::string cheese = "Gruy\xC3\xA8re";  // UTF-8, as the library's texts are
    vendral::WriteIniValue("Central", "PrefixName", cheese, file);
    vendral::WriteIniValue("Central", "UID", "ada", file);
    Check("ReadIniValue reads the value back",
          vendral::ReadIniValue("Central", "PrefixName", "", file, false).ToString() == cheese);
    char ansi[64] = {};
    GetPrivateProfileStringA("Central", "PrefixName", "", ansi, sizeof ansi, file.c_str());
    Check("GetPrivateProfileStringA reads it as ANSI text", std::string(ansi) == "Gruy\xE8re",
          ansi);
    return checks::Finish("settings_file");
}
