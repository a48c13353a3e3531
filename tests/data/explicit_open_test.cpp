// Opening from explicit parameters and from a database file, switching
// connections, and the settings dialog shown by a client.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/opening_support.h"
#include "settings/settings_state.h"
#include "vendral/cdatabase.h"

namespace vendral::test {
namespace {

class ExplicitOpenTest : public EngineTest {
  protected:
    ScopedRecordingHost host_;
};

TEST_P(ExplicitOpenTest, ByConnectionOpensTheCentralSideAsGiven) {
    std::string before = SettingsFilePath();
    EnableFreeText(*central_);
    CDatabase db;
    db.DatabaseTimeOUt(7);
    Variant result = db.OpenODBC_ByConnection(central_->Dsn(), "CRM5", "Oracle",
                                              Variant(central_->Uid()), central_->Pwd());
    EXPECT_TRUE(result.IsEmpty());
    EXPECT_EQ(db.CentralDatabasePrefix(), "CRM5");
    EXPECT_EQ(db.DatabaseTypeCentral(), "Oracle");
    EXPECT_EQ(db.CentralDSN(), central_->Dsn());
    EXPECT_EQ(db.CentralUID(), central_->Uid());
    EXPECT_EQ(db.CentralPassword(), central_->Pwd());
    EXPECT_TRUE(db.dDatabaseIsRunning());
    EXPECT_FALSE(db.SysdDatabaseAccess());
    EXPECT_EQ(db.dDatabase()->State(), adStateOpen);
    // "CRM5" without its dot reaches no table, so the free-text setup stops quietly.
    EXPECT_FALSE(db.UpdateFreeText());
    EXPECT_EQ(db.dDatabase()->CommandTimeout(), 7);
    EXPECT_EQ(db.dDatabase()->ConnectionTimeout(), 7);
    EXPECT_EQ(db.LocaldDatabase()->State(), adStateClosed);
    EXPECT_EQ(SettingsFilePath(), before);
    EXPECT_TRUE(host_->Messages.empty());
    // The type is handed to the dialect as given.
    CDatabase reference;
    reference.SetSQLFunctions("Oracle");
    EXPECT_EQ(db.SQLFunct_FirstLast(), reference.SQLFunct_FirstLast());

    CDatabase prefixed;
    prefixed.OpenODBC_ByConnection(central_->Dsn(), central_->Prefix(), "",
                                   Variant(central_->Uid()), central_->Pwd());
    EXPECT_TRUE(prefixed.UpdateFreeText());

    CDatabase access;
    access.OpenODBC_ByConnection(central_->Dsn(), central_->Prefix(), "ACCESS",
                                 Variant(central_->Uid()), central_->Pwd());
    EXPECT_TRUE(access.SysdDatabaseAccess());
}

TEST_P(ExplicitOpenTest, SwitchingReopensWithTheTypeOfTheNamedSection) {
    std::string file = WriteSettingsFile(
        TestFileName(), "[Travel]\nDatabaseType=oracle\n[Laptop]\nDatabaseType=Access\n");
    vendral::detail::SetSettingsFilePath(file);
    TestDatabase local(Engine::SQLite, Side::Local);
    CDatabase db;
    AttachConnections(db, *central_, &local);
    std::string dialectBefore = db.SQLFunct_FirstLast();

    db.SwitchLocalConnection(central_->ConnectionString(), "Laptop");
    EXPECT_EQ(db.LocaldDatabase()->State(), adStateOpen);
    EXPECT_TRUE(db.LocaldDatabaseIsRunning());
    EXPECT_EQ(db.DatabaseTypeLocal(), "ACCESS");
    EXPECT_TRUE(db.SysLocaldDatabaseAccess());
    EXPECT_FALSE(db.SysdDatabaseAccess());
    EXPECT_EQ(db.SQLFunct_FirstLast(), dialectBefore);
    EXPECT_NE(ToUpper(db.LocalConnectionString()).find("DSN=" + ToUpper(central_->Dsn())),
              std::string::npos);

    db.SwitchCentralConnection(local.ConnectionString(), "Travel");
    EXPECT_TRUE(db.dDatabaseIsRunning());
    EXPECT_EQ(db.DatabaseTypeCentral(), "ORACLE");
    CDatabase oracle;
    oracle.SetSQLFunctions("ORACLE");
    EXPECT_EQ(db.SQLFunct_FirstLast(), oracle.SQLFunct_FirstLast());
    EXPECT_NE(ToUpper(db.CentralConnectionString()).find("DSN=VENDRAL_SQLITE_LOCAL"),
              std::string::npos);
    // The switched connection reaches the other database.
    local.Exec("DELETE FROM sequence WHERE id > 11");
    db.CentralDatabasePrefix(local.Prefix());
    EXPECT_EQ(db.CountRecords("sequence").ToLong(), 2);
}

TEST_P(ExplicitOpenTest, FailedSwitchLeavesTheConnectionClosedAndTheFlagAsItWas) {
    CDatabase db;
    AttachConnections(db, *central_);
    db.SwitchCentralConnection(central_->ConnectionString(), "Central");
    ASSERT_TRUE(db.dDatabaseIsRunning());
    EXPECT_THROW(
        db.SwitchCentralConnection(
            std::string("Provider=MSDASQL;dsn=") + kPostgresClosedDsn + ";uid=x;pwd=", "Central"),
        DatabaseError);
    EXPECT_EQ(db.dDatabase()->State(), adStateClosed);
    EXPECT_TRUE(db.dDatabaseIsRunning());
}

VENDRAL_INSTANTIATE_ENGINES(ExplicitOpenTest);

using ExplicitOpenErrorTest = OpeningTest;

TEST_F(ExplicitOpenErrorTest, ByConnectionLetsTheErrorThroughWithTheStateSoFar) {
    CDatabase db;
    EXPECT_THROW(db.OpenODBC_ByConnection(kPostgresClosedDsn, "X", "SYBASE",
                                          Variant(std::int32_t{42}), "pw"),
                 DatabaseError);
    EXPECT_EQ(db.CentralUID(), "42");
    EXPECT_EQ(db.CentralDatabasePrefix(), "X");
    EXPECT_EQ(db.DatabaseTypeCentral(), "SYBASE");
    EXPECT_FALSE(db.dDatabaseIsRunning());
    EXPECT_EQ(db.FailCount(), 0);
    EXPECT_EQ(db.LastReturnedErrorMessage(), "");
    // The password is kept for opening but never reported.
    EXPECT_EQ(db.dDatabase()->ConnectionString(), "Provider=MSDASQL;dsn=vendral_pg_closed;uid=42");
    EXPECT_TRUE(host_->Messages.empty());
}

TEST_F(ExplicitOpenErrorTest, SwitchingANeverOpenedConnectionFails) {
    TestDatabase central(Engine::SQLite);
    CDatabase db;
    try {
        db.SwitchCentralConnection(central.ConnectionString(), "Central");
        ADD_FAILURE() << "the switch went through";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.Description(), "Operation is not allowed when the object is closed.");
    }
    EXPECT_EQ(db.dDatabase()->State(), adStateClosed);
    EXPECT_FALSE(db.dDatabaseIsRunning());
    EXPECT_EQ(db.dDatabase()->Errors().Count(), 1u);
    EXPECT_THROW(db.SwitchLocalConnection(central.ConnectionString(), "Local"), DatabaseError);
    EXPECT_FALSE(db.LocaldDatabaseIsRunning());
}

TEST_F(ExplicitOpenErrorTest, AccessFileOpensOnTheThirdConnection) {
    TestDatabase source(Engine::SQLite);
    source.Exec("DELETE FROM sequence WHERE id > 14");
    // A name with a separator and a brace, as a path may hold.
    std::string path = TestOdbc::Instance().ScratchPath("crm;copy}.db");
    std::filesystem::copy_file(TestOdbc::Instance().Directory() + "/central.db", path,
                               std::filesystem::copy_options::overwrite_existing);
    CDatabase db;
    db.DatabaseTimeOUt(5);
    EXPECT_EQ(db.OpenAccess_DB(path), Variant(true));
    EXPECT_EQ(db.AccdDatabase()->State(), adStateOpen);
    EXPECT_EQ(db.AccdDatabase()->CommandTimeout(), 60);
    EXPECT_EQ(db.dDatabase()->State(), adStateClosed);
    EXPECT_FALSE(db.dDatabaseIsRunning());
    Recordset rows;
    rows.Open("SELECT COUNT(*) FROM sequence", db.AccdDatabase(), adOpenForwardOnly, adLockReadOnly,
              adCmdText);
    EXPECT_EQ(rows.Fields(std::size_t{0}).Value().ToLong(), 5);
    rows.Close();
    EXPECT_EQ(host_->Pointers, (std::vector<int>{kPointerBusy, kPointerArrow}));
    EXPECT_TRUE(host_->Messages.empty());
}

TEST_F(ExplicitOpenErrorTest, MissingAccessFileGivesFalseQuietly) {
    CDatabase db;
    // Leave an error on the central connection; the failed file open clears it.
    EXPECT_THROW(db.dDatabase()->Execute("SELECT 1"), DatabaseError);
    ASSERT_EQ(db.dDatabase()->Errors().Count(), 1u);
    std::string path = TestOdbc::Instance().ScratchPath("no-such-file.mdb");
    EXPECT_EQ(db.OpenAccess_DB(path), Variant(false));
    // The provider's own description of the failure, as a direct open reports it.
    std::string reason;
    try {
        Connection probe;
        probe.ConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path);
        probe.Open();
    } catch (const DatabaseError& error) {
        reason = error.Description();
    }
    ASSERT_FALSE(reason.empty());
    EXPECT_EQ(db.LastReturnedErrorMessage(), reason);
    EXPECT_EQ(db.FailCount(), 0);
    EXPECT_EQ(db.dDatabase()->Errors().Count(), 0u);
    EXPECT_EQ(db.AccdDatabase()->State(), adStateClosed);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(host_->Messages.empty());
    EXPECT_EQ(host_->Pointers, (std::vector<int>{kPointerBusy, kPointerArrow}));
}

