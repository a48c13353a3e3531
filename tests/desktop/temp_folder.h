// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace vendral::test {

class TempFolder {
  public:
    TempFolder() {
#ifdef _WIN32
        // No mkdtemp here: a random name, taken when no folder has it yet.
        std::random_device random;
        do {
            path_ = std::filesystem::temp_directory_path() /
                    ("vendral-desktop." + std::to_string(random()));
        } while (!std::filesystem::create_directory(path_));
#else
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vendral-desktop.XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
#endif
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const {
        return path_;
    }
    std::string operator/(const std::string& name) const {
        return (path_ / name).string();
    }
    std::string Write(const std::string& name, const std::string& text = "x") const {
        std::ofstream(path_ / name) << text;
        return (path_ / name).string();
    }
    std::string Folder(const std::string& name) const {
        std::filesystem::create_directories(path_ / name);
        return (path_ / name).string();
    }

  private:
    std::filesystem::path path_;
};

}  // namespace vendral::test
