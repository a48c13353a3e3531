// The options of prodwell.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace vendral::kick {

// The kick date the window offered before a user typed one (8 June 2008).
inline constexpr const char* kDefaultKickDate = "2008-06-08";

struct CommandLine {
    std::string IniFile;  // empty: the settings file beside the program
    std::string AssociateText = "0";
    std::string KickDate = kDefaultKickDate;
    bool SkipTasks = false;
    // The set-based kick: the same log rows, a block of rows per transaction.
    bool Batch = false;
    bool Help = false;
};

class CommandLineError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// args without the program name. Options take their value as the next
// argument or after "=" (--ini=FILE). Throws CommandLineError.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The program's folder and file name without extension, with ".ini".
std::string DefaultSettingsFile(const std::string& programPath);

std::string UsageText(const std::string& programName, const std::string& shortDateFormat);

}  // namespace vendral::kick
