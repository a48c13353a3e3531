// What the settings dialog lists, loads, checks and saves, against the data
// sources of the process's own ODBC configuration.
#include <QPushButton>

#include "data/opening_support.h"
#include "settings/password_encoding.h"
#include "settings/qt/dialog_support.h"
#include "settings/qt/dsn_entries.h"

namespace vendral::test::qt {
namespace {

using vendral::qt::FrmODBCSettings;

class DialogValues : public ::testing::Test {
  protected:
    void SetUp() override { file_ = FreshSettingsPath(); }
    void LoadFor(int mode, int askServer = 0) {
        SetDialogState(file_, mode, askServer);
        dialog_.Load();
        dialog_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
    }
    void TearDown() override { dialog_.hide(); }
    QLineEdit* Box(const char* name) { return Find<QLineEdit>(&dialog_, name); }
    QComboBox* List(const char* name) { return Find<QComboBox>(&dialog_, name); }
    void Click(const char* name) { ClickButton(Find<QPushButton>(&dialog_, name)); }

    ScratchLibraryFolder library_;
    std::string file_;
    FrmODBCSettings dialog_;
};

TEST_F(DialogValues, ListsHoldExactlyTheConfiguredDataSourcesOfEveryKind) {
    static bool added = false;
    if (!added) {
        AddSqliteDataSource("vendral_dialog_user_only", "SQLite3", true);
        added = true;
    }
    LoadFor(3);
    std::multiset<std::string> configured = ConfiguredDataSources();
    ASSERT_TRUE(configured.count("vendral_dialog_user_only") == 1);
    ASSERT_TRUE(configured.count(kSqliteCentralDsn) == 1);
    for (const char* name : {"CBCentralDSN", "CBLocalDSN"}) {
        std::multiset<std::string> listed;
        for (const QString& item : Items(List(name))) listed.insert(item.toStdString());
        EXPECT_EQ(listed, configured) << name;
        EXPECT_EQ(List(name)->currentIndex(), 0) << name;
    }
    EXPECT_EQ(Items(List("CBCentralDSN")), Items(List("CBLocalDSN")));
}

TEST_F(DialogValues, WithoutASettingsFileBothPrefixesAreCrm5) {
    LoadFor(3);
    EXPECT_EQ(Box("TxtPrefixNetwork")->text(), "CRM5");
    EXPECT_EQ(Box("TxtPrefixLocal")->text(), "CRM5");
    EXPECT_EQ(Box("TxtCentralUID")->text(), "");
    EXPECT_FALSE(std::filesystem::exists(file_));
}

TEST_F(DialogValues, LoadFillsEveryBoxAndMovesAPlainPassword) {
    const std::string encodedLocal = EncodePassword("l0cal pw");
    WriteBytes(file_, std::string("[Central]\nDSN=") + kSqliteLocalDsn +
                          "\nUID=crm_user\nPWD=s3cret;{x}\nDBPrefix=SALES\nServerName=db01\n"
                          "PrefixName=crm\n[Local]\nDSN=" +
                          kSqliteCentralDsn + "\nUID=traveller\nPWDC=" + encodedLocal +
                          "\nDBPrefix=\nServerName=laptop\nPrefixName=crmlocal\n");
    LoadFor(3, 1);
    EXPECT_EQ(List("CBCentralDSN")->currentText(), kSqliteLocalDsn);
    EXPECT_EQ(List("CBLocalDSN")->currentText(), kSqliteCentralDsn);
    EXPECT_EQ(Box("TxtPrefixNetwork")->text(), "SALES");
    EXPECT_EQ(Box("TxtPrefixLocal")->text(), "CRM5");  // an empty value reads as the default
    EXPECT_EQ(Box("TxtCentralUID")->text(), "crm_user");
    EXPECT_EQ(Box("TxtCentralPWD")->text(), "s3cret;{x}");
    EXPECT_EQ(Box("TxtLocalUID")->text(), "traveller");
    EXPECT_EQ(Box("TxtLocalPWD")->text(), "l0cal pw");
    EXPECT_EQ(Box("TxtCentralServer")->text(), "db01");
    EXPECT_EQ(Box("TxtCentralDatabase")->text(), "crm");
    EXPECT_EQ(Box("TxtLocalServer")->text(), "laptop");
    EXPECT_EQ(Box("TxtLocalDatabase")->text(), "crmlocal");
    // The plain password is gone from the file before the user did anything.
    EXPECT_EQ(IniValue(file_, "Central", "PWD"), "");
    EXPECT_EQ(IniValue(file_, "Central", "PWDC"), EncodePassword("s3cret;{x}"));
    EXPECT_EQ(IniValue(file_, "Local", "PWDC"), encodedLocal);
}

TEST_F(DialogValues, PlainPasswordStaysMovedWhenTheUserCancels) {
    WriteBytes(file_, "[Central]\nPWD=plain\n[Local]\nPWD=other\n");
    library_.PutLibrarySettings();
    LoadFor(1);
    MessageBoxRecorder boxes;
    Click("BtnCancel");
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(dialog_.isHidden());
    EXPECT_EQ(ReadBytes(file_), "[Central]\nPWD=\nPWDC=" + EncodePassword("plain") +
                                    "\n[Local]\nPWD=\nPWDC=" + EncodePassword("other") + "\n");
}

TEST_F(DialogValues, UnknownDataSourceNameKeepsTheFirstEntry) {
    WriteBytes(file_, "[Central]\nDSN=no_such_source\n");
    LoadFor(1);
    EXPECT_EQ(List("CBCentralDSN")->currentIndex(), 0);
    EXPECT_FALSE(List("CBCentralDSN")->currentText().isEmpty());
}

TEST_F(DialogValues, SaveWritesTheTwelveValuesInOrderHiddenOnesIncluded) {
    WriteBytes(file_, "[Local]\nUID=kept_local\nServerName=laptop\n");
    LoadFor(1);
    SelectByKeys(List("CBCentralDSN"), kSqliteLocalDsn);
    TypeInto(Box("TxtCentralUID"), "admin   ");
    TypeInto(Box("TxtCentralPWD"), "pass word  ");
    TypeInto(Box("TxtPrefixNetwork"), "main");
    MessageBoxRecorder boxes;
    Click("BtnSave");
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(dialog_.isHidden());
    EXPECT_EQ(dialog_.result(), QDialog::Accepted);
    EXPECT_FALSE(CurrentDialogState().Cancelled);
    const std::string localDsn = List("CBLocalDSN")->itemText(0).toStdString();
    // Keys already in the file keep their lines; the hidden local boxes are
    // written with what loading put into them.
    EXPECT_EQ(EntriesInOrder(file_),
              (std::vector<std::string>{
                  "Local/UID=kept_local", "Local/ServerName=laptop", "Local/DSN=" + localDsn,
                  "Local/PWDC=" + EncodePassword(""), "Local/PrefixName=", "Local/DBPrefix=CRM5",
                  std::string("Central/DSN=") + kSqliteLocalDsn, "Central/UID=admin",
                  "Central/PWDC=" + EncodePassword("pass word"),
                  "Central/ServerName=", "Central/PrefixName=", "Central/DBPrefix=main"}));
}

TEST_F(DialogValues, SaveInANewFileKeepsTheOrderOfTheKeys) {
    LoadFor(3, 1);
    TypeInto(Box("TxtCentralUID"), "u1");
    TypeInto(Box("TxtCentralServer"), "srv1");
    TypeInto(Box("TxtCentralDatabase"), "db1");
    TypeInto(Box("TxtLocalUID"), "u2");
    TypeInto(Box("TxtLocalPWD"), "pw2");
    TypeInto(Box("TxtLocalServer"), "srv2");
    TypeInto(Box("TxtLocalDatabase"), "db2");
    TypeInto(Box("TxtPrefixLocal"), "LOC");
    Click("BtnSave");
    const std::string first = List("CBCentralDSN")->itemText(0).toStdString();
    EXPECT_EQ(EntriesInOrder(file_),
              (std::vector<std::string>{
                  "Central/DSN=" + first, "Central/UID=u1", "Central/PWDC=" + EncodePassword(""),
                  "Central/ServerName=srv1", "Central/PrefixName=db1", "Central/DBPrefix=CRM5",
                  "Local/DSN=" + first, "Local/UID=u2", "Local/PWDC=" + EncodePassword("pw2"),
                  "Local/ServerName=srv2", "Local/PrefixName=db2", "Local/DBPrefix=LOC"}));
}

TEST_F(DialogValues, EmptySavedPasswordShowsAsTheSentinelNextTime) {
    LoadFor(1);
    TypeInto(Box("TxtCentralUID"), "someone");
    Click("BtnSave");
    EXPECT_EQ(IniValue(file_, "Central", "PWDC"), EncodePassword(""));
    LoadFor(1);
    EXPECT_EQ(Box("TxtCentralPWD")->text().toStdString(), EmptyPasswordSentinel());
    EXPECT_EQ(Box("TxtCentralUID")->text(), "someone");
}

struct CheckCase {
    int Mode;
    int AskServer;
    std::vector<std::pair<const char*, const char*>> Typed;
    const char* Message;  // nullptr: the entries pass
};

class DialogChecks : public DialogValues, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(DialogChecks, SaveShowsOnlyTheLastFailedCheckAndStaysOpen) {
    const CheckCase& check = GetParam();
    AddSqliteDataSource("vendral_dialog_user_only", "SQLite3", true);
    LoadFor(check.Mode, check.AskServer);
    for (auto [box, text] : check.Typed) TypeInto(Box(box), QString::fromUtf8(text));
    MessageBoxRecorder boxes;
    Click("BtnSave");
    if (check.Message == nullptr) {
        EXPECT_TRUE(boxes.Boxes().empty());
        EXPECT_TRUE(dialog_.isHidden());
        EXPECT_TRUE(std::filesystem::exists(file_));
        return;
    }
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Title, "Error");
    EXPECT_EQ(boxes.Boxes()[0].Icon, QMessageBox::Warning);
    EXPECT_EQ(boxes.Boxes()[0].Text.toStdString(), check.Message);
    EXPECT_TRUE(dialog_.isVisible());
    EXPECT_FALSE(std::filesystem::exists(file_));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, DialogChecks,
    ::testing::Values(
        CheckCase{1, 0, {}, "The central user id is missing."},
        CheckCase{1, 0, {{"TxtCentralUID", "u"}}, nullptr},
        CheckCase{1, 1, {{"TxtCentralUID", "u"}}, "The central databasename is missing."},
        CheckCase{1,
                  1,
                  {{"TxtCentralUID", "u"}, {"TxtCentralDatabase", "d"}},
                  "The central server missing."},
        CheckCase{1,
                  1,
                  {{"TxtCentralUID", "u"}, {"TxtCentralDatabase", "d"}, {"TxtCentralServer", "s"}},
                  nullptr},
        CheckCase{2, 0, {}, "The local user id is missing."},
        CheckCase{
            2, 1, {{"TxtLocalUID", "u"}, {"TxtLocalDatabase", "d"}}, "The local server missing."},
        CheckCase{2,
                  1,
                  {{"TxtLocalUID", "u"}, {"TxtLocalServer", "s"}},
                  "The local databasename is missing."},
        CheckCase{3, 0, {{"TxtCentralUID", "u"}}, "The local user id is missing."},
        CheckCase{3, 0, {{"TxtLocalUID", "u"}}, "The central user id is missing."},
        CheckCase{3,
                  1,
                  {{"TxtCentralUID", "u"}, {"TxtLocalUID", "v"}},
                  "The local databasename is missing."},
        CheckCase{3, 0, {{"TxtCentralUID", "u"}, {"TxtLocalUID", "v"}}, nullptr},
        // Modes beyond 3 validate nothing.
        CheckCase{4, 1, {}, nullptr}, CheckCase{5, 0, {}, nullptr}));

TEST_F(DialogValues, EmptyDataSourceListFailsTheDataSourceCheck) {
    LoadFor(1);
    List("CBCentralDSN")->clear();
    TypeInto(Box("TxtCentralUID"), "u");
    MessageBoxRecorder boxes;
    EXPECT_FALSE(dialog_.CheckSettings());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Text, "The central DSN entry is missing.");
}

