#include <gtest/gtest.h>

#include <algorithm>

#include "data/cdatabase_inspection.h"
#include "support/test_database.h"

namespace vendral::test {
namespace {

class FreeTextSettingsTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        // A skipped or failed engine leaves no database to set up.
        if (!central_) return;
        AttachConnections(db_, *central_);
    }
    void Enable(const std::string& value) {
        central_->Exec(
            "INSERT INTO userpreference (userpreference_id, deflevel, owner_id, prefsection, "
            "prefkey, prefvalue) VALUES (1, 0, 0, 'Freetext', 'Enabled', '" +
            value + "')");
    }
    CDatabase db_;
};

TEST_P(FreeTextSettingsTest, PreferenceOneSwitchesOnAndReadsStopWordsAndTables) {
    Enable("1");
    central_->Exec("INSERT INTO freetextstopwords (word) VALUES ('and')");
    central_->Exec("INSERT INTO freetextstopwords (word) VALUES (NULL)");
    StatementLog log(*db_.dDatabase());
    db_.LoadFreeTextSettings();

    EXPECT_TRUE(db_.UpdateFreeText());
    const std::string p = central_->Prefix();
    ASSERT_EQ(log.Statements().size(), 2u);
    EXPECT_EQ(log.Statements()[0], "SELECT prefvalue FROM " + p +
                                       "userpreference WHERE PrefSection = 'Freetext' and "
                                       "Prefkey='Enabled'");
    EXPECT_EQ(log.Statements()[1], "SELECT word FROM " + p + "freetextstopwords");
    // Every stop word, then the trailing empty entry that makes the empty word a stop word.
    std::vector<std::string> words = vendral::internal::FreeTextStopWords(db_);
    std::sort(words.begin(), words.end() - 1);
    EXPECT_EQ(words, (std::vector<std::string>{"", "and", ""}));

    const auto& tables = vendral::internal::FreeTextTables(db_);
    ASSERT_EQ(tables.size(), 30u);
    EXPECT_EQ(tables[2].TableNumber, "7");
    EXPECT_EQ(tables[2].SelectorColumn, "ATYPE_IDX");
    EXPECT_EQ(tables[2].OwnerColumn, "owner_id");
    EXPECT_EQ(tables[9].TableNumber, "18");
    EXPECT_EQ(tables[16].SelectorColumn, "TYPE");
    EXPECT_EQ(tables[17].TableNumber, "23");
    EXPECT_EQ(tables[26].SelectorColumn, "CONTACT_ID");
    EXPECT_EQ(tables[29].TableNumber, "55");
    EXPECT_EQ(db_.WorkRecordset().State(), adStateClosed);
}

TEST_P(FreeTextSettingsTest, MissingOrOtherPreferenceLeavesTheSwitchOff) {
    db_.UpdateFreeText(true);
    db_.LoadFreeTextSettings();
    EXPECT_FALSE(db_.UpdateFreeText());
    EXPECT_TRUE(vendral::internal::FreeTextTables(db_).empty());

    Enable("0");
    db_.UpdateFreeText(true);
    db_.LoadFreeTextSettings();
    EXPECT_FALSE(db_.UpdateFreeText());
}

TEST_P(FreeTextSettingsTest, ErrorsEndTheSetupQuietly) {
    // A preference that is no number, and then a missing stop-word table.
    Enable("yes");
    EXPECT_NO_THROW(db_.LoadFreeTextSettings());
    EXPECT_FALSE(db_.UpdateFreeText());

    central_->Exec("UPDATE userpreference SET prefvalue = '1'");
    central_->Exec("DROP TABLE freetextstopwords");
    EXPECT_NO_THROW(db_.LoadFreeTextSettings());
    EXPECT_TRUE(db_.UpdateFreeText());
    EXPECT_TRUE(vendral::internal::FreeTextTables(db_).empty());
    EXPECT_EQ(db_.WorkRecordset().State(), adStateClosed);
}

VENDRAL_INSTANTIATE_ENGINES(FreeTextSettingsTest);

}  // namespace
}  // namespace vendral::test
