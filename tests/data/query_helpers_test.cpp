#include <gtest/gtest.h>

#include "support/recording_list.h"
#include "support/test_database.h"
#include "vendral/cdatabase.h"

namespace vendral::test {
namespace {

class QueryHelpersTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (!central_) return;
        local_ = std::make_unique<TestDatabase>(engine(), Side::Local);
        AttachConnections(db_, *central_, local_.get());
        for (int id = 1; id <= 3; ++id) {
            central_->Exec("INSERT INTO appointment (appointment_id, associate_id, type) VALUES (" +
                           std::to_string(id) + ", 7, 1)");
        }
        local_->Exec(
            "INSERT INTO appointment (appointment_id, associate_id, type) VALUES (1, 7, 1)");
        central_->Exec("INSERT INTO syncusers (associate_id) VALUES (12)");
    }
    CDatabase db_;
    std::unique_ptr<TestDatabase> local_;
};

TEST_P(QueryHelpersTest, CountRecordsPutsThePrefixBeforeABareTable) {
    StatementLog log(*db_.dDatabase());
    EXPECT_EQ(db_.CountRecords("appointment").ToLong(), 3);
    ASSERT_EQ(log.Statements().size(), 1u);
    EXPECT_EQ(log.Statements()[0],
              "SELECT COUNT(*) AS CountResult FROM " + central_->Prefix() + "appointment ");
    EXPECT_EQ(db_.WorkRecordset().State(), adStateClosed);
}

TEST_P(QueryHelpersTest, ADottedTableIsKeptAndSelectorOneReadsTheLocalSide) {
    StatementLog log(*db_.LocaldDatabase());
    const std::string table = local_->Prefix() + "appointment";
    EXPECT_EQ(db_.CountRecords(table, "WHERE associate_id = 7", 1).ToLong(), 1);
    EXPECT_EQ(log.Statements().at(0),
              "SELECT COUNT(*) AS CountResult FROM " + table + " WHERE associate_id = 7");
}

TEST_P(QueryHelpersTest, CountRecordsSqlAddsOnlyItsSelect) {
    StatementLog log(*db_.dDatabase());
    const std::string from = "FROM " + central_->Prefix() + "appointment WHERE appointment_id > 1";
    EXPECT_EQ(db_.CountRecordsSQL(from).ToLong(), 2);
    EXPECT_EQ(log.Statements().at(0), "SELECT COUNT(*) AS CountResult " + from);
}

TEST_P(QueryHelpersTest, FirstRecordHelpersReplaceNoRowAndNull) {
    StatementLog log(*db_.dDatabase());
    EXPECT_EQ(db_.GetFirstLongRecord("Syncusers", "associate_id", "where associate_id =12"),
              Variant(12));
    EXPECT_EQ(log.Statements().at(0), "SELECT associate_id FROM " + central_->Prefix() +
                                          "Syncusers where associate_id =12");
    EXPECT_EQ(db_.GetFirstLongRecord("Syncusers", "associate_id", "where associate_id =13"),
              Variant(0));
    EXPECT_EQ(db_.GetFirstTextRecord("appointment", "text", "where appointment_id = 99"),
              Variant(""));
    // Row 1 has a null text and a null registered associate.
    EXPECT_EQ(db_.GetFirstTextRecord("appointment", "text", "where appointment_id = 1"),
              Variant(""));
    EXPECT_EQ(db_.GetFirstLongRecord("appointment", "registered_associate_id",
                                     "where appointment_id = 1"),
              Variant(0));
    central_->Exec("UPDATE appointment SET text = 'Lunch' WHERE appointment_id = 2");
    EXPECT_EQ(db_.GetFirstTextRecord("appointment", "text", "where appointment_id = 2"),
              Variant("Lunch"));
}

