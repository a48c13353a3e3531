// Scratch folders, scripts and environment changes for the tests that start
// other programs.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "support/scratch_folder.h"
#include "support/whole_files.h"

namespace vendral::test {

// The desktop tests' scratch folders.
class DesktopScratch : public ScratchFolder {
  public:
    DesktopScratch() : ScratchFolder("desktop") {}
};

inline void WriteScript(const std::string& path, const std::string& body) {
    WriteBytes(path, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
}

// Waits for a file that a started program writes (its last act is a rename,
// so a file that exists is complete). Empty when it never comes.
inline std::optional<std::string> AwaitFile(const std::string& path) {
    for (int i = 0; i < 1000; ++i) {
        if (std::filesystem::exists(path)) return ReadBytes(path);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
}

// Sets (or, with nullopt, removes) an environment variable for the lifetime
// of the object.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        if (old_) {
            ::setenv(name_.c_str(), old_->c_str(), 1);
        } else {
            ::unsetenv(name_.c_str());
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    std::string name_;
    std::optional<std::string> old_;
};

}  // namespace vendral::test
