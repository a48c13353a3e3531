// OpenODBC_DB: what it reads from and writes to the settings file, the
// passwords and user ids it connects with, and the missing-file dialog.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/cdatabase_inspection.h"
#include "data/opening_support.h"
#include "settings/password_encoding.h"
#include "vendral/cdatabase.h"

namespace vendral::test {
namespace {

Variant ScalarOn(const std::shared_ptr<Connection>& connection, const std::string& sql) {
    Recordset recordset;
    recordset.Open(sql, connection, adOpenForwardOnly, adLockReadOnly, adCmdText);
    Variant value = recordset.Fields(std::size_t{0}).Value();
    recordset.Close();
    return value;
}

using OpeningSettingsTest = OpeningTest;

TEST_F(OpeningSettingsTest, PlainPasswordIsMovedToItsEncodedFormAndOpensTheRole) {
    VENDRAL_REQUIRE_POSTGRES();
    PostgresRole role("move", "Tr4vel-Pw");
    std::string file =
        SettingsFile("[Central]\nDSN=vendral_pg\nUID=" + role.Name() + "\nPWD=" + role.Password() +
                     "\n[Local]\nDSN=vendral_sqlite_local\nPWD=local-plain\n");
    {
        CDatabase db;
        EXPECT_EQ(db.OpenODBC_DB(file, OpenCentral), Variant(true));
        EXPECT_TRUE(host_->Messages.empty());
        EXPECT_TRUE(db.dDatabaseIsRunning());
        EXPECT_EQ(ScalarOn(db.dDatabase(), "SELECT current_user").ToString(), role.Name());
        EXPECT_EQ(db.CentralPassword(), role.Password());
        EXPECT_EQ(db.LocalPassword(), "local-plain");
    }
    EXPECT_EQ(IniValue(file, "Central", "PWD"), "");
    EXPECT_EQ(IniValue(file, "Central", "PWDC"), EncodePassword(role.Password()));
    EXPECT_EQ(IniValue(file, "Local", "PWD"), "");
    EXPECT_EQ(IniValue(file, "Local", "PWDC"), EncodePassword("local-plain"));
    EXPECT_EQ(FileText(file).find(role.Password()), std::string::npos) << FileText(file);

    // The second open finds only the encoded form.
    CDatabase again;
    EXPECT_EQ(again.OpenODBC_DB(file, OpenCentral), Variant(true));
    EXPECT_TRUE(again.dDatabaseIsRunning());
    EXPECT_EQ(again.CentralPassword(), role.Password());
    EXPECT_EQ(ScalarOn(again.dDatabase(), "SELECT current_user").ToString(), role.Name());

    // The password really is what lets the role in.
    WriteIniValue("Central", "PWDC", EncodePassword("not-the-password"), file);
    CDatabase wrong;
    EXPECT_EQ(wrong.OpenODBC_DB(file, OpenCentral), Variant(false));
    EXPECT_FALSE(wrong.dDatabaseIsRunning());
    ASSERT_EQ(host_->Messages.size(), 1u);
    EXPECT_EQ(
        host_->Messages[0].Text.rfind("There is a problem with the central connection.\r\n", 0),
        0u);
}

// A file that cannot be rewritten keeps its plain password; the open must use
// it rather than the empty encoded one, and say once why the file stays as it is.
TEST_F(OpeningSettingsTest, APlainPasswordInAReadOnlyFileIsUsedAndTheFailureReportedOnce) {
    VENDRAL_REQUIRE_POSTGRES();
    PostgresRole role("readonly", "R3ad-0nly");
    const std::string text = "[Central]\nDSN=vendral_pg\nUID=" + role.Name() +
                             "\nPWD=" + role.Password() +
                             "\n[Local]\nDSN=vendral_sqlite_local\nPWD=local-plain\n";
    std::string file = SettingsFile(text);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, OpenCentral), Variant(true));
    EXPECT_TRUE(db.dDatabaseIsRunning());
    EXPECT_EQ(ScalarOn(db.dDatabase(), "SELECT current_user").ToString(), role.Name());
    EXPECT_EQ(db.CentralPassword(), role.Password());
    EXPECT_EQ(db.LocalPassword(), "local-plain");
    ASSERT_EQ(host_->Messages.size(), 1u);
    EXPECT_EQ(host_->Messages[0].Title, "Message");
    EXPECT_EQ(host_->Messages[0].Text,
              "The settings file " + file +
                  " could not be updated, so its plain-text password could not be replaced by "
                  "the encoded one; the password was used as it stands.");
    EXPECT_EQ(FileText(file), text);
    std::filesystem::permissions(
        file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

// As database clients do for their password files, a settings file holding a
// password that others may read is pointed out, once per open.
TEST_F(OpeningSettingsTest, ASettingsFileWithAPasswordReadableByOthersIsPointedOut) {
    namespace fs = std::filesystem;
    const std::string warning =
        " holds a password and can be read by other users; it should "
        "be readable by its owner only (chmod 600).";
    std::string file = SettingsFile(
        "[Central]\nDSN=vendral_sqlite\nPWD=plain\n[Local]\nDSN=vendral_sqlite_local\n"
        "PWDC=" +
        EncodePassword("local") + "\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
    {
        CDatabase db;
        EXPECT_EQ(db.OpenODBC_DB(file, OpenCentral), Variant(true));
        ASSERT_EQ(host_->Messages.size(), 1u);
        EXPECT_EQ(host_->Messages[0].Text, "The settings file " + file + warning);
        EXPECT_EQ(host_->Messages[0].Title, "Message");
    }
    // The mode is the user's to change; the file keeps it.
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::others_read, fs::perms::others_read);
    host_->Messages.clear();
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    {
        CDatabase db;
        EXPECT_EQ(db.OpenODBC_DB(file, OpenCentral), Variant(true));
        EXPECT_TRUE(host_->Messages.empty());
    }
    // No password, nothing to point out.
    std::string open =
        WriteSettingsFile(TestFileName(".open.ini"),
                          "[Central]\nDSN=vendral_sqlite\nPWDC=" + EncodePassword("") + "\n");
    fs::permissions(open, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(open, OpenCentral), Variant(true));
    EXPECT_TRUE(host_->Messages.empty());
}

TEST_F(OpeningSettingsTest, EncodedEmptyPasswordConnectsWithoutPassword) {
    ASSERT_FALSE(EmptyPasswordSentinel().empty());
    ASSERT_EQ(DecodePassword(EncodePassword("")), EmptyPasswordSentinel());
    std::string file =
        SettingsFile("[Central]\nDSN=vendral_pg_closed\nUID=clerk\nPWDC=" + EncodePassword("") +
                     "\n[Local]\nDSN=vendral_sqlite_local\nPWDC=" + EncodePassword("") + "\n");
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, OpenCentral), Variant(false));
    EXPECT_EQ(db.CentralPassword(), "");
    EXPECT_EQ(db.LocalPassword(), "");
    // A failed open keeps the string it was given, reported without its password.
    EXPECT_EQ(db.dDatabase()->ConnectionString(),
              "Provider=MSDASQL;dsn=vendral_pg_closed;uid=clerk");
}

