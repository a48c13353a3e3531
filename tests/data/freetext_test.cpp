#include <gtest/gtest.h>

#include <map>

#include "base/text.h"
#include "data/cdatabase_inspection.h"
#include "support/test_database.h"

namespace vendral::test {
namespace {

class FreeTextTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        // A skipped or failed engine leaves no database to set up.
        if (!central_) return;
        AttachConnections(db_, *central_);
        p_ = central_->Prefix();
        central_->Exec(
            "INSERT INTO userpreference (userpreference_id, deflevel, owner_id, prefsection, "
            "prefkey, prefvalue) VALUES (1, 0, 0, 'Freetext', 'Enabled', '1')");
        central_->Exec("INSERT INTO freetextstopwords (word) VALUES ('the')");
        central_->Exec("INSERT INTO freetextstopwords (word) VALUES ('COMPANY')");
        db_.LoadFreeTextSettings();
        ASSERT_TRUE(db_.UpdateFreeText());
    }
    // Word -> id of the dictionary.
    std::map<std::string, std::int64_t> Words() {
        std::map<std::string, std::int64_t> words;
        for (auto& row : central_->Rows("SELECT word, freetextwords_id FROM freetextwords"))
            words[row[0].ToString()] = row[1].ToLongLong();
        return words;
    }
    // (word, table, record, owner table, owner record, infile) of every posting.
    std::vector<std::vector<Variant>> Postings() {
        return central_->Rows(
            "SELECT w.word, i.table_id, i.record_id, i.ownertable_id, i.ownerrecord_id, i.infile "
            "FROM freetextindex i JOIN freetextwords w ON w.freetextwords_id = i.freetextwords_id "
            "ORDER BY w.word, i.record_id");
    }
    std::vector<Variant> Posting(const std::string& word, int table, int record, int ownerTable,
                                 int ownerRecord) {
        return {Variant(word),       Variant(table),       Variant(record),
                Variant(ownerTable), Variant(ownerRecord), Variant(0)};
    }
    std::vector<std::string> IndexWords(const std::string& literal) {
        db_.UpdateFreeTextTables(
            "INSERT INTO " + p_ + "contact (contact_id, name) VALUES (17, '" + literal + "')", 5,
            17);
        std::vector<std::string> words;
        for (auto& row : Postings()) words.push_back(row[0].ToString());
        return words;
    }
    std::pair<std::int16_t, std::int32_t> Owner(std::int16_t table, std::int32_t record) {
        EXPECT_TRUE(db_.GetFreeTxtSrchLnk("", table, record).IsEmpty());
        return {vendral::internal::FreeTextOwnerTable(db_),
                vendral::internal::FreeTextOwnerRecord(db_)};
    }
    CDatabase db_;
    std::string p_;
};

TEST_P(FreeTextTest, InsertedContactNameGivesWordsAndPostingsWithTheStatementsOfTheCrm) {
    StatementLog log(*db_.dDatabase());
    std::string sql =
        "INSERT INTO " + p_ + "contact (contact_id, name) VALUES (17, 'Nordic Trading AS')";
    db_.UpdateFreeTextTables(sql, 5, 17);

    auto words = Words();
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(Postings(), (std::vector<std::vector<Variant>>{Posting("NORDIC", 5, 17, 5, 17),
                                                             Posting("TRADING", 5, 17, 5, 17)}));
    for (auto& [word, id] : words) {
        EXPECT_GE(id, 1);
        EXPECT_LE(id, 1593786407);
        EXPECT_TRUE(log.Contains("select FreeTextWords_ID from " + p_ +
                                 "freetextwords where word = '" + word + "'"));
        EXPECT_TRUE(log.Contains("select FreeTextWords_ID from " + p_ +
                                 "freetextwords where FreeTextWords_ID = " + std::to_string(id)));
        EXPECT_TRUE(log.Contains("INSERT INTO " + p_ +
                                 "freetextwords (FreeTextWords_ID, Word) VALUES (" +
                                 std::to_string(id) + ", '" + word + "')"));
    }
    for (auto& row :
         central_->Rows("SELECT freetextindex_id, freetextwords_id FROM freetextindex")) {
        std::int64_t posting = row[0].ToLongLong();
        EXPECT_GE(posting, 1);
        EXPECT_LE(posting, 2147450470);
        EXPECT_TRUE(
            log.Contains("select FreeTextIndex_ID from " + p_ +
                         "freetextindex where FreeTextIndex_ID = " + std::to_string(posting)));
        EXPECT_TRUE(log.Contains(
            "INSERT INTO " + p_ +
            "freetextindex (FreeTextIndex_ID, freetextwords_id, table_id, record_id, "
            "ownertable_id, ownerrecord_id, " +
            // A reserved word of MariaDB, back-quoted there.
            (engine() == Engine::MariaDB ? "`infile`" : "infile") + ") VALUES (" +
            std::to_string(posting) + ", " + row[1].ToString() + ", 5, 17, 5, 17,0 )"));
    }
    EXPECT_EQ(db_.WorkRecordset().State(), adStateClosed);
}

