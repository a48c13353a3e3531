// The set-based kick: a few statements per block of rows instead of several per row.
//
// Nothing outlives a block's transaction: no temporary table, no cursor, no
// setting of the session. Behind a pooler that hands each transaction to any
// server connection, the next block may run on another one, and a kick that
// dies leaves nothing behind for the next. The kick creates, changes and
// drops nothing but the log rows and the log's Sequence row.
//
// A CRM database is not ours: syncsoapp may have no index on its appointment
// ids, and tables loaded a moment ago have no planner statistics. So syncsoapp
// is joined once per kick (twice on a small CRM: counted, then logged), over
// both whole tables, where every engine sees tables of their real size and
// joins them by hash, or by an (automatic) index built once. A statement per
// block that joins a range of ids instead is estimated at a row or two by a
// server without statistics, which then walks syncsoapp once per appointment,
// and an engine without the index scans syncsoapp whole for every block. The
// blocks' inserts name their appointments by id and read them through the
// appointment table's key alone.
#include <algorithm>
#include <array>
#include <chrono>
#include <optional>
#include <set>
#include <stdexcept>
#include <thread>

#include "kick.h"
#include "vendral/connection.h"
#include "vendral/local_clock.h"
#include "vendral/ui_host.h"

namespace vendral::kick {
namespace {

// The Sequence row that numbers the travel transaction log's rows.
const std::string kLogSequenceRow = std::to_string(kTableTravelTransactionLog + kSequenceRowOffset);

// The kick's rows are read in blocks of this many where the driver would
// otherwise hold them all in memory.
constexpr std::int32_t kReadAheadRows = 5000;
// Engines limit the values of one IN list (Oracle to 1,000).
constexpr std::size_t kIdsPerList = 1000;
// A block whose insert wrote other than its rows is tried this many times.
constexpr int kAttemptsPerBlock = 3;
// Other writers of log rows wait for the sequence row while a block holds it.
// SQLite keeps no queue of waiting writers: they sleep (its ODBC driver 10 ms)
// and try again, and would find the row taken by the next block every time,
// until the kick ends. After blocks that wrote for kHoldBeforePause the kick
// pauses for longer than they sleep, so that they get in between.
constexpr std::chrono::milliseconds kHoldBeforePause{100};
constexpr std::chrono::milliseconds kPauseAfterBlock{12};

const char* PhaseName(KickPhase phase) {
    return phase == KickPhase::Appointments ? "appointments" : "tasks";
}

constexpr KickPhase kPhases[2] = {KickPhase::Appointments, KickPhase::Tasks};

// The kick's join, of both phases and every owner.
std::string JoinOfEveryOwner(const std::string& p, const KickRequest& request) {
    return " from " + p + "appointment appointment, " + p +
           "syncsoapp syncsoapp where appointment.appointment_id = syncsoapp.appointment_id and "
           "appointment.do_by >= " +
           std::to_string(request.KickTime);
}

// The rows of syncsoapp's appointments due from the kick on: the appointment's
// id, type and owner, one row per syncsoapp row. Every column is a plain
// column of the appointment table, so that drivers hand them over as numbers
// (an expression column is text to SQLite's driver) and the engine evaluates
// nothing per row; the phase and the owner test are made here.
//
// Only the due date narrows the read. A server without statistics takes the
// type and the associate tests for a hundredth and a two-hundredth of the
// rows: for a read through a cursor, which is planned for its first rows, it
// would then walk syncsoapp once per appointment where syncsoapp has no index.
// A due date alone is taken for a third of the table without statistics, and
// as what it is with them. The rows are put in order here, where an order in
// the statement would again make a server prefer a plan that delivers rows in
// that order early.
//
// The engine chooses the order of the tables: without syncsoapp's index it
// walks syncsoapp and looks each appointment up by its key, with it the
// other way round where that reads less.
std::string KickRowsStatement(const std::string& p, const KickRequest& request) {
    return "select appointment.appointment_id, appointment.type, appointment.associate_id" +
           JoinOfEveryOwner(p, request);
}

// An appointment of the kick: the rows the per-row kick looks at for it (one
// per syncsoapp row) and how many of them it logs (all or none).
struct KnownAppointment {
    std::int32_t Id = 0;
    std::int32_t Looked = 0;
    std::int32_t Logged = 0;
};

using PhaseRows = std::array<std::vector<KnownAppointment>, 2>;

std::int64_t NumberOrZero(const Variant& value) {
    return value.IsNull() || value.IsEmpty() ? 0 : value.ToLongLong();
}

// The synchronizer users, in order. The per-row kick logs a row where the
// owner's first Syncusers row reads above 0: where the owner is above 0 and
// has a row. Read once, where a test in the kick's statement would make the
// engine look each row's owner up.
std::vector<std::int64_t> ReadSyncUsers(KickDatabase& db, std::int32_t readAhead) {
    std::vector<std::int64_t> users;
    std::unique_ptr<KickRows> rows = db.ReadRows(
        "select syncusers.associate_id from " + db.CentralDatabasePrefix() + "Syncusers syncusers",
        readAhead);
    for (; !rows->Eof(); rows->MoveNext()) {
        const Variant value = rows->Value(0);
        if (!value.IsNull() && !value.IsEmpty()) users.push_back(value.ToLongLong());
    }
    rows->Close();
    std::sort(users.begin(), users.end());
    return users;
}

// The phase of a row as the per-row kick's statements choose it: appointments
// (types 1 and 6), tasks (types 2 and 7, unless skipped), each of the
// requested owner where one is; none for the rest.
std::optional<std::size_t> PhaseOf(const Variant& type, const Variant& owner,
                                   const KickRequest& request) {
    if (type.IsNull() || type.IsEmpty()) return std::nullopt;
    if (request.AssociateID != 0 && NumberOrZero(owner) != request.AssociateID) return std::nullopt;
    switch (type.ToLongLong()) {
        case 1:
        case 6:
            return 0;
        case 2:
        case 7:
            if (request.SkipTasks) return std::nullopt;
            return 1;
        default:
            return std::nullopt;
    }
}

// The appointment table's lowest or highest id (aggregate "min" or "max"), 0
// where it is empty. Each is one statement of its own: an engine finds either
// alone at one end of the key, where both in one statement (or a count) read
// every page of the table.
std::int64_t AppointmentKeyEnd(KickDatabase& db, const char* aggregate) {
    std::unique_ptr<KickRows> rows =
        db.ReadRows(std::string("select ") + aggregate + "(appointment.appointment_id) from " +
                        db.CentralDatabasePrefix() + "appointment appointment",
                    0);
    const std::int64_t end = rows->Eof() ? 0 : NumberOrZero(rows->Value(0));
    rows->Close();
    return end;
}

// How the kick's reads go: whole on the kick's own connection where the
// appointment table's ids span at most wholeReadRows (it then holds at most
// that many appointments), streamed otherwise (and always, without asking,
// where wholeReadRows is below 0). A read streamed on SQLite opens a second
// connection for itself, whose page cache of its own reads the file again,
// and on PostgreSQL goes through a cursor planned for its first rows. The
// driver then holds some tens of bytes for each of the kick's rows, which the
// kick keeps anyway (as numbers). The appointments' key is asked, not
// syncsoapp: every read of syncsoapp may scan it whole.
std::int32_t ReadAheadFor(KickDatabase& db, std::int64_t wholeReadRows) {
    if (wholeReadRows < 0) return kReadAheadRows;
    const std::int64_t highest = AppointmentKeyEnd(db, "max");
    const std::int64_t lowest = AppointmentKeyEnd(db, "min");
    const std::int64_t span = highest >= lowest ? highest - lowest + 1 : 0;
    return span > wholeReadRows ? kReadAheadRows : 0;
}

bool IsSyncUser(const std::vector<std::int64_t>& syncUsers, std::int64_t owner) {
    return owner > 0 && std::binary_search(syncUsers.begin(), syncUsers.end(), owner);
}

PhaseRows ReadKickRows(KickDatabase& db, const KickRequest& request, std::int32_t readAhead,
                       const std::vector<std::int64_t>& syncUsers) {
    // (id, logged) of every row of each phase, as they come.
    std::array<std::vector<std::pair<std::int32_t, bool>>, 2> read;
    std::unique_ptr<KickRows> rows =
        db.ReadRows(KickRowsStatement(db.CentralDatabasePrefix(), request), readAhead);
    for (; !rows->Eof(); rows->MoveNext()) {
        const Variant owner = rows->Value(2);
        const std::optional<std::size_t> phase = PhaseOf(rows->Value(1), owner, request);
        if (!phase) continue;
        read[*phase].emplace_back(rows->Value(0).ToLong(),
                                  IsSyncUser(syncUsers, NumberOrZero(owner)));
    }
    rows->Close();
    // In id order, an appointment known n times in one entry.
    PhaseRows phases;
    for (std::size_t p = 0; p < 2; ++p) {
        std::sort(read[p].begin(), read[p].end());
        for (const auto& [id, logged] : read[p]) {
            if (phases[p].empty() || phases[p].back().Id != id) phases[p].push_back({id, 0, 0});
            ++phases[p].back().Looked;
            if (logged) ++phases[p].back().Logged;
        }
    }
    return phases;
}

// The part of a block in one phase: the appointments [Begin, End) of its rows.
struct Slice {
    std::size_t Begin = 0;
    std::size_t End = 0;
    bool Empty() const { return Begin == End; }
};

struct Block {
    std::array<Slice, 2> Slices;
};

std::int64_t Sum(const std::vector<KnownAppointment>& rows, const Slice& slice,
                 std::int32_t KnownAppointment::*field) {
    std::int64_t sum = 0;
    for (std::size_t i = slice.Begin; i < slice.End; ++i) sum += rows[i].*field;
    return sum;
}

// The appointments from where the last block ended, in the kick's order (the
// appointments, then the tasks, each by id), until the block holds blockRows
// rows looked at; an appointment known to the synchronizer several times is
// never split, and a block holds one at least.
Block NextBlock(const PhaseRows& phases, const std::array<std::size_t, 2>& from,
                std::int32_t blockRows) {
    Block block;
    std::int64_t looked = 0;
    for (std::size_t p = 0; p < 2; ++p) {
        std::size_t end = from[p];
        while (end < phases[p].size() &&
               (looked == 0 || looked + phases[p][end].Looked <= blockRows)) {
            looked += phases[p][end].Looked;
            ++end;
        }
        block.Slices[p] = {from[p], end};
        if (end < phases[p].size()) break;
    }
    return block;
}

// A test that holds exactly the ids given (in order, at most kIdsPerList),
// read through the appointment table's key: the range narrows the read to the
// block where a server would take a list of ids for a large share of a table
// it has no statistics of, and the list names the appointments.
std::string IdTest(const std::vector<std::int32_t>& ids) {
    std::string sql = "appointment.appointment_id >= " + std::to_string(ids.front()) +
                      " and appointment.appointment_id <= " + std::to_string(ids.back()) +
                      " and appointment.appointment_id in (";
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (i > 0) sql += ",";
        sql += std::to_string(ids[i]);
    }
    return sql + ")";
}

// The slice in parts of at most kIdsPerList appointments to log each.
std::vector<Slice> InsertParts(const std::vector<KnownAppointment>& rows, const Slice& slice) {
    std::vector<Slice> parts;
    std::size_t begin = slice.Begin;
    std::size_t ids = 0;
    for (std::size_t i = slice.Begin; i < slice.End; ++i) {
        if (rows[i].Logged == 0) continue;
        if (ids == kIdsPerList) {
            parts.push_back({begin, i});
            begin = i;
            ids = 0;
        }
        ++ids;
    }
    if (ids > 0) parts.push_back({begin, slice.End});
    return parts;
}

// The ids of the slice's appointments to log, each once.
std::vector<std::int32_t> LoggedIds(const std::vector<KnownAppointment>& rows, const Slice& slice) {
    std::vector<std::int32_t> ids;
    for (std::size_t i = slice.Begin; i < slice.End; ++i)
        if (rows[i].Logged > 0) ids.push_back(rows[i].Id);
    return ids;
}

// The INSERT that logs the rows of a part of a slice (InsertParts), their log
// ids numbered from first in appointment id order: an appointment known to
// the synchronizer n times is read n times, by n branches of a union.
std::string InsertLogRows(const std::string& p, const std::vector<KnownAppointment>& rows,
                          const Slice& slice, std::int64_t first, const std::string& stamp) {
    std::string branches;
    for (std::int32_t layer = 1;; ++layer) {
        std::vector<std::int32_t> ids;
        for (std::size_t i = slice.Begin; i < slice.End; ++i)
            if (rows[i].Logged >= layer) ids.push_back(rows[i].Id);
        if (ids.empty()) break;
        if (!branches.empty()) branches += " union all ";
        branches += "select appointment.appointment_id, appointment.registered_associate_id from " +
                    p + "appointment appointment where " + IdTest(ids);
    }
    return "INSERT INTO " + p +
           "traveltransactionlog ( traveltransactionlog_id, ttime, prev_record_id, type, "
           "associate_id, tablenumber, record_id ) select " +
           std::to_string(first - 1) + " + row_number() over (order by kick.appointment_id), " +
           stamp + ", 0, " + std::to_string(kKickActionType) +
           ", coalesce(kick.registered_associate_id, 0), " + std::to_string(kAppointmentTable) +
           ", kick.appointment_id from (" + branches + ") kick";
}

// The log's ids are 32-bit numbers: a reservation that would move the
// sequence row past the largest is refused as the per-row kick's is, with the
// same error.
void RequireIdsFit(std::int64_t nextAfterBlock) {
    Variant(static_cast<long long>(nextAfterBlock)).ToLong();
}

// An insert wrote other than the rows read for it: an appointment went
// between the read and the block. The block is rolled back and tried again.
class RowsChanged : public DatabaseError {
  public:
    using DatabaseError::DatabaseError;
};

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

std::int64_t NextLogId(KickDatabase& db, const std::string& p) {
    std::unique_ptr<KickRows> rows =
        db.ReadRows("Select Next_id FROM " + p + "Sequence WHERE ID =" + kLogSequenceRow, 0);
    std::int64_t next = rows->Eof() ? 0 : NumberOrZero(rows->Value(0));
    rows->Close();
    return next;
}

// Takes count log ids in one step of the sequence row, within the open
// transaction, and returns the first. The row stays locked until the commit,
// so concurrent writers of log rows stay safe and the rows and their
// reservation are committed together.
std::int64_t ReserveLogIds(KickDatabase& db, const std::string& p, std::int64_t count) {
    // The row is locked before it is read: a transaction that read first and
    // then waited for the lock would hold up (SQLite: be refused by) the
    // writer that holds it and waits for the readers to go.
    db.Execute("UPDATE " + p + "Sequence SET Next_id = Next_id WHERE id=" + kLogSequenceRow);
    const std::int64_t first = NextLogId(db, p);
    // Refused before the row is moved past the largest id.
    RequireIdsFit(first + count);
    db.Execute("UPDATE " + p + "Sequence SET Next_id = Next_id + " + std::to_string(count) +
               " WHERE id=" + kLogSequenceRow);
    return first;
}

// Logs the block's rows in one transaction: its log ids reserved in one step
// of the sequence row (under its lock until the commit, so concurrent writers
// of log rows stay safe and the rows and their reservation are committed
// together), the appointments' rows numbered before the tasks'.
// False where the block has nothing to log and nothing was sent.
bool LogBlock(KickDatabase& db, const PhaseRows& phases, const Block& block) {
    std::int64_t logged = 0;
    for (std::size_t p = 0; p < 2; ++p)
        logged += Sum(phases[p], block.Slices[p], &KnownAppointment::Logged);
    if (logged == 0) return false;
    const std::string p = db.CentralDatabasePrefix();
    db.BeginTrans();
    try {
        std::int64_t first = ReserveLogIds(db, p, logged);
        const std::string stamp = std::to_string(LocalClockSeconds());
        for (std::size_t i = 0; i < 2; ++i) {
            for (const Slice& part : InsertParts(phases[i], block.Slices[i])) {
                const std::int64_t rows = Sum(phases[i], part, &KnownAppointment::Logged);
                const std::int64_t written =
                    db.Execute(InsertLogRows(p, phases[i], part, first, stamp));
                // Rows that went since the read would leave ids reserved and
                // unused. A driver that does not tell (-1) is taken at its word.
                if (written >= 0 && written != rows)
                    throw RowsChanged("the block's insert wrote " + std::to_string(written) +
                                          " log rows instead of " + std::to_string(rows),
                                      "HY000");
                first += rows;
            }
        }
        db.CommitTrans();
        return true;
    } catch (...) {
        RollBackQuietly(db);
        throw;
    }
}

// After an insert wrote other than its rows: the block's appointments that are
// gone are not logged.
void ForgetVanished(KickDatabase& db, PhaseRows& phases, const Block& block) {
    const std::string p = db.CentralDatabasePrefix();
    for (std::size_t i = 0; i < 2; ++i) {
        for (const Slice& part : InsertParts(phases[i], block.Slices[i])) {
            std::set<std::int32_t> present;
            std::unique_ptr<KickRows> rows = db.ReadRows("select appointment.appointment_id from " +
                                                             p + "appointment appointment where " +
                                                             IdTest(LoggedIds(phases[i], part)),
                                                         0);
            for (; !rows->Eof(); rows->MoveNext()) present.insert(rows->Value(0).ToLong());
            rows->Close();
            for (std::size_t r = part.Begin; r < part.End; ++r)
                if (!present.count(phases[i][r].Id)) phases[i][r].Logged = 0;
        }
    }
}

// The error of a block, saying how far its phase got.
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

// How far each phase got: its blocks logged, its rows looked at and the last
// appointment id of its last block.
struct PhaseProgress {
    std::int32_t Blocks = 0;
    std::int32_t Looked = 0;
    std::optional<std::int64_t> Done;
};

// The rows looked at and to log of each phase of a kick.
struct KickTotals {
    std::array<std::int64_t, 2> Looked{};
    std::array<std::int64_t, 2> Logged{};
    std::int64_t AllLooked() const { return Looked[0] + Looked[1]; }
    std::int64_t AllLogged() const { return Logged[0] + Logged[1]; }
};

// The kick's join narrowed to the requested owner, where one is: the rows the
// per-row kick looks at, of both phases.
std::string KickJoin(const std::string& p, const KickRequest& request) {
    std::string sql = JoinOfEveryOwner(p, request);
    if (request.AssociateID != 0)
        sql += " and appointment.associate_id = " + std::to_string(request.AssociateID);
    return sql;
}

// The per-row kick logs a row where its owner is a synchronizer user above 0.
std::string OwnerIsSyncUser(const std::string& p) {
    return "appointment.associate_id > 0 and appointment.associate_id in (select "
           "syncusers.associate_id from " +
           p + "Syncusers syncusers)";
}

// The kick's rows counted by the engine, by the insert's own tests: one row of
// four numbers where the kick's read would bring thousands, each converted by
// the driver. Counts, not a grouping: SQLite groups by sorting every row.
KickTotals CountKickRows(KickDatabase& db, const KickRequest& request) {
    const std::string p = db.CentralDatabasePrefix();
    const std::string logged = " and " + OwnerIsSyncUser(p);
    std::unique_ptr<KickRows> rows = db.ReadRows(
        "select count(case when appointment.type in (1,6) then 1 end), count(case when "
        "appointment.type in (2,7) then 1 end), count(case when appointment.type in (1,6)" +
            logged + " then 1 end), count(case when appointment.type in (2,7)" + logged +
            " then 1 end)" + KickJoin(p, request),
        0);
    KickTotals totals;
    if (!rows->Eof()) {
        totals.Looked = {NumberOrZero(rows->Value(0)), NumberOrZero(rows->Value(1))};
        totals.Logged = {NumberOrZero(rows->Value(2)), NumberOrZero(rows->Value(3))};
    }
    rows->Close();
    // The tasks' rows are not looked at where they are skipped.
    if (request.SkipTasks) totals.Looked[1] = totals.Logged[1] = 0;
    return totals;
}

// The INSERT that logs the whole kick from its join, the rows numbered from
// first in the kick's order: the appointments, then the tasks, each by id.
std::string InsertKickRows(const std::string& p, const KickRequest& request, std::int64_t first,
                           const std::string& stamp) {
    return "INSERT INTO " + p +
           "traveltransactionlog ( traveltransactionlog_id, ttime, prev_record_id, type, "
           "associate_id, tablenumber, record_id ) select " +
           std::to_string(first - 1) +
           " + row_number() over (order by case when appointment.type in (1,6) then 0 else 1 "
           "end, appointment.appointment_id), " +
           stamp + ", 0, " + std::to_string(kKickActionType) +
           ", coalesce(appointment.registered_associate_id, 0), " +
           std::to_string(kAppointmentTable) + ", appointment.appointment_id" +
           KickJoin(p, request) + " and appointment.type in " +
           (request.SkipTasks ? "(1,6)" : "(1,6,2,7)") + " and " + OwnerIsSyncUser(p);
}

// Logs the counted rows of a kick in one transaction and one INSERT.
void LogWholeKick(KickDatabase& db, const KickRequest& request, const KickTotals& totals) {
    const std::int64_t logged = totals.AllLogged();
    if (logged == 0) return;
    const std::string p = db.CentralDatabasePrefix();
    db.BeginTrans();
    try {
        const std::int64_t first = ReserveLogIds(db, p, logged);
        const std::int64_t written =
            db.Execute(InsertKickRows(p, request, first, std::to_string(LocalClockSeconds())));
        // Rows that changed since they were counted would leave ids reserved
        // and unused, or rows without ids. A driver that does not tell (-1)
        // is taken at its word.
        if (written >= 0 && written != logged)
            throw RowsChanged("the kick's insert wrote " + std::to_string(written) +
                                  " log rows instead of " + std::to_string(logged),
                              "HY000");
        db.CommitTrans();
    } catch (...) {
        RollBackQuietly(db);
        throw;
    }
}

// A kick of at most blockRows rows looked at is one block. On a small CRM its
// rows are then not read: the engine counts them, and one INSERT of the
// kick's join writes them, as one statement over the tables would. False,
// with nothing logged, where the kick holds more rows than a block.
bool LogKickAsOneBlock(KickDatabase& db, const KickRequest& request, std::int32_t blockRows,
                       KickCounts& counts, const KickProgress& progress) {
    for (int attempt = 1;; ++attempt) {
        KickTotals totals;
        try {
            totals = CountKickRows(db, request);
        } catch (const DatabaseError& error) {
            throw NotLogged(error, KickPhase::Appointments, 0, std::nullopt);
        }
        if (totals.AllLooked() > blockRows) return false;
        const std::size_t first = totals.Looked[0] == 0 && totals.Looked[1] > 0 ? 1 : 0;
        try {
            LogWholeKick(db, request, totals);
        } catch (const RowsChanged& error) {
            if (attempt >= kAttemptsPerBlock)
                throw NotLogged(error, kPhases[first], 0, std::nullopt);
            continue;
        } catch (const DatabaseError& error) {
            throw NotLogged(error, kPhases[first], 0, std::nullopt);
        }
        std::int32_t* logged[2] = {&counts.Appointments, &counts.Tasks};
        for (std::size_t p = 0; p < 2; ++p) {
            if (totals.Looked[p] == 0) continue;
            *logged[p] += static_cast<std::int32_t>(totals.Logged[p]);
            if (progress) progress(kPhases[p], static_cast<std::int32_t>(totals.Looked[p]));
        }
        if (totals.AllLooked() > 0) CurrentUiHost()->DoEvents();
        return true;
    }
}

}  // namespace

