// prodwell: the synchronizer kick on the command line.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "associate_text.h"
#include "command_line.h"
#include "console_host.h"
#include "kick.h"
#include "kick_date.h"
#include "progress_line.h"
#include "vendral/cdatabase.h"
#include "vendral/connection.h"

namespace {

using namespace vendral;
using namespace vendral::kick;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// The run was made, but for all synchronizer users because the associate text was no number.
constexpr int kExitAssociateNotANumber = 3;

// The executable itself, so that the settings file is found beside it from any folder.
std::string ProgramPath(const char* argv0) {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) return self.string();
    return std::filesystem::absolute(argv0, error).string();
}

int Fail(const std::string& program, const std::string& message, int status) {
    std::cerr << program << ": " << OneLine(message) << std::endl;
    return status;
}

int Run(const std::string& program, const std::string& iniFile, const KickRequest& request,
        bool batch) {
    auto host = std::make_shared<ConsoleHost>();
    InstallUiHost(host);
    CDatabase db;
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
        ProgressLine progress(stdout, isatty(STDOUT_FILENO) == 1);
        try {
            auto show = [&progress](KickPhase phase, std::int32_t rows) {
                progress.Show(phase, rows);
            };
            if (batch)
                RunBatchKick(db, request, counts, show);
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

}  // namespace

int main(int argc, char** argv) {
    std::string program = std::filesystem::path(argc > 0 ? argv[0] : "prodwell").filename();
    std::string dateFormat = LocaleShortDateFormat();
    CommandLine line;
    try {
        line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const CommandLineError& error) {
        return Fail(program, error.what(), kExitUsage);
    }
    if (line.Help) {
        std::cout << UsageText(program, dateFormat);
        return 0;
    }

    KickRequest request;
    request.SkipTasks = line.SkipTasks;
    bool associateNotANumber = false;
    try {
        AssociateText associate = ParseAssociateText(line.AssociateText);
        if (!associate.StartsWithNumber) {
            // Read as 0, as the window did; a typing error must not pass unnoticed.
            std::cerr << program << ": the associate \"" << OneLine(line.AssociateText)
                      << "\" is not a number; taking 0 (all synchronizer users)" << std::endl;
            associateNotANumber = true;
        }
        request.AssociateID = associate.AssociateID;
    } catch (const std::out_of_range& error) {
        return Fail(program, error.what(), kExitUsage);
    }

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
        line.IniFile.empty() ? DefaultSettingsFile(ProgramPath(argv[0])) : line.IniFile;
    try {
        int status = Run(program, iniFile, request, line.Batch);
        // The rows are logged as the window would have logged them, but a script
        // that meant one associate must not take the run for a success.
        if (status == 0 && associateNotANumber) return kExitAssociateNotANumber;
        return status;
    } catch (const std::exception& error) {
        return Fail(program, error.what(), kExitFailure);
    }
}
