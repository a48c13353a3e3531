// Scratch settings files for the settings tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/test_database.h"

namespace vendral::test {

// A path of its own for the running test, with no file there yet.
inline std::string FreshSettingsPath(const std::string& suffix = ".ini") {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name() + suffix;
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    std::string path = TestOdbc::Instance().ScratchPath(name);
    std::filesystem::remove(path);
    return path;
}

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

}  // namespace vendral::test
