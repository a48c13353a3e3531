// The synchronizer kick: records every appointment (and task) that the
// synchronizer already knows and that is due on or after a date in the travel
// transaction log once more, so that the synchronizer sends it again.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "kick_database.h"
#include "vendral/cdatabase.h"
#include "vendral/table_numbers.h"

namespace vendral::kick {

// Appointment types 1 and 6 and task types 2 and 7 live in the same table.
enum class KickPhase { Appointments, Tasks };

struct KickRequest {
    // 0 stands for every synchronizer user.
    std::int32_t AssociateID = 0;
    // The start of the kick date in seconds since 1970, local clock taken as universal time.
    std::int32_t KickTime = 0;
    bool SkipTasks = false;
};

struct KickCounts {
    std::int32_t Appointments = 0;
    std::int32_t Tasks = 0;
};

// The table number of appointment records and the action type "update".
constexpr std::int16_t kAppointmentTable = kTableAppointment;
constexpr std::int16_t kKickActionType = 4608;

// Called after every row looked at with the running row count of the phase.
using KickProgress = std::function<void(KickPhase phase, std::int32_t rowsLookedAt)>;

// The statement of one phase; the associate condition is left out for associate 0.
std::string BuildKickStatement(const std::string& prefix, KickPhase phase, std::int32_t associateID,
                               std::int32_t kickTime);

// Runs the kick on the open central connection of db (a C++ object of the
// library, or one reached through the component server). counts grows as rows are
// logged, so that a caller that catches an error still knows what was logged
// before it; the error itself (a DatabaseError) reaches the caller.
void RunKick(KickDatabase& db, const KickRequest& request, KickCounts& counts,
             const KickProgress& progress = {});
void RunKick(CDatabase& db, const KickRequest& request, KickCounts& counts,
             const KickProgress& progress = {});

// The set-based kick: the same log rows as RunKick, written a block of rows at
// a time. The kick's rows are read once, in one join of the whole appointment
// and syncsoapp tables narrowed by the due date alone (on a small CRM they may
// be counted and logged instead: below), so that no engine
// walks syncsoapp once per appointment, whatever syncsoapp's indexes and
// whether or not the tables have statistics. The blocks then follow in the
// per-row kick's order (the appointments, then the tasks, each by id), each
// holding about blockRows rows looked at (more only where one appointment is
// known to the synchronizer that often: it is never split). For each block
// one transaction reserves as many log ids as it logs rows in one step of the
// sequence row (under its lock, so concurrent writers of log rows stay safe),
// inserts their log rows, an insert per phase that names its appointments by
// id and reads them through the appointment table's key, and commits;
// progress is reported once per block. Nothing outlives a transaction (no
// temporary table, cursor or setting), so a pooler may run each on another
// server connection. Ids that would pass 2^31 - 1 are refused before they are
// written, with the per-row kick's "Overflow" error. A failing block is
// rolled back whole, the blocks before it stay logged, counts holds what they
// logged, and the DatabaseError says where the run stopped.
// The kick's rows are streamed (on SQLite through a second connection, on
// PostgreSQL through a cursor), so that the driver holds a bounded part of
// them. With wholeReadRows of 0 or more, the lowest and the highest
// appointment id are asked first (two statements more, each answered from one
// end of the key). Where the ids span at most that many, the engine counts
// the kick's rows by type and owner; a kick of at most blockRows rows is then
// logged as one block by one INSERT of the join, without reading its rows,
// and a larger one's rows are read whole on the kick's own connection. Both
// cost less than streaming on small tables.
constexpr std::int32_t kDefaultBlockRows = 10000;
constexpr std::int64_t kStreamTheKickRows = -1;
// The span of appointment ids up to which prodwell --batch reads the kick's
// rows whole: the driver then holds a few megabytes at most.
constexpr std::int64_t kWholeReadAppointments = 50000;
void RunBatchKick(KickDatabase& db, const KickRequest& request, KickCounts& counts,
                  const KickProgress& progress = {}, std::int32_t blockRows = kDefaultBlockRows,
                  std::int64_t wholeReadRows = kStreamTheKickRows);
void RunBatchKick(CDatabase& db, const KickRequest& request, KickCounts& counts,
                  const KickProgress& progress = {}, std::int32_t blockRows = kDefaultBlockRows,
                  std::int64_t wholeReadRows = kStreamTheKickRows);

// The closing line of a run.
std::string CountsMessage(const KickCounts& counts);

}  // namespace vendral::kick
