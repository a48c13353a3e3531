// The free-text setup read when the central connection opens: the switch, the
// stop words and the list of indexed tables.
#include <exception>

#include "data/cdatabase_state.h"
#include "vendral/cdatabase.h"

namespace vendral {
namespace {

// The indexed tables with the column that selects the owner kind and the column
// that holds the owner; empty columns mean the record owns itself. Where a
// table appears more than once only its first row is looked at.
const std::vector<FreeTextTableRow>& DefaultFreeTextTables() {
    static const std::vector<FreeTextTableRow> rows = {
        {"5", "", ""},
        {"6", "", ""},
        {"7", "ATYPE_IDX", "owner_id"},
        {"7", "ATYPE_IDX", "owner_id"},
        {"8", "PTYPE_IDX", "owner_id"},
        {"8", "PTYPE_IDX", "owner_id"},
        {"10", "", ""},
        {"11", "", ""},
        {"13", "", ""},
        {"18", "TYPE", "owner_id"},
        {"18", "TYPE", "owner_id"},
        {"18", "TYPE", "owner_id"},
        {"18", "TYPE", "owner_id"},
        {"18", "TYPE", "owner_id"},
        {"18", "TYPE", "owner_id"},
        {"18", "TYPE", "owner_id"},
        {"18", "TYPE", "owner_id"},
        {"23", "", ""},
        {"35", "", ""},
        {"36", "", ""},
        {"140", "", ""},
        {"141", "", ""},
        {"142", "", ""},
        {"143", "", ""},
        {"158", "", ""},
        {"159", "", ""},
        {"54", "CONTACT_ID", "contact_id"},
        {"54", "CONTACT_ID", "contact_id"},
        {"55", "CONTACT_ID", "contact_id"},
        {"55", "CONTACT_ID", "contact_id"},
    };
    return rows;
}

}  // namespace

void CDatabase::LoadFreeTextSettings() {
    // Setup problems must never keep a connection from opening: any error ends
    // the setup quietly, with what was read so far kept.
    try {
        impl_->updateFreeText_ = false;
        Variant enabled = impl_->FirstValue(
            impl_->PrepareSQL("SELECT prefvalue FROM " + impl_->central_.Prefix + "userpreference" +
                                  " WHERE PrefSection = 'Freetext' and "
                                  "Prefkey='Enabled'",
                              0),
            0);
        if (!enabled.IsEmpty() && enabled.ToDouble() == 1) impl_->updateFreeText_ = true;
        if (!impl_->updateFreeText_) return;

        impl_->stopWords_.assign(1, std::string());
        impl_->OpenWorkRecordset(
            impl_->PrepareSQL("SELECT word FROM " + impl_->central_.Prefix + "freetextstopwords",
                              0),
            0);
        while (!impl_->workRecordset_->Eof()) {
            Variant word = impl_->workRecordset_->Fields("word").Value();
            impl_->stopWords_.back() = word.IsNull() ? std::string() : word.ToString();
            impl_->stopWords_.emplace_back();
            impl_->workRecordset_->MoveNext();
        }
        impl_->workRecordset_->Close();

        impl_->freeTextTables_ = DefaultFreeTextTables();
    } catch (const std::exception&) {
        if (impl_->workRecordset_ && impl_->workRecordset_->State() == adStateOpen)
            impl_->workRecordset_->Close();
    }
}

}  // namespace vendral
