// Test entry point: the project-local ODBC configuration is set up before any
// test touches the driver manager.
#include <gtest/gtest.h>

#include <iostream>

#include "support/test_database.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    vendral::test::PrepareTestProcess(argc, argv);
    bool listing = ::testing::GTEST_FLAG(list_tests);
    if (!listing) {
        try {
            vendral::test::TestOdbc::Instance();
        } catch (const std::exception& error) {
            std::cerr << "test set-up failed: " << error.what() << "\n";
            return 1;
        }
    }
    return RUN_ALL_TESTS();
}
