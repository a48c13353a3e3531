#include <gtest/gtest.h>

#include "support/test_database.h"

namespace vendral::test {
namespace {

class SequenceTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        // A skipped or failed engine leaves no database to set up.
        if (!central_) return;
        AttachConnections(db_, *central_);
        p_ = central_->Prefix();
    }
    std::int64_t NextId(TestDatabase& database, int row) {
        return database.Scalar("SELECT next_id FROM sequence WHERE id = " + std::to_string(row))
            .ToLongLong();
    }
    CDatabase db_;
    std::string p_;
};

TEST_P(SequenceTest, ReservesTheNextIdWithTheStatementsOfTheCrm) {
    StatementLog log(*db_.dDatabase());
    Variant id = db_.UpdateSequence(9, 0);
    EXPECT_EQ(id, Variant(1000));
    EXPECT_EQ(NextId(*central_, 19), 1001);
    EXPECT_EQ(log.Statements(),
              (std::vector<std::string>{
                  "UPDATE " + p_ + "Sequence SET Next_id = Next_id + 1  WHERE id=19",
                  "Select Next_id FROM " + p_ + "Sequence WHERE ID =19",
                  "SELECT Next_id FROM " + p_ + "Sequence where id =19 and next_id = 1000"}));
    EXPECT_EQ(db_.UpdateSequence(9, 0), Variant(1001));
    EXPECT_EQ(NextId(*central_, 20), 1000) << "only the row of table 9 counts";
    EXPECT_EQ(db_.WorkRecordset().State(), adStateClosed);
    EXPECT_FALSE(db_.dDatabase()->InTransaction());
}

TEST_P(SequenceTest, LocalSelectorCountsOnTheLocalDatabase) {
    TestDatabase local(engine(), Side::Local);
    AttachConnections(db_, *central_, &local);
    local.Exec("UPDATE sequence SET next_id = 50 WHERE id = 15");
    StatementLog log(*db_.LocaldDatabase());
    EXPECT_EQ(db_.UpdateSequence(5, 1), Variant(50));
    EXPECT_EQ(NextId(local, 15), 51);
    EXPECT_EQ(NextId(*central_, 15), 1000);
    ASSERT_FALSE(log.Statements().empty());
    EXPECT_EQ(log.Statements()[0],
              "UPDATE " + local.Prefix() + "Sequence SET Next_id = Next_id + 1  WHERE id=15");
}

TEST_P(SequenceTest, RefusesOtherSelectorsBeforeWriting) {
    TestDatabase local(engine(), Side::Local);
    AttachConnections(db_, *central_, &local);
    for (std::int16_t selector : {2, -1}) {
        try {
            db_.UpdateSequence(9, selector);
            ADD_FAILURE() << "selector " << selector << " was accepted";
        } catch (const DatabaseError& error) {
            EXPECT_NE(std::string(error.what()).find("selector"), std::string::npos);
        }
    }
    EXPECT_EQ(NextId(*central_, 19), 1000);
    EXPECT_EQ(NextId(local, 19), 1000);
}

TEST_P(SequenceTest, MissingRowIsAnErrorAndLeavesNoTransactionOpen) {
    central_->Exec("DELETE FROM sequence WHERE id = 19");
    EXPECT_THROW(db_.UpdateSequence(9, 0), DatabaseError);
    EXPECT_FALSE(db_.dDatabase()->InTransaction());
    EXPECT_EQ(db_.WorkRecordset().State(), adStateClosed);
    EXPECT_EQ(db_.UpdateSequence(5, 0), Variant(1000)) << "the object stays usable";
}

TEST_P(SequenceTest, JoinsTheCallersTransaction) {
    db_.dDatabase()->BeginTrans();
    EXPECT_EQ(db_.UpdateSequence(9, 0), Variant(1000));
    EXPECT_TRUE(db_.dDatabase()->InTransaction()) << "the caller's transaction is not ended";
    db_.dDatabase()->RollbackTrans();
    EXPECT_EQ(NextId(*central_, 19), 1000);
}

TEST_P(SequenceTest, MetadataLookups) {
    EXPECT_EQ(db_.LastGeneratedSequenceID(), "0");

    central_->Exec("INSERT INTO conceptualtable (name, tablenumber) VALUES ('appointment', 9)");
    central_->Exec("INSERT INTO conceptualtable (name, tablenumber) VALUES ('o''brien', 300)");
    central_->Exec("INSERT INTO conceptualtable (name, tablenumber) VALUES ('nulled', NULL)");
    StatementLog log(*db_.dDatabase());
    EXPECT_EQ(db_.GetTableNumber("appointment"), Variant(9));
    EXPECT_EQ(log.Statements().back(),
              "SELECT tablenumber FROM " + p_ + "conceptualtable where name = 'appointment'");
    EXPECT_EQ(db_.GetTableNumber("nosuchtable"), Variant(0));
    EXPECT_EQ(db_.GetTableNumber("nulled"), Variant(0));
    // An apostrophe in the name is doubled instead of ending the literal.
    EXPECT_EQ(db_.GetTableNumber("o'brien"), Variant(300));
    EXPECT_EQ(log.Statements().back(),
              "SELECT tablenumber FROM " + p_ + "conceptualtable where name = 'o''brien'");

    EXPECT_EQ(db_.GetSOVersion(), Variant(0.0)) << "no row";
    central_->Exec("INSERT INTO conceptualdatabase (id, name) VALUES (1, 'CRM5')");
    Variant version = db_.GetSOVersion();
    EXPECT_EQ(version.Type(), VariantType::Double);
    EXPECT_EQ(version, Variant(5.0));
    EXPECT_EQ(log.Statements().back(),
              "SELECT name FROM " + p_ + "conceptualdatabase where id = 1");
    central_->Exec("UPDATE conceptualdatabase SET name = 'CRMX'");
    EXPECT_EQ(db_.GetSOVersion(), Variant(0.0));
    central_->Exec("UPDATE conceptualdatabase SET name = ''");
    EXPECT_EQ(db_.GetSOVersion(), Variant(0.0));
    central_->Exec("UPDATE conceptualdatabase SET name = NULL");
    EXPECT_EQ(db_.GetSOVersion(), Variant(0.0));
}

VENDRAL_INSTANTIATE_ENGINES(SequenceTest);

}  // namespace
}  // namespace vendral::test
