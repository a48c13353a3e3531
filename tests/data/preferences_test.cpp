#include <gtest/gtest.h>

#include "data/list_test_support.h"

namespace vendral::test {
namespace {

class PreferencesTest : public AttachedDatabaseTest {
  protected:
    void AddPreference(int id, int level, int owner, const std::string& section,
                       const std::string& key, const std::string& value) {
        central_->Exec("INSERT INTO userpreference VALUES (" + std::to_string(id) + ", " +
                       std::to_string(level) + ", " + std::to_string(owner) + ", '" + section +
                       "', '" + key + "', " + value + ")");
    }
    std::string Select(const std::string& level, const std::string& owner) const {
        return "SELECT userpreference_id, prefvalue FROM " + prefix_ +
               "userpreference WHERE deflevel = " + level + " AND owner_id = " + owner +
               " AND prefsection = 'Window' AND prefkey = 'Width'";
    }
};

TEST_P(PreferencesTest, ReadsTheUserValueAndFallsBackToTheGlobalOneOnlyWhenTheRowIsMissing) {
    AddPreference(1, 1, 5, "Window", "Width", "'10'");
    AddPreference(2, 2, 0, "Window", "Width", "'7'");
    StatementLog log(*db_.dDatabase());

    // The user's own value wins over the default and the global row.
    EXPECT_EQ(db_.GetPreference(1, 5, "Window", "Width", "3", Variant(true)).ToString(), "10");
    EXPECT_EQ(log.Statements(), std::vector<std::string>{Select("1", "5")});

    // Missing for owner 6: the global row when asked for, else the default.
    log.Clear();
    EXPECT_EQ(db_.GetPreference(1, 6, "Window", "Width", "3", Variant(true)).ToString(), "7");
    EXPECT_EQ(log.Statements(), (std::vector<std::string>{Select("1", "6"), Select("2", "0")}));
    EXPECT_EQ(db_.GetPreference(1, 6, "Window", "Width", "3", Variant(false)).ToString(), "3");
    EXPECT_EQ(db_.GetPreference(1, 6, "Window", "Width", "3").ToString(), "3");
    EXPECT_EQ(db_.GetPreference(1, 6, "Window", "Height", "4", Variant(-1)).ToString(), "4")
        << "no global row either";
}

TEST_P(PreferencesTest, AnEmptyOrNullUserValueGivesTheDefaultWithoutReadingTheGlobalRow) {
    AddPreference(1, 1, 5, "Window", "Width", "''");
    AddPreference(2, 1, 6, "Window", "Width", "NULL");
    AddPreference(3, 2, 0, "Window", "Width", "'7'");
    StatementLog log(*db_.dDatabase());

    EXPECT_EQ(db_.GetPreference(1, 5, "Window", "Width", "3", Variant(true)).ToString(), "3");
    EXPECT_EQ(log.Statements(), std::vector<std::string>{Select("1", "5")})
        << "the global row must not be read";
    log.Clear();
    EXPECT_EQ(db_.GetPreference(1, 6, "Window", "Width", "3", Variant(true)).ToString(), "3");
    EXPECT_EQ(log.Statements(), std::vector<std::string>{Select("1", "6")});
}

TEST_P(PreferencesTest, SelectorOneReadsTheLocalDatabaseUnderTheCentralPrefix) {
    if (engine() == Engine::MariaDB)
        GTEST_SKIP() << "on MariaDB a prefix names a database of the server, and the tests' "
                        "central and local databases share one server: the central prefix "
                        "reaches the central database from the local connection";
    TestDatabase local(engine(), Side::Local);
    AttachConnections(db_, *central_, &local);
    // A local prefix that names nothing: the read must not use it.
    db_.LocalDatabasePrefix("nosuchschema.");
    AddPreference(1, 1, 5, "Window", "Width", "'central'");
    local.Exec("INSERT INTO userpreference VALUES (1, 1, 5, 'Window', 'Width', 'local')");
    StatementLog log(*db_.LocaldDatabase());

    EXPECT_EQ(db_.GetPreference(1, 5, "Window", "Width", "", Variant(), 1).ToString(), "local");
    EXPECT_EQ(log.Statements(), std::vector<std::string>{Select("1", "5")});
}

TEST_P(PreferencesTest, SavingAnExistingSettingUpdatesItAndLogsOneUpdate) {
    AddPreference(40, 1, 5, "Window", "Width", "'10'");
    AddPreference(41, 1, 6, "Window", "Width", "'10'");
    StatementLog log(*db_.dDatabase());

    EXPECT_TRUE(db_.SavePreference(1, 5, "Window", "Width", "20").IsEmpty());

    // The setting is looked up with all five values of the call first.
    ASSERT_FALSE(log.Statements().empty());
    EXPECT_EQ(log.Statements().front(),
              "SELECT * FROM " + prefix_ +
                  "userpreference WHERE deflevel = 1 AND owner_id = 5 AND prefsection = "
                  "'Window' AND prefkey = 'Width'");
    EXPECT_EQ(StartingWith(log, "UPDATE " + prefix_ + "userpreference"),
              std::vector<std::string>{"UPDATE " + prefix_ +
                                       "userpreference SET prefvalue = '20' WHERE "
                                       "userpreference_id = 40"});
    EXPECT_TRUE(StartingWith(log, "INSERT INTO " + prefix_ + "userpreference").empty());
    EXPECT_EQ(central_->Scalar("SELECT prefvalue FROM userpreference WHERE userpreference_id = 40")
                  .ToString(),
              "20");
    EXPECT_EQ(central_->Scalar("SELECT prefvalue FROM userpreference WHERE userpreference_id = 41")
                  .ToString(),
              "10");
    EXPECT_EQ(LogRows(*central_), (std::vector<LogRow>{{4608, 56, 40, 12}}));
}

TEST_P(PreferencesTest, SavingANewSettingInsertsItUnderAFreshIdAndLogsTheInsert) {
    StatementLog log(*db_.dDatabase());

    db_.SavePreference(1, 5, "Window", "Width", "20");

    // The userpreference sequence row (56 + 10) starts at 1000.
    EXPECT_TRUE(log.Contains("INSERT INTO " + prefix_ +
                             "userpreference (userpreference_id, deflevel, owner_id, prefsection, "
                             "prefkey, prefvalue) VALUES (1000, 1, 5,'Window', 'Width', '20')"));
    auto rows = central_->Rows(
        "SELECT userpreference_id, deflevel, owner_id, prefsection, prefkey, prefvalue FROM "
        "userpreference");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].ToLong(), 1000);
    EXPECT_EQ(rows[0][5].ToString(), "20");
    EXPECT_EQ(LogRows(*central_), (std::vector<LogRow>{{4352, 56, 1000, 12}}));
    EXPECT_EQ(db_.GetPreference(1, 5, "Window", "Width").ToString(), "20");
}