TEST_P(FreeTextTest, WordsAreBlankSeparatedPiecesOfThreeOrMoreCutToNine) {
    EXPECT_EQ(IndexWords("abcdefghijklmnopqrst"), std::vector<std::string>{"ABCDEFGHI"});
    central_->Exec("DELETE FROM freetextindex");
    EXPECT_EQ(IndexWords("Oslo, Norway"), (std::vector<std::string>{"NORWAY", "OSLO,"}));
    central_->Exec("DELETE FROM freetextindex");
    // Letters beyond ASCII count as one character each and are put in capitals.
    EXPECT_EQ(IndexWords("Ærø  tø æøåæøåæøåæ"), (std::vector<std::string>{"ÆRØ", "ÆØÅÆØÅÆØÅ"}));
}

TEST_P(FreeTextTest, KnownWordKeepsItsIdAndRepeatedWordsGetAPostingEach) {
    central_->Exec("INSERT INTO freetextwords (freetextwords_id, word) VALUES (77, 'NORDIC')");
    StatementLog log(*db_.dDatabase());
    db_.UpdateFreeTextTables(
        "INSERT INTO " + p_ + "contact (contact_id, name) VALUES (17, 'Nordic nordic')", 5, 17);
    EXPECT_EQ(Words(), (std::map<std::string, std::int64_t>{{"NORDIC", 77}}));
    EXPECT_EQ(
        central_->Scalar("SELECT COUNT(*) FROM freetextindex WHERE freetextwords_id = 77").ToLong(),
        2);
    for (const auto& sql : log.Statements())
        EXPECT_EQ(sql.find("INSERT INTO " + p_ + "freetextwords"), std::string::npos);
}

TEST_P(FreeTextTest, DictionaryRowWithoutAnIdEndsTheMaintenance) {
    central_->Exec("DROP TABLE freetextwords");
    central_->Exec("CREATE TABLE freetextwords (freetextwords_id INTEGER, word VARCHAR(40))");
    central_->Exec("INSERT INTO freetextwords (freetextwords_id, word) VALUES (NULL, 'NORDIC')");
    EXPECT_NO_THROW(db_.UpdateFreeTextTables(
        "INSERT INTO " + p_ + "contact (contact_id, name) VALUES (17, 'Nordic Trading')", 5, 17));
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM freetextwords").ToLong(), 1);
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM freetextindex").ToLong(), 0);
    EXPECT_EQ(db_.WorkRecordset().State(), adStateClosed);
}

TEST_P(FreeTextTest, StopWordsAreSkippedWhateverTheirCase) {
    EXPECT_EQ(IndexWords("THE Company of the Fjords"), (std::vector<std::string>{"FJORDS"}));
}

TEST_P(FreeTextTest, NothingIsIndexedForOddQuotesNoLiteralOrUnlistedTables) {
    StatementLog log(*db_.dDatabase());
    db_.UpdateFreeTextTables("UPDATE " + p_ + "contact SET name = 'Nordic Trading'' WHERE 1=1", 5,
                             17);
    db_.UpdateFreeTextTables("UPDATE " + p_ + "contact SET number1 = 7", 5, 17);
    db_.UpdateFreeTextTables("UPDATE " + p_ + "appointment SET text = 'Nordic Trading'", 9, 4711);
    db_.UpdateFreeTextTables("UPDATE " + p_ + "contact SET name = 'a b' WHERE 1=1", 5, 17);
    EXPECT_TRUE(log.Statements().empty());
    EXPECT_TRUE(Words().empty());
}

