// Entry point of the widget tests: a QApplication on the platform the test
// folder asks for (offscreen, or the X server of the test run), then the
// project-local ODBC configuration, then the tests.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <iostream>
#include <memory>
#include <string>

#include "support/test_database.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Settings files of the tests hold passwords; like a careful user's they are
    // readable by their owner only.
    ::umask(077);
    // Listing the tests happens at build time, where there may be no display.
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    // Programs of the x11 test folders need the real X server of the test run;
    // every other widget test runs on the offscreen platform. The program's
    // name tells which, whatever the test runner passes on.
    std::string name = argc > 0 ? argv[0] : "";
    bool realDisplay = name.size() >= 4 && name.compare(name.size() - 4, 4, "_x11") == 0;
    qputenv("QT_QPA_PLATFORM", realDisplay && qEnvironmentVariableIsSet("DISPLAY") ? "xcb" : "offscreen");
    QApplication application(argc, argv);
    try {
        vendral::test::TestOdbc::Instance();
    } catch (const std::exception& error) {
        std::cerr << "test set-up failed: " << error.what() << "\n";
        return 1;
    }
    return RUN_ALL_TESTS();
}
