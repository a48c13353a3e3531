#include "settings/registry_lookup.h"

#include <gtest/gtest.h>

#include "support/test_database.h"
#include "vendral/connection.h"
#include "vendral/settings.h"

namespace vendral::test {
namespace {

Variant DriverOf(const std::string& dsn, std::int16_t root) {
    return ReadRegistryValue(kOdbcDataSourcesKey, dsn, root);
}

// Drivers and data sources of these tests, registered once per process.
class RegistryLookup : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        TestOdbc& odbc = TestOdbc::Instance();
        odbc.AddDriver("Vendral SQL Server Test", "SQLite3");
        odbc.AddDataSource("vendral_mssql", {{"Driver", "Vendral SQL Server Test"},
                                             {"Database", odbc.ScratchPath("mssql.db")}});
        odbc.AddDataSource("vendral_user_only",
                           {{"Driver", "SQLite3"}, {"Database", odbc.ScratchPath("user.db")}},
                           /*userOnly=*/true);
        odbc.AddDataSource("vendral_by_path", {{"Driver", odbc.DriverPath("PostgreSQL Unicode")},
                                               {"Database", "postgres"}});
        odbc.AddDataSource("vendral_listed",
                           {{"Driver", "SQLite3"}, {"Database", odbc.ScratchPath("listed.db")}});
        odbc.AddDataSource("ODBC Data Sources", {{"vendral_listed", "Vendral Listed Driver"}});
    }
};

TEST_F(RegistryLookup, SystemDataSourceIsFoundUnderTheLocalMachineOnly) {
    EXPECT_EQ(DriverOf("vendral_mssql", kRootLocalMachine), Variant("Vendral SQL Server Test"));
    EXPECT_TRUE(DriverOf("vendral_mssql", kRootCurrentUser).IsEmpty());
    EXPECT_EQ(DriverOf("VENDRAL_MSSQL", kRootLocalMachine), Variant("Vendral SQL Server Test"));
    EXPECT_EQ(DriverOf(kSqliteCentralDsn, kRootLocalMachine), Variant("SQLite3"));
}

TEST_F(RegistryLookup, UserDataSourceIsFoundUnderTheCurrentUserOnly) {
    EXPECT_EQ(DriverOf("vendral_user_only", kRootCurrentUser), Variant("SQLite3"));
    EXPECT_TRUE(DriverOf("vendral_user_only", kRootLocalMachine).IsEmpty());
}

TEST_F(RegistryLookup, DriverIsNamedAsTheDriverManagerKnowsIt) {
    // A driver given by its file is reported under its name in the driver list.
    EXPECT_EQ(DriverOf("vendral_by_path", kRootLocalMachine), Variant("PostgreSQL Unicode"));
    // The data source list, where it has an entry, names the driver.
    EXPECT_EQ(DriverOf("vendral_listed", kRootLocalMachine), Variant("Vendral Listed Driver"));
}

TEST_F(RegistryLookup, AnythingElseIsEmpty) {
    EXPECT_TRUE(DriverOf("vendral_no_such_source", kRootLocalMachine).IsEmpty());
    EXPECT_TRUE(DriverOf("", kRootLocalMachine).IsEmpty());
    for (std::int16_t root : {0, 3, -1}) EXPECT_TRUE(DriverOf("vendral_mssql", root).IsEmpty());
    EXPECT_TRUE(
        ReadRegistryValue("Software\\ODBC\\odbc.ini\\vendral_mssql", "Driver", kRootLocalMachine)
            .IsEmpty());
    // Registry key paths are not case-sensitive.
    EXPECT_EQ(ReadRegistryValue("SOFTWARE\\odbc\\ODBC.INI\\odbc data sources", "vendral_mssql",
                                kRootLocalMachine),
              Variant("Vendral SQL Server Test"));
}

TEST_F(RegistryLookup, QueryReportsItsStatus) {
    RegistryKey key{kRootLocalMachine, kOdbcDataSourcesKey};
    Variant value("untouched");
    EXPECT_EQ(QueryRegistryValue(key, "vendral_mssql", value), 0);
    EXPECT_EQ(value, Variant("Vendral SQL Server Test"));

    value = Variant("untouched");
    EXPECT_NE(QueryRegistryValue(key, "vendral_no_such_source", value), 0);
    EXPECT_EQ(value, Variant("untouched"));
    EXPECT_NE(QueryRegistryValue(RegistryKey{5, kOdbcDataSourcesKey}, "vendral_mssql", value), 0);
    EXPECT_EQ(value, Variant("untouched"));
}

TEST_F(RegistryLookup, SourcesAddedLaterAreSeen) {
    // The driver manager must not answer from a stale copy of its files.
    EXPECT_TRUE(DriverOf("vendral_added_late", kRootLocalMachine).IsEmpty());
    EXPECT_TRUE(DriverOf("vendral_added_late_user", kRootCurrentUser).IsEmpty());
    TestOdbc::Instance().AddDataSource("vendral_added_late", {{"Driver", "SQLite3"}});
    TestOdbc::Instance().AddDataSource("vendral_added_late_user", {{"Driver", "SQLite3"}}, true);
    EXPECT_EQ(DriverOf("vendral_added_late", kRootLocalMachine), Variant("SQLite3"));
    EXPECT_EQ(DriverOf("vendral_added_late_user", kRootCurrentUser), Variant("SQLite3"));
}

TEST_F(RegistryLookup, LookupLeavesTheDriverManagerReadingBothKinds) {
    // After a lookup under one root, both system and user data sources still connect.
    EXPECT_FALSE(DriverOf("vendral_user_only", kRootCurrentUser).IsEmpty());
    Connection system;
    system.Open(std::string("Provider=MSDASQL;dsn=") + kSqliteCentralDsn + ";uid=;pwd=");
    EXPECT_FALSE(DriverOf(kSqliteCentralDsn, kRootLocalMachine).IsEmpty());
    Connection user;
    user.Open("Provider=MSDASQL;dsn=vendral_user_only;uid=;pwd=");
    EXPECT_EQ(user.State(), adStateOpen);
    EXPECT_EQ(system.State(), adStateOpen);
}

}  // namespace
}  // namespace vendral::test
