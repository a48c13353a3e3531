// Times the kick and the query helpers beside the same statements sent by
// minimal loops over the ODBC C API, all on one data source in one run:
//   kick_bench --label NAME --ini FILE --dsn DSN [--uid U] [--pwd P] --prefix P
//              --kick-date YYYY-MM-DD [--runs N] [--helper-calls N] [--only WHAT]
//              [--series kicks]
// Every figure is the median of the runs with the lowest and highest beside it;
// the ratios come last. Opening the database or connecting is not timed, nor
// is the SQLite checkpoint made before every timed kick.
// --only WHAT runs one of per-row, raw-same, raw-calls, batch, batch-streamed,
// floor, count, raw-count, first or raw-first once, with callgrind's
// collection switched on around the work alone: run under
// "valgrind --tool=callgrind --collect-atstart=no", the count of instructions
// is that of the work, free of the machine's load. "batch" is the set-based
// kick as prodwell --batch runs it, "batch-streamed" the same with its rows
// streamed whatever the appointment table's size.
// --series kicks times the kicks and the single statement only (no raw
// loops, no helpers): the figures of a schema or a size beside the demo's.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "kick.h"
#include "kick_date.h"
#include "raw_odbc_kick.h"
#include "vendral/cdatabase.h"
#include "vendral/connection.h"
#include "work_clock.h"

