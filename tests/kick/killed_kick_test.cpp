// A workstation's prodwell killed in the middle of a kick (SIGKILL: no
// handler, no rollback of its own), per-row and set-based, on both engines
// and through pgbouncer: the log holds whole rows or blocks only, the
// Sequence row never stands behind the highest log id, and the next kick
// finds nothing in its way.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "kick/client_processes.h"
#include "kick/kick_fixture.h"

namespace vendral::kick {
namespace {

using test::ClientOutcome;
using test::ClientProcess;
using test::Engine;
using test::kKick;
using test::TestOdbc;

struct KilledCase {
    std::string Pooling;  // "" for a direct connection
    const char* Name;
    Engine Kind;
    bool Batch;
};

class KilledKickTest : public ::testing::TestWithParam<KilledCase> {
  protected:
    void SetUp() override {
        const KilledCase& c = GetParam();
        if (c.Kind == Engine::PostgreSQL) {
            const char* port =
                c.Pooling.empty() ? "1" : std::getenv("VENDRAL_PGBOUNCER_TRANSACTION_PORT");
            if (!TestOdbc::Instance().PostgresAvailable() || !port) {
                if (std::getenv("VENDRAL_REQUIRE_PG"))
                    FAIL() << "PostgreSQL (and pgbouncer) required";
                GTEST_SKIP() << "no PostgreSQL server or pgbouncer";
            }
        }
        if (c.Kind == Engine::MariaDB && !TestOdbc::Instance().MariaDBAvailable()) {
            if (std::getenv("VENDRAL_REQUIRE_MARIADB")) FAIL() << "MariaDB required";
            GTEST_SKIP() << test::NoMariaDBReason();
        }
        central_ = std::make_unique<test::TestDatabase>(c.Kind);
        std::string dsn = central_->Dsn();
        if (!c.Pooling.empty()) {
            dsn = "vk_killed_pooled";
            TestOdbc::Instance().AddDataSource(
                dsn, {{"Driver", "PostgreSQL Unicode"},
                      {"Servername", "127.0.0.1"},
                      {"Port", std::getenv("VENDRAL_PGBOUNCER_TRANSACTION_PORT")},
                      {"Database", "vendral_" + std::to_string(getpid())}});
        }
        settings_ = TestOdbc::Instance().ScratchPath("killed.ini");
        std::ofstream(settings_) << "[Central]\nDSN=" << dsn << "\nUID=" << central_->Uid()
                                 << "\nPWD=" << central_->Pwd()
                                 << "\nDBPrefix=" << central_->Prefix() << "\n";
    }

    std::int64_t Scalar(const std::string& sql) { return central_->Scalar(sql).ToLongLong(); }

    // The record ids the kick logs, in the order it logs them: the
    // appointments, then the tasks, each by id.
    std::vector<std::int64_t> ExpectedRecords() {
        std::vector<std::int64_t> ids;
        for (const char* types : {"(1,6)", "(2,7)"})
            for (const auto& row : central_->Rows(
                     std::string("SELECT a.appointment_id FROM appointment a, syncsoapp s WHERE "
                                 "a.appointment_id = s.appointment_id AND a.associate_id = 3 AND "
                                 "a.type IN ") +
                     types + " ORDER BY 1"))
                ids.push_back(row[0].ToLongLong());
        return ids;
    }

    std::vector<std::int64_t> LoggedRecords() {
        std::vector<std::int64_t> ids;
        for (const auto& row : central_->Rows(
                 "SELECT record_id FROM traveltransactionlog ORDER BY traveltransactionlog_id"))
            ids.push_back(row[0].ToLongLong());
        return ids;
    }

    std::unique_ptr<test::TestDatabase> central_;
    std::string settings_;
};

TEST_P(KilledKickTest, TheNextKickCompletesAndNothingIsHalfLogged) {
    const KilledCase& c = GetParam();
    // The set-based kick writes 10,000 rows looked at per block: several
    // blocks, so that it is killed after some; the per-row kick is killed
    // after some rows.
    const int rows = c.Batch ? 100000 : 3000;
    central_->Exec("INSERT INTO syncusers (associate_id) VALUES (3)");
    central_->Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                   std::to_string(rows) +
                   ") INSERT INTO appointment (appointment_id, associate_id, "
                   "registered_associate_id, do_by, type) SELECT i, 1 + (i / 2) % 5, 40, " +
                   std::to_string(kKick) + " + i, 1 + i % 2 FROM n");
    central_->Exec("INSERT INTO syncsoapp (appointment_id) SELECT appointment_id FROM appointment");
    const std::vector<std::int64_t> expected = ExpectedRecords();
    std::vector<std::string> args{"--ini", settings_, "--kick-date", "2008-06-08"};
    if (c.Batch) args.push_back("--batch");

