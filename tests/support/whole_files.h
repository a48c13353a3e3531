// Whole-file reads and writes for the tests: the bytes as they are, no line-end
// translation on any platform.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

namespace vendral::test {

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Empty where the file cannot be read.
inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace vendral::test