TEST_P(QueryHelpersTest, SelectorTwoRunsLocallyWithTheLocalPrefixAndNoFileAdaptation) {
    db_.SysLocaldDatabaseAccess(true);
    StatementLog log(*db_.LocaldDatabase());
    EXPECT_EQ(db_.CountRecords("appointment", "", 2).ToLong(), 1);
    EXPECT_EQ(log.Statements().at(0),
              "SELECT COUNT(*) AS CountResult FROM " + local_->Prefix() + "appointment ");
}

TEST_P(QueryHelpersTest, AFailedQueryNeverBreaksTheNext) {
    EXPECT_THROW(db_.GetFirstLongRecord("appointment", "no_such_column"), DatabaseError);
    EXPECT_EQ(db_.WorkRecordset().State(), adStateClosed);
    EXPECT_EQ(db_.CountRecords("appointment").ToLong(), 3);
}

TEST_P(QueryHelpersTest, FillComboAddsRowsAfterExistingItems) {
    central_->Exec(
        "INSERT INTO category (category_id, name, rank, deleted) VALUES "
        "(1, 'Customer', 1, 0), (2, NULL, 2, 0), (3, 'Supplier', 3, 0)");
    RecordingList list;
    list.AddItem("(none)");
    db_.FillCombo(list,
                  "SELECT category_id, name FROM " + central_->Prefix() + "category ORDER BY rank");
    ASSERT_EQ(list.Items().size(), 4u);
    EXPECT_EQ(list.Items()[1].Text, "Customer");
    EXPECT_EQ(list.Items()[1].Data, Variant(1));
    EXPECT_EQ(list.Items()[2].Text, "");
    EXPECT_EQ(list.Items()[2].Data, Variant(2));
    EXPECT_EQ(list.Items()[3].Text, "Supplier");
    EXPECT_EQ(list.Items()[3].Data, Variant(3));
    EXPECT_TRUE(list.Items()[0].Data.IsEmpty());
}

VENDRAL_INSTANTIATE_ENGINES(QueryHelpersTest);

TEST(QueryHelpersClosedTest, AQueryOnAConnectionNeverOpenedRaisesAndTheNextWorks) {
    CDatabase db;
    EXPECT_THROW(db.CountRecords("appointment"), DatabaseError);
    EXPECT_EQ(db.WorkRecordset().State(), adStateClosed);
    TestDatabase central(Engine::SQLite);
    AttachConnections(db, central);
    EXPECT_EQ(db.CountRecords("appointment").ToLong(), 0);
}

TEST(CheckSqlTest, DoublesQuotesAndBracketsAndTurnsBarsIntoControlCharacters) {
    CDatabase db;
    EXPECT_EQ(db.CheckSQL("plain text"), Variant("plain text"));
    EXPECT_EQ(db.CheckSQL("O'Neil"), Variant("O''Neil"));
    EXPECT_EQ(db.CheckSQL("a[b"), Variant("a[[b"));
    EXPECT_EQ(db.CheckSQL("x|y"), Variant(std::string("x\x18\x18y")));
    EXPECT_EQ(db.CheckSQL("Søren's [x]|"), Variant(std::string("Søren''s [[x]\x18\x18")));
}

// A file database gets no schema prefix: the whole prefix, its dot included, goes.
TEST(PrepareSqlTest, AFileDatabaseSeesNoPrefix) {
    TestDatabase central(Engine::SQLite);
    CDatabase db;
    db.dDatabase(central.Connect());
    db.SysdDatabaseAccess(true);
    StatementLog log(*db.dDatabase());
    EXPECT_EQ(db.CountRecords("sequence").ToLong(), 252);
    EXPECT_EQ(log.Statements().at(0), "SELECT COUNT(*) AS CountResult FROM sequence ");
    EXPECT_EQ(db.CountRecordsSQL("FROM CRM5.sequence, CRM5.conceptualtable").ToLong(), 0);
    EXPECT_EQ(log.Statements().at(1),
              "SELECT COUNT(*) AS CountResult FROM sequence, conceptualtable");
}

