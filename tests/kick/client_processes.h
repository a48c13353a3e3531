// Client programs started as separate processes, several at once, with their
// output in files: the workstations of the pooler and killed-client tests.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/test_database.h"

extern char** environ;

namespace vendral::test {

struct ClientOutcome {
    int Status = -1;  // the exit status; -1 when the process did not exit by itself
    std::string Out;
    std::string Err;
};

class ClientProcess {
  public:
    // Starts program with args; its output goes to files named after name.
    ClientProcess(const std::string& program, const std::vector<std::string>& args,
                  const std::string& name)
        : out_(TestOdbc::Instance().ScratchPath(name + ".out")),
          err_(TestOdbc::Instance().ScratchPath(name + ".err")) {
        std::vector<std::string> all{program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : all) argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&files, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&files, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        int failed = posix_spawn(&pid_, program.c_str(), &files, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&files);
        if (failed != 0) throw std::runtime_error("cannot start " + program);
    }
    ~ClientProcess() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    ClientProcess(const ClientProcess&) = delete;
    ClientProcess& operator=(const ClientProcess&) = delete;

    void Kill() {
        if (!exited_) kill(pid_, SIGKILL);
    }
    // Whether the process has ended (by itself or killed).
    bool Exited() {
        if (!exited_ && waitpid(pid_, &status_, WNOHANG) == pid_) exited_ = true;
        return exited_;
    }
    ClientOutcome Wait() {
        if (!exited_) waitpid(pid_, &status_, 0);
        exited_ = true;
        pid_ = -1;
        return {WIFEXITED(status_) ? WEXITSTATUS(status_) : -1, Slurp(out_), Slurp(err_)};
    }

  private:
    static std::string Slurp(const std::string& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::string out_;
    std::string err_;
    pid_t pid_ = -1;
    int status_ = 0;
    bool exited_ = false;
};

}  // namespace vendral::test
