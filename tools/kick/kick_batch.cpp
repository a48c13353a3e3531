// The set-based kick: a few statements per block of rows instead of several per row.
#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>

#include "kick.h"
#include "vendral/connection.h"
#include "vendral/local_clock.h"
#include "vendral/ui_host.h"

namespace vendral::kick {
namespace {

// The Sequence row that numbers the travel transaction log's rows.
const std::string kLogSequenceRow = std::to_string(kTableTravelTransactionLog + kSequenceRowOffset);

// The rows of the kick's phases, as the per-row kick selects them, without the order.
std::string KickedRows(const std::string& p, const KickRequest& request) {
    std::string sql = "from " + p + "appointment appointment, " + p +
                      "syncsoapp syncsoapp where appointment.appointment_id = "
                      "syncsoapp.appointment_id and appointment.do_by >= " +
                      std::to_string(request.KickTime) +
                      (request.SkipTasks ? " and appointment.type in (1,6)"
                                         : " and appointment.type in (1,6,2,7)");
    if (request.AssociateID != 0)
        sql += " and appointment.associate_id = " + std::to_string(request.AssociateID);
    return sql;
}

// The owner test of the per-row kick, made by the database: the owner's first
// Syncusers row must read above 0, so rows without an owner (read as 0) and
// owners 0 or below are never logged. An IN list is made once per statement,
// where a correlated EXISTS would scan Syncusers again for every row.
std::string SyncUserTest(const std::string& p) {
    return "appointment.associate_id > 0 and appointment.associate_id in (select "
           "syncusers.associate_id from " +
           p + "Syncusers syncusers)";
}

std::vector<Variant> FirstRow(KickDatabase& db, const std::string& sql) {
    std::unique_ptr<KickRows> rs = db.ReadRows(sql, 0);
    std::vector<Variant> row;
    if (!rs->Eof())
        for (std::size_t i = 0; i < rs->FieldCount(); ++i) row.push_back(rs->Value(i));
    rs->Close();
    return row;
}

std::int64_t NumberOrZero(const Variant& value) {
    return value.IsNull() || value.IsEmpty() ? 0 : value.ToLongLong();
}

// The rows of both phases, looked at once when the kick starts, with their
// phase and the owner test already made, in a temporary table of the
// connection, so that the CRM's tables are joined once. When the rows fill more
// than a block, each phase's rows are indexed by appointment id, so that each
// block reads its range of ids instead of scanning the table again; rows that
// fit in one block are read whole, which costs less than sorting them into an
// index.
constexpr const char* kKickRows = "vendral_kick_rows";

// The condition that takes a phase's rows from the kick's table. The phase is
// a truth value, whose share of the rows a server's planner guesses as half
// before the new table has statistics: so it reads a block's rows through the
// phase's index instead of sorting the rest of the phase.
std::string PhaseCondition(KickPhase phase, const std::string& table = "appointment.") {
    return (phase == KickPhase::Appointments ? "not " : "") + table + "is_task";
}

const char* PhaseName(KickPhase phase) {
    return phase == KickPhase::Appointments ? "appointments" : "tasks";
}

// The rows of a phase and those of them to log.
struct PhaseCount {
    std::int32_t Rows = 0;
    std::int32_t Logged = 0;
};

class KickTable {
  public:
    KickTable(KickDatabase& connection, const std::string& prefix, const KickRequest& request,
              std::int32_t blockRows)
        : connection_(connection) {
        connection_.Execute(std::string("DROP TABLE IF EXISTS ") + kKickRows);
        std::int64_t rows = connection_.Execute(
            std::string("CREATE TEMPORARY TABLE ") + kKickRows +
            " AS select appointment.type in (2,7) as is_task, appointment.appointment_id, "
            "coalesce(appointment.registered_associate_id, 0) as "
            "registered_associate_id, case when " +
            SyncUserTest(prefix) + " then 1 else 0 end as logged " + KickedRows(prefix, request));
        try {
            CountOrIndex(rows, blockRows);
        } catch (...) {
            // A constructor that throws has no destructor run.
            DropQuietly();
            throw;
        }
    }
    // The counts of a phase that is one block, so that the block needs neither
    // to find its end nor to count its rows.
    std::optional<PhaseCount> WholePhase(KickPhase phase) const {
        if (!wholePhases_) return std::nullopt;
        return (*wholePhases_)[phase == KickPhase::Appointments ? 0 : 1];
    }
    ~KickTable() { DropQuietly(); }
    KickTable(const KickTable&) = delete;
    KickTable& operator=(const KickTable&) = delete;

