// The Test button: a real connection to each data source the mode shows, its
// messages, and the busy pointer around it.
#include <QPushButton>
#include <cstdlib>

#include "data/opening_support.h"
#include "settings/qt/dialog_support.h"
#include "vendral/connection.h"

namespace vendral::test::qt {
namespace {

using vendral::qt::FrmODBCSettings;

// The Qt host, recording the pointer calls and what each box saw.
class TrackingHost : public QtUiHost {
  public:
    void SetMousePointer(int pointer) override {
        Events.push_back("pointer " + std::to_string(pointer));
        QtUiHost::SetMousePointer(pointer);
    }
    int MessageBox(const std::string& text, const std::string& title, MessageIcon icon) override {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        Events.push_back("box " + title + (cursor != nullptr ? " over busy pointer" : ""));
        return QtUiHost::MessageBox(text, title, icon);
    }
    std::vector<std::string> Events;
};

bool PostgresWanted() {
    if (TestOdbc::Instance().PostgresAvailable()) return true;
    const char* required = std::getenv("VENDRAL_REQUIRE_PG");
    if (required != nullptr && std::string(required) == "1")
        ADD_FAILURE() << "no PostgreSQL server for the tests";
    return false;
}

// The failure the data layer reports for a connection string.
DatabaseError OpenFailure(const std::string& connectionString) {
    Connection connection;
    try {
        connection.Open(connectionString);
    } catch (const DatabaseError& error) {
        return error;
    }
    ADD_FAILURE() << "opened: " << connectionString;
    return DatabaseError("", "");
}

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        file_ = FreshSettingsPath();
        host_ = std::make_shared<TrackingHost>();
        previous_ = InstallUiHost(host_);
    }
    void TearDown() override {
        dialog_.hide();
        InstallUiHost(previous_);
    }
    void LoadFor(int mode) {
        SetDialogState(file_, mode, 0);
        dialog_.Load();
        dialog_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
    }
    QLineEdit* Box(const char* name) { return Find<QLineEdit>(&dialog_, name); }
    QComboBox* List(const char* name) { return Find<QComboBox>(&dialog_, name); }
    void ClickTest() { ClickButton(Find<QPushButton>(&dialog_, "BtnTest")); }

    ScratchLibraryFolder library_;
    std::string file_;
    std::shared_ptr<TrackingHost> host_;
    std::shared_ptr<UiHost> previous_;
    FrmODBCSettings dialog_;
};

TEST_F(DialogTest, ReachableSqliteSourceReportsSuccessAfterTheBusyPointer) {
    LoadFor(1);
    SelectByKeys(List("CBCentralDSN"), kSqliteCentralDsn);
    TypeInto(Box("TxtCentralUID"), "anyone");
    MessageBoxRecorder boxes;
    ClickTest();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Title, "Message");
    EXPECT_EQ(boxes.Boxes()[0].Icon, QMessageBox::Information);
    EXPECT_EQ(boxes.Boxes()[0].Text, "Central database connection test is successful!");
    EXPECT_EQ(boxes.Boxes()[0].OverrideCursor, -1);
    EXPECT_EQ(host_->Events,
              (std::vector<std::string>{"pointer 11", "pointer 1", "box Message", "pointer 1"}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(dialog_.isVisible());
    EXPECT_FALSE(std::filesystem::exists(file_));
}

TEST_F(DialogTest, PostgresRoleWithAPasswordNeedingBracesConnects) {
    if (!PostgresWanted()) GTEST_SKIP() << "no PostgreSQL server";
    PostgresRole role("dialog", " pw;{x}=1 ");
    LoadFor(1);
    SelectByKeys(List("CBCentralDSN"), kPostgresCentralDsn);
    TypeInto(Box("TxtCentralUID"), QString::fromStdString(role.Name()));
    TypeInto(Box("TxtCentralPWD"), QString::fromStdString(role.Password()));
    MessageBoxRecorder boxes;
    ClickTest();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Text, "Central database connection test is successful!");
}

TEST_F(DialogTest, WrongPasswordShowsTheFailureTextNumberAndDescription) {
    if (!PostgresWanted()) GTEST_SKIP() << "no PostgreSQL server";
    PostgresRole role("dialogbad", "right");
    LoadFor(1);
    SelectByKeys(List("CBCentralDSN"), kPostgresCentralDsn);
    TypeInto(Box("TxtCentralUID"), QString::fromStdString(role.Name()));
    TypeInto(Box("TxtCentralPWD"), "wrong");
    MessageBoxRecorder boxes;
    ClickTest();
    DatabaseError expected =
        OpenFailure(std::string("Provider=MSDASQL;dsn=") + kPostgresCentralDsn +
                    ";uid=" + role.Name() + ";pwd=wrong");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Title, "Error");
    EXPECT_EQ(boxes.Boxes()[0].Icon, QMessageBox::Warning);
    EXPECT_EQ(boxes.Boxes()[0].Text.toStdString(), "Central database connection FAILED!\r\n" +
                                                       std::to_string(expected.NativeError()) +
                                                       "\r\n" + expected.Description());
    EXPECT_FALSE(expected.Description().empty());
    EXPECT_EQ(boxes.Boxes()[0].OverrideCursor, -1);
}

