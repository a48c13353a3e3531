// ExecSQL when the end of its transaction fails: the change and its log row
// stand or fall together, and a failure never passes for a log id. On
// PostgreSQL the server aborts a caller's transaction for real; the other
// faults are injected by the tests' fault-injecting driver, since no real
// engine fails a commit or the return to autocommit on demand.
#include <gtest/gtest.h>

#include "support/fault_injection.h"
#include "support/test_database.h"
#include "vendral/cdatabase.h"

namespace vendral::test {
namespace {

const std::string kChange = "UPDATE main.appointment SET text = 'new' WHERE appointment_id = 4711";

class ChangeCommitFaultTest : public ::testing::Test {
  protected:
    void SetUp() override {
        central_ = std::make_unique<TestDatabase>(Engine::SQLite);
        central_->Exec("INSERT INTO appointment (appointment_id, text) VALUES (4711, 'old')");
        db_.CentralDatabasePrefix(central_->Prefix());
        db_.dDatabase(ConnectThroughFaultDriver());
        db_.RefillTableCatalogues();
        db_.AssociateID(12);
    }
    long LogRows() {
        return central_->Scalar("SELECT COUNT(*) FROM traveltransactionlog").ToLong();
    }
    std::string Text() {
        return central_->Scalar("SELECT text FROM appointment WHERE appointment_id = 4711")
            .ToString();
    }
    std::unique_ptr<TestDatabase> central_;
    CDatabase db_;
};

// Fault injection: a commit of ExecSQL rolls back, that of the log id's
// reservation or that of the change with its log row.
TEST_F(ChangeCommitFaultTest, ACommitThatRolledBackRaisesAndLeavesNeitherChangeNorLogRow) {
    for (const char* at : {"commit:1", "commit:2"}) {
        SCOPED_TRACE(at);
        {
            InjectedFault fault(at);
            try {
                Variant id = db_.ExecSQL(kChange, 4711);
                FAIL() << "a change that was rolled back returned log id " << id.ToString();
            } catch (const DatabaseError& error) {
                EXPECT_EQ(error.SQLState(), "40001");
            }
        }
        EXPECT_EQ(LogRows(), 0);
        EXPECT_EQ(Text(), "old");
        EXPECT_FALSE(db_.dDatabase()->InTransaction());
    }
    // Tried again, the change is made and logged once.
    Variant id = db_.ExecSQL(kChange, 4711);
    EXPECT_GT(id.ToLong(), 0);
    EXPECT_EQ(LogRows(), 1);
    EXPECT_EQ(Text(), "new");
}

// Fault injection: a transaction's end cannot return the connection to
// autocommit mode. ExecSQL raises, and the connection refuses the next change
// instead of holding it in a transaction nobody commits. ExecSQL ends two
// transactions: the reservation of the log id, then the change with its row.
TEST_F(ChangeCommitFaultTest, AFailedReturnToAutocommitRaisesAndStopsTheNextChange) {
    for (const char* at : {"autocommit-on:1", "autocommit-on:2"}) {
        SCOPED_TRACE(at);
        const bool afterTheChange = std::string(at) == "autocommit-on:2";
        {
            InjectedFault fault(at);
            try {
                Variant id = db_.ExecSQL(kChange, 4711);
                FAIL() << "ExecSQL returned log id " << id.ToString()
                       << " on a connection left in manual-commit mode";
            } catch (const DatabaseError& error) {
                EXPECT_NE(std::string(error.what()).find("could not return to autocommit mode"),
                          std::string::npos)
                    << error.what();
            }
        }
        // Failed at the reservation, nothing changed; after the change, it is
        // committed with its one log row.
        EXPECT_EQ(LogRows(), afterTheChange ? 1 : 0);
        EXPECT_EQ(Text(), afterTheChange ? "new" : "old");
        EXPECT_THROW(db_.ExecSQL("UPDATE main.appointment SET text = 'later' WHERE "
                                 "appointment_id = 4711",
                                 4711),
                     DatabaseError);
        EXPECT_EQ(LogRows(), afterTheChange ? 1 : 0);

        db_.dDatabase()->Close();
        db_.dDatabase(ConnectThroughFaultDriver());
        central_->Exec("DELETE FROM traveltransactionlog");
        central_->Exec("UPDATE appointment SET text = 'old' WHERE appointment_id = 4711");
    }
    // Opened again, the connection takes changes as before.
    EXPECT_GT(db_.ExecSQL(kChange, 4711).ToLong(), 0);
    EXPECT_EQ(LogRows(), 1);
    EXPECT_EQ(Text(), "new");
}

class AbortedCallersTransactionTest : public EngineTest {};

// psqlODBC with "Protocol=7.4-0" leaves errors to the application: after a
// failed statement of the caller the server aborts the caller's transaction.
// ExecSQL in it raises instead of returning a log id, and the commit raises.
TEST_P(AbortedCallersTransactionTest, AChangeInATransactionTheServerAbortedRaises) {
    if (engine() != Engine::PostgreSQL)
        GTEST_SKIP() << "SQLite keeps a transaction alive after an error in it";
    const std::string p = central_->Prefix();
    central_->Exec("INSERT INTO appointment (appointment_id, text) VALUES (4711, 'old')");
    CDatabase db;
    db.CentralDatabasePrefix(p);
    db.dDatabase(std::make_shared<Connection>());
    db.dDatabase()->Open(central_->ConnectionString() + ";Protocol=7.4-0");
    db.RefillTableCatalogues();
    db.AssociateID(12);

    db.dDatabase()->BeginTrans();
    db.ExecSQL("UPDATE " + p + "appointment SET text = 'first' WHERE appointment_id = 4711", 4711);
    EXPECT_THROW(db.dDatabase()->Execute("UPDATE " + p + "no_such_table SET n = 1"), DatabaseError);
    EXPECT_THROW(
        db.ExecSQL("UPDATE " + p + "appointment SET text = 'second' WHERE appointment_id = 4711",
                   4711),
        DatabaseError);
    EXPECT_THROW(db.dDatabase()->CommitTrans(), DatabaseError);
    EXPECT_FALSE(db.dDatabase()->InTransaction());
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM traveltransactionlog").ToLong(), 0);
    EXPECT_EQ(
        central_->Scalar("SELECT text FROM appointment WHERE appointment_id = 4711").ToString(),
        "old");
    // The connection goes on in autocommit mode.
    EXPECT_GT(db.ExecSQL("UPDATE " + p +
                             "appointment SET text = 'third' WHERE "
                             "appointment_id = 4711",
                         4711)
                  .ToLong(),
              0);
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM traveltransactionlog").ToLong(), 1);
}

VENDRAL_INSTANTIATE_ENGINES(AbortedCallersTransactionTest);

}  // namespace
}  // namespace vendral::test
