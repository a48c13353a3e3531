// The set-based kick whatever the CRM's indexes and statistics: on a
// syncsoapp with and without an index on its appointment ids, and on
// PostgreSQL on tables that were never analysed, it logs the same rows with
// the same ids as the per-row kick, joins syncsoapp once per kick, and
// several kicks at once complete, directly and through pgbouncer.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "kick.h"
#include "kick/client_processes.h"
#include "kick/kick_fixture.h"

namespace vendral::kick {
namespace {

using test::ClientOutcome;
using test::ClientProcess;
using test::Engine;
using test::kKick;
using test::TestDatabase;
using test::TestOdbc;

bool RequirePostgres() {
    if (TestOdbc::Instance().PostgresAvailable()) return true;
    if (std::getenv("VENDRAL_REQUIRE_PG")) ADD_FAILURE() << "PostgreSQL is required";
    return false;
}

// The tables the kick reads and writes, kept from the server's automatic
// analysis, so that they stay without statistics however long a test runs.
const char* const kKickTables[] = {"appointment", "syncsoapp", "syncusers", "sequence",
                                   "traveltransactionlog"};

// A CRM database as a kick finds it: syncsoapp with or without the index on
// its appointment ids, and on PostgreSQL no statistics on any table.
std::unique_ptr<TestDatabase> KickDatabaseOf(Engine engine, bool indexed) {
    auto db = std::make_unique<TestDatabase>(engine);
    // MariaDB names an index within its table.
    if (!indexed)
        db->Exec(engine == Engine::MariaDB ? "DROP INDEX syncsoapp_appointment ON syncsoapp"
                                           : "DROP INDEX syncsoapp_appointment");
    if (engine == Engine::PostgreSQL)
        for (const char* table : kKickTables)
            db->Exec(std::string("ALTER TABLE ") + table + " SET (autovacuum_enabled = false)");
    return db;
}

// The statistics the server holds on the kick's tables: none, where nothing analysed them.
std::int64_t StatisticsRows(TestDatabase& db) {
    return db
        .Scalar(
            "SELECT COUNT(*) FROM pg_stats WHERE schemaname = 'crm5' AND tablename IN "
            "('appointment', 'syncsoapp', 'syncusers', 'sequence', 'traveltransactionlog')")
        .ToLongLong();
}

// rows appointments with ids 3, 6, 9, ...: owners 1 to 9 and some without,
// registering associates with gaps, types 1 to 8, due before and after the
// kick; most known to the synchronizer, some twice. Owners 1, 2, 5, 7 and 0
// are synchronizer users (0, as a row without owner reads, is never logged).
void AddRows(TestDatabase& db, int rows) {
    db.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(rows) +
            ") INSERT INTO appointment (appointment_id, associate_id, registered_associate_id, "
            "do_by, type) SELECT i * 3, CASE WHEN i % 23 = 0 THEN NULL ELSE 1 + (i * 7) % 9 END, "
            "CASE WHEN i % 5 = 0 THEN NULL ELSE 1 + (i * 3) % 11 END, " +
            std::to_string(kKick) + " + (i % 3 - 1) * 1000, 1 + i % 8 FROM n");
    db.Exec(
        "INSERT INTO syncsoapp (appointment_id) SELECT appointment_id FROM appointment WHERE "
        "appointment_id % 4 <> 0");
    db.Exec(
        "INSERT INTO syncsoapp (appointment_id) SELECT appointment_id FROM appointment WHERE "
        "appointment_id % 10 = 1");
    for (int owner : {1, 2, 5, 7, 0})
        db.Exec("INSERT INTO syncusers (associate_id) VALUES (" + std::to_string(owner) + ")");
}

// The file of an SQLite test database.
std::string SqliteFile(TestDatabase& db) {
    for (const std::vector<Variant>& row : db.Rows("PRAGMA database_list"))
        if (row.at(1).ToString() == "main")
            return std::filesystem::weakly_canonical(row.at(2).ToString()).string();
    ADD_FAILURE() << "no main database";
    return "";
}

// The descriptors this process holds open on a file.
int OpenDescriptorsOn(const std::string& file) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path(), error).string() == file) ++count;
    }
    return count;
}

