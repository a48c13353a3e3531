// Helpers of the connection-opening tests: settings files, data sources of
// the tests' own and PostgreSQL roles with passwords.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "base/text.h"
#include "support/recording_ui_host.h"
#include "support/test_database.h"
#include "vendral/settings.h"

namespace vendral::test {

// A settings file with exactly this text, in the process's scratch folder.
inline std::string WriteSettingsFile(const std::string& name, const std::string& text) {
    std::string path = TestOdbc::Instance().ScratchPath(name);
    std::ofstream out(path, std::ios::trunc);
    out << text;
    return path;
}

inline std::string IniValue(const std::string& file, const std::string& section,
                            const std::string& key) {
    return ReadIniValue(section, key, "", file).ToString();
}

inline std::string FileText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A system (or user-only) data source on an SQLite file of its own, for a
// driver entry of the given name that loads the SQLite driver.
inline void AddSqliteDataSource(const std::string& dsn, const std::string& driver,
                                bool userOnly = false) {
    static std::set<std::string> drivers, sources;
    TestOdbc& odbc = TestOdbc::Instance();
    if (driver != "SQLite3" && drivers.insert(driver).second) odbc.AddDriver(driver, "SQLite3");
    if (sources.insert(dsn).second) {
        odbc.AddDataSource(dsn, {{"Driver", driver}, {"Database", odbc.ScratchPath(dsn + ".db")}},
                           userOnly);
    }
}

// A PostgreSQL login role with a password (roles belong to the whole server),
// dropped again at the end.
class PostgresRole {
  public:
    PostgresRole(const std::string& tag, const std::string& password)
        : name_("vendral_" + tag + "_" + std::to_string(getpid())), password_(password) {
        admin_.Open("Provider=MSDASQL;dsn=vendral_pg_admin;uid=postgres;pwd=" +
                    TestOdbc::Instance().PostgresPassword());
        admin_.Execute("DROP ROLE IF EXISTS " + name_);
        admin_.Execute("CREATE ROLE " + name_ + " LOGIN PASSWORD '" + QuoteSql(password) + "'");
    }
    ~PostgresRole() {
        try {
            admin_.Execute("DROP ROLE IF EXISTS " + name_);
        } catch (...) {
            // A role still connected somewhere goes with the throwaway server.
        }
    }
    const std::string& Name() const { return name_; }
    const std::string& Password() const { return password_; }

  private:
    Connection admin_;
    std::string name_;
    std::string password_;
};

// Switches the free-text index on in a CRM test database.
inline void EnableFreeText(TestDatabase& database) {
    database.Exec(
        "INSERT INTO userpreference (userpreference_id, deflevel, owner_id, prefsection, "
        "prefkey, prefvalue) VALUES (1, 0, 0, 'Freetext', 'Enabled', '1')");
}

// Skips (or, where PostgreSQL is required, fails) a test that needs the server.
#define VENDRAL_REQUIRE_POSTGRES()                                                     \
    do {                                                                               \
        if (!::vendral::test::TestOdbc::Instance().PostgresAvailable()) {              \
            if (std::getenv("VENDRAL_REQUIRE_PG")) FAIL() << "PostgreSQL is required"; \
            GTEST_SKIP() << "no PostgreSQL server";                                    \
        }                                                                              \
    } while (0)

// The name of a settings file of the running test.
inline std::string TestFileName(const std::string& suffix = ".ini") {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name() + suffix;
    for (char& c : name)
        if (c == '/') c = '_';
    return name;
}

// Opening tests run with a recording host.
class OpeningTest : public ::testing::Test {
  protected:
    void SetUp() override { TestOdbc::Instance(); }
    std::string SettingsFile(const std::string& text) {
        return WriteSettingsFile(TestFileName(), text);
    }
    ScopedRecordingHost host_;
};

}  // namespace vendral::test
