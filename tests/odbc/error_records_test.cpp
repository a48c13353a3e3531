// What a caller can tell from the errors of the data objects: its own mistakes
// as UsageError, failures of the database as plain DatabaseError, and every
// diagnostic record of a failing call.
#include <gtest/gtest.h>

#include "support/test_database.h"
#include "vendral/connection.h"

namespace vendral::test {
namespace {

bool IsUsageError(const DatabaseError& error) {
    return dynamic_cast<const UsageError*>(&error) != nullptr;
}

TEST(ErrorRecords, FirstRecordAccessorsAndTheMessageCoverEveryRecord) {
    const DatabaseError error({{"first text", "01000", 7}, {"second text", "42P01", 9}});
    EXPECT_EQ(error.Description(), "first text");
    EXPECT_EQ(error.SQLState(), "01000");
    EXPECT_EQ(error.NativeError(), 7);
    ASSERT_EQ(error.Records().size(), 2u);
    EXPECT_EQ(error.Records()[1].Description, "second text");
    EXPECT_EQ(error.Records()[1].SQLState, "42P01");
    EXPECT_EQ(error.Records()[1].NativeError, 9);
    EXPECT_STREQ(error.what(), "[01000] first text\n[42P01] second text");

    const DatabaseError empty(std::vector<ErrorRecord>{});
    ASSERT_EQ(empty.Records().size(), 1u);
    EXPECT_EQ(empty.Description(), "Unknown database error");
    EXPECT_EQ(empty.SQLState(), "HY000");
}

class ErrorRecordsTest : public EngineTest {};

TEST_P(ErrorRecordsTest, AFailedStatementHandsOverEveryRecordTheDriverLeft) {
    auto connection = central_->Connect();
    try {
        connection->Execute("SELECT no_such_column FROM no_such_table");
        FAIL() << "the statement should fail";
    } catch (const DatabaseError& error) {
        EXPECT_FALSE(IsUsageError(error)) << error.what();
        ASSERT_FALSE(error.Records().empty());
        // The connection's error list and the exception hold the same records.
        ASSERT_EQ(connection->Errors().Count(), error.Records().size());
        std::string joined;
        for (std::size_t i = 0; i < error.Records().size(); ++i) {
            const ErrorRecord& record = error.Records()[i];
            EXPECT_EQ(record.SQLState.size(), 5u) << record.SQLState;
            EXPECT_FALSE(record.Description.empty());
            EXPECT_EQ(connection->Errors().Item(i).Description, record.Description);
            EXPECT_EQ(connection->Errors().Item(i).SQLState, record.SQLState);
            EXPECT_EQ(connection->Errors().Item(i).NativeError, record.NativeError);
            if (!joined.empty()) joined += "\n";
            joined += "[" + record.SQLState + "] " + record.Description;
        }
        EXPECT_EQ(error.what(), joined);
    }
}

TEST_P(ErrorRecordsTest, ARaisedErrorKeepsItsStateBehindTheNoticesBeforeIt) {
    if (engine() != Engine::PostgreSQL) GTEST_SKIP() << "SQLite raises no errors of its own state";
    auto connection = central_->Connect();
    try {
        // psqlODBC drops the notices of a failing statement and reports the
        // error alone; its state is the one raised.
        connection->Execute(
            "DO $$ BEGIN RAISE NOTICE 'vendral notice'; "
            "RAISE EXCEPTION 'vendral failure' USING ERRCODE = '22012'; END $$");
        FAIL() << "the block should fail";
    } catch (const DatabaseError& error) {
        EXPECT_FALSE(IsUsageError(error));
        ASSERT_FALSE(error.Records().empty());
        EXPECT_EQ(error.SQLState(), "22012") << error.what();
        EXPECT_NE(error.Description().find("vendral failure"), std::string::npos) << error.what();
        EXPECT_EQ(connection->Errors().Count(), error.Records().size());
    }
}

TEST_P(ErrorRecordsTest, CallsOutOfTurnAreUsageErrorsWithTheirOldTexts) {
    Connection closed;
    try {
        closed.Execute("SELECT 1");
        FAIL() << "a closed connection ran a statement";
    } catch (const UsageError& error) {
        EXPECT_STREQ(error.what(), "[08003] Operation is not allowed when the object is closed.");
        EXPECT_EQ(error.NativeError(), 3704);
        EXPECT_EQ(closed.Errors().Count(), 1u);
    }

    auto connection = central_->Connect();
    try {
        connection->Open(central_->ConnectionString());
        FAIL() << "an open connection opened again";
    } catch (const UsageError& error) {
        EXPECT_EQ(error.SQLState(), "08002");
        EXPECT_EQ(error.NativeError(), 3705);
    }
    EXPECT_THROW(connection->CommitTrans(), UsageError);
    connection->BeginTrans();
    try {
        connection->BeginTrans();
        FAIL() << "a second transaction opened";
    } catch (const UsageError& error) {
        EXPECT_EQ(error.Description(), "A transaction is already open on this connection.");
        EXPECT_EQ(error.SQLState(), "25000");
    }
    connection->RollbackTrans();
    try {
        connection->RollbackTrans();
        FAIL() << "a rollback without a transaction went through";
    } catch (const UsageError& error) {
        EXPECT_EQ(error.Description(), "No transaction is open on this connection.");
    }

    Recordset rows;
    EXPECT_THROW(rows.Open("SELECT 1", std::make_shared<Connection>()), UsageError);
    try {
        rows.Close();
        FAIL() << "a closed recordset closed";
    } catch (const UsageError& error) {
        EXPECT_EQ(error.SQLState(), "HY010");
        EXPECT_EQ(error.NativeError(), 3704);
    }
    try {
        rows.CacheSize(0);
        FAIL() << "a cache of no rows was taken";
    } catch (const UsageError& error) {
        EXPECT_STREQ(error.what(), "[HY024] CacheSize must be at least 1, not 0.");
        EXPECT_EQ(error.NativeError(), 3001);
    }
    rows.Open("SELECT 1 AS one", connection);
    try {
        rows.Fields("two");
        FAIL() << "a missing column was found";
    } catch (const UsageError& error) {
        EXPECT_EQ(error.Description(),
                  "Item cannot be found in the collection corresponding to the requested name "
                  "or ordinal: two");
        EXPECT_EQ(error.SQLState(), "07009");
        EXPECT_EQ(error.NativeError(), 3265);
    }
    EXPECT_THROW(rows.Open("SELECT 1", connection), UsageError);
    rows.MoveNext();
    try {
        rows.Fields(0);
        FAIL() << "a field was read past the end";
    } catch (const UsageError& error) {
        EXPECT_EQ(error.SQLState(), "24000");
        EXPECT_EQ(error.NativeError(), 3021);
    }
    rows.Close();
    // A statement the database refuses is its failure, not the caller's misuse.
    try {
        rows.Open("SELECT * FROM no_such_table", connection);
        FAIL() << "a missing table was read";
    } catch (const DatabaseError& error) {
        EXPECT_FALSE(IsUsageError(error)) << error.what();
    }
}

VENDRAL_INSTANTIATE_ENGINES(ErrorRecordsTest);

}  // namespace
}  // namespace vendral::test
