// Statements of a megabyte through ExecSQL, CheckSQL and the query helpers: a
// valid one runs and is logged once, an invalid one fails with the driver's
// error and leaves nothing behind.
#include <gtest/gtest.h>

#include "support/test_database.h"

namespace vendral::test {
namespace {

class BoundaryStatementTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        // A skipped or failed engine leaves no database to set up.
        if (!central_) return;
        AttachConnections(db_, *central_);
        db_.AssociateID(12);
        p_ = central_->Prefix();
        central_->Exec("INSERT INTO appointment (appointment_id, text) VALUES (4711, 'old')");
    }
    std::int64_t Logged() {
        return central_->Scalar("SELECT COUNT(*) FROM traveltransactionlog").ToLongLong();
    }
    const std::string megabyte_ = std::string(1 << 20, 'm');
    CDatabase db_;
    std::string p_;
};

TEST_P(BoundaryStatementTest, AMegabyteStatementRunsAndIsLoggedOnce) {
    std::string literal = db_.CheckSQL("it's " + megabyte_).ToString();
    ASSERT_EQ(literal.size(), megabyte_.size() + 6);
    std::string sql = "UPDATE " + p_ +
                      "appointment SET text = 'new' WHERE appointment_id = 4711 "
                      "AND '" +
                      literal + "' <> ''";
    EXPECT_EQ(db_.ExecSQL(sql, 4711), Variant(1000));
    EXPECT_EQ(central_->Scalar("SELECT text FROM appointment").ToString(), "new");
    EXPECT_EQ(Logged(), 1);
    EXPECT_EQ(
        db_.CountRecordsSQL("FROM " + p_ + "appointment WHERE '" + megabyte_ + "' <> ''").ToLong(),
        1);
}

TEST_P(BoundaryStatementTest, AMegabyteOfNonsenseFailsWithTheDriversErrorAndLeavesNothing) {
    EXPECT_THROW(db_.ExecSQL("UPDATE " + p_ + "appointment SET " + megabyte_ + " = 1", 4711),
                 DatabaseError);
    EXPECT_THROW(db_.ExecSQL(megabyte_), DatabaseError);
    EXPECT_EQ(Logged(), 0);
    EXPECT_EQ(central_->Scalar("SELECT text FROM appointment").ToString(), "old");
    EXPECT_FALSE(db_.dDatabase()->InTransaction());
}

VENDRAL_INSTANTIATE_ENGINES(BoundaryStatementTest);

}  // namespace
}  // namespace vendral::test
