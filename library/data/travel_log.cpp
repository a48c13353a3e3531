// Rows of the travel transaction log, which the CRM's synchronizer reads to copy
// changes between the central and the local databases.
#include <optional>
#include <string_view>

#include "base/text.h"
#include "data/cdatabase_state.h"
#include "data/local_clock.h"
#include "data/write_support.h"
#include "vendral/cdatabase.h"
#include "vendral/table_numbers.h"

namespace vendral {
namespace {

// A failed log insert is tried again with a fresh id, but not without end.
constexpr int kLogAttempts = 3;

}  // namespace

Variant CDatabase::UpdateTravelTransactionLog(std::int16_t iActionType, std::int32_t iAssociateID,
                                              std::int16_t iTableNumber, std::int32_t lRecordID,
                                              std::int16_t iDatabaseConnection) {
    detail::RequireWriteSelector(iDatabaseConnection, "UpdateTravelTransactionLog");
    return impl_->WriteTravelLog(iActionType, iAssociateID, iTableNumber, lRecordID,
                                 iDatabaseConnection, nullptr);
}

namespace {

// The log table's name after the prefix, its columns and the start of the values.
constexpr std::string_view kLogInsertColumns =
    "traveltransactionlog ( traveltransactionlog_id, ttime, prev_record_id, type, associate_id, "
    "tablenumber, record_id ) VALUES (";

}  // namespace

Variant CDatabase::Impl::WriteTravelLog(std::int16_t iActionType, std::int32_t iAssociateID,
                                        std::int16_t iTableNumber, std::int32_t lRecordID,
                                        std::int16_t iDatabaseConnection,
                                        const std::string* change) {
    const std::string& prefix = PrefixFor(iDatabaseConnection);
    Connection& connection = *ConnectionFor(iDatabaseConnection);
    const bool callersTransaction = connection.InTransaction();

    for (int attempt = 1;; ++attempt) {
        // Reserved ahead of the log transaction (unless the caller holds one),
        // so that a retry after a taken id draws a fresh one.
        std::int32_t id =
            self_.UpdateSequence(kTableTravelTransactionLog, iDatabaseConnection).ToLong();
        std::string sql =
            Concat({"INSERT INTO ", prefix, kLogInsertColumns, std::to_string(id), ", ",
                    std::to_string(LocalClockSeconds()), ", 0, ", std::to_string(iActionType), ", ",
                    std::to_string(iAssociateID), ", ", std::to_string(iTableNumber), ", ",
                    std::to_string(lRecordID), ")"});
        // The log row and the change it records stand or fall together.
        std::optional<detail::OwnTransaction> transaction;
        if (change) transaction.emplace(connection);
        std::optional<detail::CallersSavepoint> savepoint;
        if (change && callersTransaction) savepoint.emplace(connection);
        try {
            detail::ConnectionAccess::ExecuteUncounted(connection,
                                                       PrepareSQL(sql, iDatabaseConnection));
        } catch (const DatabaseError&) {
            // In the caller's transaction the failure may have spoilt it
            // (PostgreSQL aborts it), so another attempt there would only hide
            // this error.
            if (attempt >= kLogAttempts || callersTransaction) throw;
            continue;
        }
        if (change) detail::ConnectionAccess::ExecuteUncounted(connection, *change);
        if (savepoint) savepoint->Release();
        if (transaction) transaction->Commit();
        return Variant(id);
    }
}

}  // namespace vendral
