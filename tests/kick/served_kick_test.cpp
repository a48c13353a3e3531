// The kick through the served object's interfaces (as prodwell runs it) next
// to the kick on a C++ CDatabase: the same log rows, statements, counts,
// progress and errors on both engines.
#include <fstream>
#include <map>
#include <regex>
#include <tuple>

#include "kick.h"
#include "kick/kick_fixture.h"
#include "served_kick_database.h"
#include "vendral/class_ids.h"
#include "vendral/com_client.h"

namespace vendral::kick {
namespace {

using test::StatementLog;
using test::TestOdbc;

using test::kKick;
using test::LogRow;
using Progress = std::vector<std::pair<KickPhase, std::int32_t>>;

// A text with the clock's seconds (ten digits, as in a refused log row) masked.
std::string WithoutTime(const std::string& text) {
    return std::regex_replace(text, std::regex("[0-9]{10}"), "<time>");
}

// The statements of two runs, the log's inserts (stamped with the clock) counted
// only. Both read with read-ahead, so on SQLite both first ask the journal mode
// for the streaming companion.
void ExpectSameStatements(const std::vector<std::string>& sent,
                          const std::vector<std::string>& expected) {
    std::string both;
    for (const std::string& text : expected) both += "expected: " + text + "\n";
    for (const std::string& text : sent) both += "sent: " + text + "\n";
    ASSERT_EQ(sent.size(), expected.size()) << both;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        bool insert = expected[i].rfind("INSERT INTO", 0) == 0;
        EXPECT_EQ(sent[i].rfind("INSERT INTO", 0) == 0, insert) << sent[i];
        if (!insert) {
            EXPECT_EQ(sent[i], expected[i]);
        }
    }
}

class ServedKickTest : public test::KickDataTest {
  protected:
    void SetUp() override {
        KickDataTest::SetUp();
        if (!central_) return;
        AddUsersAndRows();
        Add(109, "12", 12, kKick + 500, 3, true);
        Add(110, "NULL", 12, kKick + 600, 1, true);
        Add(111, "15", "NULL", kKick + 700, 2, true);
        settings_ = TestOdbc::Instance().ScratchPath("served-kick.ini");
        std::ofstream(settings_) << "[Central]\nDSN=" << central_->Dsn()
                                 << "\nUID=" << central_->Uid() << "\nPWD=" << central_->Pwd()
                                 << "\nDBPrefix=" << central_->Prefix() << "\n";

        ASSERT_EQ(cpp_.OpenODBC_DB(settings_, OpenCentral, false).ToBool(), true);
        com::ClassManifest manifest{"Vendral.CDatabase", CLSID_CDatabase, VENDRAL_LIBRARY_PATH};
        object_ = static_cast<IDispatch*>(
            com::CreateObject("Vendral.CDatabase", IID__CDatabase, manifest));
        served_ = std::make_unique<ServedKickDatabase>(object_);
        ASSERT_EQ(served_->OpenODBC_DB(settings_, OpenCentral, false).ToBool(), true);
        ASSERT_TRUE(served_->dDatabaseIsRunning());
    }

    void TearDown() override {
        served_.reset();
        if (object_) object_->Release();
    }

    void Reset() {
        central_->Exec("DELETE FROM traveltransactionlog");
        central_->Exec("UPDATE sequence SET next_id = 500 WHERE id = 39");
    }

    // The C++ object of the served library, for watching its statements.
    CDatabase& ServedNative() {
        void* raw = nullptr;
        EXPECT_EQ(object_->QueryInterface(IID_IVendralNative, &raw), S_OK);
        auto* native = static_cast<IVendralNative*>(raw);
        void* database = nullptr;
        EXPECT_EQ(native->Native(IID__CDatabase, &database), S_OK);
        native->Release();
        return *static_cast<CDatabase*>(database);
    }

