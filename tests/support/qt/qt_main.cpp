// Entry point of the widget tests: a QApplication on the platform the test
// folder asks for (offscreen, or the X server of the test run), then the
// project-local ODBC configuration, then the tests.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <iostream>
#include <memory>

#include "support/test_database.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Settings files of the tests hold passwords; like a careful user's they are
    // readable by their owner only.
    ::umask(077);
    // Listing the tests happens at build time, where there may be no display.
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    QApplication application(argc, argv);
    try {
        vendral::test::TestOdbc::Instance();
    } catch (const std::exception& error) {
        std::cerr << "test set-up failed: " << error.what() << "\n";
        return 1;
    }
    return RUN_ALL_TESTS();
}