// The log rows the per-row kick writes for the data above, counted by the database.
std::int64_t RowsToLog(TestDatabase& db, const char* types) {
    return db
        .Scalar(std::string("SELECT COUNT(*) FROM appointment a, syncsoapp s WHERE "
                            "a.appointment_id = s.appointment_id AND a.do_by >= ") +
                std::to_string(kKick) + " AND a.type IN " + types +
                " AND a.associate_id > 0 AND a.associate_id IN (SELECT associate_id FROM "
                "syncusers)")
        .ToLongLong();
}

// The kick's join as the kick sends it, narrowed to an owner where one is given.
std::string KickJoin(const std::string& p, int associate) {
    return " from " + p + "appointment appointment, " + p +
           "syncsoapp syncsoapp where appointment.appointment_id = syncsoapp.appointment_id and "
           "appointment.do_by >= " +
           std::to_string(kKick) +
           (associate ? " and appointment.associate_id = " + std::to_string(associate) : "");
}

std::string OwnerIsSyncUser(const std::string& p) {
    return "appointment.associate_id > 0 and appointment.associate_id in (select "
           "syncusers.associate_id from " +
           p + "Syncusers syncusers)";
}

// The statement that counts a kick's rows where its appointment table is read whole.
std::string CountStatement(const std::string& p, int associate) {
    return "select count(case when appointment.type in (1,6) then 1 end), count(case when "
           "appointment.type in (2,7) then 1 end), count(case when appointment.type in (1,6) "
           "and " +
           OwnerIsSyncUser(p) + " then 1 end), count(case when appointment.type in (2,7) and " +
           OwnerIsSyncUser(p) + " then 1 end)" + KickJoin(p, associate);
}

using Schema = std::tuple<Engine, bool>;  // the engine, and whether syncsoapp is indexed

class KickSchemaTest : public ::testing::TestWithParam<Schema> {
  protected:
    void SetUp() override {
        if (engine() == Engine::PostgreSQL && !RequirePostgres()) GTEST_SKIP() << "no PostgreSQL";
        central_ = KickDatabaseOf(engine(), indexed());
        test::AttachConnections(db_, *central_);
    }
    Engine engine() const { return std::get<0>(GetParam()); }
    bool indexed() const { return std::get<1>(GetParam()); }

    void ResetLog() {
        central_->Exec("DELETE FROM traveltransactionlog");
        central_->Exec("UPDATE sequence SET next_id = 1000 WHERE id = 39");
    }

    // (id, type, associate, table, record, prev_record_id) of every log row, by id.
    std::vector<std::vector<std::int64_t>> LogRowsWithIds() {
        std::vector<std::vector<std::int64_t>> rows;
        for (const auto& row : central_->Rows(
                 "SELECT traveltransactionlog_id, type, associate_id, tablenumber, record_id, "
                 "prev_record_id FROM traveltransactionlog ORDER BY traveltransactionlog_id")) {
            std::vector<std::int64_t> values;
            values.reserve(row.size());
            for (const Variant& value : row) values.push_back(value.ToLongLong());
            rows.push_back(std::move(values));
        }
        return rows;
    }

    std::unique_ptr<TestDatabase> central_;
    CDatabase db_;
};

