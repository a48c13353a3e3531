// What the command line asks of the system: write permission, a terminal on
// the output, the locale's short date format.
#pragma once

#include <string>

namespace vendral::kick {

// True when this process may write the file or folder at path.
bool MayWrite(const std::string& path);
// True when standard output is a terminal (the progress line redraws itself there).
bool OutputIsTerminal();

}  // namespace vendral::kick