TEST_P(PreferencesTest, ApostrophesInSectionKeyAndValueAreStoredAndFoundIntact) {
    db_.SavePreference(1, 5, "O'Neil", "it's", "Bob's");
    EXPECT_EQ(db_.GetPreference(1, 5, "O'Neil", "it's", "none").ToString(), "Bob's");
    db_.SavePreference(1, 5, "O'Neil", "it's", "Ann's");
    auto rows = central_->Rows("SELECT prefsection, prefkey, prefvalue FROM userpreference");
    ASSERT_EQ(rows.size(), 1u) << "the second save must find the first row";
    EXPECT_EQ(rows[0][0].ToString(), "O'Neil");
    EXPECT_EQ(rows[0][1].ToString(), "it's");
    EXPECT_EQ(rows[0][2].ToString(), "Ann's");
}

TEST_P(PreferencesTest, DeletingRemovesOnlyMatchingRowsAndLogsEachDelete) {
    AddPreference(50, 1, 5, "Window", "Width", "'1'");
    AddPreference(51, 1, 5, "Window", "Height", "'2'");
    AddPreference(52, 1, 5, "Grid", "Width", "'3'");
    AddPreference(53, 1, 6, "Window", "Width", "'4'");
    AddPreference(54, 2, 5, "Window", "Width", "'5'");
    StatementLog log(*db_.dDatabase());

    EXPECT_TRUE(db_.DeletePreference(1, 5, "prefsection = 'Window'").IsEmpty());

    EXPECT_TRUE(log.Contains("SELECT userpreference_id FROM " + prefix_ +
                             "userpreference WHERE deflevel = 1 AND owner_id = 5 AND "
                             "prefsection = 'Window'"));
    EXPECT_EQ(StartingWith(log, "DELETE"),
              (std::vector<std::string>{
                  "DELETE FROM " + prefix_ + "userpreference WHERE userpreference_id = 50",
                  "DELETE FROM " + prefix_ + "userpreference WHERE userpreference_id = 51"}));
    auto left = central_->Rows("SELECT userpreference_id FROM userpreference ORDER BY 1");
    ASSERT_EQ(left.size(), 3u);
    EXPECT_EQ(left[0][0].ToLong(), 52);
    EXPECT_EQ(LogRows(*central_), (std::vector<LogRow>{{4864, 56, 50, 12}, {4864, 56, 51, 12}}));
}

TEST_P(PreferencesTest, DeletingByOwnerAloneOrByConditionAlone) {
    AddPreference(50, 1, 5, "Window", "Width", "'1'");
    AddPreference(51, 1, 6, "Window", "Width", "'2'");
    AddPreference(52, 1, 7, "Grid", "Width", "'3'");
    StatementLog log(*db_.dDatabase());

    db_.DeletePreference(1, 5);
    EXPECT_TRUE(log.Contains("SELECT userpreference_id FROM " + prefix_ +
                             "userpreference WHERE deflevel = 1 AND owner_id = 5"));
    db_.DeletePreference(1, 0, "prefsection = 'Grid'");
    EXPECT_TRUE(log.Contains("SELECT userpreference_id FROM " + prefix_ +
                             "userpreference WHERE deflevel = 1 AND prefsection = 'Grid'"));

    auto left = central_->Rows("SELECT userpreference_id FROM userpreference");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0][0].ToLong(), 51);
    EXPECT_EQ(LogRows(*central_), (std::vector<LogRow>{{4864, 56, 50, 12}, {4864, 56, 52, 12}}));
}

TEST_P(PreferencesTest, DeletingWithNeitherOwnerNorConditionIsRefusedBeforeAnyStatement) {
    AddPreference(50, 1, 5, "Window", "Width", "'1'");
    StatementLog log(*db_.dDatabase());

    // Refused as the incomplete condition would have been, with the reason named.
    EXPECT_THROW(db_.DeletePreference(1), DatabaseError);
    EXPECT_TRUE(log.Statements().empty());
    EXPECT_EQ(central_->Rows("SELECT userpreference_id FROM userpreference").size(), 1u);
}

VENDRAL_INSTANTIATE_ENGINES(PreferencesTest);

}  // namespace
}  // namespace vendral::test
