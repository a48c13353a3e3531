#include "data/settings_file_access.h"

#include <sys/stat.h>

namespace vendral::detail {

// The group's and the others' read bits.
bool ReadableByOthers(const std::string& file) {
    struct stat status {};
    return ::stat(file.c_str(), &status) == 0 && (status.st_mode & (S_IRGRP | S_IROTH)) != 0;
}

}  // namespace vendral::detail
