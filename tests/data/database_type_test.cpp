// The database type of each side, from the driver registered for its data
// source, and what "ForceDriver" does to it.
#include <gtest/gtest.h>

#include <cctype>

#include "data/opening_support.h"
#include "vendral/cdatabase.h"

namespace vendral::test {
namespace {

struct DriverCase {
    std::string Driver;
    std::string Type;
};

class DetectionTest : public OpeningTest, public ::testing::WithParamInterface<DriverCase> {};

TEST_P(DetectionTest, TypeComesFromTheRegisteredDriverName) {
    const DriverCase& c = GetParam();
    std::string dsn = c.Driver == "SQLite3" ? "vendral_sqlite" : "vendral_type_" + ToLower(c.Type);
    for (char& ch : dsn)
        if (ch == ' ' || ch == '.') ch = '_';
    if (c.Driver != "SQLite3") AddSqliteDataSource(dsn, c.Driver);
    std::string file = SettingsFile("[Central]\nDSN=" + dsn + "\nDatabaseType=\n");
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, 0), Variant(true));
    EXPECT_EQ(IniValue(file, "Central", "DatabaseType"), c.Type);
    EXPECT_EQ(IniValue(file, "Central", "ForceDriver"), "FALSE");
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, DetectionTest,
    ::testing::Values(DriverCase{"SQLite3", "SQLITE3"},
                      DriverCase{"Sybase SQL Anywhere 5.0", "SYBASE"},
                      DriverCase{"Adaptive Server Anywhere 9.0", "ADAPTIVESYBASE"},
                      DriverCase{"Sybase Adaptive Server Enterprise", "ADAPTIVESYBASE"},
                      DriverCase{"Oracle in OraHome92", "ORACLE"},
                      DriverCase{"SQL Server", "SQLSERVER"},
                      DriverCase{"Microsoft Access Driver (*.mdb)", "ACCESS"},
                      // A later word wins over an earlier one.
                      DriverCase{"Oracle Gateway for Access", "ACCESS"},
                      DriverCase{"Acme Data Driver 2.1", "ACME DATA DRIVER 2.1"}),
    [](const ::testing::TestParamInfo<DriverCase>& info) {
        std::string name;
        for (char ch : info.param.Type)
            if (std::isalnum(static_cast<unsigned char>(ch))) name.push_back(ch);
        return name + std::to_string(info.index);
    });

using DatabaseTypeTest = OpeningTest;

TEST_F(DatabaseTypeTest, PostgresDataSourceIsTypedByItsDriverName) {
    std::string file = SettingsFile(std::string("[Central]\nDSN=") + kPostgresClosedDsn +
                                    "\n[Local]\nDSN=vendral_sqlite_local\n");
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, 0), Variant(true));
    EXPECT_EQ(IniValue(file, "Central", "DatabaseType"), "POSTGRESQL UNICODE");
    EXPECT_EQ(IniValue(file, "Local", "DatabaseType"), "SQLITE3");
    EXPECT_EQ(IniValue(file, "Local", "ForceDriver"), "FALSE");
}

TEST_F(DatabaseTypeTest, ForcedTypeIsKeptAndUsedAtTheOpen) {
    std::string file = SettingsFile(
        "[Central]\nDSN=vendral_sqlite\nDBPrefix=main\nDatabaseType=Oracle\nForceDriver=yes\n");
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, OpenCentral), Variant(true));
    EXPECT_EQ(IniValue(file, "Central", "DatabaseType"), "Oracle");
    EXPECT_EQ(IniValue(file, "Central", "ForceDriver"), "yes");
    EXPECT_EQ(db.DatabaseTypeCentral(), "ORACLE");
    CDatabase oracle;
    oracle.SetSQLFunctions("ORACLE");
    EXPECT_EQ(db.SQLFunct_FirstLast(), oracle.SQLFunct_FirstLast());
    EXPECT_EQ(db.SQLFunct_PersonContact(), oracle.SQLFunct_PersonContact());
}

TEST_F(DatabaseTypeTest, ForceDriverFalseInAnyCaseDetectsAgain) {
    std::string file =
        SettingsFile("[Central]\nDSN=vendral_sqlite\nDatabaseType=ORACLE\nForceDriver=false\n");
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, 0), Variant(true));
    EXPECT_EQ(IniValue(file, "Central", "DatabaseType"), "SQLITE3");
    EXPECT_EQ(IniValue(file, "Central", "ForceDriver"), "false");
}

TEST_F(DatabaseTypeTest, UserOnlyDataSourceGetsAnEmptyTypeUnlessForced) {
    AddSqliteDataSource("vendral_user_only", "SQLite3", true);
    std::string file = SettingsFile(
        "[Central]\nDSN=vendral_user_only\nDatabaseType=SYBASE\n"
        "[Local]\nDSN=vendral_user_only\nDatabaseType=SYBASE\nForceDriver=TRUE\n");
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, Central_Local), Variant(true));
    EXPECT_EQ(IniValue(file, "Central", "DatabaseType"), "");
    EXPECT_EQ(db.DatabaseTypeCentral(), "");
    EXPECT_EQ(IniValue(file, "Local", "DatabaseType"), "SYBASE");
    EXPECT_EQ(db.DatabaseTypeLocal(), "SYBASE");
}

TEST_F(DatabaseTypeTest, AccessDriverSetsTheAccessFlagsOfTheSidesOpened) {
    AddSqliteDataSource("vendral_access_file", "Microsoft Access Driver (*.mdb)");
    std::string file =
        SettingsFile("[Central]\nDSN=vendral_sqlite\n[Local]\nDSN=vendral_access_file\n");
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, Central_Local), Variant(true));
    EXPECT_FALSE(db.SysdDatabaseAccess());
    EXPECT_TRUE(db.SysLocaldDatabaseAccess());
    EXPECT_EQ(db.DatabaseTypeLocal(), "ACCESS");
    // The dialect follows the central side only.
    EXPECT_EQ(db.DatabaseTypeCentral(), "SQLITE3");

    CDatabase local;
    EXPECT_EQ(local.OpenODBC_DB(file, OpenLocal), Variant(true));
    EXPECT_TRUE(local.SysdDatabaseAccess());
    EXPECT_EQ(local.DatabaseTypeCentral(), "ACCESS");
}

}  // namespace
}  // namespace vendral::test