TEST_F(ExplicitOpenErrorTest, SettingsDialogIsFollowedByTheRestartMessage) {
    CurrentDialogState().Cancelled = true;
    host_->OnDialog = [] {};  // the user saves
    CDatabase db;
    std::string file = TestOdbc::Instance().ScratchPath(TestFileName());
    EXPECT_TRUE(db.ShowODBCSettings(file, Central_if_failes_local, true).IsEmpty());
    ASSERT_EQ(host_->Dialogs.size(), 1u);
    EXPECT_EQ(host_->Dialogs[0].SettingsFile, file);
    EXPECT_EQ(host_->Dialogs[0].State.Mode, 4);
    EXPECT_EQ(host_->Dialogs[0].State.AskServer, 1);
    EXPECT_EQ(SettingsFilePath(), file);
    // Not reset by this method.
    EXPECT_TRUE(CurrentDialogState().Cancelled);
    EXPECT_EQ(host_->EventRuns, 1);
    ASSERT_EQ(host_->Messages.size(), 1u);
    EXPECT_EQ(host_->Messages[0].Text,
              "The program must be restarted before changes will take effect!");
    EXPECT_EQ(host_->Messages[0].Title, "Message");
    EXPECT_EQ(host_->Messages[0].Icon, MessageIcon::Information);

    // Also after a cancel.
    host_->OnDialog = nullptr;
    db.ShowODBCSettings(file, OpenCentral);
    EXPECT_EQ(host_->Dialogs[1].State.AskServer, 0);
    EXPECT_EQ(host_->Messages.size(), 2u);
    EXPECT_EQ(host_->Messages[1].Text, host_->Messages[0].Text);
}

}  // namespace
}  // namespace vendral::test
