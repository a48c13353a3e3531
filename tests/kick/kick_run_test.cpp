// The kick on real databases: which rows are logged, how, and what is reported.
#include <algorithm>
#include <tuple>

#include "kick.h"
#include "kick/kick_fixture.h"

namespace vendral::kick {
namespace {

using test::Engine;
using test::kKick;
using test::LogRow;
using test::StatementLog;

class KickRunTest : public test::KickDataTest {
  protected:
    void SetUp() override {
        KickDataTest::SetUp();
        if (!central_) return;
        AddUsersAndRows();
        Add(109, "12", 12, kKick + 500, 3, true);    // neither appointment nor task
        Add(110, "NULL", 12, kKick + 600, 1, true);  // no owner
        test::AttachConnections(db_, *central_);
    }

    KickCounts Kick(const KickRequest& request) {
        KickCounts counts;
        RunKick(db_, request, counts, [this](KickPhase phase, std::int32_t rows) {
            progress_.emplace_back(phase, rows);
        });
        return counts;
    }

    // The last count reported for a phase; -1 when none was.
    std::int32_t LastProgress(KickPhase phase) const {
        std::int32_t last = -1;
        for (const auto& [p, rows] : progress_)
            if (p == phase) last = rows;
        return last;
    }

    CDatabase db_;
    std::vector<std::pair<KickPhase, std::int32_t>> progress_;
};

TEST_P(KickRunTest, AllSynchronizerUsersLogsEveryDueKnownRowOfTheirsOnce) {
    StatementLog log(*db_.dDatabase());
    KickCounts counts = Kick({0, kKick, false});

    EXPECT_EQ(counts.Appointments, 2);
    EXPECT_EQ(counts.Tasks, 2);
    // Logged as updates of table 9 by the registering associate, in id order.
    EXPECT_EQ(LogRows(), (std::vector<LogRow>{{4608, 40, 9, 101, 0},
                                              {4608, 15, 9, 102, 0},
                                              {4608, 41, 9, 106, 0},
                                              {4608, 15, 9, 107, 0}}));
    // Rows of other owners (and the row without owner) are looked at, not logged.
    EXPECT_EQ(LastProgress(KickPhase::Appointments), 4);
    EXPECT_EQ(LastProgress(KickPhase::Tasks), 3);
    // The log ids come from the travel transaction log's sequence row.
    EXPECT_EQ(central_->Scalar("SELECT next_id FROM sequence WHERE id = 39").ToLong(), 1004);

    std::string p = central_->Prefix();
    EXPECT_TRUE(log.Contains(
        "select appointment.appointment_id, appointment.associate_id, "
        "appointment.registered_associate_id, appointment.do_by from " +
        p + "appointment appointment, " + p +
        "syncsoapp syncsoapp where appointment.appointment_id = syncsoapp.appointment_id and "
        "appointment.do_by >= 1212883200 and appointment.type in (1,6) order by "
        "appointment.appointment_id"));
    EXPECT_TRUE(log.Contains(
        "select appointment.appointment_id, appointment.associate_id, "
        "appointment.registered_associate_id, appointment.do_by from " +
        p + "appointment appointment, " + p +
        "syncsoapp syncsoapp where appointment.appointment_id = syncsoapp.appointment_id and "
        "appointment.do_by >= 1212883200 and appointment.type in (2,7) order by "
        "appointment.appointment_id"));
    EXPECT_TRUE(log.Contains("SELECT associate_id FROM " + p + "Syncusers where associate_id =13"));
    // The row without an owner is checked as owner 0.
    EXPECT_TRUE(log.Contains("SELECT associate_id FROM " + p + "Syncusers where associate_id =0"));
    // The library keeps the owner of the last row looked at.
    EXPECT_EQ(db_.AssociateID(), 13);
}

TEST_P(KickRunTest, OneAssociateConsidersOnlyTheirRows) {
    StatementLog log(*db_.dDatabase());
    KickCounts counts = Kick({12, kKick, false});

    EXPECT_EQ(counts.Appointments, 1);
    EXPECT_EQ(counts.Tasks, 1);
    EXPECT_EQ(LogRows(), (std::vector<LogRow>{{4608, 40, 9, 101, 0}, {4608, 41, 9, 106, 0}}));
    EXPECT_EQ(LastProgress(KickPhase::Appointments), 1);
    EXPECT_EQ(LastProgress(KickPhase::Tasks), 1);
    std::string p = central_->Prefix();
    EXPECT_TRUE(log.Contains(
        "select appointment.appointment_id, appointment.associate_id, "
        "appointment.registered_associate_id, appointment.do_by from " +
        p + "appointment appointment, " + p +
        "syncsoapp syncsoapp where appointment.appointment_id = syncsoapp.appointment_id and "
        "appointment.do_by >= 1212883200 and appointment.type in (1,6) and  "
        "appointment.associate_id = 12 order by appointment.appointment_id"));
    EXPECT_TRUE(log.Contains(
        "select appointment.appointment_id, appointment.associate_id, "
        "appointment.registered_associate_id, appointment.do_by from " +
        p + "appointment appointment, " + p +
        "syncsoapp syncsoapp where appointment.appointment_id = syncsoapp.appointment_id and "
        "appointment.do_by >= 1212883200 and appointment.type in (2,7) and  "
        "appointment.associate_id = 12 order by appointment.appointment_id"));
}

TEST_P(KickRunTest, AnAssociateWhoIsNoSynchronizerUserLogsNothing) {
    KickCounts counts = Kick({13, kKick, false});
    EXPECT_EQ(counts.Appointments, 0);
    EXPECT_EQ(counts.Tasks, 0);
    EXPECT_TRUE(LogRows().empty());
    // Their rows were read all the same.
    EXPECT_EQ(LastProgress(KickPhase::Appointments), 1);
    EXPECT_EQ(LastProgress(KickPhase::Tasks), 1);
}

TEST_P(KickRunTest, SkippingTasksReadsAndLogsNoTask) {
    StatementLog log(*db_.dDatabase());
    KickCounts counts = Kick({0, kKick, true});
    EXPECT_EQ(counts.Appointments, 2);
    EXPECT_EQ(counts.Tasks, 0);
    EXPECT_EQ(LogRows(), (std::vector<LogRow>{{4608, 40, 9, 101, 0}, {4608, 15, 9, 102, 0}}));
    EXPECT_EQ(LastProgress(KickPhase::Tasks), -1);
    EXPECT_FALSE(log.Contains(BuildKickStatement(central_->Prefix(), KickPhase::Tasks, 0, kKick)));
}

TEST_P(KickRunTest, NoMatchingRowsGivesZeroAndZero) {
    KickCounts counts = Kick({0, static_cast<std::int32_t>(DateSeconds(2030, 1, 1)), false});
    EXPECT_EQ(counts.Appointments, 0);
    EXPECT_EQ(counts.Tasks, 0);
    EXPECT_TRUE(LogRows().empty());
    EXPECT_TRUE(progress_.empty());
    EXPECT_EQ(CountsMessage(counts), "Inserts for appointments: 0, inserts for tasks: 0");
}

TEST_P(KickRunTest, ASecondKickLogsTheSameRowsAgain) {
    KickCounts first = Kick({0, kKick, false});
    KickCounts second = Kick({0, kKick, false});
    EXPECT_EQ(first.Appointments, second.Appointments);
    EXPECT_EQ(first.Tasks, second.Tasks);
    EXPECT_EQ(LogRows().size(), 8u);
}

TEST_P(KickRunTest, ADatabaseErrorStopsTheRunAndKeepsWhatWasLogged) {
    // The log refuses record 102, so the second row cannot be logged.
    central_->Exec("DROP TABLE traveltransactionlog");
    central_->Exec(
        "CREATE TABLE traveltransactionlog (traveltransactionlog_id INTEGER PRIMARY KEY, ttime "
        "BIGINT NOT NULL, prev_record_id INTEGER NOT NULL, type INTEGER NOT NULL, associate_id "
        "INTEGER NOT NULL, tablenumber INTEGER NOT NULL, record_id INTEGER NOT NULL CHECK "
        "(record_id <> 102))");
    KickCounts counts;
    EXPECT_THROW(RunKick(db_, {0, kKick, false}, counts), DatabaseError);
    EXPECT_EQ(counts.Appointments, 1);
    EXPECT_EQ(counts.Tasks, 0);
    EXPECT_EQ(LogRows(), (std::vector<LogRow>{{4608, 40, 9, 101, 0}}));
    // The connection stays usable: the kick's own recordset was released.
    EXPECT_EQ(db_.CountRecords("appointment").ToLong(), 10);
}

TEST_P(KickRunTest, NoOpenConnectionIsADatabaseError) {
    CDatabase unopened;
    KickCounts counts;
    EXPECT_THROW(RunKick(unopened, {0, kKick, false}, counts), DatabaseError);
    EXPECT_EQ(counts.Appointments, 0);
}

VENDRAL_INSTANTIATE_ENGINES(KickRunTest);

}  // namespace
}  // namespace vendral::kick