  private:
    // Counts the rows of both phases where they fit in one block, and
    // indexes each phase's rows where they do not.
    void CountOrIndex(std::int64_t rows, std::int32_t blockRows) {
        // Where the driver does not tell how many rows the statement wrote
        // (some tell 0 of a CREATE TABLE), they are counted.
        if (rows <= 0)
            rows = NumberOrZero(
                FirstRow(connection_, std::string("select count(*) from ") + kKickRows).at(0));
        if (rows <= blockRows) {
            // One scan counts both phases.
            std::vector<Variant> sums = FirstRow(
                connection_, std::string("select count(*), count(*) filter (where "
                                         "appointment.is_task), coalesce(sum(appointment.logged), "
                                         "0), coalesce(sum(appointment.logged) filter (where "
                                         "appointment.is_task), 0) from ") +
                                 kKickRows + " appointment");
            auto count = [&](std::size_t i) { return NumberOrZero(sums.at(i)); };
            if (count(0) <= blockRows) {
                auto phase = [](std::int64_t phaseRows, std::int64_t phaseLogged) {
                    return PhaseCount{static_cast<std::int32_t>(phaseRows),
                                      static_cast<std::int32_t>(phaseLogged)};
                };
                wholePhases_ = {phase(count(0) - count(1), count(2) - count(3)),
                                phase(count(1), count(3))};
                return;
            }
        }
        // An index for each phase, holding every column the blocks read, so
        // that they read the index alone.
        for (KickPhase phase : {KickPhase::Appointments, KickPhase::Tasks})
            connection_.Execute(
                std::string("CREATE INDEX ") + kKickRows + "_" + PhaseName(phase) + " ON " +
                kKickRows + " (appointment_id, logged, registered_associate_id, is_task) WHERE " +
                PhaseCondition(phase, ""));
    }

    void DropQuietly() {
        try {
            if (connection_.InTransaction()) connection_.RollbackTrans();
            connection_.Execute(std::string("DROP TABLE ") + kKickRows);
        } catch (const DatabaseError&) {
            // The kick's own error is the one to report; the table goes with the session.
        }
    }

