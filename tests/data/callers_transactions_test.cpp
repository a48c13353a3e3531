// Callers that change rows through ExecSQL inside transactions of their own,
// many at once, as the central server sees them: the library's reservations
// never make them deadlock, and a caller whose own locks make a cycle gets
// the server's error with nothing of its transaction committed.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <set>
#include <thread>

#include "data/list_test_support.h"

namespace vendral::test {
namespace {

constexpr int kClients = 8;
constexpr int kTransactionsPerClient = 30;

class CallersTransactionsTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        p_ = central_->Prefix();
        for (int client = 1; client <= kClients; ++client)
            central_->Exec("INSERT INTO contact (contact_id, name) VALUES (" +
                           std::to_string(client) + ", 'client')");
    }
    // A CDatabase on a connection of its own, as each client program has.
    std::unique_ptr<CDatabase> Client() {
        auto db = std::make_unique<CDatabase>();
        db->CentralDatabasePrefix(p_);
        db->RefillTableCatalogues();
        db->dDatabase(central_->Connect());
        db->AssociateID(12);
        return db;
    }
    std::int64_t Count(const std::string& sql) { return central_->Scalar(sql).ToLongLong(); }
    std::string p_;
};

TEST_P(CallersTransactionsTest, ClientsChangingTheirOwnRowsInEitherOrderNeverDeadlock) {
    std::atomic<int> failures{0};
    std::vector<std::string> errors(kClients);
    std::vector<std::thread> clients;
    std::promise<void> start;
    std::shared_future<void> go = start.get_future().share();
    for (int client = 1; client <= kClients; ++client) {
        clients.emplace_back([&, client] {
            std::unique_ptr<CDatabase> db = Client();
            go.wait();
            const std::string update = "UPDATE " + p_ + "contact SET name = 'changed " +
                                       std::to_string(client) +
                                       "' WHERE contact_id = " + std::to_string(client);
            const std::string insert = "INSERT INTO " + p_ +
                                       "contact (contact_id, name) VALUES (#, 'new of " +
                                       std::to_string(client) + "')";
            for (int i = 0; i < kTransactionsPerClient; ++i) {
                try {
                    db->dDatabase()->BeginTrans();
                    if (client % 2 == 0) {
                        db->ExecSQL(update, client);
                        db->ExecSQL(insert);
                    } else {
                        db->ExecSQL(insert);
                        db->ExecSQL(update, client);
                    }
                    db->dDatabase()->CommitTrans();
                } catch (const DatabaseError& error) {
                    ++failures;
                    errors[client - 1] = error.what();
                    if (db->dDatabase()->InTransaction()) db->dDatabase()->RollbackTrans();
                }
            }
        });
    }
    start.set_value();
    for (std::thread& client : clients) client.join();

    for (const std::string& error : errors) EXPECT_EQ(error, "");
    EXPECT_EQ(failures.load(), 0);
    const int transactions = kClients * kTransactionsPerClient;
    EXPECT_EQ(Count("SELECT COUNT(*) FROM contact WHERE name LIKE 'new of %'"), transactions);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM contact WHERE name LIKE 'changed %'"), kClients);
    EXPECT_EQ(Count("SELECT COUNT(DISTINCT traveltransactionlog_id) FROM traveltransactionlog"),
              2 * transactions);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM traveltransactionlog"), 2 * transactions);
}

// The rule callers follow: a row that other callers lock too is locked after
// the first change handed to the library in the transaction (or the caller
// retries on the server's deadlock error). Two callers that break it, each
// holding what the other waits for, get the server's error; the one that gets
// it rolls back and nothing of it is committed, the other one completes.
TEST_P(CallersTransactionsTest, ACallerLockingASharedRowBeforeItsFirstChangeMayDeadlock) {
    const std::string shared = "UPDATE " + p_ + "contact SET name = 'shared' WHERE contact_id = 1";
    const std::string own = "UPDATE " + p_ + "contact SET name = 'own' WHERE contact_id = ";
    std::unique_ptr<CDatabase> first = Client(), second = Client();
    std::promise<void> sharedLocked, logLocked;

    // The first locks the shared row itself, then hands a change to the library.
    auto firstRun = std::async(std::launch::async, [&]() -> std::string {
        try {
            first->dDatabase()->BeginTrans();
            first->dDatabase()->Execute(shared);
            sharedLocked.set_value();
            logLocked.get_future().wait();
            first->ExecSQL(own + "2", 2);
            first->dDatabase()->CommitTrans();
            return "";
        } catch (const DatabaseError& error) {
            if (first->dDatabase()->InTransaction()) first->dDatabase()->RollbackTrans();
            return error.SQLState();
        }
    });
    // The second hands a change to the library first, then locks the shared row.
    sharedLocked.get_future().wait();
    std::string secondState;
    try {
        second->dDatabase()->BeginTrans();
        second->ExecSQL(own + "3", 3);
        logLocked.set_value();
        second->dDatabase()->Execute(shared);
        second->dDatabase()->CommitTrans();
    } catch (const DatabaseError& error) {
        if (second->dDatabase()->InTransaction()) second->dDatabase()->RollbackTrans();
        secondState = error.SQLState();
    }
    std::string firstState = firstRun.get();

    // Exactly one of them is the server's victim, with its deadlock state.
    EXPECT_EQ(std::multiset<std::string>({firstState, secondState}),
              std::multiset<std::string>({"", "40P01"}));
    const bool firstCommitted = firstState.empty();
    EXPECT_EQ(central_->Scalar("SELECT name FROM contact WHERE contact_id = 2"),
              Variant(firstCommitted ? "own" : "client"));
    EXPECT_EQ(central_->Scalar("SELECT name FROM contact WHERE contact_id = 3"),
              Variant(firstCommitted ? "client" : "own"));
    EXPECT_EQ(central_->Scalar("SELECT name FROM contact WHERE contact_id = 1"), Variant("shared"));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM traveltransactionlog"), 1);
    EXPECT_EQ(Count("SELECT record_id FROM traveltransactionlog"), firstCommitted ? 2 : 3);
}

// Concurrent writers are what the central server sees; the SQLite file is a
// single travelling user's database.
INSTANTIATE_TEST_SUITE_P(Engines, CallersTransactionsTest,
                         ::testing::Values(::vendral::test::Engine::PostgreSQL), EngineParamName);

}  // namespace
}  // namespace vendral::test
