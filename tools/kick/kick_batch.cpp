// The set-based kick: a few statements per block of rows instead of several per row.
//
// Nothing outlives a block's transaction: no temporary table, no cursor, no
// setting of the session. Behind a pooler that hands each transaction to any
// server connection, the next block may run on another one, and a kick that
// dies leaves nothing behind for the next. The kick creates, changes and
// drops nothing but the log rows and the log's Sequence row.
#include <algorithm>
#include <limits>
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

// A block whose range holds more than this many times the rows wanted is
// counted again over a narrower range before anything is written.
constexpr std::int64_t kBlockOvershoot = 2;
// How much wider than the last one the next block's range may be.
constexpr std::int64_t kRangeGrowth = 8;

// The rows of appointment types, as the per-row kick selects them, without the order.
// Written as a cross join so that an engine that takes the order of the tables
// from the text (SQLite) walks the appointments in id order over the block's
// range and looks each candidate up in syncsoapp's index: no sort for the
// numbering, and only the rows due from the kick on are looked up. Engines that
// plan the order themselves read it as the plain join it is.
std::string KickedRows(const std::string& p, const KickRequest& request, const char* types) {
    std::string sql = " from " + p + "appointment appointment cross join " + p +
                      "syncsoapp syncsoapp where appointment.appointment_id = "
                      "syncsoapp.appointment_id and appointment.do_by >= " +
                      std::to_string(request.KickTime) + " and appointment.type in " + types;
    if (request.AssociateID != 0)
        sql += " and appointment.associate_id = " + std::to_string(request.AssociateID);
    return sql;
}