// 24,000 rows: a block's insert names at most 1,000 appointments, so that
// a phase of the kick in one block takes two inserts.
TEST_P(KickSchemaTest, LogsTheSameRowsWithTheSameIdsAsThePerRowKick) {
    AddRows(*central_, 24000);
    for (auto [associate, skipTasks, blockRows] : {std::tuple{0, false, 7},
                                                   {0, false, kDefaultBlockRows},
                                                   {5, false, 40},
                                                   {0, true, 150},
                                                   {2, true, kDefaultBlockRows}}) {
        SCOPED_TRACE("associate " + std::to_string(associate) + (skipTasks ? ", no tasks" : "") +
                     ", blocks of " + std::to_string(blockRows));
        const KickRequest request{associate, kKick, skipTasks};
        ResetLog();
        KickCounts perRow;
        std::map<KickPhase, std::int32_t> perRowLooked;
        RunKick(db_, request, perRow,
                [&](KickPhase phase, std::int32_t rows) { perRowLooked[phase] = rows; });
        const auto expected = LogRowsWithIds();
        ASSERT_GT(perRow.Appointments, 0);

        ResetLog();
        KickCounts batch;
        std::map<KickPhase, std::int32_t> batchLooked;
        test::StatementLog log(*db_.dDatabase());
        RunBatchKick(
            db_, request, batch,
            [&](KickPhase phase, std::int32_t rows) { batchLooked[phase] = rows; }, blockRows);
        if (associate == 0 && blockRows == kDefaultBlockRows) {
            std::size_t locks = 0;
            std::size_t inserts = 0;
            for (const std::string& sql : log.Statements()) {
                locks += sql.find("SET Next_id = Next_id WHERE") != std::string::npos;
                inserts += sql.rfind("INSERT", 0) == 0;
            }
            EXPECT_EQ(locks, 1u);
            EXPECT_GT(inserts, 2u);
        }
        EXPECT_EQ(batch.Appointments, perRow.Appointments);
        EXPECT_EQ(batch.Tasks, perRow.Tasks);
        EXPECT_EQ(batchLooked, perRowLooked);
        EXPECT_EQ(LogRowsWithIds(), expected);
        EXPECT_EQ(central_->Scalar("SELECT next_id FROM sequence WHERE id = 39").ToLongLong(),
                  1000 + static_cast<std::int64_t>(expected.size()));
    }
    if (engine() == Engine::PostgreSQL) {
        EXPECT_EQ(StatisticsRows(*central_), 0) << "the tables were analysed";
    }
}

// Where the caller allows it, the kick asks the appointment table's lowest and
// highest id first and, where they span at most as many ids as allowed, reads
// its rows whole on its own connection instead of streaming them: the same log
// rows with the same ids either way, on either side of the limit, in one block
// or in many. The appointments' ids run from 3 to 72,000 in steps of 3.
TEST_P(KickSchemaTest, LogsTheSameRowsWhetherItReadsThemWholeOrStreamed) {
    AddRows(*central_, 24000);
    const KickRequest request{0, kKick, false};
    ResetLog();
    KickCounts perRow;
    RunKick(db_, request, perRow);
    const auto expected = LogRowsWithIds();
    ASSERT_GT(perRow.Appointments, 0);
    ASSERT_GT(perRow.Tasks, 0);
    const std::string p = central_->Prefix();
    // SQLite streams through a second connection of its own, which stays open
    // with the first: one more descriptor on the database file.
    const std::string file = engine() == Engine::SQLite ? SqliteFile(*central_) : "";
    const std::vector<std::string> keyEnds{
        "select max(appointment.appointment_id) from " + p + "appointment appointment",
        "select min(appointment.appointment_id) from " + p + "appointment appointment"};
    for (auto [wholeReadRows, blockRows] : {std::tuple{std::int64_t{71998}, kDefaultBlockRows},
                                            {std::int64_t{71998}, 150},
                                            {std::int64_t{71997}, 150},
                                            {kStreamTheKickRows, kDefaultBlockRows}}) {
        SCOPED_TRACE("whole up to " + std::to_string(wholeReadRows) + " ids, blocks of " +
                     std::to_string(blockRows));
        ResetLog();
        KickCounts batch;
        CDatabase fresh;
        test::AttachConnections(fresh, *central_);
        const int descriptors = file.empty() ? 0 : OpenDescriptorsOn(file);
        test::StatementLog log(*fresh.dDatabase());
        RunBatchKick(fresh, request, batch, {}, blockRows, wholeReadRows);
        EXPECT_EQ(batch.Appointments, perRow.Appointments);
        EXPECT_EQ(batch.Tasks, perRow.Tasks);
        EXPECT_EQ(LogRowsWithIds(), expected);
        const std::vector<std::string>& sent = log.Statements();
        if (wholeReadRows < 0) {
            for (const std::string& end : keyEnds) EXPECT_FALSE(log.Contains(end));
        } else {
            ASSERT_GE(sent.size(), 2u);
            EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + 2), keyEnds);
        }
        // The kick's rows are counted first where the table is read whole.
        EXPECT_EQ(log.Contains(CountStatement(p, 0)), wholeReadRows >= 71998);
        // No statement counts the appointment table whole to bound the read:
        // every count is one of the kick's join.
        for (const std::string& sql : sent) {
            if (sql.find("count(") != std::string::npos) {
                EXPECT_NE(sql.find("syncsoapp"), std::string::npos) << sql;
            }
        }
        if (!file.empty()) {
            EXPECT_EQ(OpenDescriptorsOn(file) - descriptors, wholeReadRows < 71998 ? 1 : 0);
        }
    }
}