// The local side of a file database loses its own prefix on selector 1 only.
TEST(PrepareSqlTest, TheLocalFileDatabaseLosesTheLocalPrefix) {
    TestDatabase central(Engine::SQLite);
    TestDatabase local(Engine::SQLite, Side::Local);
    CDatabase db;
    db.dDatabase(central.Connect());
    db.LocaldDatabase(local.Connect());
    db.LocalDatabasePrefix("TRAVEL");
    db.SysLocaldDatabaseAccess(true);
    StatementLog centralLog(*db.dDatabase());
    StatementLog localLog(*db.LocaldDatabase());
    EXPECT_EQ(db.CountRecords("sequence", "WHERE id < 12", 1).ToLong(), 2);
    EXPECT_EQ(localLog.Statements().at(0),
              "SELECT COUNT(*) AS CountResult FROM sequence WHERE id < 12");
    RecordingList list;
    db.FillCombo(list, "SELECT next_id, id FROM TRAVEL.sequence WHERE id = 10", 1);
    EXPECT_EQ(localLog.Statements().at(1), "SELECT next_id, id FROM sequence WHERE id = 10");
    ASSERT_EQ(list.Items().size(), 1u);
    EXPECT_EQ(list.Items()[0].Data, Variant(1000));
    EXPECT_EQ(list.Items()[0].Text, "10");
    // The central side is no file database: its statement keeps the prefix.
    db.CentralDatabasePrefix("main");
    EXPECT_EQ(db.CountRecords("sequence", "WHERE id < 12").ToLong(), 2);
    EXPECT_EQ(centralLog.Statements().at(0),
              "SELECT COUNT(*) AS CountResult FROM main.sequence WHERE id < 12");
}

// Only a prefix before a table name goes: quoted texts and other dots stay.
TEST(PrepareSqlTest, TheFileDatabasePrefixStaysInTextsAndOtherNames) {
    TestDatabase central(Engine::SQLite);
    CDatabase db;
    db.dDatabase(central.Connect());
    db.SysdDatabaseAccess(true);
    StatementLog log(*db.dDatabase());
    EXPECT_EQ(db.CountRecordsSQL("FROM CRM5.sequence WHERE 'See CRM5.docs' <> 'x' AND "
                                 "sequence.id <> 0")
                  .ToLong(),
              252);
    EXPECT_EQ(log.Statements().at(0),
              "SELECT COUNT(*) AS CountResult FROM sequence WHERE 'See CRM5.docs' <> 'x' AND "
              "sequence.id <> 0");

    CDatabase dot;
    dot.OpenODBC_ByConnection(central.Dsn(), ".", "ACCESS", Variant(central.Uid()), central.Pwd());
    ASSERT_EQ(dot.CentralDatabasePrefix(), ".");
    StatementLog dotLog(*dot.dDatabase());
    EXPECT_EQ(dot.CountRecordsSQL("FROM .sequence WHERE 1.5 > 1 AND sequence.id <> 0 AND "
                                  "'a.b' = 'a.b'")
                  .ToLong(),
              252);
    EXPECT_EQ(dotLog.Statements().at(0),
              "SELECT COUNT(*) AS CountResult FROM sequence WHERE 1.5 > 1 AND sequence.id <> 0 "
              "AND 'a.b' = 'a.b'");
}

// An empty prefix (possible through explicit parameters) leaves a statement as it is.
TEST(PrepareSqlTest, AnEmptyPrefixLeavesTheStatementAlone) {
    TestDatabase central(Engine::SQLite);
    CDatabase db;
    db.OpenODBC_ByConnection(central.Dsn(), "", "ACCESS", Variant(central.Uid()), central.Pwd());
    ASSERT_TRUE(db.SysdDatabaseAccess());
    ASSERT_EQ(db.CentralDatabasePrefix(), "");
    StatementLog log(*db.dDatabase());
    EXPECT_EQ(db.GetFirstLongRecord("sequence", "id", "WHERE id = 19"), Variant(19));
    EXPECT_EQ(log.Statements().at(0), "SELECT id FROM sequence WHERE id = 19");
}

}  // namespace
}  // namespace vendral::test