TEST_F(DialogTest, BothConnectionsAreTestedAndAFailureDoesNotStopTheClick) {
    LoadFor(3);
    SelectByKeys(List("CBCentralDSN"), kPostgresClosedDsn);
    TypeInto(Box("TxtCentralUID"), "nobody");
    SelectByKeys(List("CBLocalDSN"), kSqliteLocalDsn);
    TypeInto(Box("TxtLocalUID"), "traveller");
    MessageBoxRecorder boxes;
    ClickTest();
    DatabaseError expected =
        OpenFailure(std::string("Provider=MSDASQL;dsn=") + kPostgresClosedDsn + ";uid=nobody;pwd=");
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].Text.toStdString(), "Central database connection FAILED!\r\n" +
                                                       std::to_string(expected.NativeError()) +
                                                       "\r\n" + expected.Description());
    EXPECT_EQ(boxes.Boxes()[1].Text, "Local database connection test is successful!");
    EXPECT_EQ(host_->Events, (std::vector<std::string>{"pointer 11", "pointer 1", "box Error",
                                                       "box Message", "pointer 1"}));
}

TEST_F(DialogTest, LocalModeTestsOnlyTheLocalSource) {
    LoadFor(2);
    SelectByKeys(List("CBLocalDSN"), kPostgresClosedDsn);
    TypeInto(Box("TxtLocalUID"), "x");
    MessageBoxRecorder boxes;
    ClickTest();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_TRUE(boxes.Boxes()[0].Text.startsWith("Local database connection FAILED!\r\n"));
}

TEST_F(DialogTest, MissingEntriesStopTheTestBeforeThePointerChanges) {
    LoadFor(1);
    MessageBoxRecorder boxes;
    ClickTest();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Text, "The central user id is missing.");
    EXPECT_EQ(host_->Events, (std::vector<std::string>{"box Error"}));
}

TEST_F(DialogTest, ModeFourTestsBothWithoutValidating) {
    LoadFor(4);
    SelectByKeys(List("CBCentralDSN"), kSqliteCentralDsn);
    SelectByKeys(List("CBLocalDSN"), kSqliteLocalDsn);
    MessageBoxRecorder boxes;
    ClickTest();
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].Text, "Central database connection test is successful!");
    EXPECT_EQ(boxes.Boxes()[1].Text, "Local database connection test is successful!");
}

// No connection refuses a connection string on demand, so this dialog stands
// in for one that does: its first Test step fails as a refusal would. The
// steps after it are the real ones.
class RefusedStringDialog : public FrmODBCSettings {
  public:
    std::vector<std::string> Refused;

  protected:
    void SetTestConnectionString(Connection& /*connection*/, const std::string& text) override {
        Refused.push_back(text);
        throw DatabaseError("The connection string was refused", "HY000", 3001);
    }
};

TEST_F(DialogTest, AFailedConnectionStringStepStillOpensAndReportsBoth) {
    RefusedStringDialog dialog;
    SetDialogState(file_, 3, 0);
    dialog.Load();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    SelectByKeys(Find<QComboBox>(&dialog, "CBCentralDSN"), kSqliteCentralDsn);
    TypeInto(Find<QLineEdit>(&dialog, "TxtCentralUID"), "anyone");
    SelectByKeys(Find<QComboBox>(&dialog, "CBLocalDSN"), kSqliteLocalDsn);
    TypeInto(Find<QLineEdit>(&dialog, "TxtLocalUID"), "traveller");
    MessageBoxRecorder boxes;
    ClickButton(Find<QPushButton>(&dialog, "BtnTest"));
    dialog.hide();
    EXPECT_EQ(dialog.Refused,
              (std::vector<std::string>{
                  std::string("Provider=MSDASQL;dsn=") + kSqliteCentralDsn + ";uid=anyone;pwd=",
                  std::string("Provider=MSDASQL;dsn=") + kSqliteLocalDsn + ";uid=traveller;pwd="}));
    // Open still ran, on a connection without a string, and failed as such.
    DatabaseError opening = OpenFailure("");
    auto failed = [&](const char* side, std::int64_t number, const std::string& description) {
        return std::string(side) + " database connection FAILED!\r\n" + std::to_string(number) +
               "\r\n" + description;
    };
    std::vector<std::string> texts;
    for (const auto& box : boxes.Boxes()) texts.push_back(box.Text.toStdString());
    EXPECT_EQ(texts, (std::vector<std::string>{
                         failed("Central", 3001, "The connection string was refused"),
                         failed("Central", opening.NativeError(), opening.Description()),
                         failed("Local", 3001, "The connection string was refused"),
                         failed("Local", opening.NativeError(), opening.Description())}));
    EXPECT_FALSE(opening.Description().empty());
    // No success box: both sides counted failures.
    EXPECT_EQ(host_->Events,
              (std::vector<std::string>{"pointer 11", "pointer 1", "box Error", "box Error",
                                        "box Error", "box Error", "pointer 1"}));
}

}  // namespace
}  // namespace vendral::test::qt
