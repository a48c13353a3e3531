// Scratch folders and whole-file reads and writes for the base tests.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace vendral::test {

// A fresh folder, removed with everything in it at the end of the test.
class BaseScratch {
  public:
    BaseScratch() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vendral-base.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~BaseScratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    BaseScratch(const BaseScratch&) = delete;
    BaseScratch& operator=(const BaseScratch&) = delete;

    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    std::string Path() const { return path_.string(); }

  private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace vendral::test
