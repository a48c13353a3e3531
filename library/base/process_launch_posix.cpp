#include "base/process_launch.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace vendral::detail::process {

namespace {

constexpr long kPollNanoseconds = 10'000'000;  // 10 ms between looks at a child

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

std::vector<char*> ArgumentVector(std::vector<std::string>& words) {
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    return argv;
}

void SleepBriefly() {
    timespec pause{0, kPollNanoseconds};
    ::nanosleep(&pause, nullptr);
}

long ElapsedMilliseconds(const timespec& since) {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return (now.tv_sec - since.tv_sec) * 1000 + (now.tv_nsec - since.tv_nsec) / 1'000'000;
}

pid_t WaitRetrying(pid_t pid, int* status, int options) {
    pid_t result;
    do {
        result = ::waitpid(pid, status, options);
    } while (result < 0 && errno == EINTR);
    return result;
}

int ExitCodeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

// Only async-signal-safe calls from here on: the caller may have threads.
[[noreturn]] void ExecInChild(const char* program, char* const* argv, const char* directory,
                              int error_pipe) {
    ::setsid();
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &standard, nullptr);
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    if (::chdir(directory) == 0) ::execve(program, argv, environ);
    int error = errno;
    [[maybe_unused]] auto written = ::write(error_pipe, &error, sizeof error);
    ::_exit(127);
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view command_line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (std::size_t i = 0; i < command_line.size(); ++i) {
        char c = command_line[i];
        if (c == '\\' && i + 1 < command_line.size() && command_line[i + 1] == '"') {
            word += '"';
            inWord = true;
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

std::optional<std::string> FindProgram(std::string_view name) {
    if (name.empty()) return std::nullopt;
    std::string wanted(name);
    if (wanted.find('/') != std::string::npos) {
        if (IsExecutableFile(wanted)) return wanted;
        return std::nullopt;
    }
    const char* path = std::getenv("PATH");
    std::string_view folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        auto end = folders.find(':');
        // An empty entry of PATH stands for the current folder.
        std::string_view folder = folders.substr(0, end);
        std::string candidate =
            (folder.empty() ? std::string(".") : std::string(folder)) + "/" + wanted;
        if (IsExecutableFile(candidate)) return candidate;
        if (end == std::string_view::npos) break;
        folders.remove_prefix(end + 1);
    }
    return std::nullopt;
}

LaunchResult LaunchDetached(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& directory, std::chrono::milliseconds watch) {
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv = ArgumentVector(words);
    const long watchMs = static_cast<long>(watch.count());

    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) return {errno, std::nullopt};
    pid_t middle = ::fork();
    if (middle < 0) {
        int error = errno;
        ::close(errorPipe[0]);
        ::close(errorPipe[1]);
        return {error, std::nullopt};
    }
    if (middle == 0) {
        // The middle process starts the program and ends, so the program is
        // adopted by init and reaped there, never by the caller.
        ::close(errorPipe[0]);
        timespec started{};
        ::clock_gettime(CLOCK_MONOTONIC, &started);
        pid_t child = ::fork();
        if (child < 0) {
            int error = errno;
            [[maybe_unused]] auto written = ::write(errorPipe[1], &error, sizeof error);
            ::_exit(0);
        }
        if (child == 0) ExecInChild(program.c_str(), argv.data(), directory.c_str(), errorPipe[1]);
        // Exit status 0 stands for "still running" as well as for success.
        while (ElapsedMilliseconds(started) < watchMs) {
            int status = 0;
            if (WaitRetrying(child, &status, WNOHANG) == child) ::_exit(ExitCodeOf(status));
            SleepBriefly();
        }
        ::_exit(0);
    }
    ::close(errorPipe[1]);
    int status = 0;
    WaitRetrying(middle, &status, 0);
    LaunchResult result;
    int error = 0;
    ssize_t got;
    do {
        got = ::read(errorPipe[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(errorPipe[0]);
    if (got == static_cast<ssize_t>(sizeof error)) {
        result.StartError = error;
        return result;
    }
    int code = ExitCodeOf(status);
    if (watchMs > 0 && code != 0) result.ExitStatus = code;
    return result;
}

bool RunAndWait(const std::string& program, const std::vector<std::string>& argv,
                const std::function<void()>& while_waiting) {
    std::vector<std::string> words = argv;
    std::vector<char*> vector = ArgumentVector(words);
    pid_t child = 0;
    int error = ::posix_spawn(&child, program.c_str(), nullptr, nullptr, vector.data(), environ);
    if (error != 0) {
        errno = error;
        return false;
    }
    int status = 0;
    if (!while_waiting) {
        WaitRetrying(child, &status, 0);
        return true;
    }
    bool ended = false;
    do {
        ended = WaitRetrying(child, &status, WNOHANG) == child;
        while_waiting();
        if (!ended) SleepBriefly();
    } while (!ended);
    return true;
}

}  // namespace vendral::detail::process
