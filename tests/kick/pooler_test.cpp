// Many workstations, one server: kicks and ExecSQL writers started at once
// through pgbouncer (scripts/pgbouncer.sh, started by scripts/run-tests.sh) in
// session and in transaction pooling, with fewer server connections than
// clients. Every client completes and every id is taken once.
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

#include "kick/client_processes.h"
#include "kick/kick_fixture.h"

namespace vendral::kick {
namespace {

using test::ClientOutcome;
using test::ClientProcess;
using test::Engine;
using test::kKick;
using test::TestOdbc;

// The pool's port for a pooling mode, from the test script; 0 when none runs.
int PoolerPort(const std::string& mode) {
    const char* port = std::getenv(mode == "session" ? "VENDRAL_PGBOUNCER_SESSION_PORT"
                                                     : "VENDRAL_PGBOUNCER_TRANSACTION_PORT");
    return port ? std::atoi(port) : 0;
}

constexpr int kClients = 4;  // on a pool of 2 server connections

class PoolerTest : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        if (!TestOdbc::Instance().PostgresAvailable() || PoolerPort(GetParam()) == 0) {
            if (std::getenv("VENDRAL_REQUIRE_PG"))
                FAIL() << "PostgreSQL behind pgbouncer is required";
            GTEST_SKIP() << "no pgbouncer";
        }
        central_ = std::make_unique<test::TestDatabase>(Engine::PostgreSQL);
        const std::string dsn = "vk_pgbouncer_" + GetParam();
        TestOdbc::Instance().AddDataSource(dsn,
                                           {{"Driver", "PostgreSQL Unicode"},
                                            {"Servername", "127.0.0.1"},
                                            {"Port", std::to_string(PoolerPort(GetParam()))},
                                            {"Database", "vendral_" + std::to_string(getpid())}});
        settings_ = TestOdbc::Instance().ScratchPath("pooled-" + GetParam() + ".ini");
        std::ofstream(settings_) << "[Central]\nDSN=" << dsn << "\nUID=" << central_->Uid()
                                 << "\nPWD=" << central_->Pwd() << "\nDBPrefix=CRM5\n";
    }

    // 2,000 appointments and tasks, all known to the synchronizer, owned by
    // associates 1 to 20 of whom 3 is a synchronizer user.
    std::pair<std::int64_t, std::int64_t> AddRows() {
        central_->Exec("INSERT INTO syncusers (associate_id) VALUES (3)");
        central_->Exec(
            "INSERT INTO appointment (appointment_id, associate_id, registered_associate_id, "
            "do_by, type) SELECT i, 1 + (i / 2) % 20, 40, " +
            std::to_string(kKick) + " + i, 1 + i % 2 FROM generate_series(1, 2000) i");
        central_->Exec(
            "INSERT INTO syncsoapp (appointment_id) SELECT appointment_id FROM appointment");
        auto owned = [&](int type) {
            return central_
                ->Scalar("SELECT COUNT(*) FROM appointment WHERE associate_id = 3 AND type = " +
                         std::to_string(type))
                .ToLongLong();
        };
        return {owned(1), owned(2)};
    }

    std::vector<ClientOutcome> RunAtOnce(const std::string& program,
                                         const std::vector<std::vector<std::string>>& args) {
        std::vector<std::unique_ptr<ClientProcess>> clients;
        clients.reserve(args.size());
        for (std::size_t i = 0; i < args.size(); ++i)
            clients.push_back(std::make_unique<ClientProcess>(
                program, args[i], GetParam() + "-client-" + std::to_string(i)));
        std::vector<ClientOutcome> outcomes;
        outcomes.reserve(clients.size());
        for (auto& client : clients) outcomes.push_back(client->Wait());
        return outcomes;
    }

    // Every log id is taken once, one after the other from the sequence
    // row's first value, and the row stands past the highest.
    void ExpectIdsWithoutGapsOrDoubles(std::int64_t rows) {
        EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM traveltransactionlog").ToLongLong(), rows);
        EXPECT_EQ(central_
                      ->Scalar("SELECT COUNT(DISTINCT traveltransactionlog_id) FROM "
                               "traveltransactionlog")
                      .ToLongLong(),
                  rows);
        EXPECT_EQ(central_->Scalar("SELECT MIN(traveltransactionlog_id) FROM traveltransactionlog")
                      .ToLongLong(),
                  1000);
        EXPECT_EQ(central_->Scalar("SELECT MAX(traveltransactionlog_id) FROM traveltransactionlog")
                      .ToLongLong(),
                  1000 + rows - 1);
        EXPECT_EQ(central_->Scalar("SELECT next_id FROM sequence WHERE id = 39").ToLongLong(),
                  1000 + rows);
    }

