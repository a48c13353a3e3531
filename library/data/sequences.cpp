// New record ids from the CRM's Sequence table.
#include "base/text.h"
#include "data/cdatabase_state.h"
#include "data/write_support.h"
#include "vendral/cdatabase.h"
#include "vendral/table_numbers.h"

namespace vendral {
namespace {

// The check after a reservation only repeats while the counter looks taken,
// which a sound database never shows; the bound keeps a broken one from
// holding the caller for ever.
constexpr int kMaxSequencePasses = 100;

}  // namespace

Variant CDatabase::UpdateSequence(std::int16_t iTableNumber, std::int16_t iDatabaseConnection) {
    detail::RequireWriteSelector(iDatabaseConnection, "UpdateSequence");
    const std::string row = std::to_string(iTableNumber + kSequenceRowOffset);
    const std::string& prefix = impl_->PrefixFor(iDatabaseConnection);
    Connection& connection = *impl_->ConnectionFor(iDatabaseConnection);

    // In the caller's transaction a reserved row stays locked until the caller
    // ends it. Every change there also takes the log's row, so the log's row is
    // locked first, always: two callers then never hold Sequence rows in
    // opposite orders, and the one that waits holds none of them.
    if (connection.InTransaction() && iTableNumber != kTableTravelTransactionLog) {
        detail::ConnectionAccess::ExecuteUncounted(
            connection,
            impl_->PrepareSQL(
                Concat({"UPDATE ", prefix, "Sequence SET Next_id = Next_id WHERE id=",
                        std::to_string(kTableTravelTransactionLog + kSequenceRowOffset)}),
                iDatabaseConnection));
    }

    for (int pass = 0; pass < kMaxSequencePasses; ++pass) {
        std::int32_t reserved = 0;
        {
            // Increment and read in one transaction, so that the value read is the
            // one this increment produced even when other clients count the same row.
            detail::OwnTransaction transaction(connection);
            detail::ConnectionAccess::ExecuteUncounted(
                connection,
                impl_->PrepareSQL(Concat({"UPDATE ", prefix,
                                          "Sequence SET Next_id = Next_id + 1  WHERE id=", row}),
                                  iDatabaseConnection));
            impl_->OpenWorkRecordset(impl_->PrepareSQL(Concat({"Select Next_id FROM ", prefix,
                                                               "Sequence WHERE ID =", row}),
                                                       iDatabaseConnection),
                                     iDatabaseConnection);
            {
                detail::RecordsetCloser closer(*impl_->workRecordset_);
                reserved =
                    impl_->workRecordset_->Collect(0).ToLong() - 1;  // the one column, Next_id
            }
            transaction.Commit();
        }
        Variant taken = GetFirstLongRecord(
            Concat({prefix, "Sequence"}), "Next_id",
            Concat({"where id =", row, " and next_id = ", std::to_string(reserved)}),
            iDatabaseConnection);
        if (taken.ToLongLong() == 0) return Variant(reserved);
    }
    detail::Raise(detail::kNoFreeSequenceId,
                  detail::NoFreeSequenceIdText(iTableNumber, kMaxSequencePasses));
}

}  // namespace vendral