    // A writer of the same CRM that holds the log's sequence row (the whole
    // SQLite file) once the kick has logged something, so that the kick is
    // surely killed in the middle.
    auto blocker = central_->Connect();
    {
        ClientProcess kick(PRODWELL_PATH, args, "killed");
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (Scalar("SELECT COUNT(*) FROM traveltransactionlog") == 0 && !kick.Exited() &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        blocker->BeginTrans();
        blocker->Execute("UPDATE " + central_->Prefix() +
                         "sequence SET next_id = next_id WHERE id = 39");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ASSERT_FALSE(kick.Exited())
            << "the kick ended before it could be killed: " << kick.Wait().Err;
        kick.Kill();
        EXPECT_EQ(kick.Wait().Status, -1);
    }
    blocker->RollbackTrans();

    // What the killed kick logged: the first of the kick's rows in its order,
    // so no row of a block (a range of appointment ids) is missing before
    // a logged one.
    std::vector<std::int64_t> logged = LoggedRecords();
    ASSERT_FALSE(logged.empty());
    ASSERT_LT(logged.size(), expected.size());
    EXPECT_TRUE(std::equal(logged.begin(), logged.end(), expected.begin()))
        << "the killed kick's rows are not the first of the kick's";
    const std::int64_t highest =
        Scalar("SELECT MAX(traveltransactionlog_id) FROM traveltransactionlog");
    EXPECT_GT(Scalar("SELECT next_id FROM sequence WHERE id = 39"), highest);
    if (c.Kind == Engine::PostgreSQL) {
        // The killed client's server session does not stay in its transaction.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (Scalar("SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database() "
                      "AND state LIKE 'idle in transaction%'") > 0 &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM pg_stat_activity WHERE datname = "
                         "current_database() AND state LIKE 'idle in transaction%'"),
                  0);
    }
    if (c.Kind == Engine::MariaDB) {
        // The server rolls the killed client's transaction back: no session of
        // this database (other test processes share the server) keeps one open.
        const std::string open =
            "SELECT COUNT(*) FROM information_schema.innodb_trx WHERE trx_mysql_thread_id IN "
            "(SELECT id FROM information_schema.processlist WHERE db = DATABASE())";
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (Scalar(open) > 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(Scalar(open), 0);
    }

    // The next kick logs every row once more, with ids after the killed one's.
    ClientProcess next(PRODWELL_PATH, args, "next");
    ClientOutcome outcome = next.Wait();
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    std::int64_t appointments = 0;
    for (std::int64_t id : expected) appointments += id % 2 == 0;
    EXPECT_NE(
        outcome.Out.find("Inserts for appointments: " + std::to_string(appointments) +
                         ", inserts for tasks: " + std::to_string(expected.size() - appointments)),
        std::string::npos)
        << outcome.Out << outcome.Err;
    std::vector<std::int64_t> after = LoggedRecords();
    ASSERT_EQ(after.size(), logged.size() + expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), after.begin() + logged.size()));
    EXPECT_EQ(Scalar("SELECT COUNT(DISTINCT traveltransactionlog_id) FROM traveltransactionlog"),
              static_cast<std::int64_t>(after.size()));
    EXPECT_GT(Scalar("SELECT MIN(traveltransactionlog_id) FROM traveltransactionlog WHERE "
                     "traveltransactionlog_id > " +
                     std::to_string(highest)),
              highest);
    EXPECT_EQ(Scalar("SELECT next_id FROM sequence WHERE id = 39"),
              Scalar("SELECT MAX(traveltransactionlog_id) FROM traveltransactionlog") + 1);
}

const KilledCase kCases[] = {
    {"", "SQLitePerRow", Engine::SQLite, false},
    {"", "SQLiteSetBased", Engine::SQLite, true},
    {"", "PostgreSQLPerRow", Engine::PostgreSQL, false},
    {"", "PostgreSQLSetBased", Engine::PostgreSQL, true},
    {"transaction", "PgBouncerPerRow", Engine::PostgreSQL, false},
    {"transaction", "PgBouncerSetBased", Engine::PostgreSQL, true},
    {"", "MariaDBPerRow", Engine::MariaDB, false},
    {"", "MariaDBSetBased", Engine::MariaDB, true},
};

INSTANTIATE_TEST_SUITE_P(Clients, KilledKickTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace vendral::kick
