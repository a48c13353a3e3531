// Starting other programs: the words of a command line, the program file for
// a name, programs started on their own (the caller does not wait for them)
// and child processes the caller waits for.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/internal_export.h"

namespace vendral::detail::process {

// Blanks separate words; double quotes group words with blanks in them and
// are dropped; \" inside is a quote.
VENDRAL_TEST_INTERNAL std::vector<std::string> SplitCommandLine(std::string_view command_line);

// The program file for a name: a name with a slash names the file itself
// (when it is an executable file), a bare name is searched along PATH.
VENDRAL_TEST_INTERNAL std::optional<std::string> FindProgram(std::string_view name);

struct VENDRAL_TEST_INTERNAL LaunchResult {
    // The errno of a program that could not be started; 0 when it started.
    int StartError = 0;
    // The exit status of a program that failed (ended with a status other
    // than 0) within the watch time; empty when it succeeded, is still
    // running, or no watch was asked for.
    std::optional<int> ExitStatus;
};

// Starts program with the arguments (not counting the program itself) in the
// working directory, detached from the caller: it runs in its own session,
// with the caller's environment, no file descriptors beyond the standard
// three, and it is never left behind as a zombie. With a watch time the call
// waits up to that long for the program to end and reports its exit status.
VENDRAL_TEST_INTERNAL LaunchResult LaunchDetached(const std::string& program,
                                             const std::vector<std::string>& arguments,
                                             const std::string& directory,
                                             std::chrono::milliseconds watch);

// Starts argv[0] (a program file) as a child of the caller, with the caller's
// environment, open files and working directory, then waits until it ends.
// With a while_waiting callback it is called at least once, and again every
// few milliseconds until the child has ended; without one the thread blocks.
// False (and errno set) when the program cannot be started.
VENDRAL_TEST_INTERNAL bool RunAndWait(const std::string& program, const std::vector<std::string>& argv,
                                 const std::function<void()>& while_waiting);

}  // namespace vendral::detail::process

// The library's own code names these without the detail qualifier.
namespace vendral {
namespace process = detail::process;
}  // namespace vendral
