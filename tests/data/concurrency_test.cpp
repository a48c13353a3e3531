// Several clients reserving ids at the same time, each a process of its own
// with its own connection, as travelling users' programs are.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <set>

#include "support/test_database.h"

namespace vendral::test {
namespace {

constexpr int kClients = 4;
constexpr int kIdsPerClient = 500;

using Reserve = std::function<std::int32_t(CDatabase&, int)>;

class ConcurrencyTest : public EngineTest {
  protected:
    // Runs kClients processes that each call reserve kIdsPerClient times, all
    // starting together; returns every id they were handed.
    std::vector<std::int32_t> RunClients(const Reserve& reserve) {
        int start[2];
        if (pipe(start) != 0) throw std::runtime_error("pipe");
        std::vector<std::pair<pid_t, int>> clients;
        for (int client = 0; client < kClients; ++client) {
            int result[2];
            if (pipe(result) != 0) throw std::runtime_error("pipe");
            pid_t pid = fork();
            if (pid == 0) {
                close(start[1]);
                close(result[0]);
                RunClient(start[0], result[1], reserve);  // never returns
            }
            close(result[1]);
            clients.emplace_back(pid, result[0]);
        }
        close(start[0]);
        close(start[1]);  // every client waits for this

        std::vector<std::int32_t> ids;
        for (auto [pid, fd] : clients) {
            int status = 0;
            waitpid(pid, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a client failed";
            std::int32_t id = 0;
            while (read(fd, &id, sizeof id) == static_cast<ssize_t>(sizeof id)) ids.push_back(id);
            close(fd);
        }
        return ids;
    }

  private:
    // The child leaves with _exit: it must not close the connections it
    // inherited, which belong to the parent.
    [[noreturn]] void RunClient(int startFd, int resultFd, const Reserve& reserve) {
        int status = 0;
        try {
            auto* db = new CDatabase();  // left to the end of the process
            db->CentralDatabasePrefix(central_->Prefix());
            db->RefillTableCatalogues();
            db->dDatabase(central_->Connect());
            char go = 0;
            while (read(startFd, &go, 1) > 0) {
            }
            std::vector<std::int32_t> ids;
            for (int i = 0; i < kIdsPerClient; ++i) ids.push_back(reserve(*db, i));
            std::size_t bytes = ids.size() * sizeof(std::int32_t);
            if (write(resultFd, ids.data(), bytes) != static_cast<ssize_t>(bytes)) status = 2;
        } catch (const std::exception& error) {
            fprintf(stderr, "client %d: %s\n", getpid(), error.what());
            status = 1;
        }
        _exit(status);
    }
};

TEST_P(ConcurrencyTest, ClientsReservingTogetherGetDistinctIds) {
    std::vector<std::int32_t> ids =
        RunClients([](CDatabase& db, int) { return db.UpdateSequence(9, 0).ToLong(); });
    ASSERT_EQ(ids.size(), static_cast<std::size_t>(kClients * kIdsPerClient));
    std::set<std::int32_t> distinct(ids.begin(), ids.end());
    EXPECT_EQ(distinct.size(), ids.size());
    EXPECT_EQ(*distinct.begin(), 1000);
    EXPECT_EQ(*distinct.rbegin(), 2999);
    EXPECT_EQ(central_->Scalar("SELECT next_id FROM sequence WHERE id = 19").ToLong(), 3000);
}

TEST_P(ConcurrencyTest, ClientsLoggingTogetherWriteEveryRowUnderItsOwnId) {
    std::vector<std::int32_t> ids = RunClients([](CDatabase& db, int i) {
        return db.UpdateTravelTransactionLog(kActionUpdate, 1, 9, i).ToLong();
    });
    ASSERT_EQ(ids.size(), static_cast<std::size_t>(kClients * kIdsPerClient));
    EXPECT_EQ(std::set<std::int32_t>(ids.begin(), ids.end()).size(), ids.size());
    EXPECT_EQ(central_
                  ->Scalar("SELECT COUNT(DISTINCT traveltransactionlog_id) FROM "
                           "traveltransactionlog")
                  .ToLong(),
              kClients * kIdsPerClient);
    // No attempt failed on a taken id: the counter moved once per row.
    EXPECT_EQ(central_->Scalar("SELECT next_id FROM sequence WHERE id = 39").ToLong(), 3000);
}

// Concurrent writers are what the central server sees; the SQLite file is a
// single travelling user's database.
INSTANTIATE_TEST_SUITE_P(Engines, ConcurrencyTest,
                         ::testing::Values(::vendral::test::Engine::PostgreSQL,
                                           ::vendral::test::Engine::MariaDB),
                         EngineParamName);

}  // namespace
}  // namespace vendral::test