const char* PhaseTypes(KickPhase phase) {
    return phase == KickPhase::Appointments ? "(1,6)" : "(2,7)";
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

// The rows of an appointment id range (after, last]. The range is given for
// syncsoapp's ids too: engines do not carry a range across a join, and
// without it a server joins each block against the whole of syncsoapp.
std::string InRange(std::int64_t after, std::int64_t last) {
    const std::string from = std::to_string(after);
    const std::string to = std::to_string(last);
    return " and appointment.appointment_id > " + from +
           " and appointment.appointment_id <= " + to + " and syncsoapp.appointment_id > " + from +
           " and syncsoapp.appointment_id <= " + to;
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

const char* PhaseName(KickPhase phase) {
    return phase == KickPhase::Appointments ? "appointments" : "tasks";
}

// The log's ids are 32-bit numbers: a reservation that would move the
// sequence row past the largest is refused as the per-row kick's is, with the
// same error.
void RequireIdsFit(std::int64_t nextAfterBlock) {
    Variant(static_cast<long long>(nextAfterBlock)).ToLong();
}

struct Block {
    std::int64_t Rows = 0;
    std::int64_t Logged = 0;
    bool Counted = false;  // false: the range held too many rows, nothing was done
};

// The rows of a block changed between its count and its insert (another
// client added or removed some): the block is rolled back and counted again.
class RowsChanged : public DatabaseError {
  public:
    using DatabaseError::DatabaseError;
};
constexpr int kCountsPerBlock = 3;

// Ends the block's transaction after an error; the block's own error is the
// one that counts.
void RollBackQuietly(KickDatabase& db) {
    if (!db.InTransaction()) return;
    try {
        db.RollbackTrans();
    } catch (const DatabaseError&) {
        // Reported through the error being raised.
    }
}

// The INSERT that logs the rows (KickedRows) of a range (InRange, or none for
// the whole table), their log ids numbered from first in appointment id order.
std::string InsertLogRows(const std::string& p, const std::string& rows, std::int64_t first,
                          const std::string& range, const std::string& stamp) {
    return "INSERT INTO " + p +
           "traveltransactionlog ( traveltransactionlog_id, ttime, prev_record_id, type, "
           "associate_id, tablenumber, record_id ) select " +
           std::to_string(first - 1) +
           " + row_number() over (order by appointment.appointment_id), " + stamp + ", 0, " +
           std::to_string(kKickActionType) +
           ", coalesce(appointment.registered_associate_id, 0), " +
           std::to_string(kAppointmentTable) + ", appointment.appointment_id" + rows + range +
           " and " + SyncUserTest(p);
}

// Logs, in one transaction, the phase's rows whose appointment ids lie in
// (after, last]: an appointment known to the synchronizer twice is never
// split. A range that holds more than maxRows rows is left as it is.
Block LogBlock(KickDatabase& db, const std::string& rows, std::int64_t after, std::int64_t last,
               std::int64_t maxRows) {
    const std::string p = db.CentralDatabasePrefix();
    db.BeginTrans();
    try {
        std::vector<Variant> counts =
            FirstRow(db, "select count(*), coalesce(sum(case when " + SyncUserTest(p) +
                             " then 1 else 0 end), 0)" + rows + InRange(after, last));
        Block block{NumberOrZero(counts.at(0)), NumberOrZero(counts.at(1)), true};
        if (block.Rows > maxRows && last - after > 1) {
            db.CommitTrans();
            return {block.Rows, 0, false};
        }
        if (block.Logged > 0) {
            const std::string next =
                "Select Next_id FROM " + p + "Sequence WHERE ID =" + kLogSequenceRow;
            // Refused before anything is written; checked again under the
            // row's lock below, where another writer may have moved it on.
            RequireIdsFit(NumberOrZero(FirstRow(db, next).at(0)) + block.Logged);
            // The whole block's ids in one step, under the sequence row's lock
            // until the commit, so the log rows and their reservation are
            // committed together.
            db.Execute("UPDATE " + p + "Sequence SET Next_id = Next_id + " +
                       std::to_string(block.Logged) + " WHERE id=" + kLogSequenceRow);
            std::int64_t following = NumberOrZero(FirstRow(db, next).at(0));
            RequireIdsFit(following);
            std::int64_t written =
                db.Execute(InsertLogRows(p, rows, following - block.Logged, InRange(after, last),
                                         std::to_string(LocalClockSeconds())));
            // Rows that came or went between the count and the insert would
            // leave ids reserved and unused, or write ids nobody reserved.
            if (written >= 0 && written != block.Logged)
                throw RowsChanged("the block's insert wrote " + std::to_string(written) +
                                      " log rows instead of " + std::to_string(block.Logged),
                                  "HY000");
        }
        db.CommitTrans();
        return block;
    } catch (...) {
        RollBackQuietly(db);
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

// The appointment ids the kick walks through: those of the appointment table,
// read through its key.
struct IdSpan {
    std::int64_t First = 0;
    std::int64_t Last = -1;
};

// The lowest and the highest id each by a query of its own, joined in one
// statement: an engine answers each from the end of the table's key, where one
// query that asks for both (SQLite) reads the whole table. Which row comes
// first is up to the engine, so the two are told apart by their values.
IdSpan AppointmentIds(KickDatabase& db) {
    const std::string p = db.CentralDatabasePrefix();
    const std::string from = " from " + p + "appointment appointment";
    std::unique_ptr<KickRows> rows =
        db.ReadRows("select min(appointment.appointment_id)" + from +
                        " union all select max(appointment.appointment_id)" + from,
                    0);
    IdSpan ids;
    bool found = false;
    for (; !rows->Eof(); rows->MoveNext()) {
        Variant value = rows->Value(0);
        if (value.IsNull() || value.IsEmpty()) continue;
        std::int64_t id = value.ToLongLong();
        ids = found ? IdSpan{std::min(ids.First, id), std::max(ids.Last, id)} : IdSpan{id, id};
        found = true;
    }
    rows->Close();
    return ids;
}

// The next range's width, aimed at blockRows rows by the density of the last.
std::int64_t NextWidth(std::int64_t width, std::int64_t rows, std::int32_t blockRows) {
    if (rows <= 0)
        return width > std::numeric_limits<std::int64_t>::max() / kRangeGrowth
                   ? width
                   : width * kRangeGrowth;
    std::int64_t aimed = std::max<std::int64_t>(1, width * blockRows / rows);
    return std::min(aimed, width * kRangeGrowth);
}

// The rows of both phases and those to log, counted in one scan when the
// kick starts: a phase that fits in one block needs no count of its own, and
// a longer one's blocks are sized by its density.
struct KickTotals {
    Block Phases[2];
    const Block& Of(KickPhase phase) const {
        return Phases[phase == KickPhase::Appointments ? 0 : 1];
    }
};

// Counted over the whole table: a kick that fits in one block needs no id
// range, and a longer one's blocks are sized by these counts.
KickTotals CountKick(KickDatabase& db, const KickRequest& request) {
    const std::string p = db.CentralDatabasePrefix();
    std::vector<Variant> sums =
        FirstRow(db,
                 "select count(*), coalesce(sum(case when appointment.type in (2,7) then 1 else 0 "
                 "end), 0)" +
                     KickedRows(p, request, request.SkipTasks ? "(1,6)" : "(1,6,2,7)"));
    auto sum = [&](std::size_t i) { return NumberOrZero(sums.at(i)); };
    return {{{sum(0) - sum(1), 0, true}, {sum(1), 0, true}}};
}

void BatchPhase(KickDatabase& db, const KickRequest& request, const IdSpan& ids, const Block& total,
                KickPhase phase, std::int32_t& logged, const KickProgress& progress,
                std::int32_t blockRows) {
    const std::string rows = KickedRows(db.CentralDatabasePrefix(), request, PhaseTypes(phase));
    const std::int64_t maxRows = kBlockOvershoot * blockRows;
    std::int32_t looked = 0;
    std::int32_t blocks = 0;
    std::optional<std::int64_t> done;
    std::int64_t after = ids.First - 1;
    const std::int64_t span = ids.Last - after;
    // One range for a phase that fits in a block, else ranges of the phase's density.
    std::int64_t width =
        total.Rows <= maxRows
            ? span
            : std::max<std::int64_t>(
                  1, span / total.Rows * blockRows + span % total.Rows * blockRows / total.Rows);
    if (total.Rows == 0) return;
    try {
        int counts = 0;
        while (after < ids.Last) {
            std::int64_t last = after + std::min(width, ids.Last - after);
            Block block;
            try {
                block = LogBlock(db, rows, after, last, maxRows);
            } catch (const RowsChanged&) {
                if (++counts < kCountsPerBlock) continue;
                throw;
            }
            counts = 0;
            if (!block.Counted) {
                width = std::max<std::int64_t>(1, (last - after) * blockRows / block.Rows);
                continue;
            }
            width = NextWidth(last - after, block.Rows, blockRows);
            after = last;
            if (block.Rows == 0) continue;
            ++blocks;
            done = last;
            looked += static_cast<std::int32_t>(block.Rows);
            logged += static_cast<std::int32_t>(block.Logged);
            if (progress) progress(phase, looked);
            CurrentUiHost()->DoEvents();
        }
    } catch (const DatabaseError& error) {
        throw NotLogged(error, phase, blocks, done);
    }
}

// The log rows whose ids lie in [first, end).
std::int64_t LogRowsWithIds(KickDatabase& db, std::int64_t first, std::int64_t end) {
    return NumberOrZero(FirstRow(db, "select count(*) from " + db.CentralDatabasePrefix() +
                                         "traveltransactionlog where traveltransactionlog_id >= " +
                                         std::to_string(first) + " and traveltransactionlog_id < " +
                                         std::to_string(end))
                            .at(0));
}

// A kick whose phases fit in one block each is one block, logged as a single
// statement would log it: the sequence row locked first, the appointments'
// log rows numbered from its value and the tasks' after them, and the row
// moved past the highest id the log then holds, all in one transaction. The
// inserts tell how many rows each phase logged, so nothing counts the
// synchronizer users' rows before; an insert per phase, each in appointment id
// order, costs less than one that sorts both phases by type. Moving the row
// by what the log holds, not by what the inserts told, keeps it past every
// id also where a driver tells wrong. False, with nothing logged, where the
// kick does not fit or its ids might pass 2^31 - 1 (the blocks then count
// exactly and refuse as the per-row kick does).
bool LogWholeKick(KickDatabase& db, const KickRequest& request, const KickTotals& totals,
                  KickCounts& counts, const KickProgress& progress, std::int32_t blockRows) {
    const Block& appointments = totals.Of(KickPhase::Appointments);
    const Block tasks = request.SkipTasks ? Block{0, 0, true} : totals.Of(KickPhase::Tasks);
    const std::int64_t maxRows = kBlockOvershoot * blockRows;
    if (appointments.Rows > maxRows || tasks.Rows > maxRows) return false;
    if (appointments.Rows + tasks.Rows == 0) return true;
    const std::string p = db.CentralDatabasePrefix();
    const std::int64_t rows = appointments.Rows + tasks.Rows;
    std::int64_t logged[2] = {0, 0};
    try {
        db.BeginTrans();
        try {
            db.Execute("UPDATE " + p +
                       "Sequence SET Next_id = Next_id WHERE id=" + kLogSequenceRow);
            const std::int64_t first = NumberOrZero(
                FirstRow(db, "Select Next_id FROM " + p + "Sequence WHERE ID =" + kLogSequenceRow)
                    .at(0));
            // Rows that came since the count could take more ids: room for
            // twice the rows counted, or the blocks' exact counts decide.
            if (first - 1 + 2 * rows > std::numeric_limits<std::int32_t>::max()) {
                db.RollbackTrans();
                return false;
            }
            const std::string stamp = std::to_string(LocalClockSeconds());
            const KickPhase phases[2] = {KickPhase::Appointments, KickPhase::Tasks};
            const std::int64_t phaseRows[2] = {appointments.Rows, tasks.Rows};
            std::int64_t next = first;
            for (int i = 0; i < 2; ++i) {
                if (phaseRows[i] == 0) continue;
                std::int64_t written = db.Execute(InsertLogRows(
                    p, KickedRows(p, request, PhaseTypes(phases[i])), next, "", stamp));
                // Where the driver does not tell, the log's rows in the ids
                // the insert could have taken are its count.
                if (written < 0) written = LogRowsWithIds(db, next, next + 2 * phaseRows[i]);
                logged[i] = written;
                next += written;
            }
            RequireIdsFit(next);
            if (next > first)
                db.Execute(
                    "UPDATE " + p +
                    "Sequence SET Next_id = coalesce((select max(travel.traveltransactionlog_id) "
                    "+ 1 from " +
                    p + "traveltransactionlog travel where travel.traveltransactionlog_id >= " +
                    std::to_string(first) + "), Next_id) WHERE id=" + kLogSequenceRow);
            db.CommitTrans();
        } catch (...) {
            RollBackQuietly(db);
            throw;
        }
    } catch (const DatabaseError& error) {
        throw NotLogged(error, KickPhase::Appointments, 0, std::nullopt);
    }
    counts.Appointments += static_cast<std::int32_t>(logged[0]);
    counts.Tasks += static_cast<std::int32_t>(logged[1]);
    if (progress && appointments.Rows > 0)
        progress(KickPhase::Appointments, static_cast<std::int32_t>(appointments.Rows));
    if (progress && tasks.Rows > 0)
        progress(KickPhase::Tasks, static_cast<std::int32_t>(tasks.Rows));
    CurrentUiHost()->DoEvents();
    return true;
}

}  // namespace

void RunBatchKick(KickDatabase& db, const KickRequest& request, KickCounts& counts,
                  const KickProgress& progress, std::int32_t blockRows) {
    if (blockRows < 1) throw std::invalid_argument("a block holds at least one row");
    if (!db.CentralIsOpen())
        throw UsageError("Operation is not allowed when the object is closed.", "08003", 3704);
    KickTotals totals;
    try {
        totals = CountKick(db, request);
    } catch (const DatabaseError& error) {
        throw NotLogged(error, KickPhase::Appointments, 0, std::nullopt);
    }
    if (LogWholeKick(db, request, totals, counts, progress, blockRows)) return;
    IdSpan ids;
    try {
        ids = AppointmentIds(db);
    } catch (const DatabaseError& error) {
        throw NotLogged(error, KickPhase::Appointments, 0, std::nullopt);
    }
    BatchPhase(db, request, ids, totals.Of(KickPhase::Appointments), KickPhase::Appointments,
               counts.Appointments, progress, blockRows);
    if (!request.SkipTasks)
        BatchPhase(db, request, ids, totals.Of(KickPhase::Tasks), KickPhase::Tasks, counts.Tasks,
                   progress, blockRows);
}

}  // namespace vendral::kick
