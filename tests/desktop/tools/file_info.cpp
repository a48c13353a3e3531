// Prints the eight version strings CFile::GetFileInfo reads from a file, one
// "Key=value" line each. Built for Linux (our own reader) and for Windows (the
// system's version functions), so that the Wine tests compare the two on the
// same files.
//   file_info FILE
#include <cstdio>

#include "vendral/cfile.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: file_info FILE\n");
        return 2;
    }
    vendral::CFile file;
    file.GetFileInfo(argv[1]);
    std::printf("CompanyName=%s\n", file.FileInfo_CompanyName().c_str());
    std::printf("FileDescription=%s\n", file.FileInfo_FileDescription().c_str());
    std::printf("FileVersion=%s\n", file.FileInfo_FileVersion().c_str());
    std::printf("InternalName=%s\n", file.FileInfo_InternalName().c_str());
    std::printf("LegalCopyright=%s\n", file.FileInfo_LegalCopyright().c_str());
    std::printf("OriginalFileName=%s\n", file.FileInfo_OriginalFileName().c_str());
    std::printf("ProductName=%s\n", file.FileInfo_ProductName().c_str());
    std::printf("ProductVersion=%s\n", file.FileInfo_ProductVersion().c_str());
    return 0;
}