// A kick that fits in one block, on an appointment table small enough to be
// read whole (ids 3 to 72,000 here), is not read at all: the engine counts its
// rows, and one INSERT of the kick's join logs them, numbered in the kick's
// order. The same log rows with the same ids, the same counts and the same
// progress as the per-row kick, for every owner and without the tasks. A
// kick of more rows than its block is counted, then read as before.
TEST_P(KickSchemaTest, LogsAKickOfOneBlockByOneInsertOfItsJoin) {
    AddRows(*central_, 24000);
    const std::string p = central_->Prefix();
    const std::string read =
        "select appointment.appointment_id, appointment.type, appointment.associate_id" +
        KickJoin(p, 0);
    using Looked = std::map<KickPhase, std::int32_t>;
    for (auto [associate, skipTasks] : {std::pair{0, false}, {5, false}, {2, true}}) {
        SCOPED_TRACE("associate " + std::to_string(associate) + (skipTasks ? ", no tasks" : ""));
        const KickRequest request{associate, kKick, skipTasks};
        ResetLog();
        KickCounts perRow;
        Looked perRowLooked;
        RunKick(db_, request, perRow,
                [&](KickPhase phase, std::int32_t rows) { perRowLooked[phase] = rows; });
        const auto expected = LogRowsWithIds();
        ASSERT_GT(perRow.Appointments, 0);
        for (std::int32_t blockRows : {kDefaultBlockRows, 150}) {
            SCOPED_TRACE("blocks of " + std::to_string(blockRows));
            ResetLog();
            CDatabase fresh;
            test::AttachConnections(fresh, *central_);
            test::StatementLog log(*fresh.dDatabase());
            KickCounts batch;
            Looked batchLooked;
            RunBatchKick(
                fresh, request, batch,
                [&](KickPhase phase, std::int32_t rows) { batchLooked[phase] = rows; }, blockRows,
                71998);
            EXPECT_EQ(batch.Appointments, perRow.Appointments);
            EXPECT_EQ(batch.Tasks, perRow.Tasks);
            EXPECT_EQ(batchLooked, perRowLooked);
            EXPECT_EQ(LogRowsWithIds(), expected);
            std::vector<std::string> sent = log.Statements();
            ASSERT_GE(sent.size(), 5u);
            EXPECT_EQ(sent[2], CountStatement(p, associate));
            if (blockRows == 150) {
                // Counted, then read and logged by blocks that name their appointments.
                EXPECT_EQ(sent[3],
                          "select syncusers.associate_id from " + p + "Syncusers syncusers");
                EXPECT_EQ(sent[4], read);
                for (const std::string& sql : sent) {
                    if (sql.rfind("INSERT", 0) == 0) {
                        EXPECT_EQ(sql.find("syncsoapp"), std::string::npos) << sql;
                    }
                }
                continue;
            }
            ASSERT_EQ(sent.size(), 7u);
            // The insert's time stamp is the clock's: the statement is compared around it.
            const std::string insert = sent.back();
            sent.pop_back();
            EXPECT_EQ(
                sent,
                (std::vector<std::string>{
                    "select max(appointment.appointment_id) from " + p + "appointment appointment",
                    "select min(appointment.appointment_id) from " + p + "appointment appointment",
                    CountStatement(p, associate),
                    "UPDATE " + p + "Sequence SET Next_id = Next_id WHERE id=39",
                    "Select Next_id FROM " + p + "Sequence WHERE ID =39",
                    "UPDATE " + p + "Sequence SET Next_id = Next_id + " +
                        std::to_string(expected.size()) + " WHERE id=39"}));
            const std::string head =
                "INSERT INTO " + p +
                "traveltransactionlog ( traveltransactionlog_id, ttime, prev_record_id, type, "
                "associate_id, tablenumber, record_id ) select 999 + row_number() over (order by "
                "case when appointment.type in (1,6) then 0 else 1 end, "
                "appointment.appointment_id), ";
            const std::string tail =
                ", 0, 4608, coalesce(appointment.registered_associate_id, 0), 9, "
                "appointment.appointment_id" +
                KickJoin(p, associate) + " and appointment.type in " +
                (skipTasks ? "(1,6)" : "(1,6,2,7)") + " and " + OwnerIsSyncUser(p);
            ASSERT_GT(insert.size(), head.size() + tail.size());
            EXPECT_EQ(insert.substr(0, head.size()), head);
            EXPECT_EQ(insert.substr(insert.size() - tail.size()), tail);
            const std::string stamp =
                insert.substr(head.size(), insert.size() - head.size() - tail.size());
            EXPECT_EQ(stamp.find_first_not_of("0123456789"), std::string::npos) << stamp;
        }
    }
    if (engine() == Engine::PostgreSQL) {
        EXPECT_EQ(StatisticsRows(*central_), 0) << "the tables were analysed";
    }
}

