// A fresh folder for one test, removed with everything in it at the end.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace vendral::test {

class ScratchFolder {
  public:
    // The folder's name starts with "vendral-" and the room of the tests.
    explicit ScratchFolder(const std::string& room = "tests") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / ("vendral-" + room + ".XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    std::string Path() const { return path_.string(); }

  private:
    std::filesystem::path path_;
};

}  // namespace vendral::test
