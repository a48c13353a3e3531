// Forward-only reads that stay whole while their connection commits and rolls
// back between fetches, on each engine and with each driver's streaming mode.
#include <gtest/gtest.h>
#include <strings.h>
#include <unistd.h>

#include <map>
#include <string>

#include "odbc/row_spill.h"
#include "support/test_database.h"
#include "vendral/connection.h"

namespace vendral::test {
namespace {

constexpr int kRows = 5000;

// A data source of the engine's fixture database with one driver option set.
struct DriverMode {
    Engine engine;
    std::string name;    // of the test and of the data source
    std::string option;  // "" for the data source as the fixture has it
    std::string value;
};

void PrintTo(const DriverMode& mode, std::ostream* out) {
    *out << mode.name;
}

std::string DataSourceFor(const DriverMode& mode) {
    TestOdbc& odbc = TestOdbc::Instance();
    std::map<std::string, std::string> attributes;
    if (mode.engine == Engine::SQLite) {
        attributes = {{"Driver", "SQLite3"},
                      {"Database", odbc.Directory() + "/central.db"},
                      {"Timeout", "100000"},
                      {"SyncPragma", "OFF"}};
    } else if (mode.engine == Engine::PostgreSQL) {
        attributes = {{"Driver", "PostgreSQL Unicode"},
                      {"Servername", "127.0.0.1"},
                      {"Port", std::to_string(odbc.PostgresPort())},
                      {"Database", "vendral_" + std::to_string(getpid())}};
    } else {
        attributes = {{"Driver", kMariaDBDriver},
                      {"Server", "127.0.0.1"},
                      {"Port", std::to_string(odbc.MariaDBPort())},
                      {"Database", "vendral_" + std::to_string(getpid())}};
    }
    if (!mode.option.empty()) attributes[mode.option] = mode.value;
    std::string dsn = "vm_" + mode.name;  // data source names stay short
    odbc.AddDataSource(dsn, attributes);
    return dsn;
}

class CommitBetweenFetchesTest : public ::testing::TestWithParam<DriverMode> {
  protected:
    void SetUp() override {
        if (GetParam().engine == Engine::PostgreSQL && !TestOdbc::Instance().PostgresAvailable()) {
            if (std::getenv("VENDRAL_REQUIRE_PG")) FAIL() << "PostgreSQL is required";
            GTEST_SKIP() << "no PostgreSQL server";
        }
        if (GetParam().engine == Engine::MariaDB && !TestOdbc::Instance().MariaDBAvailable()) {
            if (std::getenv("VENDRAL_REQUIRE_MARIADB")) FAIL() << "MariaDB is required";
            GTEST_SKIP() << NoMariaDBReason();
        }
        db_ = std::make_unique<TestDatabase>(GetParam().engine);
        db_->Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                  std::to_string(kRows) +
                  ") INSERT INTO appointment (appointment_id, do_by, type) " +
                  "SELECT i, i * 10, 1 FROM n");
        std::string uid = db_->Uid(), pwd = db_->Pwd();
        connection_ = std::make_shared<Connection>();
        connection_->Open("Provider=MSDASQL;dsn=" + DataSourceFor(GetParam()) + ";uid=" + uid +
                          ";pwd=" + pwd);
    }

    std::string Select() const {
        return "SELECT appointment_id, do_by FROM " + db_->Prefix() +
               "appointment ORDER BY appointment_id";
    }
    void LogRow(int id) {
        connection_->Execute(
            "INSERT INTO " + db_->Prefix() +
            "traveltransactionlog (traveltransactionlog_id, ttime, "
            "prev_record_id, type, associate_id, tablenumber, record_id) VALUES (" +
            std::to_string(id) + ", 0, 0, 4608, 1, 9, " + std::to_string(id) + ")");
    }