void RunBatchKick(KickDatabase& db, const KickRequest& request, KickCounts& counts,
                  const KickProgress& progress, std::int32_t blockRows,
                  std::int64_t wholeReadRows) {
    if (blockRows < 1) throw std::invalid_argument("a block holds at least one row");
    if (!db.CentralIsOpen())
        throw UsageError("Operation is not allowed when the object is closed.", "08003", 3704);
    std::int32_t readAhead = 0;
    try {
        readAhead = ReadAheadFor(db, wholeReadRows);
    } catch (const DatabaseError& error) {
        throw NotLogged(error, KickPhase::Appointments, 0, std::nullopt);
    }
    if (readAhead == 0 && wholeReadRows >= 0 &&
        LogKickAsOneBlock(db, request, blockRows, counts, progress))
        return;
    PhaseRows phases;
    try {
        phases = ReadKickRows(db, request, readAhead, ReadSyncUsers(db, readAhead));
    } catch (const DatabaseError& error) {
        throw NotLogged(error, KickPhase::Appointments, 0, std::nullopt);
    }
    std::array<PhaseProgress, 2> done;
    std::array<std::size_t, 2> from{0, 0};
    std::int32_t* logged[2] = {&counts.Appointments, &counts.Tasks};
    int attempts = 0;
    auto held = std::chrono::steady_clock::now();
    while (from[0] < phases[0].size() || from[1] < phases[1].size()) {
        const Block block = NextBlock(phases, from, blockRows);
        const std::size_t first = block.Slices[0].Empty() ? 1 : 0;
        bool wrote = false;
        try {
            wrote = LogBlock(db, phases, block);
        } catch (const RowsChanged& error) {
            if (++attempts >= kAttemptsPerBlock)
                throw NotLogged(error, kPhases[first], done[first].Blocks, done[first].Done);
            try {
                ForgetVanished(db, phases, block);
            } catch (const DatabaseError& lookup) {
                throw NotLogged(lookup, kPhases[first], done[first].Blocks, done[first].Done);
            }
            continue;
        } catch (const DatabaseError& error) {
            throw NotLogged(error, kPhases[first], done[first].Blocks, done[first].Done);
        }
        attempts = 0;
        for (std::size_t p = 0; p < 2; ++p) {
            const Slice& slice = block.Slices[p];
            from[p] = slice.End;
            if (slice.Empty()) continue;
            PhaseProgress& phase = done[p];
            ++phase.Blocks;
            phase.Done = phases[p][slice.End - 1].Id;
            phase.Looked +=
                static_cast<std::int32_t>(Sum(phases[p], slice, &KnownAppointment::Looked));
            *logged[p] +=
                static_cast<std::int32_t>(Sum(phases[p], slice, &KnownAppointment::Logged));
            if (progress) progress(kPhases[p], phase.Looked);
        }
        CurrentUiHost()->DoEvents();
        if (!wrote) continue;
        if (std::chrono::steady_clock::now() - held < kHoldBeforePause) continue;
        if (from[0] < phases[0].size() || from[1] < phases[1].size())
            std::this_thread::sleep_for(kPauseAfterBlock);
        held = std::chrono::steady_clock::now();
    }
}

}  // namespace vendral::kick
