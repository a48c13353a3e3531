// Scratch settings files for the settings tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_database.h"
#include "support/whole_files.h"

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

}  // namespace vendral::test
