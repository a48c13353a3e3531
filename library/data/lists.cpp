// Pick lists: list entries looked up by name (and created when asked), list
// tables and the associates put into combo boxes.
#include "base/text.h"
#include "data/cdatabase_state.h"
#include "data/local_clock.h"
#include "data/write_support.h"
#include "vendral/cdatabase.h"
#include "vendral/table_numbers.h"

namespace vendral {
namespace {

// The catalogue entry of a list table; an unknown number is an error of the call.
const std::string& ListTable(const TableCatalogue& catalogue, std::int32_t comboType) {
    if (comboType < 0 || comboType >= static_cast<std::int32_t>(kCatalogueSlots)) {
        detail::Raise(detail::kArgumentRefused, detail::ComboTypeOutOfRangeText(comboType));
    }
    const std::string& entry = catalogue[static_cast<std::size_t>(comboType)];
    if (entry.empty()) {
        detail::Raise(detail::kArgumentRefused, detail::ComboTypeNotListedText(comboType));
    }
    return entry;
}

// The table name without its prefix; table names themselves hold no ".".
std::string BareName(const std::string& entry) {
    std::size_t dot = entry.rfind('.');
    return dot == std::string::npos ? entry : entry.substr(dot + 1);
}

// "SELECT <id column>, name FROM <table>": relation definitions have their own id column.
std::string SelectIdAndName(std::int32_t comboType, const std::string& entry) {
    if (comboType == kTableRelationDefinition) return "SELECT reldef_id, name FROM " + entry;
    return "SELECT " + BareName(entry) + "_ID" + ", name FROM " + entry;
}

}  // namespace

Variant CDatabase::GetListID(std::int32_t ComboType, const std::string& sName,
                             bool bCreateIfNotFound, std::int16_t iDatabaseConnection) {
    const std::string& entry = ListTable(impl_->CatalogueFor(iDatabaseConnection), ComboType);
    // Any entry whose name begins with sName matches; the search runs unprepared.
    // It looks for the name as the insert below stores it, and its own "%" and
    // "_" are no wildcards, or a name created once would be created at every call.
    const bool fileDatabase = impl_->SideFor(iDatabaseConnection).FileDatabase;
    const detail::LikeText like =
        detail::StoredNameForLike(CheckSQL(sName).ToString(), fileDatabase);
    impl_->workRecordset_->Open(SelectIdAndName(ComboType, entry) + " WHERE Name LIKE '" +
                                    like.Pattern + "%'" + like.Escape,
                                impl_->ConnectionFor(iDatabaseConnection), adOpenDynamic,
                                adLockOptimistic, adCmdText);
    {
        detail::RecordsetCloser closer(*impl_->workRecordset_);
        if (!impl_->workRecordset_->Eof())
            return impl_->workRecordset_->Fields(std::size_t{0}).Value();
    }
    if (!bCreateIfNotFound) return Variant(static_cast<std::int32_t>(0));

    // New entries always go to the central database, under the central catalogue's name.
    const std::string& central = ListTable(impl_->central_.Catalogue, ComboType);
    const std::int32_t id = UpdateSequence(static_cast<std::int16_t>(ComboType), 0).ToLong();
    const std::string associate = std::to_string(impl_->associateID_);
    const std::string registered = std::to_string(LocalClockSeconds());
    const std::string updated = std::to_string(LocalClockSeconds());
    std::string sql = "INSERT INTO " + central;
    if (ComboType == kTableRelationDefinition) {
        sql += std::string(" (reldef_id") +
               ", Name, Rank, ToolTip, Deleted, Registered, Registered_associate_id, Updated, "
               "Updated_Associate_id, UpdatedCount, passive_text, defcomment) ";
    } else {
        sql += " (" + BareName(central) + "_ID" +
               ", Name, Rank, ToolTip, Deleted, Registered, Registered_associate_id, Updated, "
               "Updated_Associate_id, UpdatedCount) ";
    }
    sql += " VALUES (" + std::to_string(id) + ", '" + CheckSQL(sName).ToString() + "',0,'',0, " +
           registered + ", " + associate + ", " + updated + "," + associate;
    sql += ComboType == kTableRelationDefinition ? ", 0,'','')" : ", 0)";
    ExecSQL(sql, id, 0);
    return Variant(id);
}

Variant CDatabase::ComboList(ListControl& oCombo, std::int32_t ComboType,
                             std::int16_t iDatabaseConnection) {
    const std::string& entry = ListTable(impl_->CatalogueFor(iDatabaseConnection), ComboType);
    impl_->workRecordset_->Open(
        SelectIdAndName(ComboType, entry) + " WHERE Deleted = 0 order by Rank",
        impl_->ConnectionFor(iDatabaseConnection), adOpenDynamic, adLockOptimistic, adCmdText);
    impl_->FillFromWorkRecordset(oCombo);
    return Variant();
}

Variant CDatabase::ComboListAssociate(ListControl& oCombo, std::int16_t iDatabaseConnection) {
    const std::string& prefix = impl_->PrefixFor(iDatabaseConnection);
    impl_->OpenWorkRecordset(
        impl_->PrepareSQL(
            "SELECT ASSOCIATE.ASSOCIATE_ID, " + SQLFunct_FirstLast() + " AS PERSONNAME FROM " +
                prefix + "ASSOCIATE ASSOCIATE, " + prefix +
                "PERSON PERSON WHERE PERSON.PERSON_ID = ASSOCIATE.PERSON_ID AND "
                "ASSOCIATE.group_idx<>0 AND ASSOCIATE.deleted=0 AND PERSON.RETIRED<>1 "
                "ORDER BY PERSON.LASTNAME",
            iDatabaseConnection),
        iDatabaseConnection);
    impl_->FillFromWorkRecordset(oCombo);
    return Variant();
}

}  // namespace vendral
