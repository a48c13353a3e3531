// Files in a folder whose name the ANSI code page cannot hold (a user profile
// such as C:\Users\Jürgen, or a Cyrillic one): CFile finds them and reads
// their version strings as it does elsewhere. The program makes the folder and
// copies vendral.dll into it with the system's wide calls; the paths it hands
// to the library are UTF-8, as the library's texts are; the network drive
// calls take a share of such letters. Prints one line per check and
// "SENTINEL ..." at its end.
#include <windows.h>

#include <string>

#include "checks.h"
#include "vendral/cfile.h"

namespace {

using checks::Check;
using checks::Utf8;
using checks::Wide;

std::string OwnFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring own(path, length);
    return Utf8(own.substr(0, own.find_last_of(L'\\')));
}

}  // namespace

int main() {
    const std::string own = OwnFolder();
    // "Jürgen Жук": Latin with an umlaut, and Cyrillic.
    const std::string folder = own + "\\J\xC3\xBCrgen \xD0\x96\xD1\x83\xD0\xBA";
    const std::string library = own + "\\vendral.dll";
    const std::string copy = folder + "\\vendral.dll";
    CreateDirectoryW(Wide(folder).c_str(), nullptr);
    Check("the folder and the copy are made with the wide calls",
          CopyFileW(Wide(library).c_str(), Wide(copy).c_str(), FALSE) != 0,
          std::to_string(GetLastError()));

    vendral::CFile file;
    Check("FileExists finds the copy", file.FileExists(copy));
    Check("FileExists does not find a missing file there",
          !file.FileExists(folder + "\\missing.dll"));
    Check("FolderExists finds the folder", file.FolderExists(folder));
    Check("FolderExists with a trailing backslash finds it", file.FolderExists(folder + "\\"));

    vendral::CFile original;
    original.GetFileInfo(library);
    file.GetFileInfo(copy);
    Check("the original's version strings are read", !original.FileInfo_ProductName().empty());
    Check("the copy's product name is the original's",
          file.FileInfo_ProductName() == original.FileInfo_ProductName(),
          file.FileInfo_ProductName());
    Check("the copy's file version is the original's",
          file.FileInfo_FileVersion() == original.FileInfo_FileVersion(),
          file.FileInfo_FileVersion());

    // The network drives go through the wide WNet calls. Wine maps no network
    // drive (it has no network provider, and says so with 1222 where Windows
    // says 2250, not connected): the system's own codes come back, for a share
    // and a user in any letters as for any other.
    const std::string share = "\\\\server\\J\xC3\xBCrgen \xD0\x96\xD1\x83\xD0\xBA";
    vendral::NullableString user = std::string("J\xC3\xBCrgen");
    vendral::NullableString password;
    Check("a share that cannot be reached is not connected",
          !file.ConnectThisNetworkDrive(share, "Q:", &user, &password));
    const std::int32_t disconnected = file.DisconnectThisNetworkDrive("Q:");
    Check("disconnecting a drive that is not connected gives the system's code",
          disconnected == ERROR_NOT_CONNECTED || disconnected == ERROR_NO_NETWORK,
          std::to_string(disconnected));
    Check("no free drive is connected to a share that cannot be reached",
          file.ConnectNextFreeNetworkDrive(share, user, password).empty());

    DeleteFileW(Wide(copy).c_str());
    RemoveDirectoryW(Wide(folder).c_str());
    return checks::Finish("unicode_paths");
}
