// The prodwell program as a user runs it: options, settings file, output and exit status.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "kick_date.h"
#include "support/test_database.h"

namespace vendral::kick {
namespace {

namespace fs = std::filesystem;
using test::Engine;
using test::TestOdbc;

struct Outcome {
    int Status = -1;
    std::string Out;
    std::string Err;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs the program with output and errors redirected to files (so not on a terminal).
// environment: settings such as "DISPLAY=:1" or "-u DISPLAY" for env(1).
Outcome RunProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::vector<std::string>& environment = {}) {
    std::string out = TestOdbc::Instance().ScratchPath("prodwell.out");
    std::string err = TestOdbc::Instance().ScratchPath("prodwell.err");
    std::string command;
    if (!environment.empty()) {
        command = "env";
        for (const std::string& setting : environment) command += " " + setting;
        command += " ";
    }
    command += Quote(program);
    for (const std::string& arg : args) command += " " + Quote(arg);
    command += " >" + Quote(out) + " 2>" + Quote(err) + " </dev/null";
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
}

Outcome Prodwell(const std::vector<std::string>& args,
                 const std::vector<std::string>& environment = {}) {
    return RunProgram(PRODWELL_PATH, args, environment);
}

// No display server of any kind for Qt to reach.
const std::vector<std::string> kNoDisplay = {"-u", "DISPLAY",        "-u", "WAYLAND_DISPLAY",
                                             "-u", "QT_QPA_PLATFORM"};

std::size_t Lines(const std::string& text) {
    std::size_t count = 0;
    for (char c : text) count += c == '\n';
    return count;
}

class ProdwellTest : public test::EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (!central_) return;
        central_->Exec("INSERT INTO syncusers (associate_id) VALUES (12)");
        Add(101, 12, kKick + 10, 1);
        Add(102, 13, kKick + 20, 6);
        Add(103, 12, kKick + 30, 2);
        Add(104, 12, kKick + 40, 7);
        Add(105, 12, kKick - 40, 1);
        ini_ = WriteSettings(TestOdbc::Instance().ScratchPath("kick.ini"));
    }

    void Add(int id, int owner, std::int64_t due, int type) {
        central_->Exec(
            "INSERT INTO appointment (appointment_id, associate_id, registered_associate_id, "
            "do_by, type) VALUES (" +
            std::to_string(id) + ", " + std::to_string(owner) + ", " + std::to_string(owner) +
            ", " + std::to_string(due) + ", " + std::to_string(type) + ")");
        central_->Exec("INSERT INTO syncsoapp (appointment_id) VALUES (" + std::to_string(id) +
                       ")");
    }

    std::string WriteSettings(const std::string& path) {
        std::string prefix = central_->Prefix();
        std::ofstream(path) << "[Central]\nDSN=" << central_->Dsn() << "\nUID=" << central_->Uid()
                            << "\nPWD=" << central_->Pwd() << "\nDBPrefix=" << prefix << "\n";
        return path;
    }

    std::int64_t Logged() {
        return central_->Scalar("SELECT COUNT(*) FROM traveltransactionlog").ToLongLong();
    }

    const std::int32_t kKick = static_cast<std::int32_t>(DateSeconds(2008, 6, 8));
    std::string ini_;
};