    KickDatabase& connection_;
    std::optional<std::array<PhaseCount, 2>> wholePhases_;
};

struct Block {
    std::int64_t Last = 0;  // the highest appointment id of the block
    std::int32_t Rows = 0;
    std::int32_t Logged = 0;
    bool Final = false;  // no rows follow it
};

// " from" the kick's table, with the conditions joined by "where" and "and".
std::string FromKickRows(const std::vector<std::string>& conditions) {
    std::string sql = std::string(" from ") + kKickRows + " appointment";
    for (std::size_t i = 0; i < conditions.size(); ++i)
        sql += (i == 0 ? " where " : " and ") + conditions[i];
    return sql;
}

// Logs, in one transaction, the phase's next blockRows rows after appointment
// id after (the first rows without it), with every row of the last id among
// them, so that an appointment known to the synchronizer twice is never split;
// a phase that is one block comes with its counts.
Block LogBlock(KickDatabase& db, KickPhase phase, std::optional<std::int64_t> after,
               std::int32_t blockRows, std::optional<PhaseCount> wholePhase) {
    const std::string p = db.CentralDatabasePrefix();
    db.BeginTrans();
    try {
        // The phase's rows after the last block's, then those up to this block's end.
        std::vector<std::string> conditions{PhaseCondition(phase)};
        if (after) conditions.push_back("appointment.appointment_id > " + std::to_string(*after));
        Block block;
        if (wholePhase) {
            block = {0, wholePhase->Rows, wholePhase->Logged, true};
        } else {
            std::vector<Variant> bound =
                FirstRow(db, "select appointment.appointment_id" + FromKickRows(conditions) +
                                 " order by appointment.appointment_id limit 1 offset " +
                                 std::to_string(blockRows - 1));
            if (!bound.empty())
                conditions.push_back("appointment.appointment_id <= " +
                                     std::to_string(NumberOrZero(bound.at(0))));
            std::vector<Variant> counts =
                FirstRow(db,
                         "select count(*), coalesce(sum(appointment.logged), 0), "
                         "max(appointment.appointment_id)" +
                             FromKickRows(conditions));
            block.Final = bound.empty();
            block.Rows = static_cast<std::int32_t>(NumberOrZero(counts.at(0)));
            block.Logged = static_cast<std::int32_t>(NumberOrZero(counts.at(1)));
            block.Last = NumberOrZero(counts.at(2));
        }
        if (block.Logged > 0) {
            conditions.push_back("appointment.logged = 1");
            // The whole block's ids in one step, under the sequence row's lock
            // until the commit.
            db.Execute("UPDATE " + p + "Sequence SET Next_id = Next_id + " +
                       std::to_string(block.Logged) + " WHERE id=" + kLogSequenceRow);
            std::int64_t next =
                NumberOrZero(FirstRow(db, std::string("Select Next_id FROM ") + p +
                                              "Sequence WHERE ID =" + kLogSequenceRow)
                                 .at(0));
            std::int64_t first = next - block.Logged;
            std::int64_t written = db.Execute(
                "INSERT INTO " + p +
                "traveltransactionlog ( traveltransactionlog_id, ttime, prev_record_id, type, "
                "associate_id, tablenumber, record_id ) select " +
                std::to_string(first - 1) +
                " + row_number() over (order by appointment.appointment_id), " +
                std::to_string(LocalClockSeconds()) + ", 0, " + std::to_string(kKickActionType) +
                ", appointment.registered_associate_id, " + std::to_string(kAppointmentTable) +
                ", appointment.appointment_id" + FromKickRows(conditions));
            if (written >= 0 && written != block.Logged)
                throw DatabaseError("the block's insert wrote " + std::to_string(written) +
                                        " log rows instead of " + std::to_string(block.Logged),
                                    "HY000");
        }
        db.CommitTrans();
        return block;
    } catch (...) {
        if (db.InTransaction()) {
            try {
                db.RollbackTrans();
            } catch (const DatabaseError&) {
                // The block's own error is the one to report.
            }
        }
        throw;
    }
}

// The error of a block, saying how far the phase got.
DatabaseError NotLogged(const DatabaseError& error, KickPhase phase, std::int32_t blocks,
                        std::optional<std::int64_t> after) {
    std::vector<ErrorRecord> records = error.Records();
    records.front().Description =
        "block " + std::to_string(blocks + 1) + " of the " + PhaseName(phase) +
        (!after ? std::string(" (the first)")
                : " (after appointment id " + std::to_string(*after) + ")") +
        " was not logged, " + std::to_string(blocks) +
        " blocks before it were: " + records.front().Description;
    return DatabaseError(std::move(records));
}

void BatchPhase(KickDatabase& db, const KickTable& table, KickPhase phase, std::int32_t& logged,
                const KickProgress& progress, std::int32_t blockRows) {
    std::int32_t looked = 0;
    std::int32_t blocks = 0;
    std::optional<std::int64_t> after;
    try {
        for (bool more = true; more;) {
            Block block = LogBlock(db, phase, after, blockRows, table.WholePhase(phase));
            more = !block.Final;
            if (block.Rows == 0) break;
            ++blocks;
            after = block.Last;
            looked += block.Rows;
            logged += block.Logged;
            if (progress) progress(phase, looked);
            CurrentUiHost()->DoEvents();
        }
    } catch (const DatabaseError& error) {
        throw NotLogged(error, phase, blocks, after);
    }
}

}  // namespace

void RunBatchKick(KickDatabase& db, const KickRequest& request, KickCounts& counts,
                  const KickProgress& progress, std::int32_t blockRows) {
    if (blockRows < 1) throw std::invalid_argument("a block holds at least one row");
    if (!db.CentralIsOpen())
        throw UsageError("Operation is not allowed when the object is closed.", "08003", 3704);
    std::optional<KickTable> table;
    try {
        table.emplace(db, db.CentralDatabasePrefix(), request, blockRows);
    } catch (const DatabaseError& error) {
        throw NotLogged(error, KickPhase::Appointments, 0, std::nullopt);
    }
    BatchPhase(db, *table, KickPhase::Appointments, counts.Appointments, progress, blockRows);
    if (!request.SkipTasks)
        BatchPhase(db, *table, KickPhase::Tasks, counts.Tasks, progress, blockRows);
}

}  // namespace vendral::kick