TEST_F(OpeningSettingsTest, UserIdAndPasswordOverridesReachOnlyTheConnectionStrings) {
    VENDRAL_REQUIRE_POSTGRES();
    PostgresRole role("override", "0verride");
    std::string file = SettingsFile(
        "[Central]\nDSN=vendral_pg\nUID=file_central\nPWD=file-secret\n"
        "[Local]\nDSN=vendral_pg_closed\nUID=file_local\n");
    CDatabase db;
    db.UserID(role.Name());
    db.Password(role.Password());
    // The local side cannot be reached: mode 3 reports it and keeps the central one.
    EXPECT_EQ(db.OpenODBC_DB(file, Central_Local), Variant(false));
    EXPECT_EQ(db.CentralUID(), "file_central");
    EXPECT_EQ(db.LocalUID(), "file_local");
    EXPECT_EQ(db.CentralPassword(), "file-secret");
    EXPECT_TRUE(db.dDatabaseIsRunning());
    EXPECT_EQ(ScalarOn(db.dDatabase(), "SELECT current_user").ToString(), role.Name());
    // The override reached the string, which is reported without its password.
    EXPECT_EQ(db.LocaldDatabase()->ConnectionString(),
              "Provider=MSDASQL;dsn=vendral_pg_closed;uid=" + role.Name());
}

