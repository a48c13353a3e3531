// The options of prodwell.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
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
    bool Window = false;  // open the window instead of running on the command line
};

class CommandLineError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// args without the program name. Options take their value as the next
// argument or after "=" (--ini=FILE). Throws CommandLineError.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The arguments after the program name; none when the program was started
// without any (argc 0, which execve allows).
std::vector<std::string> ArgumentsAfterProgram(int argc, const char* const* argv);
// The file name the program was started under, or fallback without argv[0].
std::string ProgramName(int argc, const char* const* argv, const std::string& fallback);

// The associate of --associate: a plain decimal integer (an optional sign and
// digits, nothing else) that fits 32 bits; nullopt for anything else. Unlike
// the window's text box, the command line takes no hexadecimal, fraction,
// exponent or trailing text, so that a typing error cannot turn into a run for
// every synchronizer user.
std::optional<std::int32_t> ParseAssociateOption(std::string_view text);

// The program's folder and file name without extension, with ".ini".
std::string DefaultSettingsFile(const std::string& programPath);

// The settings file the program uses without --ini: the one beside the program
// when it exists or the program's folder can be written (a copy of its own),
// else, for an installed program, the user's:
// $XDG_CONFIG_HOME/NAME/NAME.ini, else ~/.config/NAME/NAME.ini (NAME: the
// program's file name without extension). The user's folder is created when
// createFolder is true.
std::string SettingsFileInUse(const std::string& programPath, bool createFolder = true);

// True when the settings file exists but cannot be written, or its folder
// cannot take the new file that replaces it: what opening or the settings
// dialog would write there is lost, which the program says.
bool SettingsFileReadOnly(const std::string& path);

// settingsFile: the settings file used without --ini, named in the text.
std::string UsageText(const std::string& programName, const std::string& shortDateFormat,
                      const std::string& settingsFile = "");

}  // namespace vendral::kick
