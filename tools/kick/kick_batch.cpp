// The set-based kick: a few statements per block of rows instead of several per row.
#include <algorithm>
#include <optional>
#include <stdexcept>

#include "data/local_clock.h"
#include "kick.h"
#include "vendral/connection.h"
#include "vendral/ui_host.h"

namespace vendral::kick {
namespace {

// The Sequence row that numbers the travel transaction log's rows.
const std::string kLogSequenceRow = std::to_string(kTableTravelTransactionLog + kSequenceRowOffset);

// The rows of one phase, as the per-row kick selects them, without the order.
std::string PhaseRows(const std::string& p, KickPhase phase, const KickRequest& request) {
    std::string sql = "from " + p + "appointment appointment, " + p +
                      "syncsoapp syncsoapp where appointment.appointment_id = "
                      "syncsoapp.appointment_id and appointment.do_by >= " +
                      std::to_string(request.KickTime) +
                      (phase == KickPhase::Appointments ? " and appointment.type in (1,6)"
                                                        : " and appointment.type in (2,7)");
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

// The rows of a phase, looked at once when the phase starts (as the per-row
// kick reads the tasks once the appointments are done), with the owner test
// already made, in a temporary table of the connection indexed by appointment
// id, so that each block reads its range of ids instead of joining and
// scanning the CRM's tables again.
constexpr const char* kKickRows = "vendral_kick_rows";

class PhaseTable {
  public:
    PhaseTable(KickDatabase& connection, const std::string& prefix, const std::string& rows)
        : connection_(connection) {
        connection_.Execute(std::string("DROP TABLE IF EXISTS ") + kKickRows);
        connection_.Execute(std::string("CREATE TEMPORARY TABLE ") + kKickRows +
                            " AS select appointment.appointment_id, "
                            "coalesce(appointment.registered_associate_id, 0) as "
                            "registered_associate_id, case when " +
                            SyncUserTest(prefix) + " then 1 else 0 end as logged " + rows);
        created_ = true;
        // Holding every column the blocks read, so that they read the index alone.
        connection_.Execute(std::string("CREATE INDEX ") + kKickRows + "_id ON " + kKickRows +
                            " (appointment_id, logged, registered_associate_id)");
    }
    ~PhaseTable() {
        if (!created_) return;
        try {
            if (connection_.InTransaction()) connection_.RollbackTrans();
            connection_.Execute(std::string("DROP TABLE ") + kKickRows);
        } catch (const DatabaseError&) {
            // The kick's own error is the one to report; the table goes with the session.
        }
    }
    PhaseTable(const PhaseTable&) = delete;
    PhaseTable& operator=(const PhaseTable&) = delete;

  private:
    KickDatabase& connection_;
    bool created_ = false;
};

struct Block {
    std::int64_t Last = 0;  // the highest appointment id of the block
    std::int32_t Rows = 0;
    std::int32_t Logged = 0;
    bool Final = false;  // no rows follow it
};

// Logs, in one transaction, the phase's next blockRows rows after appointment
// id after (the first rows without it), with every row of the last id among
// them, so that an appointment known to the synchronizer twice is never split.
// " from" the phase's table, with the conditions joined by "where" and "and".
std::string FromKickRows(const std::vector<std::string>& conditions) {
    std::string sql = std::string(" from ") + kKickRows + " appointment";
    for (std::size_t i = 0; i < conditions.size(); ++i)
        sql += (i == 0 ? " where " : " and ") + conditions[i];
    return sql;
}

Block LogBlock(KickDatabase& db, std::optional<std::int64_t> after, std::int32_t blockRows) {
    const std::string p = db.CentralDatabasePrefix();
    db.BeginTrans();
    try {
        // The table's rows after the last block's, then those up to this block's end.
        std::vector<std::string> conditions;
        if (after) conditions.push_back("appointment.appointment_id > " + std::to_string(*after));
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
        Block block;
        block.Final = bound.empty();
        block.Rows = static_cast<std::int32_t>(NumberOrZero(counts.at(0)));
        block.Logged = static_cast<std::int32_t>(NumberOrZero(counts.at(1)));
        block.Last = NumberOrZero(counts.at(2));
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
        "block " + std::to_string(blocks + 1) + " of the " +
        (phase == KickPhase::Appointments ? "appointments" : "tasks") +
        (!after ? std::string(" (the first)")
                : " (after appointment id " + std::to_string(*after) + ")") +
        " was not logged, " + std::to_string(blocks) +
        " blocks before it were: " + records.front().Description;
    return DatabaseError(std::move(records));
}

void BatchPhase(KickDatabase& db, const KickRequest& request, KickPhase phase, std::int32_t& logged,
                const KickProgress& progress, std::int32_t blockRows) {
    std::int32_t looked = 0;
    std::int32_t blocks = 0;
    std::optional<std::int64_t> after;
    try {
        const std::string p = db.CentralDatabasePrefix();
        PhaseTable table(db, p, PhaseRows(p, phase, request));
        for (bool more = true; more;) {
            Block block = LogBlock(db, after, blockRows);
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
    BatchPhase(db, request, KickPhase::Appointments, counts.Appointments, progress, blockRows);
    if (!request.SkipTasks)
        BatchPhase(db, request, KickPhase::Tasks, counts.Tasks, progress, blockRows);
}

}  // namespace vendral::kick