namespace {

using namespace vendral;
using Clock = std::chrono::steady_clock;

struct Series {
    std::string Name;
    std::vector<double> Seconds;
    double Median() const {
        std::vector<double> sorted = Seconds;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
    double Min() const { return *std::min_element(Seconds.begin(), Seconds.end()); }
    double Max() const { return *std::max_element(Seconds.begin(), Seconds.end()); }
};

double Time(const std::function<void()>& work) {
    bench::WorkClock clock;
    work();
    return clock.Stop();
}

struct KickOutcome {
    std::int64_t Rows = 0;
    std::int64_t Logged = 0;
    double Seconds = 0;  // the kick itself; opening the database is not counted
};

std::unique_ptr<CDatabase> Open(const std::string& ini) {
    auto db = std::make_unique<CDatabase>();
    db->OpenODBC_DB(ini, OpenCentral, false);
    if (!db->dDatabaseIsRunning())
        throw std::runtime_error("cannot open " + ini + ": " + db->LastReturnedErrorMessage());
    return db;
}

// The set-based kick reads its rows as prodwell --batch does unless told to
// stream them whatever the table's size (kick::kStreamTheKickRows).
KickOutcome LibraryKick(const std::string& ini, const kick::KickRequest& request, bool batch,
                        std::int64_t wholeReadRows = kick::kWholeReadAppointments) {
    auto db = Open(ini);
    kick::KickCounts counts;
    std::map<kick::KickPhase, std::int32_t> looked;
    auto progress = [&](kick::KickPhase phase, std::int32_t rows) { looked[phase] = rows; };
    double seconds = Time([&] {
        if (batch)
            kick::RunBatchKick(*db, request, counts, progress, kick::kDefaultBlockRows,
                               wholeReadRows);
        else
            kick::RunKick(*db, request, counts, progress);
    });
    db->dDatabase()->Close();
    return {looked[kick::KickPhase::Appointments] + looked[kick::KickPhase::Tasks],
            counts.Appointments + counts.Tasks, seconds};
}

// The where clauses of the helper loops, made before the loops are timed, as
// the raw loops' statements are: a caller's own texts are not the library's work.
std::vector<std::string> MakeWheres(const std::string& start) {
    std::vector<std::string> wheres;
    wheres.reserve(40);
    for (int i = 0; i < 40; ++i) wheres.push_back(start + std::to_string(i));
    return wheres;
}
const std::vector<std::string> kCountWheres = MakeWheres("where associate_id = ");
const std::vector<std::string> kFirstWheres = MakeWheres("where associate_id =");

void CountLoop(CDatabase& db, int calls) {
    for (int i = 0; i < calls; ++i) db.CountRecords("Syncusers", kCountWheres[i % 40], 0);
}

void FirstLoop(CDatabase& db, int calls) {
    for (int i = 0; i < calls; ++i)
        db.GetFirstLongRecord("Syncusers", "associate_id", kFirstWheres[i % 40], 0);
}

// Runs both helper loops once with the connection's statements captured, so
// that the raw loops send the very same texts; returns the sum of the results.
std::int64_t CaptureHelperTexts(CDatabase& db, int calls, std::vector<std::string>& countTexts,
                                std::vector<std::string>& firstTexts) {
    std::int64_t sum = 0;
    db.dDatabase()->SetStatementObserver(
        [&](const std::string& sql) { countTexts.push_back(sql); });
    for (int i = 0; i < calls; ++i)
        sum += db.CountRecords("Syncusers", "where associate_id = " + std::to_string(i % 40), 0)
                   .ToLongLong();
    db.dDatabase()->SetStatementObserver(
        [&](const std::string& sql) { firstTexts.push_back(sql); });
    for (int i = 0; i < calls; ++i)
        sum += db.GetFirstLongRecord("Syncusers", "associate_id",
                                     "where associate_id =" + std::to_string(i % 40), 0)
                   .ToLongLong();
    db.dDatabase()->SetStatementObserver(nullptr);
    return sum;
}

// The raw loops: the library's statements with its transactions, in the
// narrow calls with the driver reading the whole result at once; the same
// with the calls the library makes (the wide entry points of a Unicode
// driver, and on PostgreSQL the read through a server cursor in blocks of
// the kick's 5,000 rows, kept before the first write); and the statements in
// autocommit.
constexpr bench::RawCalls kSameTransactions{true, false, 0};
constexpr bench::RawCalls kSameCalls{true, true, 5000};
constexpr bench::RawCalls kAutocommit{false, false, 0};

// One piece of work, collected alone by callgrind: its instructions are the
// figure, the time under valgrind means nothing.
int RunOnly(const std::string& what, const std::string& ini, const std::string& dsn,
            const std::string& uid, const std::string& pwd, const std::string& prefix,
            const kick::KickRequest& request, int helperCalls) {
    if (what == "per-row") {
        KickOutcome outcome = LibraryKick(ini, request, false);
        std::printf("per-row: %lld logged\n", static_cast<long long>(outcome.Logged));
        return 0;
    }
    if (what == "batch") {
        KickOutcome outcome = LibraryKick(ini, request, true);
        std::printf("batch: %lld logged\n", static_cast<long long>(outcome.Logged));
        return 0;
    }
    if (what == "batch-streamed") {
        KickOutcome outcome = LibraryKick(ini, request, true, kick::kStreamTheKickRows);
        std::printf("batch-streamed: %lld logged\n", static_cast<long long>(outcome.Logged));
        return 0;
    }
    if (what == "floor") {
        std::printf("floor: %lld logged\n", static_cast<long long>(bench::RunSingleStatementKick(
                                                dsn, uid, pwd, prefix, request.KickTime)));
        return 0;
    }
    if (what == "raw-same") {
        bench::RawKickResult raw = bench::RunRawKick(dsn, uid, pwd, prefix, request.AssociateID,
                                                     request.KickTime, kSameTransactions);
        std::printf("raw-same: %d logged\n", raw.Appointments + raw.Tasks);
        return 0;
    }
    if (what == "raw-calls") {
        bench::RawKickResult raw = bench::RunRawKick(dsn, uid, pwd, prefix, request.AssociateID,
                                                     request.KickTime, kSameCalls);
        std::printf("raw-calls: %d logged\n", raw.Appointments + raw.Tasks);
        return 0;
    }
    auto db = Open(ini);
    std::vector<std::string> countTexts, firstTexts;
    bench::collectInstructions = false;
    CaptureHelperTexts(*db, helperCalls, countTexts, firstTexts);
    bench::collectInstructions = true;
    if (what == "count") {
        Time([&] { CountLoop(*db, helperCalls); });
    } else if (what == "first") {
        Time([&] { FirstLoop(*db, helperCalls); });
    } else if (what == "raw-count") {
        bench::RunRawHelperLoop(dsn, uid, pwd, countTexts);
    } else if (what == "raw-first") {
        bench::RunRawHelperLoop(dsn, uid, pwd, firstTexts);
    } else {
        std::cerr
            << "kick_bench: --only takes per-row, raw-same, raw-calls, batch, batch-streamed, "
               "floor, count, "
               "raw-count, first or raw-first, not "
            << what << "\n";
        return 2;
    }
    std::printf("%s: %d calls\n", what.c_str(), helperCalls);
    return 0;
}

void Print(const Series& series, double units, const char* unit) {
    std::printf("  %-34s %8.3f s  (%.3f to %.3f)  %10.0f %s/s\n", series.Name.c_str(),
                series.Median(), series.Min(), series.Max(), units / series.Median(), unit);
}

// Each ratio of the medians, and of the lowest times: on a loaded machine the
// lowest of the runs is the one the load disturbed least.
void Ratio(const char* name, const Series& a, const Series& b, const char* goal, int decimals = 2) {
    std::printf("    %-44s %6.*f  %6.*f  %s\n", name, decimals, b.Median() / a.Median(), decimals,
                b.Min() / a.Min(), goal);
}

// The per-row and the set-based kick and the single statement, alternated.
int KickSeries(const std::string& label, const std::string& ini, const std::string& dsn,
               const std::string& uid, const std::string& pwd, const std::string& prefix,
               const kick::KickRequest& request, int runs) {
    KickOutcome perRow = LibraryKick(ini, request, false);
    KickOutcome batch = LibraryKick(ini, request, true);
    KickOutcome streamed = LibraryKick(ini, request, true, kick::kStreamTheKickRows);
    std::int64_t floorRows = bench::RunSingleStatementKick(dsn, uid, pwd, prefix, request.KickTime);
    if (batch.Rows != perRow.Rows || batch.Logged != perRow.Logged ||
        streamed.Rows != perRow.Rows || streamed.Logged != perRow.Logged ||
        floorRows != perRow.Logged) {
        std::cerr << "kick_bench: the kicks disagree: per-row " << perRow.Rows << "/"
                  << perRow.Logged << ", set-based " << batch.Rows << "/" << batch.Logged
                  << ", streamed " << streamed.Rows << "/" << streamed.Logged
                  << ", single statement -/" << floorRows << " (rows looked at/logged)\n";
        return 1;
    }
    Series libKick{"per-row kick (Vendral)", {}}, libBatch{"set-based kick (Vendral, --batch)", {}},
        libStreamed{"set-based, rows always streamed", {}},
        floor{"single INSERT ... SELECT (raw)", {}};
    const auto checkpoint = [&] { bench::CheckpointSqlite(dsn, uid, pwd); };
    for (int run = 0; run < runs; ++run) {
        checkpoint();
        libKick.Seconds.push_back(LibraryKick(ini, request, false).Seconds);
        checkpoint();
        libBatch.Seconds.push_back(LibraryKick(ini, request, true).Seconds);
        checkpoint();
        libStreamed.Seconds.push_back(
            LibraryKick(ini, request, true, kick::kStreamTheKickRows).Seconds);
        checkpoint();
        double floorSeconds = 0;
        bench::RunSingleStatementKick(dsn, uid, pwd, prefix, request.KickTime, &floorSeconds);
        floor.Seconds.push_back(floorSeconds);
    }
    std::printf(
        "%s: %lld rows looked at, %lld logged per kick; median (lowest to highest) of %d "
        "runs\n",
        label.c_str(), static_cast<long long>(perRow.Rows), static_cast<long long>(perRow.Logged),
        runs);
    for (const Series* s : {&libKick, &libBatch, &libStreamed, &floor})
        Print(*s, perRow.Rows, "rows");
    std::printf("  ratios (throughput):                         medians  lowest\n");
    Ratio("set-based / per-row kick", libBatch, libKick, "(goal >= 20)", 1);
    Ratio("single statement / set-based kick", floor, libBatch, "(goal <= 2)");
    Ratio("single statement / set-based, always streamed", floor, libStreamed, "");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::map<std::string, std::string> args{
        {"--uid", ""}, {"--pwd", ""}, {"--runs", "5"}, {"--helper-calls", "2000"}};
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
    const kick::KickRequest request{0, *kickTime, false};
    const int runs = std::max(1, std::stoi(args["--runs"]));
    const int helperCalls = std::max(1, std::stoi(args["--helper-calls"]));
    const std::string &ini = args["--ini"], &dsn = args["--dsn"], &uid = args["--uid"],
                      &pwd = args["--pwd"], &prefix = args["--prefix"];

    try {
        if (args.count("--only")) {
            bench::collectInstructions = true;
            return RunOnly(args["--only"], ini, dsn, uid, pwd, prefix, request, helperCalls);
        }
        if (args.count("--series")) {
            if (args["--series"] != "kicks") {
                std::cerr << "kick_bench: --series takes kicks\n";
                return 2;
            }
            return KickSeries(args["--label"], ini, dsn, uid, pwd, prefix, request, runs);
        }
        // One untimed pass of each warms the caches and checks that all agree.
        KickOutcome perRow = LibraryKick(ini, request, false);
        KickOutcome batch = LibraryKick(ini, request, true);
        bench::RawKickResult raw =
            bench::RunRawKick(dsn, uid, pwd, prefix, 0, *kickTime, kSameTransactions);
        bench::RawKickResult rawCalls =
            bench::RunRawKick(dsn, uid, pwd, prefix, 0, *kickTime, kSameCalls);
        std::int64_t floorRows = bench::RunSingleStatementKick(dsn, uid, pwd, prefix, *kickTime);
        if (perRow.Rows != raw.RowsLookedAt || perRow.Logged != raw.Appointments + raw.Tasks ||
            rawCalls.RowsLookedAt != raw.RowsLookedAt ||
            rawCalls.Appointments + rawCalls.Tasks != perRow.Logged || batch.Rows != perRow.Rows ||
            batch.Logged != perRow.Logged || floorRows != perRow.Logged) {
            std::cerr << "kick_bench: the loops disagree: per-row " << perRow.Rows << "/"
                      << perRow.Logged << ", set-based " << batch.Rows << "/" << batch.Logged
                      << ", raw " << raw.RowsLookedAt << "/" << raw.Appointments + raw.Tasks
                      << ", single statement -/" << floorRows << " (rows looked at/logged)\n";
            return 1;
        }

        // The helpers' statements, captured as the library sends them.
        auto db = Open(ini);
        std::vector<std::string> countTexts, firstTexts;
        std::int64_t librarySum = CaptureHelperTexts(*db, helperCalls, countTexts, firstTexts);
        if (librarySum != bench::RunRawHelperLoop(dsn, uid, pwd, countTexts) +
                              bench::RunRawHelperLoop(dsn, uid, pwd, firstTexts)) {
            std::cerr << "kick_bench: the helper loops disagree\n";
            return 1;
        }

        Series libKick{"per-row kick (Vendral)", {}}, rawSame{"raw loop, same transactions", {}},
            rawCallsSeries{"raw loop, same calls", {}}, rawAuto{"raw loop, autocommit", {}},
            libBatch{"set-based kick (Vendral, --batch)", {}},
            floor{"single INSERT ... SELECT (raw)", {}}, libCount{"CountRecords (Vendral)", {}},
            rawCount{"CountRecords statements (raw)", {}},
            libFirst{"GetFirstLongRecord (Vendral)", {}},
            rawFirst{"GetFirstLongRecord statements (raw)", {}};
        const auto checkpoint = [&] { bench::CheckpointSqlite(dsn, uid, pwd); };
        for (int run = 0; run < runs; ++run) {  // alternated, so that drift hits all alike
            checkpoint();
            libKick.Seconds.push_back(LibraryKick(ini, request, false).Seconds);
            checkpoint();
            rawSame.Seconds.push_back(
                bench::RunRawKick(dsn, uid, pwd, prefix, 0, *kickTime, kSameTransactions).Seconds);
            checkpoint();
            rawCallsSeries.Seconds.push_back(
                bench::RunRawKick(dsn, uid, pwd, prefix, 0, *kickTime, kSameCalls).Seconds);
            checkpoint();
            rawAuto.Seconds.push_back(
                bench::RunRawKick(dsn, uid, pwd, prefix, 0, *kickTime, kAutocommit).Seconds);
            checkpoint();
            libBatch.Seconds.push_back(LibraryKick(ini, request, true).Seconds);
            checkpoint();
            double floorSeconds = 0;
            bench::RunSingleStatementKick(dsn, uid, pwd, prefix, *kickTime, &floorSeconds);
            floor.Seconds.push_back(floorSeconds);
            libCount.Seconds.push_back(Time([&] { CountLoop(*db, helperCalls); }));
            double rawSeconds = 0;
            bench::RunRawHelperLoop(dsn, uid, pwd, countTexts, &rawSeconds);
            rawCount.Seconds.push_back(rawSeconds);
            libFirst.Seconds.push_back(Time([&] { FirstLoop(*db, helperCalls); }));
            bench::RunRawHelperLoop(dsn, uid, pwd, firstTexts, &rawSeconds);
            rawFirst.Seconds.push_back(rawSeconds);
        }

        const double rows = static_cast<double>(perRow.Rows);
        std::printf(
            "%s: %lld rows looked at, %lld logged per kick; median (lowest to highest) "
            "of %d runs\n",
            args["--label"].c_str(), static_cast<long long>(perRow.Rows),
            static_cast<long long>(perRow.Logged), runs);
        for (const Series* s : {&libKick, &rawSame, &rawCallsSeries, &rawAuto, &libBatch, &floor})
            Print(*s, rows, "rows");
        for (const Series* s : {&libCount, &rawCount, &libFirst, &rawFirst})
            Print(*s, helperCalls, "calls");
        std::printf("  ratios (throughput):                         medians  lowest\n");
        Ratio("per-row kick / raw loop, same calls", libKick, rawCallsSeries, "(goal >= 0.95)");
        Ratio("per-row kick / raw loop, same transactions", libKick, rawSame, "");
        Ratio("per-row kick / raw loop, autocommit", libKick, rawAuto, "");
        Ratio("set-based / per-row kick", libBatch, libKick, "(goal >= 20)", 1);
        Ratio("single statement / set-based kick", floor, libBatch, "(goal <= 2)");
        Ratio("CountRecords / raw", libCount, rawCount, "(goal >= 0.95)");
        Ratio("GetFirstLongRecord / raw", libFirst, rawFirst, "(goal >= 0.95)");
    } catch (const std::exception& error) {
        std::cerr << "kick_bench: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
