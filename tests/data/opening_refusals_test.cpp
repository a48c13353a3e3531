// OpenODBC_DB refuses settings it cannot use instead of letting the driver
// manager fall back to a default driver: an empty or missing data-source
// name, a settings file that is a folder, a FIFO or unreadable. Nothing is
// created anywhere and no password shows in any message.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "data/opening_support.h"

namespace vendral::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPassword = "S3cret-pw";

// Runs the test in an empty working folder and tells what appeared in it.
class OpeningRefusalsTest : public OpeningTest {
  protected:
    void SetUp() override {
        OpeningTest::SetUp();
        previous_ = fs::current_path();
        folder_ = TestOdbc::Instance().ScratchPath(TestFileName(".cwd"));
        fs::create_directories(folder_);
        fs::current_path(folder_);
    }
    void TearDown() override { fs::current_path(previous_); }
    std::vector<std::string> CreatedFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_))
            names.push_back(entry.path().filename().string());
        return names;
    }
    // One refusal: false, one message that starts with the expected text and
    // holds no password, nothing running and nothing created.
    void ExpectRefused(CDatabase& db, const Variant& result, const std::string& start) {
        EXPECT_EQ(result, Variant(false));
        ASSERT_EQ(host_->Messages.size(), 1u);
        EXPECT_EQ(host_->Messages[0].Text.rfind(start, 0), 0u) << host_->Messages[0].Text;
        EXPECT_EQ(host_->Messages[0].Text.find(kPassword), std::string::npos);
        EXPECT_EQ(db.LastReturnedErrorMessage().find(kPassword), std::string::npos);
        EXPECT_FALSE(db.dDatabaseIsRunning());
        EXPECT_TRUE(CreatedFiles().empty()) << CreatedFiles().front();
        for (const auto& entry : fs::directory_iterator(TestOdbc::Instance().ScratchPath("")))
            EXPECT_EQ(entry.path().filename().string().find(kPassword), std::string::npos);
    }
    fs::path previous_;
    std::string folder_;
};

TEST_F(OpeningRefusalsTest, AnEmptyOrMissingDataSourceNameNamesTheFileAndOpensNothing) {
    const std::string credentials = std::string("UID=bob\nPWD=") + kPassword + "\n";
    for (const std::string& central : {std::string("DSN=\n"), std::string()}) {
        host_->Messages.clear();
        std::string file = SettingsFile("[Central]\n" + central + credentials);
        CDatabase db;
        ExpectRefused(db, db.OpenODBC_DB(file, OpenCentral),
                      "There is a problem with the central connection.\r\nThe settings file " +
                          file +
                          " names no data source: its section [Central] has no value for "
                          "DSN.");
    }
}

TEST_F(OpeningRefusalsTest, AnEmptyCentralNameFallsBackToTheLocalDatabaseWhereTheModeSaysSo) {
    std::string file = SettingsFile(std::string("[Central]\nDSN=\nUID=bob\nPWD=") + kPassword +
                                    "\n[Local]\nDSN=vendral_sqlite_local\nDBPrefix=main\n");
    CDatabase db;
    EXPECT_EQ(db.OpenODBC_DB(file, Central_if_failes_local), Variant(true));
    EXPECT_TRUE(host_->Messages.empty());
    EXPECT_TRUE(db.LocalStartedasCentral());
    EXPECT_EQ(db.LastReturnedErrorMessage(),
              "The settings file " + file +
                  " names no data source: its section [Central] has no value for DSN.");
    EXPECT_TRUE(CreatedFiles().empty());
}

TEST_F(OpeningRefusalsTest, ASettingsFileThatIsAFolderIsRefusedWithoutTheDialog) {
    std::string folder = TestOdbc::Instance().ScratchPath(TestFileName(".d"));
    fs::create_directories(folder);
    CDatabase db;
    ExpectRefused(db, db.OpenODBC_DB(folder, OpenCentral),
                  "The settings file " + folder + " is a folder, not a file.");
    EXPECT_TRUE(host_->Dialogs.empty());
}

TEST_F(OpeningRefusalsTest, AnUnreadableSettingsFileIsRefused) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    std::string file = SettingsFile("[Central]\nDSN=vendral_sqlite\n");
    fs::permissions(file, fs::perms::none);
    CDatabase db;
    ExpectRefused(db, db.OpenODBC_DB(file, OpenCentral),
                  "The settings file " + file + " cannot be read: Permission denied.");
}

// Run in a child process, which is killed if it waits: a reader that waits
// on a FIFO opens it again for every value it reads.
TEST_F(OpeningRefusalsTest, AFifoInPlaceOfTheSettingsFileIsRefusedAtOnce) {
    std::string fifo = TestOdbc::Instance().ScratchPath(TestFileName(".fifo"));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string expected =
        "The settings file " + fifo + " is not a regular file (a FIFO, device or socket).";
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CDatabase db;
        bool refused = db.OpenODBC_DB(fifo, OpenCentral) == Variant(false) &&
                       host_->Messages.size() == 1 && host_->Messages[0].Text == expected &&
                       db.LastReturnedErrorMessage() == expected;
        // Reading a value through the settings functions does not wait either.
        bool read = ReadIniValue("Central", "DSN", "none", fifo).ToString() == "none";
        ::_exit(refused && read ? 0 : 1);
    }
    int status = 0;
    for (int tenth = 0; tenth < 300 && ::waitpid(child, &status, WNOHANG) == 0; ++tenth)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (::waitpid(child, &status, WNOHANG) == 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        FAIL() << "the open waits for a writer of the FIFO";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "not refused with: " << expected;
    EXPECT_TRUE(CreatedFiles().empty());
}

TEST_F(OpeningRefusalsTest, AConnectionStringWithoutADataSourceNeverReachesTheDriverManager) {
    for (const std::string& text : {std::string("Provider=MSDASQL;dsn=;uid=bob;pwd=") + kPassword,
                                    std::string("uid=bob;pwd=") + kPassword,
                                    std::string("Provider=MSDASQL;DRIVER= ;pwd=") + kPassword}) {
        Connection connection;
        try {
            connection.Open(text);
            ADD_FAILURE() << "opened: " << text;
        } catch (const UsageError& error) {
            EXPECT_EQ(error.Description(),
                      "The connection string names no data source (DSN), driver (DRIVER) or "
                      "file data source (FILEDSN).");
            EXPECT_EQ(error.SQLState(), "IM002");
        }
        EXPECT_EQ(connection.State(), adStateClosed);
    }
    EXPECT_TRUE(CreatedFiles().empty());
}

}  // namespace
}  // namespace vendral::test
