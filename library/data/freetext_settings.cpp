// The free-text setup read when the central connection opens: the switch, the
// stop words and the list of indexed tables.
#include <exception>

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
        updateFreeText_ = false;
        Variant enabled =
            FirstValue(PrepareSQL("SELECT prefvalue FROM " + central_.Prefix + "userpreference" +
                                      " WHERE PrefSection = 'Freetext' and "
                                      "Prefkey='Enabled'",
                                  0),
                       0);
        if (!enabled.IsEmpty() && enabled.ToDouble() == 1) updateFreeText_ = true;
        if (!updateFreeText_) return;

        stopWords_.assign(1, std::string());
        OpenWorkRecordset(
            PrepareSQL("SELECT word FROM " + central_.Prefix + "freetextstopwords", 0), 0);
        while (!workRecordset_->Eof()) {
            Variant word = workRecordset_->Fields("word").Value();
            stopWords_.back() = word.IsNull() ? std::string() : word.ToString();
            stopWords_.emplace_back();
            workRecordset_->MoveNext();
        }
        workRecordset_->Close();

        freeTextTables_ = DefaultFreeTextTables();
    } catch (const std::exception&) {
        if (workRecordset_ && workRecordset_->State() == adStateOpen) workRecordset_->Close();
    }
}

}  // namespace vendral