// syncsoapp is read by one statement of the kick, whatever the number of
// blocks: with no index an engine reads it whole for every statement that
// joins it.
TEST_P(KickSchemaTest, JoinsSyncsoappOncePerKick) {
    AddRows(*central_, 3000);
    test::StatementLog log(*db_.dDatabase());
    KickCounts counts;
    RunBatchKick(db_, {0, kKick, false}, counts, {}, 30);
    std::size_t joins = 0;
    std::size_t inserts = 0;
    for (const std::string& sql : log.Statements()) {
        if (sql.find("syncsoapp") != std::string::npos) ++joins;
        if (sql.rfind("INSERT INTO " + central_->Prefix() + "traveltransactionlog", 0) == 0)
            ++inserts;
    }
    EXPECT_EQ(joins, 1u);
    EXPECT_GT(inserts, 10u);
    EXPECT_EQ(counts.Appointments, RowsToLog(*central_, "(1,6)"));
    EXPECT_EQ(counts.Tasks, RowsToLog(*central_, "(2,7)"));
}

INSTANTIATE_TEST_SUITE_P(Schemas, KickSchemaTest,
                         ::testing::Combine(::testing::ValuesIn(test::TestedEngines()),
                                            ::testing::Bool()),
                         [](const ::testing::TestParamInfo<Schema>& info) {
                             return test::EngineName(std::get<0>(info.param)) +
                                    (std::get<1>(info.param) ? "Indexed" : "WithoutIndex");
                         });

// The pool's port for a pooling mode, from the test script; 0 when none runs.
int PoolerPort(const std::string& mode) {
    const char* port = std::getenv(mode == "session" ? "VENDRAL_PGBOUNCER_SESSION_PORT"
                                                     : "VENDRAL_PGBOUNCER_TRANSACTION_PORT");
    return port ? std::atoi(port) : 0;
}

struct Route {
    const char* Name;
    Engine Kind;
    std::string Pooling;  // "" for a direct connection
};

