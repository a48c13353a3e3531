// User-defined fields: field names of column ids, and the UDList values of a
// list-type field, looked up, created and read back.
#include <optional>

#include "base/text.h"
#include "data/cdatabase_state.h"
#include "data/local_clock.h"
#include "data/write_support.h"
#include "vendral/cdatabase.h"

namespace vendral {
namespace {

// The bases of the five column sets; iType 0 to 3 own those at 8960, 35840,
// 36352 and 40448.
constexpr std::int32_t kSetBases[] = {8960, 9464, 35840, 36352, 40448};
constexpr std::int32_t kOwnerSetBases[] = {8960, 35840, 36352, 40448};
// The highest column offset of a set (STRING49).
constexpr std::int32_t kLastColumnOffset = 265;

struct ColumnBlock {
    std::int32_t first;   // first offset from the base
    std::int32_t last;    // last offset from the base
    std::int32_t number;  // field number of the first column
    const char* type;
};

constexpr ColumnBlock kBlocks[] = {
    {1, 60, 1, "LONG"},
    {61, 100, 1, "STRING"},
    {101, 110, 1, "DOUBLE"},
    {257, kLastColumnOffset, 41, "STRING"},
};

std::int32_t SetBaseOf(std::int32_t iType) {
    if (iType < UDFContact || iType > UDFSale) {
        detail::Raise(detail::kArgumentRefused, detail::UdfOwnerRefusedText(iType));
    }
    return kOwnerSetBases[iType];
}

std::string TwoDigits(std::int32_t number) {
    return (number < 10 ? "0" : "") + std::to_string(number);
}

// The list definition of a field of the set of iType, from the current (highest)
// version of the definitions; nothing when the set has no such field or the
// field has no list.
std::optional<Variant> FieldListDefinition(CDatabase& db, std::int32_t iType,
                                           const std::string& sFieldName) {
    const std::int32_t base = SetBaseOf(iType);
    const std::string field = ToUpper(sFieldName);
    // The current version is read first, whether or not the field names a column.
    Variant version = db.GetFirstLongRecord(
        "udeffield", "version",
        "where ownertable_id = " + std::to_string(7 + iType) + " order by version desc", 0);
    std::optional<std::int32_t> column;
    for (std::int32_t id = base + 1; id <= base + kLastColumnOffset; ++id) {
        if (db.GetUDFFieldName(id).ToString() == field) {
            column = id;
            break;
        }
    }
    if (!column) return std::nullopt;
    Variant definition = db.GetFirstLongRecord(
        "Udeffield", "udlistdefinition_id",
        "where version = " + version.ToString() + " and columnid = " + std::to_string(*column), 0);
    // A field without a list has no values to find, and none may be created under id 0.
    if (definition.ToLong() == 0) return std::nullopt;
    return definition;
}

}  // namespace

Variant CDatabase::GetUDFFieldName(std::int32_t lColumnID) {
    for (std::int32_t base : kSetBases) {
        // Wide enough for any 32-bit id minus a base.
        const std::int64_t offset = std::int64_t{lColumnID} - base;
        for (const ColumnBlock& block : kBlocks) {
            if (offset >= block.first && offset <= block.last)
                return Variant(block.type + TwoDigits(static_cast<std::int32_t>(
                                                block.number + offset - block.first)));
        }
    }
    // No block holds the id: the field has no name (Empty, not an empty text).
    return Variant();
}

Variant CDatabase::GetUDFListID(std::int32_t iType, const std::string& sFieldName,
                                const std::string& sName, bool bCreateIfNotFound, bool ExactSearch,
                                std::int16_t /*iDatabaseConnection*/) {
    // The user-defined field definitions and their values live in the central database.
    SetBaseOf(iType);
    if (sName.empty()) return Variant(static_cast<std::int32_t>(0));
    std::optional<Variant> definition = FieldListDefinition(*this, iType, sFieldName);
    if (!definition) return Variant(static_cast<std::int32_t>(0));
    const std::string list = definition->ToString();

    // The name is looked for as the insert below stores it; a contained-text
    // search takes its "%" and "_" literally.
    const std::string stored = CheckSQL(sName).ToString();
    const detail::LikeText like = detail::StoredNameForLike(stored, impl_->central_.FileDatabase);
    const std::string condition =
        ExactSearch ? "where udlistdefinition_id = " + list + " and name = '" + stored + "'"
                    : "where udlistdefinition_id = " + list + " and name like '%" + like.Pattern +
                          "%'" + like.Escape;
    Variant found = GetFirstLongRecord("UDList", "UDList_id", condition, 0);
    if (found.ToLong() != 0 || !bCreateIfNotFound) return found;

    // ExecSQL numbers the row from the sequence of UDLIST and puts the id in place of "#".
    const std::string associate = std::to_string(impl_->associateID_);
    const std::string registered = std::to_string(LocalClockSeconds());
    const std::string updated = std::to_string(LocalClockSeconds());
    ExecSQL("INSERT INTO " + impl_->central_.Prefix +
                "UDList (UDList_id, Name, Rank, ToolTip, Deleted, udlistdefinition_id, "
                "Registered, Registered_associate_id, Updated, Updated_Associate_id, "
                "UpdatedCount) " +
                " VALUES (#, '" + CheckSQL(sName).ToString() + "',0,'',0, " + list + ", " +
                registered + ", " + associate + ", " + updated + "," + associate + ", 0)",
            0, 0);
    return Variant(static_cast<std::int32_t>(std::stol(LastGeneratedSequenceID())));
}

Variant CDatabase::GetUDFListValue(std::int32_t iType, const std::string& sFieldName,
                                   std::int32_t lValue, std::int16_t /*iDatabaseConnection*/) {
    SetBaseOf(iType);
    if (lValue == 0) return Variant(std::string());
    std::optional<Variant> definition = FieldListDefinition(*this, iType, sFieldName);
    if (!definition) return Variant(std::string());
    return GetFirstTextRecord("UDList", "name",
                              "where udlistdefinition_id = " + definition->ToString() +
                                  " and udlist_id=" + std::to_string(lValue),
                              0);
}

}  // namespace vendral
