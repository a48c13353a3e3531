// OpenODBC_DB in each open mode: which connections open, the local fallback,
// the failures that are tolerated and the one message of a fatal failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/utf8_path.h"
#include "data/opening_support.h"
#include "vendral/cdatabase.h"

namespace vendral::test {
namespace {

// A settings-file section for a test database.
std::string Section(const std::string& name, const TestDatabase& database) {
    std::string prefix = database.Prefix();
    prefix.pop_back();
    return "[" + name + "]\nDSN=" + database.Dsn() + "\nUID=" + database.Uid() +
           "\nPWD=" + database.Pwd() + "\nDBPrefix=" + prefix + "\n";
}

std::string ClosedSection(const std::string& name) {
    return "[" + name + "]\nDSN=" + std::string(kPostgresClosedDsn) + "\nUID=nobody\n";
}

// The provider's description of the failure to reach the closed data source.
std::string ClosedCentralReason() {
    try {
        Connection probe;
        probe.Open(std::string("Provider=MSDASQL;dsn=") + kPostgresClosedDsn + ";uid=nobody;pwd=");
    } catch (const DatabaseError& error) {
        return error.Description();
    }
    return "";
}

std::string TypeOf(const TestDatabase& database) {
    switch (database.engine()) {
        case Engine::SQLite:
            return "SQLITE3";
        case Engine::PostgreSQL:
            return "POSTGRESQL UNICODE";
        case Engine::MariaDB:
            return "MARIADB UNICODE";
    }
    return "";
}

// The dialect SetSQLFunctions gives for a type, to compare with an opened object.
std::string FirstLastFor(const std::string& type) {
    CDatabase reference;
    reference.SetSQLFunctions(type);
    return reference.SQLFunct_FirstLast();
}

class OpeningModesTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (!central_) return;
        local_ = std::make_unique<TestDatabase>(Engine::SQLite, Side::Local);
    }
    std::string SettingsFile(const std::string& text) {
        return WriteSettingsFile(TestFileName(), text);
    }
    // The central section of this engine; the local one is always SQLite.
    std::string Central() const { return Section("Central", *central_); }
    std::string Local() const { return Section("Local", *local_); }

    ScopedRecordingHost host_;
    std::unique_ptr<TestDatabase> local_;
};

// A user's profile folder may hold any letters: the settings file there is
// found (not taken for missing, which would ask for new settings) and read.
TEST_P(OpeningModesTest, ASettingsFileInAFolderOfAccentedAndCyrillicLettersOpens) {
    const std::string folder =
        TestOdbc::Instance().ScratchPath("J\xC3\xBCrgen \xD0\x96\xD1\x83\xD0\xBA");
    std::filesystem::create_directories(detail::PathFromUtf8(folder));
    const std::string file = folder + "/" + TestFileName();
    {
        std::ofstream out(detail::PathFromUtf8(file), std::ios::trunc);
        out << Central() + Local();
    }
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, OpenCentral), Variant(true));
    EXPECT_TRUE(host_->Messages.empty());
    EXPECT_TRUE(db.dDatabaseIsRunning());
    EXPECT_EQ(db.CentralDSN(), central_->Dsn());
    // A plain password is moved to its stored form in that same file.
    if (!central_->Pwd().empty()) {
        std::ifstream in(detail::PathFromUtf8(file));
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        EXPECT_NE(text.find("PWDC="), std::string::npos) << text;
    }
}