    void KicksAtOnce(bool batch) {
        const auto [appointments, tasks] = AddRows();
        const std::int64_t owned = appointments + tasks;
        ASSERT_GT(tasks, 0);
        std::vector<std::string> args{"--ini", settings_, "--kick-date", "2008-06-08"};
        if (batch) args.push_back("--batch");
        std::vector<ClientOutcome> outcomes =
            RunAtOnce(PRODWELL_PATH, std::vector<std::vector<std::string>>(kClients, args));
        const std::string counts = "Inserts for appointments: " + std::to_string(appointments) +
                                   ", inserts for tasks: " + std::to_string(tasks);
        for (const ClientOutcome& outcome : outcomes) {
            EXPECT_EQ(outcome.Status, 0) << outcome.Err;
            EXPECT_NE(outcome.Out.find(counts), std::string::npos) << outcome.Out << outcome.Err;
        }
        ExpectIdsWithoutGapsOrDoubles(kClients * owned);
        // Each kick logged each of the owner's rows once.
        EXPECT_EQ(central_
                      ->Scalar("SELECT COUNT(*) FROM (SELECT record_id FROM traveltransactionlog "
                               "GROUP BY record_id HAVING COUNT(*) <> " +
                               std::to_string(kClients) + ") odd")
                      .ToLongLong(),
                  0);
        EXPECT_EQ(central_
                      ->Scalar("SELECT COUNT(DISTINCT record_id) FROM traveltransactionlog l, "
                               "appointment a WHERE a.appointment_id = l.record_id AND "
                               "a.associate_id = 3 AND l.type = 4608 AND l.tablenumber = 9")
                      .ToLongLong(),
                  owned);
    }

    std::unique_ptr<test::TestDatabase> central_;
    std::string settings_;
};

TEST_P(PoolerTest, PerRowKicksAtOnceAllCompleteOnAPoolSmallerThanTheClients) {
    KicksAtOnce(false);
}

TEST_P(PoolerTest, SetBasedKicksAtOnceAllCompleteOnAPoolSmallerThanTheClients) {
    KicksAtOnce(true);
}

// Programs that each insert through ExecSQL in a loop: every change is
// logged once, with its own log row, and no id is taken twice or skipped.
TEST_P(PoolerTest, ExecSQLWritersAtOnceLogEveryChangeOnceWithDistinctIds) {
    constexpr int kRows = 60;
    std::vector<std::vector<std::string>> args;
    args.reserve(kClients);
    for (int i = 0; i < kClients; ++i)
        args.push_back({settings_, std::to_string(kRows), "writer" + std::to_string(i)});
    for (const ClientOutcome& outcome : RunAtOnce(EXEC_SQL_WRITER_PATH, args)) {
        EXPECT_EQ(outcome.Status, 0) << outcome.Err;
        EXPECT_EQ(outcome.Out, "written " + std::to_string(kRows) + "\n") << outcome.Err;
    }
    const std::int64_t rows = std::int64_t{kClients} * kRows;
    EXPECT_EQ(central_->Scalar("SELECT COUNT(DISTINCT contact_id) FROM contact").ToLongLong(),
              rows);
    // The contact ids, one reservation each, without gaps; the sequence row past them.
    EXPECT_EQ(central_->Scalar("SELECT MIN(contact_id) FROM contact").ToLongLong(), 1000);
    EXPECT_EQ(central_->Scalar("SELECT MAX(contact_id) FROM contact").ToLongLong(),
              1000 + rows - 1);
    EXPECT_EQ(central_->Scalar("SELECT next_id FROM sequence WHERE id = 15").ToLongLong(),
              1000 + rows);
    ExpectIdsWithoutGapsOrDoubles(rows);
    // Every contact has exactly one log row, an insert of table 5.
    EXPECT_EQ(central_
                  ->Scalar("SELECT COUNT(*) FROM contact c, traveltransactionlog l WHERE "
                           "l.record_id = c.contact_id AND l.tablenumber = 5 AND l.type = 4352")
                  .ToLongLong(),
              rows);
}

INSTANTIATE_TEST_SUITE_P(Pooling, PoolerTest, ::testing::Values("session", "transaction"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace vendral::kick
