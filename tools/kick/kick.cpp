#include "kick.h"

#include <memory>

#include "vendral/connection.h"
#include "vendral/ui_host.h"

namespace vendral::kick {
namespace {

// Column positions in the statement; drivers differ in how they name qualified columns.
constexpr std::size_t kIdColumn = 0;
constexpr std::size_t kOwnerColumn = 1;
constexpr std::size_t kRegisteredColumn = 2;
constexpr std::int32_t kKickReadBlockRows = 5000;

// A row without an owner (or without a registering associate) cannot belong to
// a synchronizer user; reading it as 0 keeps one odd row from ending the run.
std::int32_t IdOrZero(const Variant& value) {
    return value.IsNull() || value.IsEmpty() ? 0 : value.ToLong();
}

// Reads one phase's rows and logs those whose owner is a synchronizer user.
void KickPhaseRows(KickDatabase& db, const KickRequest& request, KickPhase phase,
                   std::int32_t& logged, const KickProgress& progress) {
    std::string statement = BuildKickStatement(db.CentralDatabasePrefix(), phase,
                                               request.AssociateID, request.KickTime);
    // The tool's own read: the library's queries below reuse WorkRecordset.
    // Streamed in blocks where the driver would otherwise hold every row in memory.
    std::unique_ptr<KickRows> rows = db.ReadRows(statement, kKickReadBlockRows);
    std::int32_t looked = 0;
    while (!rows->Eof()) {
        db.AssociateID(IdOrZero(rows->Value(kOwnerColumn)));
        std::int32_t owner = db.AssociateID();
        Variant syncUser = db.GetFirstLongRecord("Syncusers", "associate_id",
                                                 "where associate_id =" + std::to_string(owner), 0);
        if (syncUser.ToLong() > 0) {
            db.UpdateTravelTransactionLog(kKickActionType, IdOrZero(rows->Value(kRegisteredColumn)),
                                          kAppointmentTable, rows->Value(kIdColumn).ToLong(), 0);
            // Counted once written, so that after an error the count says what was logged.
            ++logged;
            CurrentUiHost()->DoEvents();
        }
        ++looked;
        if (progress) progress(phase, looked);
        rows->MoveNext();
    }
    rows->Close();
}

}  // namespace

std::string BuildKickStatement(const std::string& prefix, KickPhase phase, std::int32_t associateID,
                               std::int32_t kickTime) {
    std::string sql =
        "select appointment.appointment_id, appointment.associate_id, "
        "appointment.registered_associate_id, appointment.do_by ";
    sql += "from ";
    sql += prefix;
    sql += "appointment appointment, ";
    sql += prefix;
    sql += "syncsoapp syncsoapp where appointment.appointment_id = syncsoapp.appointment_id ";
    sql += "and appointment.do_by >= ";
    sql += std::to_string(kickTime);
    sql += phase == KickPhase::Appointments ? " and appointment.type in (1,6)"
                                            : " and appointment.type in (2,7)";
    // For associate 0 the type condition ends the clause: no dangling "and".
    if (associateID != 0) {
        sql += " and ";
        sql += " appointment.associate_id = " + std::to_string(associateID);
    }
    sql += " order by appointment.appointment_id";
    return sql;
}

void RunKick(KickDatabase& db, const KickRequest& request, KickCounts& counts,
             const KickProgress& progress) {
    KickPhaseRows(db, request, KickPhase::Appointments, counts.Appointments, progress);
    if (!request.SkipTasks) KickPhaseRows(db, request, KickPhase::Tasks, counts.Tasks, progress);
}

std::string CountsMessage(const KickCounts& counts) {
    return "Inserts for appointments: " + std::to_string(counts.Appointments) +
           ", inserts for tasks: " + std::to_string(counts.Tasks);
}

}  // namespace vendral::kick
