// What the command line asks of the system: the program's own file and its
// arguments as UTF-8, write permission, a terminal on the output, the locale's
// short date format.
#pragma once

#include <string>
#include <vector>

namespace vendral::kick {

// The executable itself, so that the settings file is found beside it from
// any folder (started through PATH as well); argv0 is the last resort.
std::string ProgramPath(const char* argv0);
// The program's arguments (its name first) as UTF-8: on Windows argv is in
// the ANSI code page, which cannot hold every file name.
std::vector<std::string> ProgramArguments(int argc, const char* const* argv);
// True when this process may write the file or folder at path.
bool MayWrite(const std::string& path);
// Where the program has no console of its own (the graphical prodwell.exe)
// but was started from one, its output goes to that console.
void ReachStartingConsole();
// True when standard output is a terminal (the progress line redraws itself there).
bool OutputIsTerminal();

}  // namespace vendral::kick