    std::string settings_;
    CDatabase cpp_;
    IDispatch* object_ = nullptr;
    std::unique_ptr<ServedKickDatabase> served_;
};

TEST_P(ServedKickTest, PerRowKickLogsAndSendsWhatTheCppObjectDoes) {
    for (std::int32_t associate : {0, 12}) {
        for (bool skipTasks : {false, true}) {
            SCOPED_TRACE("associate " + std::to_string(associate) +
                         (skipTasks ? ", no tasks" : ""));
            KickRequest request{associate, kKick, skipTasks};
            Reset();
            KickCounts cppCounts;
            Progress cppProgress;
            StatementLog cppLog(*cpp_.dDatabase());
            RunKick(cpp_, request, cppCounts, [&](KickPhase phase, std::int32_t rows) {
                cppProgress.emplace_back(phase, rows);
            });
            std::vector<LogRow> expected = LogRows();
            std::vector<std::int64_t> expectedIds = LogIds();
            ASSERT_GT(cppCounts.Appointments, 0);

            Reset();
            KickCounts servedCounts;
            Progress servedProgress;
            StatementLog servedLog(*ServedNative().dDatabase());
            RunKick(*served_, request, servedCounts, [&](KickPhase phase, std::int32_t rows) {
                servedProgress.emplace_back(phase, rows);
            });
            EXPECT_EQ(LogRows(), expected);
            EXPECT_EQ(LogIds(), expectedIds);
            EXPECT_EQ(servedCounts.Appointments, cppCounts.Appointments);
            EXPECT_EQ(servedCounts.Tasks, cppCounts.Tasks);
            EXPECT_EQ(servedProgress, cppProgress);
            ExpectSameStatements(servedLog.Statements(), cppLog.Statements());
        }
    }
}

TEST_P(ServedKickTest, SetBasedKickLogsAndSendsWhatTheCppObjectDoes) {
    for (std::int32_t blockRows : {1, 3, 1000}) {
        SCOPED_TRACE("blocks of " + std::to_string(blockRows));
        Reset();
        KickCounts cppCounts;
        Progress cppProgress;
        StatementLog cppLog(*cpp_.dDatabase());
        RunBatchKick(
            cpp_, {0, kKick, false}, cppCounts,
            [&](KickPhase phase, std::int32_t rows) { cppProgress.emplace_back(phase, rows); },
            blockRows);
        std::vector<LogRow> expected = LogRows();
        std::vector<std::int64_t> expectedIds = LogIds();
        ASSERT_FALSE(expected.empty());

        Reset();
        KickCounts servedCounts;
        Progress servedProgress;
        StatementLog servedLog(*ServedNative().dDatabase());
        RunBatchKick(
            *served_, {0, kKick, false}, servedCounts,
            [&](KickPhase phase, std::int32_t rows) { servedProgress.emplace_back(phase, rows); },
            blockRows);
        EXPECT_EQ(LogRows(), expected);
        EXPECT_EQ(LogIds(), expectedIds);
        EXPECT_EQ(servedCounts.Appointments, cppCounts.Appointments);
        EXPECT_EQ(servedCounts.Tasks, cppCounts.Tasks);
        EXPECT_EQ(servedProgress, cppProgress);
        ExpectSameStatements(servedLog.Statements(), cppLog.Statements());
        EXPECT_FALSE(served_->InTransaction());
    }
}

// The log refuses one record: the driver's error reaches the caller of the
// interface as the C++ caller sees it, with what was logged before it.
TEST_P(ServedKickTest, ADatabaseErrorArrivesWithTheDriversRecords) {
    central_->Exec("DROP TABLE traveltransactionlog");
    central_->Exec(
        "CREATE TABLE traveltransactionlog (traveltransactionlog_id INTEGER PRIMARY KEY, ttime "
        "BIGINT NOT NULL, prev_record_id INTEGER NOT NULL, type INTEGER NOT NULL, associate_id "
        "INTEGER NOT NULL, tablenumber INTEGER NOT NULL, record_id INTEGER NOT NULL CHECK "
        "(record_id <> 106))");
    for (bool batch : {false, true}) {
        SCOPED_TRACE(batch ? "set-based" : "per row");
        auto run = [batch](KickDatabase& db, KickCounts& counts) {
            if (batch)
                RunBatchKick(db, {0, kKick, false}, counts, {}, 1);
            else
                RunKick(db, {0, kKick, false}, counts);
        };
        Reset();
        KickCounts cppCounts;
        CDatabaseKick cpp(cpp_);
        std::vector<ErrorRecord> expected;
        std::string expectedText;
        try {
            run(cpp, cppCounts);
            FAIL() << "the C++ kick did not fail";
        } catch (const DatabaseError& error) {
            expected = error.Records();
            expectedText = error.what();
        }
        std::vector<LogRow> logged = LogRows();
        ASSERT_FALSE(logged.empty());

        Reset();
        KickCounts servedCounts;
        try {
            run(*served_, servedCounts);
            FAIL() << "the served kick did not fail";
        } catch (const DatabaseError& error) {
            EXPECT_EQ(WithoutTime(error.what()), WithoutTime(expectedText));
            ASSERT_EQ(error.Records().size(), expected.size());
            for (std::size_t i = 0; i < expected.size(); ++i) {
                EXPECT_EQ(WithoutTime(error.Records()[i].Description),
                          WithoutTime(expected[i].Description));
                EXPECT_EQ(error.Records()[i].SQLState, expected[i].SQLState);
                EXPECT_EQ(error.Records()[i].NativeError, expected[i].NativeError);
            }
        }
        EXPECT_EQ(servedCounts.Appointments, cppCounts.Appointments);
        EXPECT_EQ(servedCounts.Tasks, cppCounts.Tasks);
        EXPECT_EQ(LogRows(), logged);
        EXPECT_FALSE(served_->InTransaction());
    }
}

// The per-row kick's read through the dispatch connection streams with its
// read-ahead, as the C++ Recordset does, instead of holding the whole result in
// the driver: on PostgreSQL through a server-side cursor of the same session
// (no second session, which a pooler would have to find a server connection
// for), on SQLite on a second connection in every journal mode. Before the
// connection's first write the rest of the read is kept by the library, so
// that no transaction (PostgreSQL) and no lock or snapshot (SQLite) of the
// read outlives it.
TEST_P(ServedKickTest, TheServedReadStreamsWithItsReadAhead) {
    const bool postgres = engine() == test::Engine::PostgreSQL;
    const bool sqlite = engine() == test::Engine::SQLite;
    for (const char* journal : {"DELETE", "WAL"}) {
        // Journal modes are SQLite's; MariaDB's connector holds the whole
        // result in the client, so its read holds nothing on the server.
        if (!sqlite && std::string(journal) == "WAL") break;
        SCOPED_TRACE(journal);
        if (sqlite) central_->Scalar(std::string("PRAGMA journal_mode=") + journal);
        central_->Exec("DELETE FROM appointment");
        central_->Exec(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
            "INSERT INTO appointment (appointment_id, do_by, type) SELECT 1000 + i, i, 1 FROM n");
        const std::string select =
            "SELECT appointment_id FROM " + central_->Prefix() + "appointment ORDER BY 1";
        auto sessions = [&](const std::string& state) { return central_->ClientSessions(state); };
        auto readAll = [](KickRows& rows) {
            int count = 0;
            for (; !rows.Eof(); rows.MoveNext()) ++count;
            return count;
        };
        const long before = postgres ? sessions("") : 0;

        std::unique_ptr<KickRows> buffered = served_->ReadRows(select, 1);
        if (postgres) {
            EXPECT_EQ(sessions(""), before);
        }
        EXPECT_EQ(readAll(*buffered), 3000);
        buffered->Close();

        std::unique_ptr<KickRows> streamed = served_->ReadRows(select, 500);
        ASSERT_FALSE(streamed->Eof());
        if (postgres) {
            EXPECT_EQ(sessions(""), before) << "a second session streams the read";
            EXPECT_EQ(sessions(" AND state LIKE 'idle in transaction%'"), 1)
                << "the read's cursor lives in a transaction of the session";
        }
        // The connection's first write ends the read's hold on the database.
        served_->Execute("UPDATE " + central_->Prefix() +
                         "sequence SET next_id = next_id + 1 WHERE id = 39");
        if (postgres) {
            EXPECT_EQ(sessions(" AND state LIKE 'idle in transaction%'"), 0);
        } else {
            // A reader holding the file would keep this write from being seen.
            EXPECT_EQ(central_->Scalar("SELECT next_id FROM sequence WHERE id = 39").ToLong(), 1001)
                << journal;
            central_->Exec("UPDATE sequence SET next_id = 1000 WHERE id = 39");
        }
        EXPECT_EQ(readAll(*streamed), 3000);
        streamed->Close();
    }
}

TEST_P(ServedKickTest, AClosedCentralConnectionIsRefusedAsTheCppObjectRefusesIt) {
    CDatabase unopenedCpp;
    com::ClassManifest manifest{"Vendral.CDatabase", CLSID_CDatabase, VENDRAL_LIBRARY_PATH};
    IUnknown* object = com::CreateObject("Vendral.CDatabase", IID__CDatabase, manifest);
    {
        ServedKickDatabase unopened(static_cast<IDispatch*>(object));
        EXPECT_FALSE(unopened.CentralIsOpen());
        for (bool batch : {false, true}) {
            KickCounts counts;
            std::string cppText, servedText;
            try {
                batch ? RunBatchKick(unopenedCpp, {0, kKick, false}, counts)
                      : RunKick(unopenedCpp, {0, kKick, false}, counts);
            } catch (const DatabaseError& error) {
                cppText = error.what();
            }
            try {
                batch ? RunBatchKick(unopened, {0, kKick, false}, counts)
                      : RunKick(unopened, {0, kKick, false}, counts);
            } catch (const DatabaseError& error) {
                servedText = error.what();
            }
            EXPECT_FALSE(cppText.empty());
            EXPECT_EQ(servedText, cppText);
        }
    }
    object->Release();
}

VENDRAL_INSTANTIATE_ENGINES(ServedKickTest);

}  // namespace
}  // namespace vendral::kick
