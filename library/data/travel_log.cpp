// Rows of the travel transaction log, which the CRM's synchronizer reads to copy
// changes between the central and the local databases.
#include <ctime>

#include "data/write_support.h"
#include "vendral/cdatabase.h"

namespace vendral {
namespace {

// A failed log insert is tried again with a fresh id, but not without end.
constexpr int kLogAttempts = 3;

// The CRM counts its timestamps on the local clock: the local wall time taken
// as if it were UTC, in whole seconds since 1 January 1970.
std::int64_t LocalClockSeconds() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return static_cast<std::int64_t>(timegm(&local));
}

}  // namespace

Variant CDatabase::UpdateTravelTransactionLog(std::int16_t iActionType, std::int32_t iAssociateID,
                                              std::int16_t iTableNumber, std::int32_t lRecordID,
                                              std::int16_t iDatabaseConnection) {
    detail::RequireWriteSelector(iDatabaseConnection, "UpdateTravelTransactionLog");
    const std::string& prefix = PrefixFor(iDatabaseConnection);
    Connection& connection = *ConnectionFor(iDatabaseConnection);

    for (int attempt = 1;; ++attempt) {
        std::int32_t id = UpdateSequence(29, iDatabaseConnection).ToLong();
        std::string sql = "INSERT INTO " + prefix +
                          "traveltransactionlog ( traveltransactionlog_id, ttime, prev_record_id, "
                          "type, associate_id, tablenumber, record_id ) " +
                          "VALUES (" + std::to_string(id) + ", " +
                          std::to_string(LocalClockSeconds()) + ", 0, " +
                          std::to_string(iActionType) + ", " + std::to_string(iAssociateID) + ", " +
                          std::to_string(iTableNumber) + ", " + std::to_string(lRecordID) + ")";
        try {
            connection.Execute(PrepareSQL(sql, iDatabaseConnection));
            return Variant(id);
        } catch (const DatabaseError&) {
            // Inside a transaction the failure may have spoilt it (PostgreSQL
            // aborts it), so another attempt there would only hide this error.
            if (attempt >= kLogAttempts || connection.InTransaction()) throw;
        }
    }
}

}  // namespace vendral
