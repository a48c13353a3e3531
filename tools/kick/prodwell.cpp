// prodwell: the synchronizer kick on the command line.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "command_line.h"
#include "console_host.h"
#include "console_platform.h"
#include "kick.h"
#include "kick_date.h"
#include "progress_line.h"
#include "served_database.h"
#include "vendral/connection.h"
#include "vendral/settings.h"
#ifdef VENDRAL_PRODWELL_WINDOW
#include "window/display_check.h"
#include "window/run_window.h"
#endif

namespace {

using namespace vendral;
using namespace vendral::kick;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int Fail(const std::string& program, const std::string& message, int status) {
    std::cerr << program << ": " << OneLine(message) << std::endl;
    return status;
}

int Run(const std::string& program, const std::string& programPath, const std::string& iniFile,
        const KickRequest& request, bool batch) {
    auto host = std::make_shared<ConsoleHost>();
    InstallUiHost(host);
    InstallSettingsDialogRunner([host] {
        host->RefuseSettingsDialog();
        return true;
    });
    // Created through the component server, as the registry (or the library
    // beside the program) says; the kick reaches it through its interfaces.
    if (SettingsFileReadOnly(iniFile))
        std::cerr << program << ": the settings file " << iniFile
                  << " cannot be written; its settings are used as they are, and what opening "
                     "would store there is not stored"
                  << std::endl;
    ServedDatabase served(programPath);
    KickDatabase& db = served.Database();
    Variant opened = db.OpenODBC_DB(iniFile, OpenCentral, false);
    if (opened.Type() != VariantType::Boolean || !opened.ToBool() || !db.dDatabaseIsRunning()) {
        std::string reason = host->Messages();
        if (reason.empty()) reason = db.LastReturnedErrorMessage();
        if (reason.empty()) reason = "no reason given";
        return Fail(program, "cannot open the central database from " + iniFile + ": " + reason,
                    kExitFailure);
    }

    KickCounts counts;
    {
        ProgressLine progress(stdout, OutputIsTerminal());
        try {
            auto show = [&progress](KickPhase phase, std::int32_t rows) {
                progress.Show(phase, rows);
            };
            if (batch)
                RunBatchKick(db, request, counts, show, kDefaultBlockRows, kWholeReadAppointments);
            else
                RunKick(db, request, counts, show);
        } catch (const std::exception& error) {
            progress.Clear();
            // What was logged before the error stays logged; say how much.
            return Fail(program,
                        std::string(dynamic_cast<const DatabaseError*>(&error)
                                        ? "database error during the kick: "
                                        : "the kick stopped: ") +
                            error.what() + " (" + CountsMessage(counts) + " before the error)",
                        kExitFailure);
        }
    }
    std::cout << CountsMessage(counts) << std::endl;
    return 0;
}

// The window: the associate, the date and the skip box are typed there.
int RunWindowMode(const std::string& program, const std::string& programPath,
                  const CommandLine& line, const std::string& iniFile, int& argc, char** argv) {
    CommandLine defaults;
    if (line.AssociateText != defaults.AssociateText || line.KickDate != defaults.KickDate ||
        line.SkipTasks || line.Batch) {
        return Fail(program,
                    "--window takes no option but --ini; the others are typed in the window",
                    kExitUsage);
    }
#ifdef VENDRAL_PRODWELL_WINDOW
    if (std::string why = WhyNoDisplay(); !why.empty())
        return Fail(program, "cannot open the window: " + why, kExitFailure);
    // The window's CDatabase comes through the component server as the command
    // line's does; the shared pointer keeps the served object alive.
    return RunWindow(argc, argv, iniFile, [programPath] {
        auto served = std::make_shared<ServedDatabase>(programPath);
        return std::shared_ptr<KickDatabase>(served, &served->Database());
    });
#else
    (void)iniFile;
    (void)programPath;
    (void)argc;
    (void)argv;
    return Fail(program, "this build of prodwell has no window (built without Qt)", kExitUsage);
#endif
}

// Started without any argument: the window where one can be shown (a person
// at a terminal), else the usage, so that nothing is kicked unasked.
bool WindowWithoutArguments() {
#ifdef VENDRAL_PRODWELL_WINDOW
    return WhyNoDisplay().empty();
#else
    return false;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    // Read as UTF-8 from here on, whatever the system handed to main.
    const std::vector<std::string> arguments = ProgramArguments(argc, argv);
    std::vector<const char*> utf8Argv;
    utf8Argv.reserve(arguments.size());
    for (const std::string& argument : arguments) utf8Argv.push_back(argument.c_str());
    const int count = static_cast<int>(utf8Argv.size());
    const char* const argv0 = count > 0 ? utf8Argv[0] : nullptr;
    std::string program = ProgramName(count, utf8Argv.data(), "prodwell");
    std::string dateFormat = LocaleShortDateFormat();
    if (count > 1) ReachStartingConsole();
    if (count <= 1) {
        if (!WindowWithoutArguments()) {
            std::cerr << UsageText(program, dateFormat);
            return kExitUsage;
        }
    }
    CommandLine line;
    try {
        line = ParseCommandLine(ArgumentsAfterProgram(count, utf8Argv.data()));
    } catch (const CommandLineError& error) {
        return Fail(program, error.what(), kExitUsage);
    }
    if (line.Help) {
        std::cout << UsageText(
            program, dateFormat,
            line.IniFile.empty() ? SettingsFileInUse(ProgramPath(argv0), false) : line.IniFile);
        return 0;
    }
    if (count <= 1) line.Window = true;
    if (line.Window) {
        std::string iniFile =
            line.IniFile.empty() ? SettingsFileInUse(ProgramPath(argv0)) : line.IniFile;
        return RunWindowMode(program, ProgramPath(argv0), line, iniFile, argc, argv);
    }

    KickRequest request;
    request.SkipTasks = line.SkipTasks;
    std::optional<std::int32_t> associate = ParseAssociateOption(line.AssociateText);
    if (!associate) {
        return Fail(program,
                    "cannot read the associate \"" + line.AssociateText +
                        "\" (use a decimal number that fits 32 bits; 0 for all synchronizer "
                        "users)",
                    kExitUsage);
    }
    request.AssociateID = *associate;

    std::optional<std::int32_t> kickTime = ParseKickDate(line.KickDate, dateFormat);
    if (!kickTime) {
        std::string forms = "YYYY-MM-DD";
        if (std::string local = DescribeDateFormat(dateFormat); !local.empty())
            forms += " or " + local;
        return Fail(program,
                    "cannot read the kick date \"" + line.KickDate + "\" (use " + forms +
                        ", between 1901-12-14 and 2038-01-19)",
                    kExitUsage);
    }
    request.KickTime = *kickTime;

    std::string iniFile =
        line.IniFile.empty() ? SettingsFileInUse(ProgramPath(argv0)) : line.IniFile;
    try {
        return Run(program, ProgramPath(argv0), iniFile, request, line.Batch);
    } catch (const std::exception& error) {
        return Fail(program, error.what(), kExitFailure);
    }
}