    std::unique_ptr<TestDatabase> db_;
    std::shared_ptr<Connection> connection_;
};

TEST_P(CommitBetweenFetchesTest, EveryRowIsReadWhileRowsAreCommittedBetweenFetches) {
    Recordset rows;
    rows.Open(Select(), connection_, adOpenForwardOnly, adLockUnspecified, adCmdUnspecified);
    int count = 0;
    while (!rows.Eof()) {
        ++count;
        ASSERT_EQ(rows.Fields(std::size_t{0}).Value().ToLong(), count);
        ASSERT_EQ(rows.Fields("do_by").Value().ToLongLong(), count * 10LL);
        connection_->BeginTrans();
        LogRow(count);
        // Every seventh change is taken back, which ends cursors on some drivers too.
        if (count % 7 == 0)
            connection_->RollbackTrans();
        else
            connection_->CommitTrans();
        rows.MoveNext();
    }
    rows.Close();
    EXPECT_EQ(count, kRows);
    EXPECT_EQ(db_->Scalar("SELECT COUNT(*) FROM traveltransactionlog").ToLong(), kRows - kRows / 7);
}

TEST_P(CommitBetweenFetchesTest, TwoReadsOnOneConnectionBothStayWhole) {
    Recordset outer, inner;
    outer.Open(Select(), connection_, adOpenForwardOnly, adLockReadOnly, adCmdText);
    inner.Open(Select() + " DESC", connection_, adOpenForwardOnly, adLockReadOnly, adCmdText);
    int count = 0;
    while (!outer.Eof()) {
        ASSERT_FALSE(inner.Eof());
        ++count;
        ASSERT_EQ(outer.Fields(std::size_t{0}).Value().ToLong() +
                      inner.Fields(std::size_t{0}).Value().ToLong(),
                  kRows + 1);
        if (count % 100 == 0) {
            connection_->BeginTrans();
            LogRow(count);
            connection_->CommitTrans();
        }
        outer.MoveNext();
        inner.MoveNext();
    }
    EXPECT_TRUE(inner.Eof());
    EXPECT_EQ(count, kRows);
}

// A read that went by position until its rows had to be kept still knows
// its columns' names afterwards, when the driver's cursor is gone.
TEST_P(CommitBetweenFetchesTest, NamesAreKnownAfterTheRowsWereKept) {
    Recordset rows;
    rows.Open(Select(), connection_, adOpenForwardOnly, adLockReadOnly, adCmdText);
    ASSERT_EQ(rows.Collect(0).ToLong(), 1);
    connection_->BeginTrans();
    LogRow(1);
    connection_->CommitTrans();
    rows.MoveNext();
    ASSERT_FALSE(rows.Eof());
    EXPECT_EQ(rows.Fields("DO_BY").Value().ToLongLong(), 20);
    EXPECT_EQ(strcasecmp(rows.Fields(std::size_t{0}).Name().c_str(), "appointment_id"), 0);
    int count = 2;
    for (rows.MoveNext(); !rows.Eof(); rows.MoveNext()) ++count;
    EXPECT_EQ(count, kRows);
}

const DriverMode kModes[] = {
    {Engine::SQLite, "SQLite", "", ""},
    {Engine::SQLite, "SQLiteStepAPI", "StepAPI", "1"},
    {Engine::SQLite, "SQLiteBuffered", "StepAPI", "0"},
    {Engine::PostgreSQL, "PostgreSQL", "", ""},
    {Engine::PostgreSQL, "PostgreSQLDeclareFetch", "UseDeclareFetch", "1"},
    {Engine::MariaDB, "MariaDB", "", ""},
    // The connector's result left on the server and fetched row by row.
    {Engine::MariaDB, "MariaDBNoCache", "NO_CACHE", "1"},
};

INSTANTIATE_TEST_SUITE_P(Modes, CommitBetweenFetchesTest, ::testing::ValuesIn(kModes),
                         [](const auto& info) { return info.param.name; });

class StreamingReadTest : public EngineTest {};

// A long read asked to stream (CacheSize above 1) reads every row while the
// connection writes and commits, and reports its statement as any read does;
// on SQLite in its default rollback journal as in write-ahead-log mode.
TEST_P(StreamingReadTest, AStreamedReadIsWholeAndSeenByTheObserver) {
    central_->Exec(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
        "INSERT INTO appointment (appointment_id, do_by, type) SELECT i, i, 1 FROM n");
    for (const char* journal : {"DELETE", "WAL"}) {
        if (engine() != Engine::SQLite && std::string(journal) == "WAL") break;
        SCOPED_TRACE(journal);
        if (engine() == Engine::SQLite)
            central_->Scalar(std::string("PRAGMA journal_mode=") + journal);
        central_->Exec("UPDATE sequence SET next_id = 1000 WHERE id = 39");
        auto connection = central_->Connect();
        StatementLog log(*connection);
        std::string select =
            "SELECT appointment_id FROM " + central_->Prefix() + "appointment ORDER BY 1";
        Recordset rows;
        rows.CacheSize(500);
        EXPECT_EQ(rows.CacheSize(), 500);
        rows.Open(select, connection, adOpenForwardOnly, adLockUnspecified, adCmdUnspecified);
        int count = 0;
        while (!rows.Eof()) {
            ASSERT_EQ(rows.Fields(std::size_t{0}).Value().ToLong(), ++count);
            connection->BeginTrans();
            connection->Execute("UPDATE " + central_->Prefix() +
                                "sequence SET next_id = next_id + 1 WHERE id = 39");
            connection->CommitTrans();
            rows.MoveNext();
        }
        EXPECT_EQ(count, 3000);
        EXPECT_TRUE(log.Contains(select));
        EXPECT_EQ(central_->Scalar("SELECT next_id FROM sequence WHERE id = 39").ToLong(), 4000);
        EXPECT_THROW(rows.CacheSize(0), DatabaseError);
    }
}

// On PostgreSQL a streamed read takes no second session (a pooler would have
// to find a second server connection for it): it reads through a cursor of
// its own connection, whose transaction ends before the connection's first
// write, so that the write is not drawn into it and commits by itself.
TEST_P(StreamingReadTest, AStreamedPostgreSQLReadUsesItsOwnSessionAndEndsBeforeAWrite) {
    if (engine() != Engine::PostgreSQL) GTEST_SKIP() << "sessions are a server's";
    central_->Exec(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
        "INSERT INTO appointment (appointment_id, do_by, type) SELECT i, i, 1 FROM n");
    auto sessions = [&](const std::string& state) { return central_->ClientSessions(state); };
    auto connection = central_->Connect();
    const long before = sessions("");
    Recordset rows;
    rows.CacheSize(100);
    rows.Open("SELECT appointment_id FROM CRM5.appointment ORDER BY 1", connection,
              adOpenForwardOnly, adLockUnspecified, adCmdUnspecified);
    ASSERT_FALSE(rows.Eof());
    EXPECT_EQ(sessions(""), before);
    EXPECT_EQ(sessions(" AND state LIKE 'idle in transaction%'"), 1);
    connection->Execute("UPDATE CRM5.sequence SET next_id = next_id + 1 WHERE id = 39");
    EXPECT_EQ(sessions(" AND state LIKE 'idle in transaction%'"), 0);
    // Committed by itself: seen from another session while rows remain to be read.
    EXPECT_EQ(central_->Scalar("SELECT next_id FROM sequence WHERE id = 39").ToLong(), 1001);
    int count = 0;
    for (; !rows.Eof(); rows.MoveNext()) ++count;
    EXPECT_EQ(count, 3000);
    rows.Close();
    // A read to its end with a write after it, as in the kick's next phase.
    rows.Open("SELECT appointment_id FROM CRM5.appointment WHERE appointment_id < 3", connection,
              adOpenForwardOnly, adLockUnspecified, adCmdUnspecified);
    rows.MoveNext();
    rows.MoveNext();
    ASSERT_TRUE(rows.Eof());
    connection->Execute("UPDATE CRM5.sequence SET next_id = next_id + 1 WHERE id = 39");
    EXPECT_EQ(sessions(" AND state LIKE 'idle in transaction%'"), 0);
    rows.Close();
}

// A read streamed on SQLite's second connection holds a snapshot of the
// write-ahead log; while it does, no checkpoint gets past it and every commit
// of the reading connection tries again over a growing log. Its rows are kept
// before that connection's first write, so the log checkpoints completely
// after the write and the read still yields every row.
TEST_P(StreamingReadTest, AStreamedSQLiteReadGivesUpItsSnapshotBeforeItsConnectionWrites) {
    if (engine() != Engine::SQLite) GTEST_SKIP() << "a write-ahead log is SQLite's";
    central_->Exec(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
        "INSERT INTO appointment (appointment_id, do_by, type) SELECT i, i, 1 FROM n");
    central_->Scalar("PRAGMA journal_mode=WAL");
    auto connection = central_->Connect();
    Recordset rows;
    rows.CacheSize(500);
    rows.Open("SELECT appointment_id FROM " + central_->Prefix() + "appointment ORDER BY 1",
              connection, adOpenForwardOnly, adLockUnspecified, adCmdUnspecified);
    ASSERT_FALSE(rows.Eof());
    connection->Execute("UPDATE " + central_->Prefix() +
                        "sequence SET next_id = next_id + 1 WHERE id = 39");
    // busy, frames in the log, frames checkpointed
    auto checkpoint = central_->Rows("PRAGMA wal_checkpoint(PASSIVE)");
    ASSERT_EQ(checkpoint.size(), 1u);
    EXPECT_EQ(checkpoint[0][0].ToLong(), 0);
    EXPECT_GT(checkpoint[0][1].ToLong(), 0);
    EXPECT_EQ(checkpoint[0][2].ToLong(), checkpoint[0][1].ToLong()) << "a reader held the log";
    int count = 0;
    while (!rows.Eof()) {
        ASSERT_EQ(rows.Fields(std::size_t{0}).Value().ToLong(), ++count);
        rows.MoveNext();
    }
    EXPECT_EQ(count, 3000);
}

// A read whose server goes away half-way raises the driver's error: the end of
// the rows read so far is never taken for the end of the result.
TEST_P(StreamingReadTest, AReadThatCannotGoOnRaisesInsteadOfEndingEarly) {
    if (engine() != Engine::PostgreSQL) GTEST_SKIP() << "needs a server to end the session";
    central_->Exec(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
        "INSERT INTO appointment (appointment_id, do_by, type) SELECT i, i, 1 FROM n");
    auto connection = central_->Connect();
    Recordset rows;
    rows.CacheSize(100);
    rows.Open("SELECT appointment_id FROM CRM5.appointment ORDER BY 1", connection,
              adOpenForwardOnly, adLockUnspecified, adCmdUnspecified);
    central_->Scalar(
        "SELECT COUNT(pg_terminate_backend(pid)) FROM pg_stat_activity WHERE datname = "
        "current_database() AND pid <> pg_backend_pid()");
    int count = 0;
    EXPECT_THROW(
        {
            while (!rows.Eof()) {
                ++count;
                rows.MoveNext();
            }
        },
        DatabaseError);
    EXPECT_LT(count, 5000);
}

VENDRAL_INSTANTIATE_ENGINES(StreamingReadTest);

// Kept rows come back with their values and types, from memory and, past the
// limit, from the temporary file.
TEST(RowSpillTest, RowsComeBackInOrderWithTheirTypesFromMemoryAndFile) {
    for (std::size_t limit : {std::size_t{1} << 20, std::size_t{64}}) {
        RowSpill spill(limit);
        for (int i = 0; i < 1000; ++i) {
            spill.Append(
                {Variant(static_cast<std::int32_t>(i)), Variant(static_cast<long long>(i) << 40),
                 Variant(i / 4.0), Variant("text " + std::to_string(i)), Variant::Null(),
                 Variant(i % 2 == 0), Variant(static_cast<std::int16_t>(i % 100)), Variant()});
        }
        EXPECT_EQ(spill.SpilledToFile(), limit == 64);
        std::vector<Variant> row(8);
        for (int i = 0; i < 1000; ++i) {
            ASSERT_TRUE(spill.Next(row));
            EXPECT_EQ(row[0], Variant(static_cast<std::int32_t>(i)));
            EXPECT_EQ(row[1].Type(), VariantType::LongLong);
            EXPECT_EQ(row[1].ToLongLong(), static_cast<long long>(i) << 40);
            EXPECT_EQ(row[2], Variant(i / 4.0));
            EXPECT_EQ(row[3], Variant("text " + std::to_string(i)));
            EXPECT_TRUE(row[4].IsNull());
            EXPECT_EQ(row[5], Variant(i % 2 == 0));
            EXPECT_EQ(row[6].Type(), VariantType::Integer);
            EXPECT_TRUE(row[7].IsEmpty());
        }
        EXPECT_FALSE(spill.Next(row));
    }
}

// A row is encoded in pieces of a bounded size: a row wider than one piece,
// with a long text among its numbers, comes back whole and in order.
TEST(RowSpillTest, AWideRowComesBackWhole) {
    for (std::size_t limit : {std::size_t{1} << 20, std::size_t{64}}) {
        RowSpill spill(limit);
        std::vector<Variant> written;
        for (int i = 0; i < 200; ++i) written.push_back(Variant(i * 0.5));
        written.push_back(Variant(std::string(3000, 'x') + "end"));
        for (int i = 0; i < 100; ++i) written.push_back(Variant(static_cast<long long>(i) << 33));
        spill.Append(written);
        spill.Append(written);
        std::vector<Variant> row(written.size());
        for (int copy = 0; copy < 2; ++copy) {
            ASSERT_TRUE(spill.Next(row));
            EXPECT_EQ(row, written) << "copy " << copy << ", limit " << limit;
        }
        EXPECT_FALSE(spill.Next(row));
    }
}

}  // namespace
}  // namespace vendral::test
