// Starting programs, documents and URLs, and waiting for a started program.
// Documents and URLs go to the desktop's opener, xdg-open found on PATH; these
// tests put a fake xdg-open first on PATH that records what it was given, so
// that the result does not depend on the applications installed here.
#include <gtest/gtest.h>

#include <filesystem>

#include "desktop/process_files.h"
#include "support/recording_ui_host.h"
#include "vendral/capplication.h"
#include "vendral/numbered_error.h"

namespace vendral::test {
namespace {

// A script that records its working folder and then each argument on a line
// of its own into the file out.
std::string RecorderBody(const std::string& out, int status = 0) {
    return "{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '" + out + ".tmp' && mv '" +
           out + ".tmp' '" + out + "'\nexit " + std::to_string(status) + "\n";
}

class StartApplicationTest : public ::testing::Test {
  protected:
    // A fake desktop opener first on PATH.
    void InstallOpener(int status = 0) {
        std::filesystem::create_directory(folder / "bin");
        WriteScript(folder / "bin/xdg-open", RecorderBody(folder / "opened", status));
        path_.emplace("PATH", (folder / "bin") + ":" + std::getenv("PATH"));
    }

    DesktopScratch folder;
    CApplication application;

  private:
    std::optional<ScopedEnvironment> path_;
};

TEST_F(StartApplicationTest, ProgramStartsDirectlyWithItsParametersInTheRootFolder) {
    WriteScript(folder / "program", RecorderBody(folder / "ran"));
    Variant result = application.StartApplication(folder / "program", "one \"two words\" three");
    EXPECT_EQ(result.Type(), VariantType::Long);
    EXPECT_EQ(result.ToLong(), kShellStarted);
    EXPECT_GT(result.ToLong(), 32);
    EXPECT_EQ(AwaitFile(folder / "ran"), "/\none\ntwo words\nthree\n");
}

TEST_F(StartApplicationTest, BareProgramNameIsFoundOnPath) {
    std::filesystem::create_directory(folder / "bin");
    WriteScript(folder / "bin/vendral-test-program", RecorderBody(folder / "ran"));
    ScopedEnvironment path("PATH", (folder / "bin") + ":" + std::getenv("PATH"));
    EXPECT_EQ(application.StartApplication("vendral-test-program", "", "open").ToLong(),
              kShellStarted);
    EXPECT_EQ(AwaitFile(folder / "ran"), "/\n");
}

TEST_F(StartApplicationTest, DocumentOpensThroughTheDesktopOpener) {
    InstallOpener();
    WriteBytes(folder / "notes.txt", "some notes\n");
    // Parameters are for programs: a document is opened with none.
    Variant result = application.StartApplication(folder / "notes.txt", "ignored");
    EXPECT_EQ(result.ToLong(), kShellStarted);
    EXPECT_EQ(AwaitFile(folder / "opened"), "/\n" + (folder / "notes.txt") + "\n");
}

TEST_F(StartApplicationTest, RelativeDocumentNameIsResolvedInTheCallersFolder) {
    InstallOpener();
    WriteBytes(folder / "notes.txt", "some notes\n");
    auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    Variant result = application.StartApplication("notes.txt");
    std::filesystem::current_path(previous);
    EXPECT_EQ(result.ToLong(), kShellStarted);
    EXPECT_EQ(AwaitFile(folder / "opened"), "/\n" + (folder / "notes.txt") + "\n");
}

TEST_F(StartApplicationTest, FolderAndUrlOpenThroughTheDesktopOpener) {
    InstallOpener();
    EXPECT_EQ(application.StartApplication("https://example.invalid/page?a=1").ToLong(),
              kShellStarted);
    EXPECT_EQ(AwaitFile(folder / "opened"), "/\nhttps://example.invalid/page?a=1\n");
    std::filesystem::remove(folder / "opened");
    std::filesystem::create_directory(folder / "docs");
    EXPECT_EQ(application.StartApplication(folder / "docs", "", "explore").ToLong(), kShellStarted);
    EXPECT_EQ(AwaitFile(folder / "opened"), "/\n" + (folder / "docs") + "\n");
}

TEST_F(StartApplicationTest, OpenerFailuresFollowTheShellsCodes) {
    WriteBytes(folder / "notes.unknown", "?");
    InstallOpener(3);  // xdg-open: no application for the type
    EXPECT_EQ(application.StartApplication(folder / "notes.unknown").ToLong(), kShellNoAssociation);
    EXPECT_TRUE(AwaitFile(folder / "opened").has_value());
    WriteScript(folder / "bin/xdg-open", "exit 2\n");  // the file vanished meanwhile
    EXPECT_EQ(application.StartApplication(folder / "notes.unknown").ToLong(), kShellFileNotFound);
}

TEST_F(StartApplicationTest, MissingFilesAndUnknownOperationsFail) {
    InstallOpener();
    EXPECT_EQ(application.StartApplication(folder / "missing.txt").ToLong(), kShellFileNotFound);
    EXPECT_EQ(application.StartApplication(folder / "no-folder/missing.txt").ToLong(),
              kShellPathNotFound);
    EXPECT_EQ(application.StartApplication("vendral-no-such-program-anywhere").ToLong(),
              kShellFileNotFound);
    EXPECT_EQ(application.StartApplication("").ToLong(), kShellFileNotFound);
    WriteBytes(folder / "notes.txt", "x");
    EXPECT_EQ(application.StartApplication(folder / "notes.txt", "", "print").ToLong(),
              kShellNoAssociation);
    // None of these reached the opener.
    EXPECT_FALSE(std::filesystem::exists(folder / "opened"));
}

TEST_F(StartApplicationTest, FileThatCannotBeExecutedIsReported) {
    WriteBytes(folder / "broken",
               "\x7f"
               "ELF not really");
    ::chmod((folder / "broken").c_str(), 0755);
    EXPECT_EQ(application.StartApplication(folder / "broken").ToLong(), kShellBadFormat);
}

// A host whose pending events are the only thing that lets the waited-for
// child end: the child waits for a file that the third DoEvents call writes.
class GateHost : public RecordingUiHost {
  public:
    explicit GateHost(std::string gate) : gate_(std::move(gate)) {}
    void DoEvents() override {
        RecordingUiHost::DoEvents();
        if (EventRuns == 3) WriteBytes(gate_, "go");
    }

