#include <gtest/gtest.h>

#include "base/text.h"
#include "support/test_database.h"

namespace vendral::test {
namespace {

class ExecutionTest : public EngineTest {
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
    // (type, associate_id, tablenumber, record_id) of every log row, by id.
    std::vector<std::vector<Variant>> LogRows(TestDatabase& database) {
        return database.Rows(
            "SELECT traveltransactionlog_id, type, associate_id, tablenumber, record_id FROM "
            "traveltransactionlog ORDER BY traveltransactionlog_id");
    }
    std::vector<Variant> Row(int id, int type, int table, int record) {
        return {Variant(id), Variant(type), Variant(12), Variant(table), Variant(record)};
    }
    std::int64_t NextId(int row) {
        return central_->Scalar("SELECT next_id FROM sequence WHERE id = " + std::to_string(row))
            .ToLongLong();
    }
    std::int64_t Count(const std::string& table) {
        return central_->Scalar("SELECT COUNT(*) FROM " + table).ToLongLong();
    }
    // The statements of the log, without those of the sequence handling.
    std::vector<std::string> Writes(const StatementLog& log) {
        std::vector<std::string> writes;
        for (const auto& sql : log.Statements())
            if (ToUpper(sql).find("SEQUENCE") == std::string::npos) writes.push_back(sql);
        return writes;
    }
    CDatabase db_;
    std::string p_;
};

TEST_P(ExecutionTest, NumberedInsertReservesLogsAndWritesTheRowWithTheNewId) {
    StatementLog log(*db_.dDatabase());
    Variant logID = db_.ExecSQL("INSERT INTO " + p_ +
                                "contact (contact_id, name) VALUES (#, 'Nordic Trading AS')");
    EXPECT_EQ(logID, Variant(1000));
    EXPECT_EQ(db_.LastGeneratedSequenceID(), "1000");
    EXPECT_EQ(NextId(15), 1001);
    EXPECT_EQ(NextId(39), 1001);
    EXPECT_EQ(LogRows(*central_), (std::vector<std::vector<Variant>>{Row(1000, 4352, 5, 1000)}));
    EXPECT_EQ(central_->Scalar("SELECT name FROM contact WHERE contact_id = 1000"),
              Variant("Nordic Trading AS"));

    // Id of table 5 first, then the log id, the log row, and the statement.
    ASSERT_EQ(log.Statements().size(), 8u);
    EXPECT_EQ(log.Statements()[0],
              "UPDATE " + p_ + "Sequence SET Next_id = Next_id + 1  WHERE id=15");
    EXPECT_EQ(log.Statements()[3],
              "UPDATE " + p_ + "Sequence SET Next_id = Next_id + 1  WHERE id=39");
    EXPECT_EQ(log.Statements()[6].rfind("INSERT INTO " + p_ + "traveltransactionlog (", 0), 0u);
    EXPECT_NE(log.Statements()[6].find(", 0, 4352, 12, 5, 1000)"), std::string::npos);
    EXPECT_EQ(
        log.Statements()[7],
        "INSERT INTO " + p_ + "contact (contact_id, name) VALUES (1000, 'Nordic Trading AS')");
}

TEST_P(ExecutionTest, InsertWithItsOwnIdReservesNothingAndKeepsTheHash) {
    Variant logID = db_.ExecSQL(
        "INSERT INTO " + p_ + "contact (contact_id, name) VALUES (500, 'Shop #1')", 500);
    EXPECT_EQ(logID, Variant(1000));
    EXPECT_EQ(db_.LastGeneratedSequenceID(), "500");
    EXPECT_EQ(NextId(15), 1000);
    EXPECT_EQ(LogRows(*central_), (std::vector<std::vector<Variant>>{Row(1000, 4352, 5, 500)}));
    EXPECT_EQ(central_->Scalar("SELECT name FROM contact WHERE contact_id = 500"),
              Variant("Shop #1"));
}

TEST_P(ExecutionTest, UpdateAndDeleteAreLoggedUnderTheirTable) {
    StatementLog log(*db_.dDatabase());
    std::string update =
        "UPDATE " + p_ + "appointment SET text = 'new' WHERE appointment_id = 4711";
    EXPECT_EQ(db_.ExecSQL(update, 4711), Variant(1000));
    std::string remove = "DELETE FROM " + p_ + "appointment WHERE appointment_id = 4711";
    EXPECT_EQ(db_.ExecSQL(remove, 4711), Variant(1001));
    EXPECT_EQ(LogRows(*central_), (std::vector<std::vector<Variant>>{Row(1000, 4608, 9, 4711),
                                                                     Row(1001, 4864, 9, 4711)}));
    EXPECT_EQ(Count("appointment"), 0);
    auto writes = Writes(log);
    ASSERT_EQ(writes.size(), 4u);
    EXPECT_EQ(writes[1], update);
    EXPECT_EQ(writes[3], remove);
    EXPECT_EQ(db_.LastGeneratedSequenceID(), "0") << "only inserts set it";
}

TEST_P(ExecutionTest, OtherStatementsRunWithoutLog) {
    Variant result = db_.ExecSQL("SELECT COUNT(*) FROM " + p_ + "appointment");
    EXPECT_TRUE(result.IsEmpty());
    EXPECT_EQ(Count("traveltransactionlog"), 0);
    EXPECT_EQ(NextId(39), 1000);
}

TEST_P(ExecutionTest, LeadingKeywordClassifiesAndBareOrSmallLetterNamesAreFound) {
    // Lower case, leading blanks, a bare table name (which PostgreSQL finds by its path).
    if (engine() == Engine::PostgreSQL) db_.dDatabase()->Execute("SET search_path TO crm5");
    db_.ExecSQL("  update appointment set text = 'x' where appointment_id = 4711", 4711);
    // The prefix in other letters than stored.
    std::string otherCase = ToUpper(p_) == p_ ? ToLower(p_) : ToUpper(p_);
    db_.ExecSQL("UPDATE " + otherCase + "appointment SET text = 'y' WHERE appointment_id = 4711",
                4711);
    // The word insert in a literal does not make an update an insert.
    db_.ExecSQL(
        "UPDATE " + p_ + "appointment SET text = 'insert the key' WHERE appointment_id = 4711",
        4711);
    // An insert whose column list follows the table name directly.
    db_.ExecSQL("insert into contact(contact_id, name) values (#, 'A')");
    EXPECT_EQ(LogRows(*central_), (std::vector<std::vector<Variant>>{
                                      Row(1000, 4608, 9, 4711), Row(1001, 4608, 9, 4711),
                                      Row(1002, 4608, 9, 4711), Row(1003, 4352, 5, 1000)}));
    EXPECT_EQ(central_->Scalar("SELECT text FROM appointment"), Variant("insert the key"));
}

TEST_P(ExecutionTest, UnloggableInsertIsRefusedBeforeAnythingIsWritten) {
    // No "#" to put the reserved id in.
    EXPECT_THROW(db_.ExecSQL("INSERT INTO " + p_ + "contact (contact_id, name) VALUES (7, 'A')"),
                 DatabaseError);
    // A table the catalogue does not hold.
    central_->Exec("CREATE TABLE scratchpad (scratchpad_id INTEGER PRIMARY KEY)");
    EXPECT_THROW(db_.ExecSQL("INSERT INTO " + p_ + "scratchpad (scratchpad_id) VALUES (#)"),
                 DatabaseError);
    EXPECT_EQ(Count("contact"), 0);
    EXPECT_EQ(Count("scratchpad"), 0);
    EXPECT_EQ(Count("traveltransactionlog"), 0);
    EXPECT_EQ(NextId(15), 1000);
    EXPECT_EQ(NextId(39), 1000);
    EXPECT_EQ(db_.LastGeneratedSequenceID(), "0");

    // An update of such a table is logged under -1, since the record id is known.
    EXPECT_EQ(db_.ExecSQL("UPDATE " + p_ + "scratchpad SET scratchpad_id = 1", 1), Variant(1000));
    EXPECT_EQ(LogRows(*central_), (std::vector<std::vector<Variant>>{Row(1000, 4608, -1, 1)}));
}

TEST_P(ExecutionTest, FailingStatementLeavesNoLogRow) {
    central_->Exec("INSERT INTO contact (contact_id, name) VALUES (1000, 'Taken')");
    // The id reserved for the insert is 1000, which is taken: a key violation.
    EXPECT_THROW(db_.ExecSQL("INSERT INTO " + p_ + "contact (contact_id, name) VALUES (#, 'B')"),
                 DatabaseError);
    EXPECT_THROW(db_.ExecSQL("UPDATE " + p_ + "appointment SET nosuchcolumn = 1", 4711),
                 DatabaseError);
    EXPECT_EQ(Count("traveltransactionlog"), 0);
    EXPECT_EQ(Count("contact"), 1);
    EXPECT_FALSE(db_.dDatabase()->InTransaction());
    // The id was generated (and stays used) before the statement failed.
    EXPECT_EQ(db_.LastGeneratedSequenceID(), "1000");
    EXPECT_EQ(NextId(15), 1001);
    // The object carries on normally afterwards; the two log ids stay used.
    EXPECT_EQ(db_.ExecSQL("INSERT INTO " + p_ + "contact (contact_id, name) VALUES (#, 'C')"),
              Variant(1002));
    EXPECT_EQ(db_.LastGeneratedSequenceID(), "1001");
    EXPECT_EQ(LogRows(*central_), (std::vector<std::vector<Variant>>{Row(1002, 4352, 5, 1001)}));
}

TEST_P(ExecutionTest, TakenLogIdIsRetriedWithAFreshOneAtMostThreeTimes) {
    // Log rows that the sequence does not know about occupy the next log ids.
    auto occupy = [&](int id) {
        central_->Exec(
            "INSERT INTO traveltransactionlog (traveltransactionlog_id, ttime, prev_record_id, "
            "type, associate_id, tablenumber, record_id) VALUES (" +
            std::to_string(id) + ", 0, 0, 0, 0, 0, 0)");
    };
    occupy(1000);
    occupy(1001);
    StatementLog log(*db_.dDatabase());
    std::string update =
        "UPDATE " + p_ + "appointment SET text = 'new' WHERE appointment_id = 4711";
    EXPECT_EQ(db_.ExecSQL(update, 4711), Variant(1002));
    EXPECT_EQ(central_->Scalar("SELECT text FROM appointment"), Variant("new"));
    EXPECT_EQ(Count("traveltransactionlog WHERE type = 4608"), 1);
    EXPECT_EQ(central_
                  ->Scalar("SELECT record_id FROM traveltransactionlog WHERE "
                           "traveltransactionlog_id = 1002")
                  .ToLong(),
              4711);
    auto writes = Writes(log);
    ASSERT_EQ(writes.size(), 4u) << "three log inserts, then the statement once";
    EXPECT_EQ(writes[3], update);
    EXPECT_FALSE(db_.dDatabase()->InTransaction());

    occupy(1003);
    occupy(1004);
    occupy(1005);
    EXPECT_THROW(
        db_.ExecSQL("UPDATE " + p_ + "appointment SET text = 'lost' WHERE appointment_id = 4711",
                    4711),
        DatabaseError);
    EXPECT_EQ(central_->Scalar("SELECT text FROM appointment"), Variant("new"));
    EXPECT_EQ(NextId(39), 1006);
    EXPECT_EQ(Count("traveltransactionlog WHERE type = 4608"), 1);
}

TEST_P(ExecutionTest, CallersTransactionDecidesForLogAndChange) {
    db_.dDatabase()->BeginTrans();
    db_.ExecSQL("UPDATE " + p_ + "appointment SET text = 'new' WHERE appointment_id = 4711", 4711);
    EXPECT_TRUE(db_.dDatabase()->InTransaction());
    db_.dDatabase()->RollbackTrans();
    EXPECT_EQ(Count("traveltransactionlog"), 0);
    EXPECT_EQ(central_->Scalar("SELECT text FROM appointment"), Variant("old"));
}

TEST_P(ExecutionTest, LocalSelectorAndRefusedSelectors) {
    TestDatabase local(engine(), Side::Local);
    AttachConnections(db_, *central_, &local);
    EXPECT_EQ(db_.ExecSQL("INSERT INTO " + local.Prefix() +
                              "contact (contact_id, name) VALUES (#, 'Local')",
                          0, 1),
              Variant(1000));
    EXPECT_EQ(local.Scalar("SELECT contact_id FROM contact"), Variant(1000));
    EXPECT_EQ(LogRows(local), (std::vector<std::vector<Variant>>{Row(1000, 4352, 5, 1000)}));
    EXPECT_EQ(Count("traveltransactionlog"), 0);

    EXPECT_THROW(db_.ExecSQL("INSERT INTO contact (contact_id, name) VALUES (#, 'X')", 0, 2),
                 DatabaseError);
    EXPECT_THROW(db_.ExecSQL("SELECT 1", 0, -1), DatabaseError);
    EXPECT_EQ(local.Scalar("SELECT COUNT(*) FROM contact").ToLong(), 1);
    EXPECT_EQ(Count("contact"), 0);
}

TEST_P(ExecutionTest, FreeTextOffTouchesNoIndexTable) {
    StatementLog log(*db_.dDatabase());
    db_.ExecSQL("INSERT INTO " + p_ + "contact (contact_id, name) VALUES (#, 'Nordic Trading')");
    db_.ExecSQL("DELETE FROM " + p_ + "contact WHERE contact_id = 1000", 1000);
    for (const auto& sql : log.Statements())
        EXPECT_EQ(ToUpper(sql).find("FREETEXT"), std::string::npos) << sql;
}

// A comment or parenthesis before the keyword must not let a change pass
// without its log row: the synchronizer would never send it.
TEST_P(ExecutionTest, CommentsAndParenthesesBeforeTheKeywordAreSkipped) {
    EXPECT_EQ(db_.ExecSQL("-- note\nUPDATE " + p_ +
                              "appointment SET text = 'a' WHERE "
                              "appointment_id = 4711",
                          4711),
              Variant(1000));
    EXPECT_EQ(db_.ExecSQL("/* x */ update " + p_ +
                              "appointment SET text = 'b' WHERE "
                              "appointment_id = 4711",
                          4711),
              Variant(1001));
    EXPECT_EQ(db_.ExecSQL("  /* a */ -- b\n /* c */DELETE /* d */ FROM /* e */ " + p_ +
                              "appointment WHERE appointment_id = 4711",
                          4711),
              Variant(1002));
    EXPECT_EQ(LogRows(*central_),
              (std::vector<std::vector<Variant>>{Row(1000, 4608, 9, 4711), Row(1001, 4608, 9, 4711),
                                                 Row(1002, 4864, 9, 4711)}));
    EXPECT_EQ(Count("appointment"), 0);
    // A select behind a comment runs unlogged as before.
    EXPECT_EQ(db_.ExecSQL("-- just a look\nSELECT 1"), Variant());
    EXPECT_EQ(Count("traveltransactionlog"), 3);
}

// Changes that one log row cannot describe are refused before anything runs.
TEST_P(ExecutionTest, ChangesTheLogCannotDescribeAreRefusedBeforeAnythingRuns) {
    const std::string set = p_ + "appointment SET text = 'new' WHERE appointment_id = 4711";
    const std::string tail =
        " cannot be recorded in the travel transaction log; hand each change to ExecSQL as one "
        "INSERT, UPDATE or DELETE statement.";
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"WITH t AS (SELECT 1) UPDATE " + set, "a WITH statement that changes rows"},
        {"REPLACE INTO " + p_ + "contact (contact_id, name) VALUES (7, 'x')",
         "a REPLACE statement"},
        {"merge into " + p_ + "contact c USING x ON (1=1) WHEN MATCHED THEN DELETE",
         "a MERGE statement"},
        {"INSERT OR REPLACE INTO " + p_ + "contact (contact_id, name) VALUES (#, 'x')",
         "an insert that may change an existing row instead"},
        // MariaDB's own form: there a "#" that is not numbered (the id is
        // given here) starts a comment, which would hide what follows it.
        {engine() == Engine::MariaDB
             ? "INSERT INTO " + p_ +
                   "contact (contact_id, name) VALUES (7, 'x') ON DUPLICATE KEY UPDATE name = 'y'"
             : "INSERT INTO " + p_ +
                   "contact (contact_id, name) VALUES (#, 'x') ON CONFLICT (contact_id) DO UPDATE "
                   "SET name = 'y'",
         "an insert that may change an existing row instead"},
        {"UPDATE " + set + "; DELETE FROM " + p_ + "appointment", "several statements in one text"},
        {"SELECT 1; UPDATE " + set, "several statements in one text"},
    };
    for (const auto& [sql, what] : refused) {
        try {
            db_.ExecSQL(sql, 4711);
            ADD_FAILURE() << "not refused: " << sql;
        } catch (const DatabaseError& error) {
            EXPECT_EQ(error.Description(), "ExecSQL: " + what + tail) << sql;
        }
    }
    EXPECT_EQ(Count("traveltransactionlog"), 0);
    EXPECT_EQ(NextId(39), 1000);
    EXPECT_EQ(NextId(15), 1000);
    EXPECT_EQ(central_->Scalar("SELECT text FROM appointment WHERE appointment_id = 4711"),
              Variant("old"));
    // A ";" or a keyword inside a text, a trailing ";", a select behind WITH and
    // several statements that change no rows run as before.
    EXPECT_EQ(db_.ExecSQL("UPDATE " + p_ +
                              "appointment SET text = 'a; DELETE FROM x' WHERE appointment_id = "
                              "4711;",
                          4711),
              Variant(1000));
    EXPECT_EQ(db_.ExecSQL("WITH t AS (SELECT 1 AS n) SELECT n FROM t"), Variant());
    const std::string twoTables = "CREATE TABLE " + p_ + "scratch_a (n INTEGER); CREATE TABLE " +
                                  p_ + "scratch_b (n INTEGER)";
    if (engine() == Engine::MariaDB) {
        // MariaDB's connector sends one statement per call unless its data
        // source allows several (MULTI_STATEMENTS): the server refuses the text.
        EXPECT_THROW(db_.ExecSQL(twoTables), DatabaseError);
    } else {
        EXPECT_EQ(db_.ExecSQL(twoTables), Variant());
        EXPECT_EQ(Count("scratch_b"), 0);
    }
    EXPECT_EQ(Count("traveltransactionlog"), 1);
}

// Only a "#" of the statement's code stands for the new id, not one in a text.
TEST_P(ExecutionTest, AHashInsideATextIsNoPlaceholder) {
    Variant logID =
        db_.ExecSQL("INSERT INTO " + p_ + "contact (name, contact_id) VALUES ('Shop #1', #)");
    EXPECT_EQ(logID, Variant(1000));
    EXPECT_EQ(central_->Scalar("SELECT name FROM contact WHERE contact_id = 1000"),
              Variant("Shop #1"));
    // Without a "#" in the code the insert is refused as one without any "#".
    try {
        db_.ExecSQL("INSERT INTO " + p_ + "contact (contact_id, name) VALUES (7, 'Shop #2')");
        ADD_FAILURE() << "not refused";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.Description(),
                  "ExecSQL: an insert without a record id needs \"#\" where the new id belongs.");
    }
    EXPECT_EQ(Count("contact"), 1);
    EXPECT_EQ(Count("traveltransactionlog"), 1);
    EXPECT_EQ(NextId(15), 1001);
}

VENDRAL_INSTANTIATE_ENGINES(ExecutionTest);

}  // namespace
}  // namespace vendral::test