TEST_P(OpeningModesTest, CentralOnlyOpensTheCentralSideWithItsTypeAndDialect) {
    std::string file = SettingsFile(Central() + Local());
    EnableFreeText(*central_);
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, OpenCentral), Variant(true));
    // The free-text settings come from the central database once it is open.
    EXPECT_TRUE(db.UpdateFreeText());
    EXPECT_TRUE(host_->Messages.empty());
    EXPECT_EQ(host_->Pointers, (std::vector<int>{kPointerBusy, kPointerArrow}));
    EXPECT_TRUE(db.dDatabaseIsRunning());
    EXPECT_FALSE(db.LocaldDatabaseIsRunning());
    EXPECT_EQ(db.LocaldDatabase()->State(), adStateClosed);
    EXPECT_EQ(db.DatabaseTypeCentral(), TypeOf(*central_));
    EXPECT_EQ(db.SQLFunct_FirstLast(), FirstLastFor(TypeOf(*central_)));
    EXPECT_FALSE(db.SysdDatabaseAccess());
    EXPECT_NE(ToUpper(db.CentralConnectionString()).find("DSN=" + ToUpper(central_->Dsn())),
              std::string::npos)
        << db.CentralConnectionString();
    EXPECT_EQ(db.CentralDatabasePrefix(), central_->Prefix());
    // The opened connection reaches the CRM tables under the prefix read.
    EXPECT_EQ(db.CountRecords("sequence").ToLong(), static_cast<std::int32_t>(kCatalogueNames));
    EXPECT_EQ(db.FailCount(), 0);
}

TEST_P(OpeningModesTest, CentralAndLocalOpenBoth) {
    std::string file = SettingsFile(Central() + Local());
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, Central_Local), Variant(true));
    EXPECT_TRUE(host_->Messages.empty());
    EXPECT_TRUE(db.dDatabaseIsRunning());
    EXPECT_TRUE(db.LocaldDatabaseIsRunning());
    EXPECT_EQ(db.DatabaseTypeLocal(), "SQLITE3");
    EXPECT_NE(ToUpper(db.LocalConnectionString()).find("DSN=VENDRAL_SQLITE_LOCAL"),
              std::string::npos);
    local_->Exec("DELETE FROM sequence WHERE id > 20");
    EXPECT_EQ(db.CountRecords("sequence", "", 1).ToLong(), 11);
    EXPECT_EQ(db.CountRecords("sequence").ToLong(), static_cast<std::int32_t>(kCatalogueNames));
}

TEST_P(OpeningModesTest, CentralAndLocalWithTheLocalUnreachableReportsItOnce) {
    std::string file = SettingsFile(Central() + ClosedSection("Local"));
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, Central_Local), Variant(false));
    ASSERT_EQ(host_->Messages.size(), 1u);
    EXPECT_EQ(host_->Messages[0].Text,
              "There is a problem with the local connection.\r\n" + db.LastReturnedErrorMessage());
    EXPECT_EQ(host_->Messages[0].Title, "Error");
    EXPECT_EQ(host_->Messages[0].Icon, MessageIcon::Exclamation);
    EXPECT_FALSE(db.LastReturnedErrorMessage().empty());
    EXPECT_EQ(host_->Pointers, (std::vector<int>{kPointerBusy, kPointerArrow}));
    EXPECT_EQ(db.FailCount(), 1);
    EXPECT_TRUE(db.dDatabaseIsRunning());
    EXPECT_EQ(db.dDatabase()->State(), adStateOpen);
    EXPECT_FALSE(db.LocaldDatabaseIsRunning());
}

TEST_P(OpeningModesTest, FallbackModesKeepTheCentralWhenItOpens) {
    std::string file = SettingsFile(Central() + Local());
    CDatabase four;
    EXPECT_EQ(four.OpenODBC_DB(file, Central_if_failes_local), Variant(true));
    EXPECT_TRUE(four.dDatabaseIsRunning());
    EXPECT_FALSE(four.LocaldDatabaseIsRunning());
    EXPECT_FALSE(four.LocalStartedasCentral());
    EXPECT_EQ(four.DatabaseTypeCentral(), TypeOf(*central_));
    EXPECT_EQ(four.LocaldDatabase()->State(), adStateClosed);

    CDatabase five;
    EXPECT_EQ(five.OpenODBC_DB(file, Central_local_if_failes_local), Variant(true));
    EXPECT_TRUE(five.dDatabaseIsRunning());
    EXPECT_TRUE(five.LocaldDatabaseIsRunning());
    EXPECT_FALSE(five.LocalStartedasCentral());
    EXPECT_EQ(five.DatabaseTypeLocal(), "SQLITE3");
    EXPECT_EQ(five.FailCount(), 0);
    EXPECT_TRUE(host_->Messages.empty());
}

