// Reads a shortcut (.lnk) through the system's shell link object, as the Start
// menu does, and prints its target and working folder, so that the installer
// test runs the program the shortcut really starts. Prints "SENTINEL ..." at
// its end.
//   shortcut_target.exe SHORTCUT
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "checks.h"

namespace {

std::string Utf8(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    using checks::Check;
    if (argc != 2) {
        std::fprintf(stderr, "usage: shortcut_target.exe SHORTCUT\n");
        return 2;
    }
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link));
    Check("the shell link object is created", SUCCEEDED(hr));
    IPersistFile* file = nullptr;
    if (link) link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    hr = file ? file->Load(argv[1], STGM_READ) : E_FAIL;
    Check("the shortcut loads", SUCCEEDED(hr));
    if (SUCCEEDED(hr)) {
        wchar_t target[MAX_PATH] = {}, folder[MAX_PATH] = {};
        Check("the shortcut has a target",
              SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) && target[0]);
        link->GetWorkingDirectory(folder, MAX_PATH);
        std::printf("TARGET %s\nFOLDER %s\n", Utf8(target).c_str(), Utf8(folder).c_str());
    }
    if (file) file->Release();
    if (link) link->Release();
    CoUninitialize();
    return checks::Finish("shortcut_target");
}
