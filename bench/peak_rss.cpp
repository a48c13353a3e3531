// Runs a program and prints its peak resident memory in kilobytes on standard
// error after its own output:  peak_rss [--seconds N] PROGRAM ARGS...
// With --seconds the program is stopped after N seconds (a long run's memory
// is measured without waiting for its end); the line then says so.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: peak_rss PROGRAM ARGS...\n");
        return 2;
    }
    int first = 1;
    unsigned limit = 0;
    if (argc > 3 && std::string(argv[1]) == "--seconds") {
        limit = static_cast<unsigned>(std::stoul(argv[2]));
        first = 3;
    }
    pid_t child = fork();
    if (child < 0) return 1;
    if (child == 0) {
        execvp(argv[first], argv + first);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    bool stopped = false;
    for (unsigned waited = 0;; ++waited) {
        pid_t done = wait4(child, &status, limit ? WNOHANG : 0, &usage);
        if (done == child) break;
        if (done < 0) return 1;
        if (waited >= limit * 10) {
            kill(child, SIGTERM);
            stopped = true;
            if (wait4(child, &status, 0, &usage) < 0) return 1;
            break;
        }
        usleep(100000);
    }
    std::fprintf(stderr, "peak_rss_kb=%ld%s\n", usage.ru_maxrss,
                 stopped ? " (stopped after the time limit)" : "");
    return stopped ? 0 : WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
