// The arguments and statements CDatabase refuses reach the caller as
// UsageError, with their texts unchanged and nothing written; what the
// database itself refuses stays a plain DatabaseError.
#include <gtest/gtest.h>

#include <functional>

#include "data/list_test_support.h"

namespace vendral::test {
namespace {

class UsageErrorsTest : public AttachedDatabaseTest {
  protected:
    // The call's error: a UsageError with this text.
    static void ExpectRefused(const std::function<void()>& call, const std::string& what) {
        try {
            call();
            ADD_FAILURE() << "not refused: " << what;
        } catch (const UsageError& error) {
            EXPECT_EQ(error.what(), what);
        } catch (const DatabaseError& error) {
            ADD_FAILURE() << "refused as a database failure: " << error.what();
        }
    }
};

TEST_P(UsageErrorsTest, RefusedSelectorsListNumbersAndOwners) {
    ExpectRefused([&] { db_.ExecSQL("SELECT 1", 0, 2); },
                  "[HY024] ExecSQL: the connection selector must be 0 (central) or 1 (local), "
                  "not 2.");
    ExpectRefused([&] { db_.UpdateSequence(15, -1); },
                  "[HY024] UpdateSequence: the connection selector must be 0 (central) or 1 "
                  "(local), not -1.");
    ExpectRefused([&] { db_.UpdateTravelTransactionLog(kActionInsert, 12, 5, 1, 3); },
                  "[HY024] UpdateTravelTransactionLog: the connection selector must be 0 "
                  "(central) or 1 (local), not 3.");
    ExpectRefused([&] { db_.GetListID(261, "A"); },
                  "[HY024] ComboType 261 is not a table number from 0 to 260");
    ExpectRefused([&] { db_.GetListID(255, "A"); },
                  "[HY024] ComboType 255 names no table of the catalogue");
    ExpectRefused([&] { db_.GetUDFListID(4, "Field", "A"); },
                  "[HY024] iType 4 is not a user-defined field owner (0 to 3)");
    ExpectRefused([&] { db_.DeletePreference(2); },
                  "[HY024] DeletePreference needs an owner or a condition: deleting every "
                  "preference of a level is not allowed");
    EXPECT_EQ(central_->Scalar("SELECT next_id FROM sequence WHERE id = 15").ToLong(), 1000);
    EXPECT_TRUE(LogRows(*central_).empty());
}

TEST_P(UsageErrorsTest, StatementsTheLogCannotDescribe) {
    ExpectRefused(
        [&] { db_.ExecSQL("DELETE FROM contact; DELETE FROM person"); },
        "[HY000] ExecSQL: several statements in one text cannot be recorded in the travel "
        "transaction log; hand each change to ExecSQL as one INSERT, UPDATE or DELETE "
        "statement.");
    ExpectRefused([&] { db_.ExecSQL("INSERT INTO contact (contact_id, name) VALUES (7, 'A')"); },
                  "[HY000] ExecSQL: an insert without a record id needs \"#\" where the new id "
                  "belongs.");
    central_->Exec("CREATE TABLE scratchpad (scratchpad_id INTEGER PRIMARY KEY)");
    ExpectRefused([&] { db_.ExecSQL("INSERT INTO scratchpad (scratchpad_id) VALUES (#)"); },
                  "[HY000] ExecSQL: the table scratchpad is not in the table catalogue, so no id "
                  "can be reserved for the insert.");
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM contact").ToLong(), 0);
    EXPECT_TRUE(LogRows(*central_).empty());
}

TEST_P(UsageErrorsTest, WhatTheDatabaseRefusesIsNoUsageError) {
    try {
        db_.ExecSQL("UPDATE no_such_table SET x = 1", 5);
        FAIL() << "an update of a missing table went through";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(dynamic_cast<const UsageError*>(&error), nullptr) << error.what();
    }
    try {
        db_.CountRecords("no_such_table");
        FAIL() << "a missing table was counted";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(dynamic_cast<const UsageError*>(&error), nullptr) << error.what();
    }
}

VENDRAL_INSTANTIATE_ENGINES(UsageErrorsTest);

}  // namespace
}  // namespace vendral::test
