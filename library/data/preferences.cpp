// User preferences: rows of the CRM's userpreference table, read with a fallback
// to the global setting, and written and deleted through ExecSQL so that every
// change is numbered and reaches the travelling users.
#include <vector>

#include "base/text.h"
#include "data/cdatabase_state.h"
#include "data/write_support.h"
#include "vendral/cdatabase.h"

namespace vendral {
namespace {

// "userpreference WHERE ..." for one setting. Section and key are doubled at
// their apostrophes so that a name such as O'Neil is found and stored intact.
std::string SettingCondition(std::int16_t level, std::int32_t owner, const std::string& section,
                             const std::string& key) {
    return "userpreference WHERE deflevel = " + std::to_string(level) +
           " AND owner_id = " + std::to_string(owner) + " AND prefsection = '" + QuoteSql(section) +
           "' AND prefkey = '" + QuoteSql(key) + "'";
}

bool IsTrue(const Variant& flag) {
    return !flag.IsEmpty() && !flag.IsNull() && flag.ToBool();
}

}  // namespace

Variant CDatabase::GetPreference(std::int16_t tDefLevel, std::int32_t tOwnerID,
                                 const std::string& tPrefsection, const std::string& tPrefKey,
                                 const std::string& tDefault, const Variant& bReadGlobalSettings,
                                 std::int16_t iDatabaseConnection) {
    // The table is always named with the central prefix, whichever side is read.
    const std::string select = "SELECT userpreference_id, prefvalue FROM " + impl_->central_.Prefix;
    bool missing = false;
    auto read = [&](std::int16_t level, std::int32_t owner) {
        impl_->preferenceRecordset_->Open(
            impl_->PrepareSQL(select + SettingCondition(level, owner, tPrefsection, tPrefKey),
                              iDatabaseConnection),
            impl_->ConnectionFor(iDatabaseConnection), adOpenForwardOnly, adLockReadOnly,
            adCmdText);
        detail::RecordsetCloser closer(*impl_->preferenceRecordset_);
        if (impl_->preferenceRecordset_->Eof()) {
            missing = true;
            return tDefault;
        }
        missing = false;
        // A null value reads as an empty one: the default, not a failure.
        Variant value = impl_->preferenceRecordset_->Fields("prefvalue").Value();
        std::string text = value.IsNull() ? std::string() : value.ToString();
        return text.empty() ? tDefault : text;
    };

    std::string result = read(tDefLevel, tOwnerID);
    // Only a missing row falls back; a row with an empty value is the user's choice.
    if (missing && IsTrue(bReadGlobalSettings)) result = read(2, 0);
    return Variant(result);
}

Variant CDatabase::SavePreference(std::int16_t tDefLevel, std::int32_t tOwnerID,
                                  const std::string& tPrefsection, const std::string& tPrefKey,
                                  const std::string& tPrefvalue) {
    std::int32_t id = 0;
    {
        impl_->preferenceRecordset_->Open(
            impl_->PrepareSQL("SELECT * FROM " + impl_->central_.Prefix +
                                  SettingCondition(tDefLevel, tOwnerID, tPrefsection, tPrefKey),
                              0),
            impl_->ConnectionFor(0), adOpenForwardOnly, adLockReadOnly, adCmdText);
        detail::RecordsetCloser closer(*impl_->preferenceRecordset_);
        if (!impl_->preferenceRecordset_->Eof())
            id = impl_->preferenceRecordset_->Fields("userpreference_id").Value().ToLong();
    }

    if (id == 0) {
        // The new row is numbered by ExecSQL, which puts the reserved id in place of "#".
        ExecSQL("INSERT INTO " + impl_->central_.Prefix +
                    "userpreference (userpreference_id, deflevel, owner_id, prefsection, prefkey, "
                    "prefvalue) VALUES (#, " +
                    std::to_string(tDefLevel) + ", " + std::to_string(tOwnerID) + ",'" +
                    QuoteSql(tPrefsection) + "', '" + QuoteSql(tPrefKey) + "', '" +
                    QuoteSql(tPrefvalue) + "')",
                0, 0);
    } else {
        ExecSQL("UPDATE " + impl_->central_.Prefix + "userpreference SET prefvalue = '" +
                    QuoteSql(tPrefvalue) + "' WHERE userpreference_id = " + std::to_string(id),
                id, 0);
    }
    return Variant();
}

Variant CDatabase::DeletePreference(std::int16_t tDefLevel, std::int32_t tOwnerID,
                                    const std::string& tWhereClause) {
    // Without an owner the condition is all that narrows the level; an empty one
    // would leave a dangling " AND " in the statement.
    if (tOwnerID == 0 && tWhereClause.empty()) {
        detail::Raise(detail::kArgumentRefused, detail::kDeleteEveryPreferenceText);
    }
    std::string select = "SELECT userpreference_id FROM " + impl_->central_.Prefix +
                         "userpreference WHERE deflevel = " + std::to_string(tDefLevel);
    if (tOwnerID != 0) select += " AND owner_id = " + std::to_string(tOwnerID);
    if (!tWhereClause.empty()) select += " AND " + tWhereClause;

    // The ids are read to the end before the first delete: each ExecSQL runs its
    // own statements and transaction on the same connection, which must not
    // happen under an open cursor over the rows being deleted.
    std::vector<std::int32_t> ids;
    {
        impl_->preferenceRecordset_->Open(impl_->PrepareSQL(select, 0), impl_->ConnectionFor(0),
                                          adOpenForwardOnly, adLockReadOnly, adCmdText);
        detail::RecordsetCloser closer(*impl_->preferenceRecordset_);
        while (!impl_->preferenceRecordset_->Eof()) {
            ids.push_back(impl_->preferenceRecordset_->Fields(std::size_t{0}).Value().ToLong());
            impl_->preferenceRecordset_->MoveNext();
        }
    }
    for (std::int32_t id : ids) {
        ExecSQL("DELETE FROM " + impl_->central_.Prefix +
                    "userpreference WHERE userpreference_id = " + std::to_string(id),
                id, 0);
    }
    return Variant();
}

}  // namespace vendral