TEST_F(OpeningSettingsTest, PasswordWithSeparatorsAndBracesOpensTheRoleThatHasIt) {
    VENDRAL_REQUIRE_POSTGRES();
    PostgresRole role("braces", "se;cr}et{pw=1");
    std::string file = SettingsFile("[Central]\nDSN=vendral_pg\nUID=" + role.Name() +
                                    "\nPWDC=" + EncodePassword(role.Password()) + "\n");
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, OpenCentral), Variant(true));
    EXPECT_TRUE(host_->Messages.empty()) << host_->Messages[0].Text;
    EXPECT_EQ(db.CentralPassword(), role.Password());
    EXPECT_EQ(ScalarOn(db.dDatabase(), "SELECT current_user").ToString(), role.Name());

    // Through explicit parameters, with blanks around the password as well.
    PostgresRole blanks("blanks", " lead;}trail ");
    CDatabase direct;
    direct.OpenODBC_ByConnection("vendral_pg", "CRM5.", "", Variant(blanks.Name()),
                                 blanks.Password());
    EXPECT_EQ(ScalarOn(direct.dDatabase(), "SELECT current_user").ToString(), blanks.Name());
}

TEST_F(OpeningSettingsTest, ReadsBothSectionsAndTakesTheLocalPrefixFromLocal) {
    std::string file = SettingsFile(
        "[Central]\nDSN=vendral_sqlite\nUID=alice\nDBPrefix=main\n"
        "[Local]\nDSN=not_this_one\nUID=nobody\nDBPrefix=LOCALPFX\n"
        "[Travel]\nDSN=vendral_sqlite_local\nUID=traveller\nDBPrefix=NOT_THIS\n");
    CDatabase db;
    db.LocalDSNEntry("Travel");
    EXPECT_EQ(db.OpenODBC_DB(file, 0), Variant(true));
    EXPECT_EQ(SettingsFilePath(), file);
    EXPECT_EQ(db.CentralDSN(), "vendral_sqlite");
    EXPECT_EQ(db.CentralUID(), "alice");
    EXPECT_EQ(db.LocalDSN(), "vendral_sqlite_local");
    EXPECT_EQ(db.LocalUID(), "traveller");
    EXPECT_EQ(db.CentralDatabasePrefix(), "main.");
    EXPECT_EQ(db.LocalDatabasePrefix(), "LOCALPFX.");
    EXPECT_EQ(vendral::internal::CentralTableCatalogue(db)[9], "main.APPOINTMENT");
    EXPECT_EQ(vendral::internal::LocalTableCatalogue(db)[9], "LOCALPFX.APPOINTMENT");
    // Type detection works on the section LocalDSNEntry names.
    EXPECT_EQ(IniValue(file, "Travel", "DatabaseType"), "SQLITE3");
    EXPECT_EQ(IniValue(file, "Local", "DatabaseType"), "");

    // An empty prefix reads as the default, and an empty LocalDSNEntry becomes "Local".
    std::string bare =
        WriteSettingsFile(TestFileName(".bare.ini"), "[Central]\nDSN=vendral_sqlite\nDBPrefix=\n");
    CDatabase plain;
    plain.CentralDatabasePrefix("main.");
    EXPECT_EQ(plain.OpenODBC_DB(bare, 0), Variant(true));
    EXPECT_EQ(plain.CentralDatabasePrefix(), "CRM5.");
    EXPECT_EQ(plain.LocalDatabasePrefix(), "CRM5.");
    EXPECT_EQ(plain.LocalDSNEntry(), "Local");
    // A new object gives both connections its default time-out of 60 seconds.
    EXPECT_EQ(plain.dDatabase()->CommandTimeout(), 60);
    EXPECT_EQ(plain.dDatabase()->ConnectionTimeout(), 60);
    EXPECT_EQ(plain.LocaldDatabase()->CommandTimeout(), 60);
    EXPECT_EQ(plain.LocaldDatabase()->ConnectionTimeout(), 60);
}

TEST_F(OpeningSettingsTest, OtherModesOpenNothingButPrepareEverything) {
    for (std::int32_t mode : {0, 6}) {
        std::string file = WriteSettingsFile(
            TestFileName("." + std::to_string(mode) + ".ini"),
            "[Central]\nDSN=vendral_sqlite\nPWD=moved\n[Local]\nDSN=vendral_sqlite_local\n");
        ScopedRecordingHost host;
        CDatabase db;
        db.DatabaseTimeOUt(9);
        EXPECT_EQ(db.OpenODBC_DB(file, mode), Variant(true)) << mode;
        EXPECT_EQ(db.dDatabase()->State(), adStateClosed);
        EXPECT_EQ(db.LocaldDatabase()->State(), adStateClosed);
        EXPECT_FALSE(db.dDatabaseIsRunning());
        EXPECT_FALSE(db.LocaldDatabaseIsRunning());
        EXPECT_EQ(db.CentralConnectionString(), "");
        EXPECT_EQ(db.DatabaseTypeCentral(), "");
        EXPECT_EQ(db.FailCount(), 0);
        EXPECT_EQ(db.CentralPassword(), "moved");
        EXPECT_EQ(IniValue(file, "Central", "PWDC"), EncodePassword("moved"));
        EXPECT_EQ(IniValue(file, "Central", "ForceDriver"), "FALSE");
        EXPECT_EQ(db.dDatabase()->CommandTimeout(), 9);
        EXPECT_EQ(db.dDatabase()->ConnectionTimeout(), 9);
        EXPECT_EQ(db.LocaldDatabase()->CommandTimeout(), 9);
        EXPECT_EQ(db.LocaldDatabase()->ConnectionTimeout(), 9);
        EXPECT_EQ(host->Pointers, (std::vector<int>{kPointerBusy, kPointerArrow}));
        EXPECT_TRUE(host->Messages.empty());
        EXPECT_TRUE(host->Dialogs.empty());
    }
}

