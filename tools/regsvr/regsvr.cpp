// vendral-regsvr [-u] LIBRARY: loads an in-process component server and calls
// its DllRegisterServer (or, with -u, DllUnregisterServer), as the system's
// registration tool does. Exit status 0 on success.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "vendral/com_activation.h"
#include "vendral/com_client.h"

using namespace vendral::com;

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitLoad = 3;
constexpr int kExitFailed = 4;

int Usage(const char* program) {
    std::cerr << "usage: " << program << " [-u] LIBRARY\n"
              << "Registers the classes of LIBRARY in the registry file "
              << vendral::com::RegistryFilePath() << " (-u removes them again).\n";
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    const char* program = argc > 0 ? argv[0] : "vendral-regsvr";
    bool unregister = false;
    std::string library;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-u" || arg == "/u") {
            unregister = true;
        } else if (arg == "-h" || arg == "--help") {
            Usage(program);
            return 0;
        } else if (library.empty() && !arg.empty() && arg[0] != '-') {
            library = arg;
        } else {
            return Usage(program);
        }
    }
    if (library.empty()) return Usage(program);

    // The registration records the absolute path, so load by that path.
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(library, error);
    if (!error && std::filesystem::exists(path)) library = path.lexically_normal().string();
    // A library that others may replace would later run their code in every
    // client; it is not loaded (and so not registered) at all. Removing a
    // registration loads the library too.
    if (std::string unsafe = vendral::com::UnsafeLibraryReason(library); !unsafe.empty()) {
        std::cerr << program << ": refusing " << library << ": " << unsafe << std::endl;
        return kExitLoad;
    }
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        std::cerr << program << ": cannot load " << library << ": " << (why ? why : "unknown error")
                  << std::endl;
        return kExitLoad;
    }
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto function = reinterpret_cast<DllRegisterServerFunction>(dlsym(handle, entry));
    if (!function) {
        std::cerr << program << ": " << library << " has no entry point " << entry << std::endl;
        return kExitLoad;
    }
    HRESULT result = function();
    std::string registry = vendral::com::RegistryFilePath();
    if (FAILED(result)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(result));
        std::cerr << program << ": " << entry << " in " << library << " failed (" << code
                  << "); registry file " << registry << std::endl;
        return kExitFailed;
    }
    std::cout << entry << " in " << library << " succeeded; registry file " << registry
              << std::endl;
    return 0;
}
