// Fault injection on settings-file writes, with figures:
//   settings_faults kill DIR RUNS   writers killed with SIGKILL at random moments
//   settings_faults fsize DIR       a write beyond the file-size limit (RLIMIT_FSIZE)
//   settings_faults full DIR        a write on a file system that is full (DIR on it)
// Each prints one line of figures and exits 1 when a file was torn, mixed or lost.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "base/atomic_file.h"
#include "base/private_profile.h"
#include "support/whole_files.h"

namespace {

namespace fs = std::filesystem;
using vendral::test::WriteBytes;
using Clock = std::chrono::steady_clock;

// A settings file of some size, so that a write takes long enough to be hit.
std::string StartingFile() {
    std::string text = "; settings written by the fault test\n[Central]\nDSN=crm\nUID=sa\n";
    for (int i = 0; i < 4000; ++i)
        text += "Key" + std::to_string(i) + "=value number " + std::to_string(i) + "\n";
    text += "[Round]\nValue=0\n";
    return text;
}

std::string ValueOfRound(int round) {
    return "round " + std::to_string(round) + " " +
           std::string(static_cast<std::size_t>(round % 97) * 40, 'x');
}

int CountTemporaries(const std::string& dir) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(dir))
        count += entry.path().filename().string().find(".tmp") != std::string::npos;
    return count;
}

int Kill(const std::string& dir, int runs) {
    const std::string path = dir + "/settings.ini";
    WriteBytes(path, StartingFile());
    std::mt19937 random(std::random_device{}());

    // How long a writer lives when nobody kills it: the kills fall within that span.
    auto started = Clock::now();
    constexpr int kCalibration = 5;
    for (int i = 0; i < kCalibration; ++i) {
        pid_t child = fork();
        if (child == 0)
            _exit(vendral::WritePrivateProfileString("Round", "Value", "calibration", path) ? 0
                                                                                            : 1);
        waitpid(child, nullptr, 0);
    }
    auto span = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started) /
                kCalibration;
    std::uniform_int_distribution<long> delay(0, span.count() * 5 / 4);

    int killed = 0, finished = 0, old = 0, fresh = 0, torn = 0, lost = 0;
    for (int round = 1; round <= runs; ++round) {
        std::optional<std::string> before = vendral::ReadWholeFile(path);
        if (!before) {
            ++lost;
            WriteBytes(path, StartingFile());
            before = vendral::ReadWholeFile(path);
        }
        const std::string value = ValueOfRound(round);
        const std::optional<std::string> after =
            vendral::WithProfileValue(before, "Round", "Value", value);
        pid_t child = fork();
        if (child == 0)
            _exit(vendral::WritePrivateProfileString("Round", "Value", value, path) ? 0 : 1);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        if (WIFSIGNALED(status))
            ++killed;
        else
            ++finished;

        std::optional<std::string> now = vendral::ReadWholeFile(path);
        if (!now) {
            ++lost;
        } else if (*now == *before) {
            ++old;
        } else if (after && *now == *after) {
            ++fresh;
        } else {
            ++torn;
            std::fprintf(stderr,
                         "round %d: the file is neither the old nor the new one (%zu bytes)\n",
                         round, now->size());
            WriteBytes(path, *before);
        }
    }
    int temporaries = CountTemporaries(dir);
    std::printf(
        "settings writes killed: runs %d, killed %d, finished first %d, old file %d, new file %d, "
        "torn or mixed %d, files lost %d, temporary files left %d (kill within %ld us)\n",
        runs, killed, finished, old, fresh, torn, lost, temporaries,
        static_cast<long>(span.count() * 5 / 4));
    return torn == 0 && lost == 0 ? 0 : 1;
}

// A write of a file larger than the process may write leaves the old file.
int FileSizeLimit(const std::string& dir) {
    const std::string path = dir + "/limited.ini";
    const std::string original = StartingFile();
    WriteBytes(path, original);
    pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG instead of ending the process
        rlimit limit{static_cast<rlim_t>(original.size() / 2),
                     static_cast<rlim_t>(original.size() / 2)};
        setrlimit(RLIMIT_FSIZE, &limit);
        bool written =
            vendral::WritePrivateProfileString("Round", "Value", std::string(1000, 'y'), path);
        _exit(written ? 10 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    bool refused = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::optional<std::string> now = vendral::ReadWholeFile(path);
    bool intact = now && *now == original;
    int temporaries = CountTemporaries(dir);
    std::printf("file-size limit: write refused %s, old file intact %s, temporary files left %d\n",
                refused ? "yes" : "NO", intact ? "yes" : "NO", temporaries);
    return refused && intact && temporaries == 0 ? 0 : 1;
}

// DIR is on a small file system: fill it, then write a key that makes the file grow.
int FullDisk(const std::string& dir) {
    const std::string path = dir + "/settings.ini";
    const std::string original = StartingFile();
    WriteBytes(path, original);
    {
        std::ofstream filler(dir + "/filler", std::ios::binary);
        std::string block(1 << 16, 'f');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
            filler.flush();
            if (!filler) break;
        }
    }
    bool written =
        vendral::WritePrivateProfileString("Round", "Value", std::string(200000, 'z'), path);
    std::optional<std::string> now = vendral::ReadWholeFile(path);
    bool intact = now && *now == original;
    int temporaries = CountTemporaries(dir);
    fs::remove(dir + "/filler");
    // With room again the same write goes through.
    bool later = vendral::WritePrivateProfileString("Round", "Value", "after", path);
    std::printf(
        "full disk: write refused %s, old file intact %s, temporary files left %d, "
        "written once there is room %s\n",
        written ? "NO" : "yes", intact ? "yes" : "NO", temporaries, later ? "yes" : "NO");
    return !written && intact && temporaries == 0 && later ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (argc < 3) {
        std::fprintf(stderr, "usage: settings_faults kill DIR RUNS | fsize DIR | full DIR\n");
        return 2;
    }
    std::string dir = argv[2];
    fs::create_directories(dir);
    if (mode == "kill") return Kill(dir, argc > 3 ? std::atoi(argv[3]) : 1000);
    if (mode == "fsize") return FileSizeLimit(dir);
    if (mode == "full") return FullDisk(dir);
    std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
    return 2;
}