// Four set-based kicks started at once over 60,000 appointments, on a
// syncsoapp without the index and, on PostgreSQL, on tables never analysed:
// each completes with every row logged, and no id is taken twice. With
// statements of a block that join syncsoapp, the server walked it once per
// appointment until the statements ran into the time-out.
class ConcurrentUnindexedKickTest : public ::testing::TestWithParam<Route> {
  protected:
    void SetUp() override {
        const Route& route = GetParam();
        if (route.Kind == Engine::PostgreSQL) {
            if (!RequirePostgres()) GTEST_SKIP() << "no PostgreSQL";
            if (!route.Pooling.empty() && PoolerPort(route.Pooling) == 0) {
                if (std::getenv("VENDRAL_REQUIRE_PG")) FAIL() << "pgbouncer is required";
                GTEST_SKIP() << "no pgbouncer";
            }
        }
        central_ = KickDatabaseOf(route.Kind, false);
        std::string dsn = central_->Dsn();
        if (!route.Pooling.empty()) {
            dsn = "vk_unindexed_" + route.Pooling;
            TestOdbc::Instance().AddDataSource(
                dsn, {{"Driver", "PostgreSQL Unicode"},
                      {"Servername", "127.0.0.1"},
                      {"Port", std::to_string(PoolerPort(route.Pooling))},
                      {"Database", "vendral_" + std::to_string(getpid())}});
        }
        settings_ =
            TestOdbc::Instance().ScratchPath(std::string("unindexed-") + route.Name + ".ini");
        std::ofstream(settings_) << "[Central]\nDSN=" << dsn << "\nUID=" << central_->Uid()
                                 << "\nPWD=" << central_->Pwd()
                                 << "\nDBPrefix=" << central_->Prefix() << "\n";
    }

    std::unique_ptr<TestDatabase> central_;
    std::string settings_;
};

TEST_P(ConcurrentUnindexedKickTest, FourSetBasedKicksAtOnceAllComplete) {
    constexpr int kClients = 4;
    AddRows(*central_, 60000);
    const std::int64_t appointments = RowsToLog(*central_, "(1,6)");
    const std::int64_t tasks = RowsToLog(*central_, "(2,7)");
    ASSERT_GT(appointments, 0);
    ASSERT_GT(tasks, 0);
    std::vector<std::unique_ptr<ClientProcess>> clients;
    clients.reserve(kClients);
    for (int i = 0; i < kClients; ++i)
        clients.push_back(std::make_unique<ClientProcess>(
            PRODWELL_PATH,
            std::vector<std::string>{"--ini", settings_, "--kick-date", "2008-06-08", "--batch"},
            std::string("unindexed-") + GetParam().Name + "-" + std::to_string(i)));
    const std::string counts = "Inserts for appointments: " + std::to_string(appointments) +
                               ", inserts for tasks: " + std::to_string(tasks);
    for (auto& client : clients) {
        ClientOutcome outcome = client->Wait();
        EXPECT_EQ(outcome.Status, 0) << outcome.Err;
        EXPECT_NE(outcome.Out.find(counts), std::string::npos) << outcome.Out << outcome.Err;
    }
    const std::int64_t rows = kClients * (appointments + tasks);
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM traveltransactionlog").ToLongLong(), rows);
    EXPECT_EQ(
        central_->Scalar("SELECT COUNT(DISTINCT traveltransactionlog_id) FROM traveltransactionlog")
            .ToLongLong(),
        rows);
    EXPECT_EQ(central_->Scalar("SELECT MAX(traveltransactionlog_id) FROM traveltransactionlog")
                  .ToLongLong(),
              1000 + rows - 1);
    EXPECT_EQ(central_->Scalar("SELECT next_id FROM sequence WHERE id = 39").ToLongLong(),
              1000 + rows);
    if (GetParam().Kind == Engine::PostgreSQL) {
        EXPECT_EQ(StatisticsRows(*central_), 0) << "the tables were analysed";
    }
}

const Route kRoutes[] = {
    {"SQLite", Engine::SQLite, ""},
    {"PostgreSQL", Engine::PostgreSQL, ""},
    {"PgBouncerSession", Engine::PostgreSQL, "session"},
    {"PgBouncerTransaction", Engine::PostgreSQL, "transaction"},
};

INSTANTIATE_TEST_SUITE_P(Routes, ConcurrentUnindexedKickTest, ::testing::ValuesIn(kRoutes),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace vendral::kick
