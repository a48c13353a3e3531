#include "command_line.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>

#include "console_platform.h"
#include "kick_date.h"

namespace vendral::kick {
namespace {

namespace fs = std::filesystem;

// Paths from and to the program's UTF-8 text. A narrow string is read in the
// ANSI code page on Windows, which cannot name every folder; on Linux these
// are the same bytes.
fs::path PathOf(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string TextOf(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool inlineValue = false;
        if (std::size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            inlineValue = true;
        }
        auto takeValue = [&]() -> std::string {
            if (inlineValue) return value;
            if (i + 1 >= args.size()) throw CommandLineError("option " + name + " needs a value");
            return args[++i];
        };
        if (name == "--help" || name == "-h") {
            line.Help = true;
        } else if (name == "--window") {
            if (inlineValue) throw CommandLineError("option --window takes no value");
            line.Window = true;
        } else if (name == "--skip-tasks") {
            if (inlineValue) throw CommandLineError("option --skip-tasks takes no value");
            line.SkipTasks = true;
        } else if (name == "--batch") {
            if (inlineValue) throw CommandLineError("option --batch takes no value");
            line.Batch = true;
        } else if (name == "--ini") {
            line.IniFile = takeValue();
            if (line.IniFile.empty()) throw CommandLineError("option --ini needs a file name");
        } else if (name == "--associate") {
            line.AssociateText = takeValue();
        } else if (name == "--kick-date") {
            line.KickDate = takeValue();
        } else {
            throw CommandLineError("unknown argument " + args[i] + " (see --help)");
        }
    }
    return line;
}

std::vector<std::string> ArgumentsAfterProgram(int argc, const char* const* argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i] ? argv[i] : "");
    return args;
}

std::string ProgramName(int argc, const char* const* argv, const std::string& fallback) {
    if (argc < 1 || !argv || !argv[0] || !*argv[0]) return fallback;
    std::string name = TextOf(PathOf(argv[0]).filename());
    return name.empty() ? fallback : name;
}

std::optional<std::int32_t> ParseAssociateOption(std::string_view text) {
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
        digits.remove_prefix(1);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    std::int32_t value = 0;
    // from_chars takes a "-" but no "+"; the sign is applied by parsing it along.
    std::string_view number = text.front() == '+' ? digits : text;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size()) return std::nullopt;
    return value;
}

std::string DefaultSettingsFile(const std::string& programPath) {
    const fs::path program = PathOf(programPath);
    return TextOf(program.parent_path() / program.stem()) + ".ini";
}

std::string SettingsFileInUse(const std::string& programPath, bool createFolder) {
    std::string beside = DefaultSettingsFile(programPath);
    std::error_code error;
    fs::path folder = PathOf(beside).parent_path();
    if (folder.empty()) folder = ".";
    if (fs::exists(PathOf(beside), error) || MayWrite(TextOf(folder))) return beside;
    fs::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        config = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        config = fs::path(home) / ".config";
    } else {
        return beside;  // nowhere better; opening says what is missing
    }
    std::string name = TextOf(PathOf(programPath).stem());
    fs::path folderOfUser = config / name;
    // The settings hold encoded passwords: the user's folder is the user's alone.
    if (createFolder && !fs::exists(folderOfUser, error)) {
        fs::create_directories(folderOfUser, error);
        if (!error) fs::permissions(folderOfUser, fs::perms::owner_all, error);
    }
    return TextOf(folderOfUser / PathOf(name + ".ini"));
}

bool SettingsFileReadOnly(const std::string& path) {
    std::error_code error;
    if (!fs::exists(PathOf(path), error)) return false;
    // The file is replaced through a new file beside it: its folder must take
    // one as well.
    fs::path folder = PathOf(path).parent_path();
    if (folder.empty()) folder = ".";
    return !MayWrite(path) || !MayWrite(TextOf(folder));
}

std::string UsageText(const std::string& programName, const std::string& shortDateFormat,
                      const std::string& settingsFile) {
    std::string localeForm = DescribeDateFormat(shortDateFormat);
    std::string settingsDefault =
        settingsFile.empty()
            ? std::string(" the program's\n                    folder and name with .ini")
            : "\n                    " + settingsFile;
    return "Usage: " + programName +
           " [--ini FILE] [--associate N] [--kick-date DATE] [--skip-tasks] [--batch]\n"
           "       " +
           programName +
           " [--window] [--ini FILE]\n"
           "\n"
           "Makes the CRM synchronizer send appointments and tasks again: every appointment\n"
           "(and task) it already knows and that is due on or after the kick date is recorded\n"
           "once more in the travel transaction log, for each owner that is a synchronizer user.\n"
           "Without any argument it opens its window where a display is reachable.\n"
           "\n"
           "  --ini FILE        settings file of the central connection (default:" +
           settingsDefault +
           ")\n"
           "  --associate N     only this associate's rows (a decimal number); 0 (the\n"
           "                    default) for all synchronizer users\n"
           "  --kick-date DATE  first due date to re-send, as YYYY-MM-DD" +
           (localeForm.empty() ? std::string() : " or " + localeForm) +
           "\n"
           "                    (default " +
           kDefaultKickDate +
           ")\n"
           "  --skip-tasks      re-send appointments only\n"
           "  --batch           log a block of 10,000 rows per transaction in a few\n"
           "                    statements instead of several statements per row; a block\n"
           "                    that fails is not logged at all, the blocks before it stay\n"
           "                    logged\n"
           "  --window          open the program's window (the other options are typed there)\n"
           "  --help            this text\n"
           "\n"
           "The last line reports the rows logged: \"Inserts for appointments: A, inserts for\n"
           "tasks: T\". Errors are reported on standard error with a non-zero exit status:\n"
           "1 when the database cannot be opened or fails during the run (what was logged\n"
           "stays logged), 2 for an option or date that cannot be read (the associate must\n"
           "be a plain decimal number).\n";
}

}  // namespace vendral::kick
