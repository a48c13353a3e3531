// Values with apostrophes, backslashes, wildcards, other scripts and line
// breaks come back exactly through preferences, lists, CheckSQL and ExecSQL,
// also where the PostgreSQL database reads backslashes in texts as escapes and
// on MariaDB, whose default SQL mode reads them so in every text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>

#include "data/list_test_support.h"

namespace vendral::test {
namespace {

class QuotingTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        if (engine() == Engine::PostgreSQL) {
            // The database's default, which every new session takes.
            database_ = central_->Scalar("SELECT current_database()").ToString();
            central_->Exec("ALTER DATABASE " + database_ +
                           " SET standard_conforming_strings = off");
        }
        AttachConnections(db_, *central_);
        db_.AssociateID(12);
        prefix_ = central_->Prefix();
        central_->Exec("INSERT INTO contact (contact_id, name) VALUES (1, 'Alpha')");
        central_->Exec("INSERT INTO contact (contact_id, name) VALUES (3, 'Gamma')");
    }
    void TearDown() override {
        const char* standardStrings = std::getenv("VENDRAL_PG_STANDARD_STRINGS");
        if (!database_.empty() && !(standardStrings && std::string(standardStrings) == "off"))
            central_->Exec("ALTER DATABASE " + database_ + " RESET standard_conforming_strings");
    }
    std::int64_t Contacts() {
        return central_->Scalar("SELECT COUNT(*) FROM contact").ToLongLong();
    }
    // Texts that an escape-reading server would end early, change or refuse.
    std::vector<std::string> Values() const {
        std::vector<std::string> values = {"O'Neil",
                                           "C:\\dir\\x",
                                           "C:\\dir\\",
                                           "\\'); DELETE FROM " + prefix_ + "contact; --",
                                           "\\\\server\\share\\'",
                                           "Z\xC3\xBCrich \xE2\x80\x93 \xE6\x9D\xB1\xE4\xBA\xAC",
                                           "two\nlines\r\nand a tab\t",
                                           "a\\\\",
                                           "100% _sure_"};
        // Outside the Basic Multilingual Plane: four bytes in UTF-8. Left out
        // under Wine, where the host's narrow SQLite driver is reached through
        // unixODBC's UCS-2 conversion, which cuts surrogate pairs short; a
        // Windows driver manager converts UTF-16 whole.
        if (!std::getenv("VENDRAL_WINE_ODBC_DIR"))
            values.emplace_back("\xF0\x9F\x98\x80 \xF0\x9D\x84\x9E");
        return values;
    }
    CDatabase db_;
    std::string prefix_;
    std::string database_;
};

TEST_P(QuotingTest, TheLibrarysSessionsTakeBackslashesLiterallyWhateverTheDatabaseSays) {
    if (engine() == Engine::SQLite) GTEST_SKIP() << "SQLite has no backslash escapes";
    if (engine() == Engine::MariaDB) {
        Recordset modes;
        modes.Open("SELECT @@GLOBAL.sql_mode, @@SESSION.sql_mode", db_.dDatabase(),
                   adOpenForwardOnly, adLockReadOnly, adCmdText);
        const std::string global = modes.Fields(std::size_t{0}).Value().ToString();
        const std::string session = modes.Fields(std::size_t{1}).Value().ToString();
        modes.Close();
        EXPECT_EQ(global.find("NO_BACKSLASH_ESCAPES"), std::string::npos)
            << "the server's default this test runs under: " << global;
        // The server's own modes are kept, NO_BACKSLASH_ESCAPES added to them
        // (the server lists the modes in an order of its own).
        auto modesOf = [](const std::string& text) {
            std::set<std::string> modes;
            std::stringstream list(text);
            for (std::string mode; std::getline(list, mode, ',');) modes.insert(mode);
            return modes;
        };
        std::set<std::string> expected = modesOf(global);
        expected.insert("NO_BACKSLASH_ESCAPES");
        EXPECT_EQ(modesOf(session), expected);
        return;
    }
    Recordset settings;
    settings.Open(
        "SELECT reset_val, setting FROM pg_settings WHERE name = 'standard_conforming_strings'",
        db_.dDatabase(), adOpenForwardOnly, adLockReadOnly, adCmdText);
    EXPECT_EQ(settings.Fields(std::size_t{0}).Value().ToString(), "off")
        << "the database's default this test runs under";
    EXPECT_EQ(settings.Fields(std::size_t{1}).Value().ToString(), "on");
    settings.Close();
}

TEST_P(QuotingTest, PreferencesKeepEveryValueAndRunNothingHiddenInIt) {
    int key = 0;
    for (const std::string& value : Values()) {
        const std::string name = "key" + std::to_string(++key);
        db_.SavePreference(3, 7, "Sec\\", name, value);
        EXPECT_EQ(db_.GetPreference(3, 7, "Sec\\", name, "default").ToString(), value);
        // The second save updates the row found by section and key.
        db_.SavePreference(3, 7, "Sec\\", name, value + "!");
        EXPECT_EQ(db_.GetPreference(3, 7, "Sec\\", name, "default").ToString(), value + "!");
    }
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM userpreference").ToLongLong(),
              static_cast<std::int64_t>(Values().size()));
    EXPECT_EQ(Contacts(), 2);
    EXPECT_EQ(LogRows(*central_).size(), 2 * Values().size());
}

TEST_P(QuotingTest, ListNamesAreFoundAgainAndCreatedOnce) {
    // A name is found by its beginning, so none of these begins another.
    std::vector<std::string> names = {"C:\\dir", "Dept\\", "100% _sure_ !"};
    int n = 0;
    for (const std::string& value : Values()) names.push_back(std::to_string(++n) + value);
    for (const std::string& name : names) {
        const std::int32_t id = db_.GetListID(Category, name, true).ToLong();
        EXPECT_GT(id, 0) << name;
        EXPECT_EQ(db_.GetListID(Category, name, true).ToLong(), id) << name;
        EXPECT_EQ(
            central_->Scalar("SELECT name FROM category WHERE category_id = " + std::to_string(id)),
            Variant(name));
    }
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM category").ToLongLong(),
              static_cast<std::int64_t>(names.size()));
    EXPECT_EQ(LogRows(*central_).size(), names.size());
    EXPECT_EQ(Contacts(), 2);
}

TEST_P(QuotingTest, CheckSqlTextsRoundTripThroughExecSql) {
    int id = 100;
    for (const std::string& value : Values()) {
        ++id;
        db_.ExecSQL("INSERT INTO " + prefix_ + "contact (contact_id, name) VALUES (" +
                        std::to_string(id) + ", '" + db_.CheckSQL(value).ToString() + "')",
                    id);
        EXPECT_EQ(
            central_->Scalar("SELECT name FROM contact WHERE contact_id = " + std::to_string(id)),
            Variant(value));
        EXPECT_EQ(
            db_.CountRecords("contact", "WHERE name = '" + db_.CheckSQL(value).ToString() + "'")
                .ToLongLong(),
            1)
            << value;
    }
    EXPECT_EQ(Contacts(), 2 + static_cast<std::int64_t>(Values().size()));
}

VENDRAL_INSTANTIATE_ENGINES(QuotingTest);

}  // namespace
}  // namespace vendral::test