TEST_P(FreeTextTest, OwnersOfAddressesTextsUrlsAndEmails) {
    central_->Exec("INSERT INTO address (address_id, atype_idx, owner_id) VALUES (3, 16384, 60)");
    central_->Exec("INSERT INTO address (address_id, atype_idx, owner_id) VALUES (4, 16383, 50)");
    central_->Exec("INSERT INTO phone (phone_id, ptype_idx, owner_id) VALUES (5, 16385, 61)");
    StatementLog log(*db_.dDatabase());
    EXPECT_EQ(Owner(7, 3), std::make_pair(std::int16_t{6}, 60));
    EXPECT_EQ(log.Statements().back(),
              "SELECT ATYPE_IDX, owner_id FROM " + p_ + "ADDRESS WHERE ADDRESS_ID = 3");
    EXPECT_EQ(Owner(7, 4), std::make_pair(std::int16_t{5}, 50));
    EXPECT_EQ(Owner(8, 5), std::make_pair(std::int16_t{6}, 61));
    EXPECT_EQ(Owner(7, 999), std::make_pair(std::int16_t{7}, 999)) << "no row: owns itself";

    central_->Exec("INSERT INTO text (text_id, type, owner_id) VALUES (1, 3, 40)");
    central_->Exec("INSERT INTO text (text_id, type, owner_id) VALUES (2, 6, 41)");
    central_->Exec("INSERT INTO text (text_id, type, owner_id) VALUES (3, 1, 42)");
    central_->Exec("INSERT INTO text (text_id, type, owner_id) VALUES (4, 13, 43)");
    EXPECT_EQ(Owner(18, 1), std::make_pair(std::int16_t{18}, 1));
    EXPECT_EQ(Owner(18, 2), std::make_pair(std::int16_t{11}, 41)) << "project texts";
    EXPECT_EQ(Owner(18, 3), std::make_pair(std::int16_t{5}, 42));
    EXPECT_EQ(Owner(18, 4), std::make_pair(std::int16_t{12}, 43));

    central_->Exec("INSERT INTO url (url_id, contact_id, project_id) VALUES (1, 9, 44)");
    central_->Exec("INSERT INTO url (url_id, contact_id, project_id) VALUES (2, 0, 44)");
    central_->Exec("INSERT INTO url (url_id, contact_id, project_id) VALUES (3, NULL, NULL)");
    EXPECT_EQ(Owner(54, 1), std::make_pair(std::int16_t{5}, 9));
    log.Clear();
    EXPECT_EQ(Owner(54, 2), std::make_pair(std::int16_t{11}, 44));
    EXPECT_EQ(log.Statements().back(), "select project_id from " + p_ + "URL where url_id = 2");
    EXPECT_EQ(Owner(54, 3), std::make_pair(std::int16_t{11}, 3));

    central_->Exec("INSERT INTO email (email_id, contact_id, person_id) VALUES (1, 0, 8)");
    central_->Exec("INSERT INTO email (email_id, contact_id, person_id) VALUES (2, 7, 8)");
    EXPECT_EQ(Owner(55, 1), std::make_pair(std::int16_t{6}, 8));
    EXPECT_EQ(log.Statements().back(), "select person_id from " + p_ + "Email where email_id = 1");
    EXPECT_EQ(Owner(55, 2), std::make_pair(std::int16_t{5}, 7));

    log.Clear();
    EXPECT_EQ(Owner(5, 17), std::make_pair(std::int16_t{5}, 17));
    EXPECT_TRUE(log.Statements().empty()) << "a contact owns itself without a lookup";
}

TEST_P(FreeTextTest, ExecSqlKeepsTheIndexCurrent) {
    StatementLog log(*db_.dDatabase());
    db_.ExecSQL("INSERT INTO " + p_ +
                "address (address_id, atype_idx, owner_id, city) VALUES "
                "(#, 16384, 60, 'Bergen')");
    EXPECT_EQ(Postings(), (std::vector<std::vector<Variant>>{Posting("BERGEN", 7, 1000, 6, 60)}));

    db_.ExecSQL("UPDATE " + p_ + "address SET city = 'Tromso' WHERE address_id = 1000", 1000);
    EXPECT_EQ(Postings(), (std::vector<std::vector<Variant>>{Posting("TROMSO", 7, 1000, 6, 60)}));
    EXPECT_TRUE(
        log.Contains("DELETE FROM " + p_ + "FreeTextIndex where table_id=7  and record_id = 1000"));
    EXPECT_TRUE(log.Contains("DELETE FROM " + p_ +
                             "FreeTextIndex where ownertable_id=7  and ownerrecord_id = 1000"));

    // An update without a literal only removes.
    db_.ExecSQL("UPDATE " + p_ + "address SET atype_idx = 1 WHERE address_id = 1000", 1000);
    EXPECT_TRUE(Postings().empty());

    // Deleting an owner removes the postings of what it owns.
    db_.ExecSQL("INSERT INTO " + p_ + "person (person_id, lastname) VALUES (60, 'Hansen')", 60);
    db_.ExecSQL("INSERT INTO " + p_ +
                "address (address_id, atype_idx, owner_id, city) VALUES "
                "(#, 16384, 60, 'Bergen')");
    EXPECT_EQ(Postings().size(), 2u);
    db_.ExecSQL("DELETE FROM " + p_ + "person WHERE person_id = 60", 60);
    EXPECT_TRUE(Postings().empty());
}

