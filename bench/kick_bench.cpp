// Times the kick end to end (opening from the settings file included) beside the
// same statements sent by a minimal loop over the ODBC C API, on one data source.
//   kick_bench --label NAME --ini FILE --dsn DSN [--uid U] [--pwd P] --prefix P
//              --kick-date YYYY-MM-DD [--runs N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "kick.h"
#include "kick_date.h"
#include "raw_odbc_kick.h"
#include "vendral/cdatabase.h"

namespace {

using namespace vendral;
using Clock = std::chrono::steady_clock;

struct Sample {
    double Seconds = 0;
    std::int64_t Rows = 0;
    std::int32_t Logged = 0;
};

Sample TimeLibraryKick(const std::string& ini, const kick::KickRequest& request) {
    auto start = Clock::now();
    CDatabase db;
    Variant opened = db.OpenODBC_DB(ini, OpenCentral, false);
    if (!db.dDatabaseIsRunning())
        throw std::runtime_error("cannot open " + ini + ": " + db.LastReturnedErrorMessage());
    (void)opened;
    kick::KickCounts counts;
    std::int64_t rows = 0, phaseRows = 0;
    kick::KickPhase current = kick::KickPhase::Appointments;
    kick::RunKick(db, request, counts, [&](kick::KickPhase phase, std::int32_t looked) {
        if (phase != current) rows += phaseRows, current = phase;
        phaseRows = looked;
    });
    rows += phaseRows;
    db.dDatabase->Close();
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return {seconds, rows, counts.Appointments + counts.Tasks};
}

Sample TimeRawKick(const std::map<std::string, std::string>& args,
                   const kick::KickRequest& request) {
    auto start = Clock::now();
    bench::RawKickResult result =
        bench::RunRawKick(args.at("--dsn"), args.at("--uid"), args.at("--pwd"), args.at("--prefix"),
                          request.AssociateID, request.KickTime);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return {seconds, result.RowsLookedAt, result.Appointments + result.Tasks};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    std::map<std::string, std::string> args{{"--uid", ""}, {"--pwd", ""}, {"--runs", "3"}};
    for (int i = 1; i + 1 < argc; i += 2) args[argv[i]] = argv[i + 1];
    for (const char* required : {"--label", "--ini", "--dsn", "--prefix", "--kick-date"}) {
        if (!args.count(required)) {
            std::cerr << "kick_bench: " << required << " is missing\n";
            return 2;
        }
    }
    auto kickTime = kick::ParseKickDate(args["--kick-date"], "%Y-%m-%d");
    if (!kickTime) {
        std::cerr << "kick_bench: cannot read the kick date\n";
        return 2;
    }
    kick::KickRequest request{0, *kickTime, false};
    int runs = std::max(1, std::stoi(args["--runs"]));

    try {
        // One untimed pass of each warms the caches of the file system and the server.
        Sample warmLibrary = TimeLibraryKick(args["--ini"], request);
        Sample warmRaw = TimeRawKick(args, request);
        if (warmLibrary.Rows != warmRaw.Rows || warmLibrary.Logged != warmRaw.Logged) {
            std::cerr << "kick_bench: the two loops disagree: " << warmLibrary.Rows << "/"
                      << warmLibrary.Logged << " rows/logged against " << warmRaw.Rows << "/"
                      << warmRaw.Logged << "\n";
            return 1;
        }
        std::vector<double> library, raw;
        for (int run = 0; run < runs; ++run) {  // alternated, so that drift hits both alike
            library.push_back(TimeLibraryKick(args["--ini"], request).Seconds);
            raw.push_back(TimeRawKick(args, request).Seconds);
        }
        double rows = static_cast<double>(warmLibrary.Rows);
        double libraryRate = rows / Median(library);
        double rawRate = rows / Median(raw);
        std::printf(
            "%-10s %lld rows looked at, %d logged per run; median of %d runs:\n"
            "           kick (Vendral)  %8.3f s  %10.0f rows/s\n"
            "           raw ODBC loop   %8.3f s  %10.0f rows/s\n"
            "           ratio kick/raw  %8.2f (throughput)\n",
            args["--label"].c_str(), static_cast<long long>(warmLibrary.Rows), warmLibrary.Logged,
            runs, Median(library), libraryRate, Median(raw), rawRate, libraryRate / rawRate);
    } catch (const std::exception& error) {
        std::cerr << "kick_bench: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
