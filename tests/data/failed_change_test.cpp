// A change that fails after its log row was written leaves neither the row nor
// the change, in a transaction of ExecSQL's own and in one of the caller's.
#include <gtest/gtest.h>

#include "support/test_database.h"

namespace vendral::test {
namespace {

class FailedChangeTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        // A skipped or failed engine leaves no database to set up.
        if (!central_) return;
        AttachConnections(db_, *central_);
        db_.AssociateID(12);
        p_ = central_->Prefix();
        central_->Exec("INSERT INTO appointment (appointment_id, text) VALUES (4711, 'old')");
        central_->Exec("INSERT INTO appointment (appointment_id, text) VALUES (4712, 'old')");
    }
    std::int64_t Count(const std::string& sql) { return central_->Scalar(sql).ToLongLong(); }
    std::string Text(int id) {
        return central_
            ->Scalar("SELECT text FROM appointment WHERE appointment_id = " + std::to_string(id))
            .ToString();
    }
    // The log insert succeeds; the change itself then fails at the server.
    std::string FailingChange() {
        return "UPDATE " + p_ + "appointment SET nosuchcolumn = 'x' WHERE appointment_id = 4712";
    }
    CDatabase db_;
    std::string p_;
};

TEST_P(FailedChangeTest, WithoutACallersTransactionNothingStays) {
    EXPECT_THROW(db_.ExecSQL(FailingChange(), 4712), DatabaseError);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM traveltransactionlog"), 0);
    EXPECT_EQ(Text(4712), "old");
    EXPECT_FALSE(db_.dDatabase()->InTransaction());
}

TEST_P(FailedChangeTest, InACallersTransactionOnlyTheFailedChangeIsUndone) {
    db_.dDatabase()->BeginTrans();
    db_.ExecSQL("UPDATE " + p_ + "appointment SET text = 'new' WHERE appointment_id = 4711", 4711);
    EXPECT_THROW(db_.ExecSQL(FailingChange(), 4712), DatabaseError);
    EXPECT_TRUE(db_.dDatabase()->InTransaction());
    // The caller keeps what went before: its change and that change's log row
    // are committed, the failed one left no row behind to be sent.
    db_.dDatabase()->CommitTrans();
    EXPECT_EQ(Text(4711), "new");
    EXPECT_EQ(Text(4712), "old");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM traveltransactionlog"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM traveltransactionlog WHERE record_id = 4711"), 1);
}

TEST_P(FailedChangeTest, InACallersTransactionARollbackUndoesEverything) {
    db_.dDatabase()->BeginTrans();
    db_.ExecSQL("UPDATE " + p_ + "appointment SET text = 'new' WHERE appointment_id = 4711", 4711);
    EXPECT_THROW(db_.ExecSQL(FailingChange(), 4712), DatabaseError);
    db_.dDatabase()->RollbackTrans();
    EXPECT_EQ(Text(4711), "old");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM traveltransactionlog"), 0);
}

TEST_P(FailedChangeTest, AFailedLogInsertInACallersTransactionLeavesItUsable) {
    // The next log id is taken, so the log insert itself fails; in the caller's
    // transaction it is not retried, and the transaction can still commit.
    central_->Exec(
        "INSERT INTO traveltransactionlog (traveltransactionlog_id, ttime, prev_record_id, type, "
        "associate_id, tablenumber, record_id) VALUES (1001, 0, 0, 0, 0, 0, 0)");
    db_.dDatabase()->BeginTrans();
    db_.ExecSQL("UPDATE " + p_ + "appointment SET text = 'new' WHERE appointment_id = 4711", 4711);
    EXPECT_THROW(
        db_.ExecSQL("UPDATE " + p_ + "appointment SET text = 'lost' WHERE appointment_id = 4712",
                    4712),
        DatabaseError);
    db_.dDatabase()->CommitTrans();
    EXPECT_EQ(Text(4711), "new");
    EXPECT_EQ(Text(4712), "old");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM traveltransactionlog WHERE record_id = 4711"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM traveltransactionlog WHERE record_id = 4712"), 0);
}

VENDRAL_INSTANTIATE_ENGINES(FailedChangeTest);

}  // namespace
}  // namespace vendral::test