TEST_P(FreeTextTest, LocalChangesAreIndexedCentrallyAndTheirPostingsRemovedLocally) {
    TestDatabase local(engine(), Side::Local);
    AttachConnections(db_, *central_, &local);
    db_.ExecSQL(
        "INSERT INTO " + local.Prefix() + "contact (contact_id, name) VALUES (#, 'Nordic Trading')",
        0, 1);
    EXPECT_EQ(Postings(),
              (std::vector<std::vector<Variant>>{Posting("NORDIC", 5, 1000, 5, 1000),
                                                 Posting("TRADING", 5, 1000, 5, 1000)}));
    EXPECT_EQ(local.Scalar("SELECT COUNT(*) FROM freetextindex").ToLong(), 0);

    // The postings of a local change are taken out on the local connection;
    // the central index is not asked.
    central_->Exec("DROP TABLE freetextindex");
    StatementLog localLog(*db_.LocaldDatabase());
    EXPECT_EQ(db_.LastReturnedErrorMessage(), "");
    EXPECT_NO_THROW(
        db_.ExecSQL("DELETE FROM " + local.Prefix() + "contact WHERE contact_id = 1000", 1000, 1));
    EXPECT_TRUE(localLog.Contains("DELETE FROM " + local.Prefix() +
                                  "FreeTextIndex where table_id=5  and record_id = 1000"));
    EXPECT_EQ(db_.LastReturnedErrorMessage(), "");
    EXPECT_EQ(local.Scalar("SELECT COUNT(*) FROM contact").ToLong(), 0);
    EXPECT_EQ(local.Scalar("SELECT COUNT(*) FROM traveltransactionlog WHERE type = 4864").ToLong(),
              1);
}

// Once the change and its log row are committed, an error of the index work
// must not reach the caller: a retry would make and log the change twice.
TEST_P(FreeTextTest, IndexErrorsAfterACommittedChangeStopQuietlyWithTheirCause) {
    central_->Exec("INSERT INTO contact (contact_id, name) VALUES (17, 'Old Name')");
    central_->Exec("DROP TABLE freetextindex");
    Variant logID;
    EXPECT_NO_THROW(
        logID = db_.ExecSQL("UPDATE " + p_ + "contact SET name = 'New Name' WHERE contact_id = 17",
                            17));
    EXPECT_EQ(logID, Variant(1000));
    EXPECT_EQ(central_->Scalar("SELECT name FROM contact WHERE contact_id = 17"),
              Variant("New Name"));
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM traveltransactionlog").ToLong(), 1);
    EXPECT_NE(ToUpper(db_.LastReturnedErrorMessage()).find("FREETEXTINDEX"), std::string::npos)
        << db_.LastReturnedErrorMessage();
    EXPECT_EQ(db_.FailCount(), 0);

    EXPECT_NO_THROW(db_.ExecSQL("DELETE FROM " + p_ + "contact WHERE contact_id = 17", 17));
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM contact").ToLong(), 0);
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM traveltransactionlog").ToLong(), 2);
}

TEST_P(FreeTextTest, ErrorsEndTheMaintenanceQuietly) {
    central_->Exec("DROP TABLE freetextindex");
    EXPECT_NO_THROW(db_.UpdateFreeTextTables(
        "INSERT INTO " + p_ + "contact (contact_id, name) VALUES (17, 'Nordic Trading')", 5, 17));
    EXPECT_EQ(Words().size(), 1u) << "the first word stays in the dictionary";
    EXPECT_EQ(db_.WorkRecordset().State(), adStateClosed);

    central_->Exec("DROP TABLE address");
    EXPECT_NO_THROW(db_.GetFreeTxtSrchLnk("", 7, 3));
    EXPECT_EQ(vendral::internal::FreeTextOwnerTable(db_), 7);
    EXPECT_EQ(vendral::internal::FreeTextOwnerRecord(db_), 3);
}

VENDRAL_INSTANTIATE_ENGINES(FreeTextTest);

}  // namespace
}  // namespace vendral::test
