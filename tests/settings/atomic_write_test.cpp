#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <thread>

#include "settings/settings_files.h"
#include "settings/settings_state.h"
#include "vendral/settings.h"

namespace vendral::test {
namespace {

namespace fs = std::filesystem;

// A settings file large enough that writing it takes many system calls.
std::string LargeFile(const std::string& counter) {
    std::string text = "; large\n[Central]\nCounter=" + counter + "\n";
    for (int i = 0; i < 300; ++i) {
        text += "Key" + std::to_string(i) + "=" +
                std::string(900, static_cast<char>('a' + i % 26)) + "\n";
    }
    return text;
}

std::vector<std::string> LeftoversBeside(const std::string& path) {
    std::vector<std::string> names;
    std::string base = fs::path(path).filename().string();
    for (const auto& entry : fs::directory_iterator(fs::path(path).parent_path())) {
        std::string name = entry.path().filename().string();
        if (name != base && name.rfind(base, 0) == 0) names.push_back(name);
    }
    return names;
}

TEST(AtomicWrite, KilledWriterNeverLeavesATornFile) {
    std::string path = FreshSettingsPath();
    WriteBytes(path, LargeFile("0"));
    std::mt19937 random(7);
    for (int round = 0; round < 12; ++round) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (long i = 1;; ++i) {
                WriteIniValue("Central", "Counter", std::to_string(i), path);
                if (i == 1) (void)!write(ready[1], "x", 1);
            }
        }
        char byte;
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        close(ready[0]);
        close(ready[1]);
        // Kill it at a different point of its loop each round.
        usleep(std::uniform_int_distribution<int>(0, 20000)(random));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);

        std::string counter = ReadIniValue("Central", "Counter", "", path).ToString();
        ASSERT_FALSE(counter.empty());
        EXPECT_EQ(ReadBytes(path), LargeFile(counter)) << "round " << round;
    }
}

TEST(AtomicWrite, FailedWriteKeepsTheOldFileAndCleansUp) {
    std::string path = FreshSettingsPath();
    const std::string original = LargeFile("1");
    WriteBytes(path, original);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A file size limit makes the new file fail half written, as a full disk would.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{static_cast<rlim_t>(original.size() / 2),
                     static_cast<rlim_t>(original.size())};
        setrlimit(RLIMIT_FSIZE, &limit);
        WriteIniValue("Central", "Counter", "2", path);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_EQ(LeftoversBeside(path), std::vector<std::string>{});
}

// A writer killed before its rename leaves its temporary file, which may hold
// a password; the next write removes it, and only files of that pattern.
TEST(AtomicWrite, StaleTemporaryFilesAreRemovedAtTheNextWrite) {
    std::string path = FreshSettingsPath();
    WriteBytes(path, "[Central]\nDSN=x\n");
    const std::string stale = path + ".tmpAb12Cd";
    const std::string other = path + ".tmp-notes";
    WriteBytes(stale, "[Central]\nPWD=secret\n");
    WriteBytes(other, "keep");
    WriteIniValue("Central", "UID", "u", path);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(other));
    EXPECT_EQ(ReadBytes(path), "[Central]\nDSN=x\nUID=u\n");
    fs::remove(other);
}

TEST(AtomicWrite, ConcurrentWritersLoseNoUpdate) {
    std::string path = FreshSettingsPath();
    auto writer = [&](const std::string& section) {
        for (int i = 0; i < 40; ++i) WriteIniValue(section, "K" + std::to_string(i), "v", path);
    };
    std::thread first(writer, "A"), second(writer, "B");
    first.join();
    second.join();
    for (const char* section : {"A", "B"}) {
        for (int i = 0; i < 40; ++i) {
            EXPECT_EQ(ReadIniValue(section, "K" + std::to_string(i), "", path).ToString(), "v")
                << section << i;
        }
    }
    EXPECT_EQ(LeftoversBeside(path), std::vector<std::string>{});
}

TEST(ThreadState, SettingsPathAndDialogStateArePerThread) {
    vendral::detail::SetSettingsFilePath("main.ini");
    CurrentDialogState().Mode = 3;
    std::string otherPath;
    int otherMode = -1;
    std::thread other([&] {
        otherPath = SettingsFilePath();
        otherMode = CurrentDialogState().Mode;
        vendral::detail::SetSettingsFilePath("other.ini");
        CurrentDialogState().Cancelled = true;
    });
    other.join();
    EXPECT_EQ(otherPath, "");
    EXPECT_EQ(otherMode, 0);
    EXPECT_EQ(SettingsFilePath(), "main.ini");
    EXPECT_FALSE(CurrentDialogState().Cancelled);
    vendral::detail::SetSettingsFilePath("");
    CurrentDialogState() = DialogState{};
}

}  // namespace
}  // namespace vendral::test