TEST_F(OpeningSettingsTest, MissingFileWithTheHeadlessHostOpensNothing) {
    std::string file = TestOdbc::Instance().ScratchPath(TestFileName());
    std::filesystem::remove(file);
    // No user interface at all: the default host and no settings dialog.
    std::shared_ptr<UiHost> previous = InstallUiHost(nullptr);
    SettingsDialogRunner previousDialog = InstallSettingsDialogRunner({});
    CDatabase db;
    ::testing::internal::CaptureStderr();
    Variant result = db.OpenODBC_DB(file, Central_if_failes_local);
    std::string said = ::testing::internal::GetCapturedStderr();
    InstallSettingsDialogRunner(previousDialog);
    InstallUiHost(previous);
    EXPECT_EQ(result, Variant(false));
    EXPECT_NE(said.find(file), std::string::npos) << said;
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(db.dDatabase()->State(), adStateClosed);
    EXPECT_FALSE(db.dDatabaseIsRunning());
    EXPECT_EQ(db.CentralDSN(), "");
    EXPECT_EQ(db.FailCount(), 0);
}

TEST_F(OpeningSettingsTest, MissingFileShowsTheDialogWithTheOpenModeFirst) {
    std::string file = TestOdbc::Instance().ScratchPath(TestFileName());
    std::filesystem::remove(file);
    CurrentDialogState().Cancelled = true;

    CDatabase cancelled;
    EXPECT_EQ(cancelled.OpenODBC_DB(file, Central_Local, true), Variant(false));
    ASSERT_EQ(host_->Dialogs.size(), 1u);
    EXPECT_EQ(host_->Dialogs[0].SettingsFile, file);
    EXPECT_EQ(host_->Dialogs[0].State.Mode, 3);
    EXPECT_EQ(host_->Dialogs[0].State.AskServer, 1);
    EXPECT_FALSE(host_->Dialogs[0].State.Cancelled);
    EXPECT_EQ(host_->EventRuns, 1);
    EXPECT_EQ(host_->Pointers, (std::vector<int>{kPointerArrow}));
    EXPECT_TRUE(host_->Messages.empty());

    // A dialog that saves the settings lets the open go on with them.
    host_->OnDialog = [&] {
        WriteSettingsFile(TestFileName(), "[Central]\nDSN=vendral_sqlite\nDBPrefix=main\n");
    };
    CDatabase saved;
    EXPECT_EQ(saved.OpenODBC_DB(file, OpenCentral), Variant(true));
    ASSERT_EQ(host_->Dialogs.size(), 2u);
    EXPECT_EQ(host_->Dialogs[1].State.Mode, 1);
    EXPECT_EQ(host_->Dialogs[1].State.AskServer, 0);
    EXPECT_TRUE(saved.dDatabaseIsRunning());
    EXPECT_TRUE(host_->Messages.empty());
}

TEST_F(OpeningSettingsTest, ErrorBeforeTheConnectionPhaseEndsWithAnEmptyResult) {
    // The only fault that can be provoked before connecting: the dialog itself fails.
    std::string file = TestOdbc::Instance().ScratchPath(TestFileName());
    std::filesystem::remove(file);
    host_->OnDialog = [] { throw std::runtime_error("no display"); };
    CDatabase db;
    Variant result = db.OpenODBC_DB(file, OpenCentral);
    EXPECT_TRUE(result.IsEmpty()) << result;
    EXPECT_EQ(db.FailCount(), 1);
    EXPECT_EQ(db.LastReturnedErrorMessage(), "no display");
    EXPECT_TRUE(host_->Messages.empty());
    EXPECT_EQ(host_->Pointers, (std::vector<int>{kPointerArrow}));
}

}  // namespace
}  // namespace vendral::test