TEST_P(OpeningModesTest, Mode5ToleratesAnUnreachableLocalSilently) {
    std::string file = SettingsFile(Central() + ClosedSection("Local"));
    CDatabase db;
    db.FailCount(3);
    EXPECT_EQ(db.OpenODBC_DB(file, Central_local_if_failes_local), Variant(true));
    EXPECT_TRUE(host_->Messages.empty());
    EXPECT_TRUE(db.dDatabaseIsRunning());
    EXPECT_FALSE(db.LocaldDatabaseIsRunning());
    EXPECT_FALSE(db.LocalStartedasCentral());
    EXPECT_EQ(db.FailCount(), 4);
    EXPECT_FALSE(db.LastReturnedErrorMessage().empty());
    EXPECT_EQ(db.LocalConnectionString(), "");
    EXPECT_EQ(db.DatabaseTypeLocal(), "");
    EXPECT_EQ(host_->Pointers, (std::vector<int>{kPointerBusy, kPointerArrow}));
}

VENDRAL_INSTANTIATE_ENGINES(OpeningModesTest);

// Unreachable sides need no engine of their own: the local database is SQLite.
class OpeningFallbackTest : public OpeningTest {
  protected:
    void SetUp() override {
        OpeningTest::SetUp();
        local_ = std::make_unique<TestDatabase>(Engine::SQLite, Side::Local);
    }
    std::string Local() const { return Section("Local", *local_); }
    std::unique_ptr<TestDatabase> local_;
};

TEST_F(OpeningFallbackTest, Mode4FallsBackToTheLocalDatabaseSilently) {
    std::string file = SettingsFile(ClosedSection("Central") + Local());
    EnableFreeText(*local_);
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, Central_if_failes_local), Variant(true));
    // The local database in the central slot brings no free-text settings.
    EXPECT_FALSE(db.UpdateFreeText());
    EXPECT_TRUE(host_->Messages.empty());
    EXPECT_EQ(db.FailCount(), 1);
    // The provider's own text, as the error reported it, without an SQLSTATE in front.
    ASSERT_FALSE(ClosedCentralReason().empty());
    EXPECT_EQ(db.LastReturnedErrorMessage(), ClosedCentralReason());
    EXPECT_NE(db.LastReturnedErrorMessage().rfind("[08", 0), 0u);
    EXPECT_TRUE(db.LocalStartedasCentral());
    EXPECT_TRUE(db.dDatabaseIsRunning());
    EXPECT_FALSE(db.LocaldDatabaseIsRunning());
    EXPECT_EQ(db.LocaldDatabase()->State(), adStateClosed);
    EXPECT_EQ(db.DatabaseTypeCentral(), "SQLITE3");
    EXPECT_NE(ToUpper(db.CentralConnectionString()).find("DSN=VENDRAL_SQLITE_LOCAL"),
              std::string::npos);
    // Queries on the central selector now reach the local data (prefix of the
    // central section, which the test database shares).
    db.CentralDatabasePrefix(local_->Prefix());
    local_->Exec("DELETE FROM sequence WHERE id > 12");
    EXPECT_EQ(db.CountRecords("sequence").ToLong(), 3);
    EXPECT_EQ(host_->Pointers, (std::vector<int>{kPointerBusy, kPointerArrow}));
}

TEST_F(OpeningFallbackTest, Mode5FallsBackToTheLocalDatabaseInTheCentralSlot) {
    std::string file = SettingsFile(ClosedSection("Central") + Local());
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, Central_local_if_failes_local), Variant(true));
    EXPECT_TRUE(host_->Messages.empty());
    EXPECT_EQ(db.FailCount(), 1);
    EXPECT_TRUE(db.LocalStartedasCentral());
    EXPECT_TRUE(db.dDatabaseIsRunning());
    EXPECT_FALSE(db.LocaldDatabaseIsRunning());
    EXPECT_EQ(db.LocaldDatabase()->State(), adStateClosed);
    EXPECT_EQ(db.DatabaseTypeCentral(), "SQLITE3");
}

