#include "com/library_permissions.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace vendral::com {
namespace {

namespace fs = std::filesystem;

std::string Mode(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

// The complaint about one path, or empty.
std::string WritableByOthers(const fs::path& path, bool folder) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return "";
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) == 0) return "";
    if (folder && (status.st_mode & S_ISVTX) != 0) return "";
    return std::string(folder ? "the folder " : "the file ") + path.string() +
           " may be written by users other than its owner and root (mode " + Mode(status.st_mode) +
           "), so any of them could replace the code it runs; remove " +
           "their write permission (chmod go-w " + path.string() +
           ") or register a library from a protected folder";
}

std::string CheckPath(const fs::path& file) {
    if (std::string reason = WritableByOthers(file, false); !reason.empty()) return reason;
    for (fs::path folder = file.parent_path(); !folder.empty(); folder = folder.parent_path()) {
        if (std::string reason = WritableByOthers(folder, true); !reason.empty()) return reason;
        if (folder == folder.root_path()) break;
    }
    return "";
}

}  // namespace

std::string UnsafeLibraryReason(const std::string& path) {
    // A bare name is found by the loader in the system's folders.
    if (path.find('/') == std::string::npos) return "";
    std::error_code error;
    fs::path absolute = fs::absolute(path, error).lexically_normal();
    if (error) return "";
    if (std::string reason = CheckPath(absolute); !reason.empty()) return reason;
    fs::path resolved = fs::canonical(absolute, error);
    if (error || resolved == absolute) return "";
    return CheckPath(resolved);
}

}  // namespace vendral::com
