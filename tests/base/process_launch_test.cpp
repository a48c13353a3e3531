// Starting real programs (/bin/sh, /bin/true and scripts of the test's own):
// which file a name stands for, what a detached program gets and what the
// launch reports, and a waited-for child.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "base/base_files.h"
#include "base/process_launch.h"

namespace vendral::test {
namespace {

using namespace std::chrono_literals;
namespace process = detail::process;

// Long enough for any of these programs to end: a launch returns as soon as
// its program has ended, so this is no delay.
constexpr auto kWatch = 60s;

// PATH for the lifetime of the object.
class ScopedPath {
  public:
    explicit ScopedPath(const std::string& value) {
        if (const char* old = std::getenv("PATH")) old_ = old;
        ::setenv("PATH", value.c_str(), 1);
    }
    ~ScopedPath() {
        if (old_) {
            ::setenv("PATH", old_->c_str(), 1);
        } else {
            ::unsetenv("PATH");
        }
    }

  private:
    std::optional<std::string> old_;
};

void WriteScript(const std::string& path, const std::string& body, mode_t mode = 0755) {
    WriteBytes(path, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), mode);
}

// True when the caller has no child left, not even a zombie.
bool NoChildLeft() {
    int status = 0;
    return ::waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

TEST(CommandLineWords, BlanksSeparateAndQuotesGroup) {
    using process::SplitCommandLine;
    using Words = std::vector<std::string>;
    EXPECT_EQ(SplitCommandLine("  prog  a\tb  "), (Words{"prog", "a", "b"}));
    EXPECT_EQ(SplitCommandLine("\"/opt/my app/run\" \"x y\" z"),
              (Words{"/opt/my app/run", "x y", "z"}));
    EXPECT_EQ(SplitCommandLine("say \\\"hi\\\" a\"b c\"d \"\""),
              (Words{"say", "\"hi\"", "ab cd", ""}));
    EXPECT_EQ(SplitCommandLine(""), Words{});
    EXPECT_EQ(SplitCommandLine("   "), Words{});
    // An unclosed quote runs to the end; a backslash before anything else stays.
    EXPECT_EQ(SplitCommandLine("run \"C:\\dir name\\x y"), (Words{"run", "C:\\dir name\\x y"}));
}

TEST(FindProgram, ABareNameIsSearchedAlongPathANameWithASlashIsTheFile) {
    BaseScratch folder;
    const std::string first = folder / "first", second = folder / "second";
    std::filesystem::create_directory(first);
    std::filesystem::create_directory(second);
    WriteScript(first + "/tool", "exit 0\n", 0644);  // not executable: passed over
    WriteScript(second + "/tool", "exit 0\n");
    std::filesystem::create_directory(first + "/dir.exe");  // a folder is no program
    WriteScript(second + "/dir.exe", "exit 0\n");
    {
        ScopedPath path(folder / "missing" + ":" + first + ":" + second);
        EXPECT_EQ(process::FindProgram("tool"), second + "/tool");
        EXPECT_EQ(process::FindProgram("dir.exe"), second + "/dir.exe");
        EXPECT_EQ(process::FindProgram("sh"), std::nullopt);
        EXPECT_EQ(process::FindProgram(""), std::nullopt);
    }
    EXPECT_EQ(process::FindProgram(second + "/tool"), second + "/tool");
    EXPECT_EQ(process::FindProgram(first + "/tool"), std::nullopt);
    EXPECT_EQ(process::FindProgram(first + "/dir.exe"), std::nullopt);
    EXPECT_EQ(process::FindProgram("./no-such-program"), std::nullopt);
    std::optional<std::string> sh = process::FindProgram("sh");
    ASSERT_TRUE(sh);
    EXPECT_EQ(::access(sh->c_str(), X_OK), 0);
    EXPECT_EQ(sh->back(), 'h');
}

TEST(LaunchDetached, ReportsHowAWatchedProgramEnded) {
    BaseScratch folder;
    auto launched = process::LaunchDetached("/bin/true", {}, folder.Path(), kWatch);
    EXPECT_EQ(launched.StartError, 0);
    EXPECT_EQ(launched.ExitStatus, std::nullopt);

    launched = process::LaunchDetached("/bin/sh", {"-c", "exit 3"}, folder.Path(), kWatch);
    EXPECT_EQ(launched.StartError, 0);
    EXPECT_EQ(launched.ExitStatus, 3);

    // Killed by a signal: the shell's way of telling it, 128 + the signal.
    launched = process::LaunchDetached("/bin/sh", {"-c", "kill -TERM $$"}, folder.Path(), kWatch);
    EXPECT_EQ(launched.ExitStatus, 128 + SIGTERM);

    // Without a watch nothing is known of how it ended.
    launched = process::LaunchDetached("/bin/sh", {"-c", "exit 3"}, folder.Path(), 0ms);
    EXPECT_EQ(launched.StartError, 0);
    EXPECT_EQ(launched.ExitStatus, std::nullopt);
    EXPECT_TRUE(NoChildLeft());
}

TEST(LaunchDetached, AProgramThatCannotStartGivesItsErrno) {
    BaseScratch folder;
    WriteScript(folder / "not-executable", "exit 0\n", 0644);
    auto launched = process::LaunchDetached(folder / "missing", {}, folder.Path(), kWatch);
    EXPECT_EQ(launched.StartError, ENOENT);
    EXPECT_EQ(launched.ExitStatus, std::nullopt);
    // Root may execute no file without any execute bit either.
    launched = process::LaunchDetached(folder / "not-executable", {}, folder.Path(), kWatch);
    EXPECT_EQ(launched.StartError, EACCES);
    launched = process::LaunchDetached("/bin/true", {}, folder / "no-such-folder", 0ms);
    EXPECT_EQ(launched.StartError, ENOENT);
    EXPECT_TRUE(NoChildLeft());
}

// The program writes what it got into a file; it has ended when the watched
// launch returns.
TEST(LaunchDetached, TheProgramGetsItsWordsFolderEnvironmentAndOwnSessionButNoOtherFiles) {
    BaseScratch folder;
    const std::string work = folder / "work dir";
    std::filesystem::create_directory(work);
    // A descriptor the caller left inheritable must not reach the program.
    int leaked = ::open(folder.Path().c_str(), O_RDONLY);
    ASSERT_GE(leaked, 3);
    ::setenv("VENDRAL_LAUNCH_PROBE", "inherited value", 1);
    const std::string fd = "/proc/$$/fd/" + std::to_string(leaked);
    auto launched = process::LaunchDetached(
        "/bin/sh",
        {"-c",
         "{ printf '%s|' \"$0\" \"$@\"; echo; pwd; echo \"$VENDRAL_LAUNCH_PROBE\";"
         "  [ \"$(cut -d' ' -f6 /proc/$$/stat)\" = $$ ] && echo leader;"
         "  [ -e " +
             fd + " ] && echo leaked || echo closed; } > out.tmp && mv out.tmp out",
         "name", "two words", "", "quote\"d", "$HOME"},
        work, kWatch);
    ::close(leaked);
    ::unsetenv("VENDRAL_LAUNCH_PROBE");
    ASSERT_EQ(launched.StartError, 0);
    ASSERT_EQ(launched.ExitStatus, std::nullopt);
    EXPECT_EQ(ReadBytes(work + "/out"),
              "name|two words||quote\"d|$HOME|\n" + work + "\ninherited value\nleader\nclosed\n");
    EXPECT_TRUE(NoChildLeft());
}

TEST(RunAndWait, RunsTheProgramToItsEndWithTheCallersFolderAndEnvironment) {
    BaseScratch folder;
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    ::setenv("VENDRAL_RUN_PROBE", "from the caller", 1);
    int calls = 0;
    // argv[0] is passed as given, not as the program's path.
    bool ran = process::RunAndWait("/bin/sh",
                                   {"custom-name", "-c",
                                    "{ tr '\\0' '\\n' < /proc/$$/cmdline | head -n 1;"
                                    "  echo \"$0|$VENDRAL_RUN_PROBE\"; pwd; } > out.tmp;"
                                    " mv out.tmp out",
                                    "zero"},
                                   [&] { ++calls; });
    ::unsetenv("VENDRAL_RUN_PROBE");
    EXPECT_TRUE(ran);
    EXPECT_GE(calls, 1);
    EXPECT_EQ(ReadBytes(folder / "out"),
              "custom-name\nzero|from the caller\n" + folder.Path() + "\n");
    EXPECT_TRUE(NoChildLeft());

    // Without a callback the thread blocks until the end; an exit status other
    // than 0 is no failure to start.
    WriteScript(folder / "probe", "echo \"$0|$1\" > second.tmp\nmv second.tmp second\nexit 7\n");
    ran = process::RunAndWait(folder / "probe", {"probe", "x y"}, nullptr);
    std::filesystem::current_path(before);
    EXPECT_TRUE(ran);
    // A script's $0 is its path: the kernel hands the interpreter that.
    EXPECT_EQ(ReadBytes(folder / "second"), folder / "probe" + "|x y\n");
    EXPECT_TRUE(NoChildLeft());
}

TEST(RunAndWait, AProgramThatCannotStartIsFalseWithErrno) {
    BaseScratch folder;
    int calls = 0;
    errno = 0;
    EXPECT_FALSE(process::RunAndWait(folder / "missing", {"missing"}, [&] { ++calls; }));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(calls, 0);
    WriteScript(folder / "not-executable", "exit 0\n", 0644);
    errno = 0;
    EXPECT_FALSE(process::RunAndWait(folder / "not-executable", {"x"}, nullptr));
    EXPECT_EQ(errno, EACCES);
    EXPECT_TRUE(NoChildLeft());
}

}  // namespace
}  // namespace vendral::test