TEST_P(ProdwellTest, KicksAndPrintsOnlyTheCountsWhenRedirected) {
    Outcome run = Prodwell({"--ini", ini_, "--associate", "0", "--kick-date", "2008-06-08"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "Inserts for appointments: 1, inserts for tasks: 2\n");
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(Logged(), 3);

    // A second run logs the same rows again.
    run = Prodwell({"--ini", ini_, "--kick-date", "2008-06-08"});
    EXPECT_EQ(run.Out, "Inserts for appointments: 1, inserts for tasks: 2\n");
    EXPECT_EQ(Logged(), 6);
}

TEST_P(ProdwellTest, TheSetBasedKickLogsTheSameRowsAndPrintsTheSameLine) {
    Outcome run =
        Prodwell({"--ini", ini_, "--associate", "0", "--kick-date", "2008-06-08", "--batch"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "Inserts for appointments: 1, inserts for tasks: 2\n");
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(central_
                  ->Rows("SELECT record_id FROM traveltransactionlog WHERE type = 4608 AND "
                         "tablenumber = 9 ORDER BY traveltransactionlog_id")
                  .size(),
              3u);
    EXPECT_EQ(Prodwell({"--batch=yes", "--ini", ini_}).Status, 2);
}

TEST_P(ProdwellTest, SkipsTasksAndTakesTheLocaleDate) {
    // The C locale's short date is MM/DD/YY.
    setenv("LC_ALL", "C", 1);
    Outcome run =
        Prodwell({"--ini=" + ini_, "--associate=12", "--kick-date=06/08/08", "--skip-tasks"});
    unsetenv("LC_ALL");
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "Inserts for appointments: 1, inserts for tasks: 0\n");
    EXPECT_EQ(Logged(), 1);
}

// The window read "0x1F" or "0,7" as 0, which means every synchronizer user; a
// script must not get that run from a typing error.
TEST_P(ProdwellTest, AnAssociateThatIsNoPlainDecimalNumberIsRefusedAndNothingIsLogged) {
    for (const char* associate : {"0x1F", "0.4", "-0.4", "0,7", "all", "12abc", " 12", "1e3", ""}) {
        Outcome run =
            Prodwell({"--ini", ini_, "--associate", associate, "--kick-date", "2008-06-08"});
        EXPECT_EQ(run.Status, 2) << associate;
        EXPECT_EQ(run.Out, "") << associate;
        EXPECT_EQ(Lines(run.Err), 1u) << run.Err;
        EXPECT_NE(run.Err.find("cannot read the associate \"" + std::string(associate) + "\""),
                  std::string::npos)
            << run.Err;
    }
    EXPECT_EQ(Logged(), 0);
}

TEST_P(ProdwellTest, ADatabaseErrorEndsInOneLineAndKeepsWhatWasLogged) {
    // The log refuses record 103, the first task.
    central_->Exec("DROP TABLE traveltransactionlog");
    central_->Exec(
        "CREATE TABLE traveltransactionlog (traveltransactionlog_id INTEGER PRIMARY KEY, ttime "
        "BIGINT NOT NULL, prev_record_id INTEGER NOT NULL, type INTEGER NOT NULL, associate_id "
        "INTEGER NOT NULL, tablenumber INTEGER NOT NULL, record_id INTEGER NOT NULL CHECK "
        "(record_id <> 103))");
    Outcome run = Prodwell({"--ini", ini_, "--kick-date", "2008-06-08"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(Lines(run.Err), 1u) << run.Err;
    EXPECT_NE(run.Err.find("database error during the kick"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("Inserts for appointments: 1, inserts for tasks: 0 before the error"),
              std::string::npos)
        << run.Err;
    EXPECT_EQ(Logged(), 1);
}

TEST_P(ProdwellTest, WithoutIniTheSettingsFileBesideTheProgramIsRead) {
    // A copy of the program under another name finds its own settings file.
    fs::path folder = TestOdbc::Instance().ScratchPath("kickcopy");
    fs::create_directories(folder);
    fs::copy_file(PRODWELL_PATH, folder / "kicker", fs::copy_options::overwrite_existing);
    WriteSettings((folder / "kicker.ini").string());
    Outcome run = RunProgram((folder / "kicker").string(), {"--kick-date", "2008-06-08"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "Inserts for appointments: 1, inserts for tasks: 2\n");
}

VENDRAL_INSTANTIATE_ENGINES(ProdwellTest);

TEST(Prodwell, AMissingSettingsFileEndsInOneLine) {
    std::string missing = TestOdbc::Instance().ScratchPath("no-such.ini");
    Outcome run = Prodwell({"--ini", missing});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(Lines(run.Err), 1u) << run.Err;
    EXPECT_NE(run.Err.find(missing), std::string::npos) << run.Err;
    EXPECT_FALSE(fs::exists(missing));
}

TEST(Prodwell, AnUnreachableDatabaseEndsInOneLine) {
    std::string ini = TestOdbc::Instance().ScratchPath("closed.ini");
    std::ofstream(ini) << "[Central]\nDSN=" << test::kPostgresClosedDsn
                       << "\nUID=postgres\nPWD=x\nDBPrefix=CRM5\n";
    Outcome run = Prodwell({"--ini", ini});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(Lines(run.Err), 1u) << run.Err;
    EXPECT_NE(run.Err.find("There is a problem with the central connection."), std::string::npos)
        << run.Err;
}

TEST(Prodwell, MistakesInTheOptionsEndInOneLineBeforeAnythingOpens) {
    std::string missing = TestOdbc::Instance().ScratchPath("never-read.ini");
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--ini", missing, "--kick-date", "31.02.2008"},
                                               {"--ini", missing, "--kick-date", "2040-01-01"},
                                               {"--ini", missing, "--associate", "99999999999"},
                                               {"--ini", missing, "--frobnicate"}}) {
        Outcome run = Prodwell(args);
        EXPECT_EQ(run.Status, 2) << args.back();
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(Lines(run.Err), 1u) << run.Err;
    }
    EXPECT_NE(
        Prodwell({"--kick-date", "someday"}).Err.find("cannot read the kick date \"someday\""),
        std::string::npos);
}

TEST(Prodwell, TheWindowTakesNoOptionThatIsTypedInIt) {
    Outcome run = Prodwell({"--window", "--associate", "12"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Err.find("--window takes no option but --ini"), std::string::npos) << run.Err;
}

TEST(Prodwell, WithoutArgumentsAndWithoutADisplayItPrintsTheUsageAndKicksNothing) {
    Outcome run = Prodwell({}, kNoDisplay);
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err.rfind("Usage: prodwell ", 0), 0u) << run.Err;
    EXPECT_NE(run.Err.find("--window"), std::string::npos) << run.Err;
}

#ifdef PRODWELL_HAS_WINDOW
TEST(Prodwell, TheWindowWithoutADisplayEndsInOneLineAndStatusOne) {
    // Not set, and set to a display nobody serves (where Qt would abort).
    for (const auto& environment :
         {kNoDisplay, std::vector<std::string>{"-u", "QT_QPA_PLATFORM", "DISPLAY=:4711"}}) {
        Outcome run = Prodwell({"--window"}, environment);
        EXPECT_EQ(run.Status, 1) << run.Err;
        EXPECT_EQ(run.Out, "");
        EXPECT_EQ(Lines(run.Err), 1u) << run.Err;
        EXPECT_EQ(run.Err.rfind("prodwell: cannot open the window: ", 0), 0u) << run.Err;
    }
}
#endif

TEST(Prodwell, HelpDescribesTheOptions) {
    Outcome run = Prodwell({"--help"});
    EXPECT_EQ(run.Status, 0);
    for (const char* option :
         {"--ini FILE", "--associate N", "--kick-date DATE", "--skip-tasks", "--window"})
        EXPECT_NE(run.Out.find(option), std::string::npos) << option;
    // The exit statuses a script can act on.
    EXPECT_NE(run.Out.find("2 for an option or date that cannot be read"), std::string::npos)
        << run.Out;
    EXPECT_EQ(run.Out.find("3 when"), std::string::npos) << run.Out;
}

}  // namespace
}  // namespace vendral::kick