TEST_F(DialogValues, CancelWithoutTheLibrarySettingsSaysSoAndCountsAsCancelled) {
    LoadFor(3);
    TypeInto(Box("TxtCentralUID"), "typed but not saved");
    MessageBoxRecorder boxes;
    Click("BtnCancel");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Title, "Error");
    EXPECT_EQ(boxes.Boxes()[0].Text, "You did not enter any ODBC information!");
    EXPECT_TRUE(CurrentDialogState().Cancelled);
    EXPECT_TRUE(dialog_.isHidden());
    EXPECT_FALSE(std::filesystem::exists(file_));
}

TEST_F(DialogValues, CancelWithTheLibrarySettingsClosesWithoutAMessage) {
    library_.PutLibrarySettings();
    LoadFor(3);
    MessageBoxRecorder boxes;
    Click("BtnCancel");
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(CurrentDialogState().Cancelled);
    EXPECT_TRUE(dialog_.isHidden());
    EXPECT_FALSE(std::filesystem::exists(file_));
}

TEST_F(DialogValues, AStoredNameInAnotherCaseIsSelectedAndSavedAsListed) {
    std::string shouted = kSqliteLocalDsn;
    for (char& c : shouted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    WriteBytes(file_, "[Central]\nDSN=" + shouted + "\nUID=crm_user\n");
    LoadFor(1);
    ASSERT_NE(List("CBCentralDSN")->itemText(0).toStdString(), kSqliteLocalDsn);
    EXPECT_EQ(List("CBCentralDSN")->currentText(), kSqliteLocalDsn);
    MessageBoxRecorder boxes;
    Click("BtnSave");
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(ReadIniValue("Central", "DSN", "", file_).ToString(), kSqliteLocalDsn);
}

TEST_F(DialogValues, ASaveThatCannotBeWrittenSaysSoAndTheDialogStaysOpen) {
    // A folder that does not exist: nothing can be written there.
    file_ = (std::filesystem::path(FreshSettingsPath()).parent_path() / "no-such-folder" /
             "settings.ini")
                .string();
    LoadFor(1);
    TypeInto(Box("TxtCentralUID"), "crm_user");
    MessageBoxRecorder boxes;
    Click("BtnSave");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Title, "Error");
    EXPECT_EQ(boxes.Boxes()[0].Text.toStdString(),
              "The settings cannot be saved: the file " + file_ +
                  " cannot be written. Check that its folder and the file may be written.");
    EXPECT_TRUE(dialog_.isVisible());
    EXPECT_FALSE(std::filesystem::exists(file_));
    Click("BtnCancel");
}