  private:
    std::string gate_;
};

class StartApplicationWaitTest : public StartApplicationTest {
  protected:
    std::string WaitingScript() {
        WriteScript(folder / "child", "while [ ! -e '" + (folder / "gate") +
                                          "' ]; do sleep 0.01; done\necho ended > '" +
                                          (folder / "ended") + "'\n");
        return folder / "child";
    }
};

TEST_F(StartApplicationWaitTest, WaitTypeOneReturnsOnlyAfterTheChildEnded) {
    ScopedRecordingHost host;
    WriteScript(folder / "child", "sleep 0.2\necho ended > '" + (folder / "ended") + "'\n");
    application.StartApplicationWait("\"" + (folder / "child") + "\"", 1);
    EXPECT_EQ(ReadBytes(folder / "ended"), "ended\n");
    EXPECT_EQ(host->EventRuns, 0);
}

TEST_F(StartApplicationWaitTest, WaitTypeZeroLetsTheCallersEventsRunUntilTheChildEnded) {
    auto host = std::make_shared<GateHost>(folder / "gate");
    auto previous = InstallUiHost(host);
    std::string child = WaitingScript();
    application.StartApplicationWait(child);  // wait type omitted: 0
    InstallUiHost(previous);
    EXPECT_EQ(ReadBytes(folder / "ended"), "ended\n");
    EXPECT_GE(host->EventRuns, 3);
}

TEST_F(StartApplicationWaitTest, CommandLineArgumentsReachTheChild) {
    WriteScript(folder / "child", RecorderBody(folder / "ran"));
    ScopedRecordingHost host;
    application.StartApplicationWait((folder / "child") + " a \"b c\"", 1);
    EXPECT_EQ(ReadBytes(folder / "ran"), std::filesystem::current_path().string() + "\na\nb c\n");
}

TEST_F(StartApplicationWaitTest,
       CommandLineThatCannotStartRaisesFileNotFoundWhenWaitingWithEvents) {
    ScopedRecordingHost host;
    for (const std::string& cmdline : {std::string("vendral-no-such-program-anywhere --flag"),
                                       folder / "missing", std::string()}) {
        try {
            application.StartApplicationWait(cmdline, 0);
            ADD_FAILURE() << "no error for " << cmdline;
        } catch (const NumberedError& error) {
            EXPECT_EQ(error.Number(), 53);
            EXPECT_EQ(error.Description(), "File not found");
        }
        // Blocking waits do not check whether the process started.
        EXPECT_NO_THROW(application.StartApplicationWait(cmdline, 1));
    }
    EXPECT_EQ(host->EventRuns, 0);
}

}  // namespace
}  // namespace vendral::test
