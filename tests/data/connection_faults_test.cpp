// The ends of a transaction that fail: the engine rolls back at the commit, or
// the connection cannot return to autocommit mode. PostgreSQL aborts a
// transaction for real after an error when the driver does not roll back the
// failed statement alone; the other faults are injected by the tests'
// fault-injecting driver, since no real engine fails those calls on demand.
#include <gtest/gtest.h>

#include <string>

#include "support/fault_injection.h"
#include "support/test_database.h"
#include "vendral/connection.h"

namespace vendral::test {
namespace {

constexpr const char* kManualCommit =
    "The connection could not return to autocommit mode after a transaction and can no longer "
    "be used; close it and open it again.";

bool Mentions(const DatabaseError& error, const std::string& text) {
    return std::string(error.what()).find(text) != std::string::npos;
}

class AbortedTransactionTest : public EngineTest {};

// psqlODBC with "Protocol=7.4-0" leaves errors to the application: the server
// aborts the transaction, and its COMMIT quietly rolls everything back.
TEST_P(AbortedTransactionTest, ACommitOfATransactionTheServerAbortedRaisesAndKeepsNothing) {
    if (engine() != Engine::PostgreSQL)
        GTEST_SKIP() << "SQLite keeps a transaction alive after an error in it";
    const std::string p = central_->Prefix();
    auto connection = std::make_shared<Connection>();
    connection->Open(central_->ConnectionString() + ";Protocol=7.4-0");
    connection->BeginTrans();
    connection->Execute("INSERT INTO " + p + "contact (contact_id, name) VALUES (1, 'First')");
    // A later statement of one text fails; the server aborts the transaction.
    EXPECT_THROW(connection->Execute("INSERT INTO " + p +
                                     "contact (contact_id, name) VALUES (2, 'Second'); UPDATE " +
                                     p + "no_such_table SET n = 1"),
                 DatabaseError);
    try {
        connection->CommitTrans();
        FAIL() << "a commit that rolled back passed for a success";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.SQLState(), "25P02");
        EXPECT_TRUE(Mentions(error,
                             "The database rolled the transaction back after an earlier "
                             "error in it; nothing of it was committed."))
            << error.what();
    }
    EXPECT_FALSE(connection->InTransaction());
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM contact").ToLong(), 0);
    // Back in autocommit mode: the next change is seen by another connection at once.
    connection->Execute("INSERT INTO " + p + "contact (contact_id, name) VALUES (3, 'Third')");
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM contact").ToLong(), 1);
}

VENDRAL_INSTANTIATE_ENGINES(AbortedTransactionTest);

class TransactionEndFaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        central_ = std::make_unique<TestDatabase>(Engine::SQLite);
        connection_ = ConnectThroughFaultDriver();
    }
    void Insert(int id) {
        connection_->Execute("INSERT INTO main.contact (contact_id, name) VALUES (" +
                             std::to_string(id) + ", 'c')");
    }
    long Contacts() { return central_->Scalar("SELECT COUNT(*) FROM contact").ToLong(); }
    std::unique_ptr<TestDatabase> central_;
    std::shared_ptr<Connection> connection_;
};

TEST_F(TransactionEndFaultTest, TheDriverPassesEverythingThroughWhenNoFaultIsAsked) {
    connection_->BeginTrans();
    Insert(1);
    EXPECT_EQ(Contacts(), 0);  // not committed yet
    connection_->CommitTrans();
    EXPECT_EQ(Contacts(), 1);
    Insert(2);
    EXPECT_EQ(Contacts(), 2);
}

// Fault injection: the engine rolls the transaction back at the commit.
TEST_F(TransactionEndFaultTest, ACommitThatRolledBackRaisesWithTheDriversReason) {
    connection_->BeginTrans();
    Insert(1);
    {
        InjectedFault fault("commit");
        try {
            connection_->CommitTrans();
            FAIL() << "a commit that rolled back passed for a success";
        } catch (const DatabaseError& error) {
            EXPECT_EQ(error.SQLState(), "40001");
            EXPECT_TRUE(Mentions(error, "rolled back instead of committed")) << error.what();
        }
    }
    EXPECT_FALSE(connection_->InTransaction());
    EXPECT_EQ(Contacts(), 0);
    // The connection is back in autocommit mode and usable.
    Insert(2);
    EXPECT_EQ(Contacts(), 1);
}

// Fault injection: the return to autocommit fails after a commit and after a
// rollback. The connection refuses every use until it is opened again, rather
// than hold later changes in a transaction nobody commits.
TEST_F(TransactionEndFaultTest, AFailedReturnToAutocommitLeavesTheConnectionUnusable) {
    for (bool commit : {true, false}) {
        SCOPED_TRACE(commit ? "after a commit" : "after a rollback");
        central_->Exec("DELETE FROM contact");
        connection_->BeginTrans();
        Insert(1);
        {
            InjectedFault fault("autocommit-on");
            try {
                commit ? connection_->CommitTrans() : connection_->RollbackTrans();
                FAIL() << "the connection stayed in manual-commit mode without a word";
            } catch (const DatabaseError& error) {
                EXPECT_EQ(error.SQLState(), "HY000");
                EXPECT_TRUE(Mentions(error, kManualCommit)) << error.what();
                EXPECT_TRUE(Mentions(error, "could not switch autocommit on")) << error.what();
            }
        }
        EXPECT_FALSE(connection_->InTransaction());
        // The commit itself went through; a rollback kept nothing.
        EXPECT_EQ(Contacts(), commit ? 1 : 0);
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                Insert(2);
                FAIL() << "a change was taken on a connection in manual-commit mode";
            } catch (const DatabaseError& error) {
                EXPECT_TRUE(Mentions(error, kManualCommit)) << error.what();
            }
        }
        EXPECT_THROW(connection_->BeginTrans(), DatabaseError);
        Recordset recordset;
        EXPECT_THROW(recordset.Open("SELECT 1", connection_), DatabaseError);
        EXPECT_EQ(Contacts(), commit ? 1 : 0);

        // Opened again, it works in autocommit mode.
        connection_->Close();
        connection_ = ConnectThroughFaultDriver();
        Insert(3);
        EXPECT_EQ(Contacts(), commit ? 2 : 1);
    }
}

}  // namespace
}  // namespace vendral::test
