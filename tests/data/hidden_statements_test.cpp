// ExecSQL refuses a second statement hidden behind a string form that one
// engine knows and another does not: PostgreSQL's E'...' texts with backslash
// escapes, dollar quoting, nested block comments, SQLite's bracketed names,
// MariaDB's "#" and "-- " comments, back-quoted names and the comments it runs
// as code (/*! ... */).
#include <gtest/gtest.h>

#include "data/list_test_support.h"

namespace vendral::test {
namespace {

class HiddenStatementsTest : public AttachedDatabaseTest {
  protected:
    void SetUp() override {
        AttachedDatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        for (int id : {1, 2, 3})
            central_->Exec("INSERT INTO contact (contact_id, name) VALUES (" + std::to_string(id) +
                           ", 'c" + std::to_string(id) + "')");
    }
    std::int64_t Contacts() {
        return central_->Scalar("SELECT COUNT(*) FROM contact").ToLongLong();
    }
    void ExpectRefused(const std::string& sql, const std::string& why) {
        try {
            db_.ExecSQL(sql, 1);
            ADD_FAILURE() << "not refused: " << sql;
        } catch (const DatabaseError& error) {
            EXPECT_EQ(error.Description(),
                      "ExecSQL: " + why +
                          " cannot be recorded in the travel transaction log; hand each change "
                          "to ExecSQL as one INSERT, UPDATE or DELETE statement.")
                << sql;
        }
    }
};

TEST_P(HiddenStatementsTest, ASecondStatementBehindAStringFormIsRefusedBeforeAnythingRuns) {
    const std::string update = "UPDATE " + prefix_ + "contact SET name = ";
    const std::string del = "; DELETE FROM " + prefix_ + "contact WHERE contact_id = 3; --";
    const bool postgres = engine() == Engine::PostgreSQL;
    const bool sqlite = engine() == Engine::SQLite;
    const bool mariadb = engine() == Engine::MariaDB;
    // Each text with the engines on which a second statement hides in it; on
    // the other one the text is a single statement (which may well fail).
    const std::vector<std::pair<std::string, bool>> texts = {
        {update + "E'x\\'' WHERE contact_id = 1" + del + "'", postgres},
        {update + "e'x\\\\' WHERE contact_id = 1" + del + "'", true},
        {update + "$$'$$ WHERE contact_id = 1" + del + "'", postgres},
        {update + "$q$'$q$ WHERE contact_id = 1" + del + "'", postgres},
        {update + "'x\\' WHERE contact_id = 1" + del + "'", true},
        {update + "'x' /* /* */" + del + "\n*/ WHERE contact_id = 1", !postgres},
        // Brackets quote names in SQLite only.
        {update + "'x' WHERE [contact_id" + del + "\n] = 1", !sqlite},
        // Back quotes quote names in SQLite and MariaDB, not in PostgreSQL.
        {update + "'x' WHERE `contact_id" + del + "\n` = 1", postgres},
        // "#" ends the line in MariaDB only; elsewhere the text runs on.
        {update + "'x' WHERE contact_id = 1 # '\n" + del + "\n'", mariadb},
        // "--" starts a comment in MariaDB only when a blank follows it.
        {update + "'x' WHERE contact_id = 1 --'\n" + del + "\n'", !mariadb},
    };
    int logged = 0;
    for (const auto& [sql, hides] : texts) {
        if (hides) {
            ExpectRefused(sql, "several statements in one text");
            continue;
        }
        try {
            db_.ExecSQL(sql, 1);
            ++logged;
        } catch (const DatabaseError&) {
            // The engine's own error: the change and its log row are undone.
        }
    }
    EXPECT_EQ(Contacts(), 3);
    EXPECT_EQ(LogRows(*central_).size(), static_cast<std::size_t>(logged));
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM contact WHERE contact_id = 3").ToLong(), 1);
}

TEST_P(HiddenStatementsTest, OneStatementWithTheEnginesOwnStringFormsRunsAndIsLogged) {
    const std::string update = "UPDATE " + prefix_ + "contact SET name = ";
    // A semicolon inside a text or a quoted name of every engine is no end of a statement.
    db_.ExecSQL(update + "'a; b' WHERE contact_id = 2", 2);
    EXPECT_EQ(central_->Scalar("SELECT name FROM contact WHERE contact_id = 2"), Variant("a; b"));
    if (engine() == Engine::PostgreSQL) {
        db_.ExecSQL(update + "E'O\\'Neil' WHERE contact_id = 1", 1);
        EXPECT_EQ(central_->Scalar("SELECT name FROM contact WHERE contact_id = 1"),
                  Variant("O'Neil"));
        db_.ExecSQL(update + "$t$it's $$ here$t$ WHERE contact_id = 3", 3);
        EXPECT_EQ(central_->Scalar("SELECT name FROM contact WHERE contact_id = 3"),
                  Variant("it's $$ here"));
    } else if (engine() == Engine::MariaDB) {
        db_.ExecSQL(update + "`name` WHERE contact_id = 1", 1);
        EXPECT_EQ(central_->Scalar("SELECT name FROM contact WHERE contact_id = 1"), Variant("c1"));
        // A backslash is an ordinary character in the library's MariaDB sessions.
        db_.ExecSQL(update + "'C:\\dir\\' WHERE contact_id = 3", 3);
        EXPECT_EQ(central_->Scalar("SELECT name FROM contact WHERE contact_id = 3"),
                  Variant("C:\\dir\\"));
    } else {
        db_.ExecSQL(update + "[name] WHERE contact_id = 1", 1);
        EXPECT_EQ(central_->Scalar("SELECT name FROM contact WHERE contact_id = 1"), Variant("c1"));
        // A backslash is an ordinary character in SQLite's texts.
        db_.ExecSQL(update + "'C:\\dir\\' WHERE contact_id = 3", 3);
        EXPECT_EQ(central_->Scalar("SELECT name FROM contact WHERE contact_id = 3"),
                  Variant("C:\\dir\\"));
    }
    EXPECT_EQ(LogRows(*central_).size(), 3u);
    EXPECT_EQ(Contacts(), 3);
}

TEST_P(HiddenStatementsTest, AnExecutableCommentOfMariaDBIsRefusedThereAndACommentElsewhere) {
    const std::string update = "UPDATE " + prefix_ + "contact SET name = 'x' WHERE contact_id = 1 ";
    // Run, each would name every contact: MariaDB runs what the comment holds.
    const std::vector<std::string> texts = {
        update + "/*! OR 1 = 1 */",
        update + "/*!100000 OR 1 = 1 */",
        update + "/*M! OR 1 = 1 */",
    };
    for (const std::string& sql : texts) {
        if (engine() == Engine::MariaDB) {
            ExpectRefused(sql, "a text with a comment that MariaDB runs as code (/*! ... */)");
        } else {
            db_.ExecSQL(sql, 1);
        }
    }
    if (engine() == Engine::MariaDB) {
        for (const std::string& sql : {"/*! DELETE FROM " + prefix_ + "contact */",
                                       update + "/*!; DELETE FROM " + prefix_ + "contact */"})
            ExpectRefused(sql, "a text with a comment that MariaDB runs as code (/*! ... */)");
    }
    EXPECT_EQ(Contacts(), 3);
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM contact WHERE name = 'x'").ToLong(),
              engine() == Engine::MariaDB ? 0 : 1);
    EXPECT_EQ(LogRows(*central_).size(), engine() == Engine::MariaDB ? 0u : texts.size());
}

TEST_P(HiddenStatementsTest, MariaDBsOwnFormsInOneStatementRunAndAreLogged) {
    if (engine() != Engine::MariaDB) GTEST_SKIP() << "the forms of MariaDB";
    const std::string update = "UPDATE " + prefix_ + "contact SET ";
    db_.ExecSQL(update + "`name` = 'a;b' # a comment; DELETE FROM contact\nWHERE contact_id = 1",
                1);
    db_.ExecSQL(update + "name = 'c' -- ; DELETE FROM contact\nWHERE contact_id = 2", 2);
    db_.ExecSQL(update + "name = \"d;e\" WHERE contact_id = 3", 3);
    EXPECT_EQ(central_->Scalar("SELECT name FROM contact WHERE contact_id = 1"), Variant("a;b"));
    EXPECT_EQ(central_->Scalar("SELECT name FROM contact WHERE contact_id = 2"), Variant("c"));
    EXPECT_EQ(central_->Scalar("SELECT name FROM contact WHERE contact_id = 3"), Variant("d;e"));
    // The "#" placeholder of an insert is numbered, and a "#" comment after it stays one.
    db_.ExecSQL("INSERT INTO " + prefix_ + "contact (contact_id, name) VALUES (#, 'n#1') # new");
    EXPECT_EQ(central_->Scalar("SELECT name FROM contact WHERE contact_id = 1000"), Variant("n#1"));
    EXPECT_EQ(LogRows(*central_).size(), 4u);
    EXPECT_EQ(Contacts(), 4);
}

VENDRAL_INSTANTIATE_ENGINES(HiddenStatementsTest);

}  // namespace
}  // namespace vendral::test