TEST_F(OpeningFallbackTest, Mode5WithBothUnreachableGivesBothReasons) {
    std::string centralReason = ClosedCentralReason();
    ASSERT_FALSE(centralReason.empty());
    std::string file =
        SettingsFile(ClosedSection("Central") + "[Local]\nDSN=vendral_no_such_dsn\n");
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, Central_local_if_failes_local), Variant(false));
    EXPECT_EQ(db.FailCount(), 2);
    ASSERT_EQ(host_->Messages.size(), 1u);
    const std::string& localReason = db.LastReturnedErrorMessage();
    EXPECT_NE(localReason, centralReason);
    EXPECT_EQ(host_->Messages[0].Text,
              "Connection to central database failed, reason: " + centralReason +
                  "\r\nConnection to local database failed, reason: " + localReason);
    EXPECT_FALSE(db.LocalStartedasCentral());
    EXPECT_FALSE(db.dDatabaseIsRunning());
}

TEST_F(OpeningFallbackTest, Mode4WithBothUnreachableReportsTheLocalProblem) {
    std::string file = SettingsFile(ClosedSection("Central") + ClosedSection("Local"));
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, Central_if_failes_local), Variant(false));
    EXPECT_EQ(db.FailCount(), 2);
    ASSERT_EQ(host_->Messages.size(), 1u);
    EXPECT_EQ(host_->Messages[0].Text,
              "There is a problem with the local connection.\r\n" + db.LastReturnedErrorMessage());
    EXPECT_FALSE(db.LocalStartedasCentral());
}

TEST_F(OpeningFallbackTest, CentralOnlyWithTheCentralUnreachableReportsTheCentralProblem) {
    std::string file = SettingsFile(ClosedSection("Central") + Local());
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, OpenCentral), Variant(false));
    EXPECT_EQ(db.FailCount(), 1);
    ASSERT_EQ(host_->Messages.size(), 1u);
    EXPECT_EQ(host_->Messages[0].Text, "There is a problem with the central connection.\r\n" +
                                           db.LastReturnedErrorMessage());
    EXPECT_FALSE(db.dDatabaseIsRunning());
    EXPECT_EQ(host_->Pointers, (std::vector<int>{kPointerBusy, kPointerArrow}));

    // Mode 3 stops at the central side: the local one is not tried.
    CDatabase both;
    EXPECT_EQ(both.OpenODBC_DB(file, Central_Local), Variant(false));
    EXPECT_EQ(both.FailCount(), 1);
    EXPECT_EQ(both.LocaldDatabase()->State(), adStateClosed);
}

TEST_F(OpeningFallbackTest, LocalModeOpensTheLocalDatabaseInTheCentralSlot) {
    std::string file = SettingsFile(ClosedSection("Central") + Local());
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, OpenLocal), Variant(true));
    EXPECT_TRUE(host_->Messages.empty());
    EXPECT_TRUE(db.dDatabaseIsRunning());
    EXPECT_FALSE(db.LocaldDatabaseIsRunning());
    EXPECT_FALSE(db.LocalStartedasCentral());
    EXPECT_EQ(db.DatabaseTypeCentral(), "SQLITE3");
    EXPECT_NE(ToUpper(db.CentralConnectionString()).find("DSN=VENDRAL_SQLITE_LOCAL"),
              std::string::npos);

    std::string closed = WriteSettingsFile(TestFileName(".closed.ini"),
                                           ClosedSection("Central") + ClosedSection("Local"));
    CDatabase failing;
    EXPECT_EQ(failing.OpenODBC_DB(closed, OpenLocal), Variant(false));
    ASSERT_EQ(host_->Messages.size(), 1u);
    EXPECT_EQ(host_->Messages[0].Text, "There is a problem with the local connection.\r\n" +
                                           failing.LastReturnedErrorMessage());
}

}  // namespace
}  // namespace vendral::test