// The driver manager warns only about a name longer than the dialog's
// 1024-character buffer, which no configuration it reads holds, so the calls
// are played here.
TEST(DataSourceNames, ANameThatComesWithAWarningIsKeptAndEndsTheList) {
    std::vector<std::pair<std::string, SQLRETURN>> calls = {
        {"first", SQL_SUCCESS}, {"warned", SQL_SUCCESS_WITH_INFO}, {"never", SQL_SUCCESS}};
    std::size_t next = 0;
    std::vector<std::string> names = vendral::qt::CollectDataSourceNames(
        [&](SQLCHAR* name, SQLSMALLINT size, SQLSMALLINT* length) {
            const auto& [text, status] = calls.at(next++);
            std::copy(text.begin(), text.end(), name);
            EXPECT_EQ(size, 1024);
            *length = static_cast<SQLSMALLINT>(text.size());
            return status;
        });
    EXPECT_EQ(names, (std::vector<std::string>{"first", "warned"}));
    EXPECT_EQ(next, 2u);

    // An error or the end of the list adds nothing.
    next = 0;
    calls = {{"blank", SQL_SUCCESS}, {"x", SQL_ERROR}};
    calls[0].first = "   ";
    names =
        vendral::qt::CollectDataSourceNames([&](SQLCHAR* name, SQLSMALLINT, SQLSMALLINT* length) {
            const auto& [text, status] = calls.at(next++);
            std::copy(text.begin(), text.end(), name);
            *length = static_cast<SQLSMALLINT>(text.size());
            return status;
        });
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(next, 2u);
}

}  // namespace
}  // namespace vendral::test::qt
