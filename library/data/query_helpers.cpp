// The small read-only queries on which the rest of the library is built.
#include "base/text.h"
#include "data/cdatabase_state.h"
#include "data/statement_text.h"
#include "data/write_support.h"
#include "vendral/cdatabase.h"

namespace vendral {
namespace {

std::string SelectFirst(std::string_view field, std::string_view tablePrefix,
                        std::string_view table, std::string_view where) {
    return Concat({"SELECT ", field, " FROM ", tablePrefix, table, " ", where});
}

// No row and a null both read as the helper's own "nothing" value.
Variant OrWhenMissing(const Variant& value, const Variant& missing) {
    return value.IsEmpty() || value.IsNull() ? missing : value;
}

}  // namespace

std::string CDatabase::Impl::QualifyTable(const std::string& sTable,
                                          std::int16_t iDatabaseConnection) const {
    return Concat({PrefixOfTable(sTable, iDatabaseConnection), sTable});
}

std::string_view CDatabase::Impl::PrefixOfTable(const std::string& sTable,
                                                std::int16_t iDatabaseConnection) const {
    if (sTable.find('.') != std::string::npos) return {};
    return PrefixFor(iDatabaseConnection);
}

std::string CDatabase::Impl::PrepareSQL(std::string sql, std::int16_t iDatabaseConnection) const {
    // Only the two selectors of the sides; any other prepares nothing.
    const bool access = (iDatabaseConnection == 0 || iDatabaseConnection == 1) &&
                        SideFor(iDatabaseConnection).FileDatabase;
    if (!access) return sql;  // moved: the text is most often a temporary
    // No schema prefix may reach a file database: every occurrence before a
    // table name goes, its "." included; quoted texts keep theirs.
    return detail::WithoutSchemaPrefix(sql, PrefixFor(iDatabaseConnection));
}

void CDatabase::Impl::OpenWorkRecordset(const std::string& preparedSql,
                                        std::int16_t iDatabaseConnection) {
    if (!workRecordset_) workRecordset_ = std::make_unique<Recordset>();
    if (workRecordset_->State() == adStateOpen) workRecordset_->Close();
    workRecordset_->Open(preparedSql, ConnectionFor(iDatabaseConnection), adOpenForwardOnly,
                         adLockReadOnly, adCmdText);
}

Variant CDatabase::Impl::FirstValue(const std::string& preparedSql,
                                    std::int16_t iDatabaseConnection) {
    OpenWorkRecordset(preparedSql, iDatabaseConnection);
    detail::RecordsetCloser guard(*workRecordset_);
    if (workRecordset_->Eof()) return Variant();
    return workRecordset_->Collect(0);
}

Variant CDatabase::CountRecords(const std::string& sTable, const std::string& sWhere,
                                std::int16_t iDatabaseConnection) {
    return impl_->CountOf(
        Concat({"SELECT COUNT(*) AS CountResult FROM ",
                impl_->PrefixOfTable(sTable, iDatabaseConnection), sTable, " ", sWhere}),
        iDatabaseConnection);
}

Variant CDatabase::CountRecordsSQL(const std::string& sQueryFrom,
                                   std::int16_t iDatabaseConnection) {
    return impl_->CountOf(Concat({"SELECT COUNT(*) AS CountResult ", sQueryFrom}),
                          iDatabaseConnection);
}

Variant CDatabase::Impl::CountOf(std::string countSql, std::int16_t iDatabaseConnection) {
    OpenWorkRecordset(PrepareSQL(std::move(countSql), iDatabaseConnection), iDatabaseConnection);
    detail::RecordsetCloser guard(*workRecordset_);
    if (workRecordset_->Eof()) return Variant(static_cast<std::int32_t>(0));
    return workRecordset_->Collect(0);  // the only column: CountResult
}

Variant CDatabase::Impl::FirstOfTable(const std::string& sTable, const std::string& sField,
                                      const std::string& sWhere, std::int16_t iDatabaseConnection,
                                      const Variant& missing) {
    return OrWhenMissing(
        FirstValue(PrepareSQL(SelectFirst(sField, PrefixOfTable(sTable, iDatabaseConnection),
                                          sTable, sWhere),
                              iDatabaseConnection),
                   iDatabaseConnection),
        missing);
}

Variant CDatabase::GetFirstTextRecord(const std::string& sTable, const std::string& sField,
                                      const std::string& sWhere, std::int16_t iDatabaseConnection) {
    return impl_->FirstOfTable(sTable, sField, sWhere, iDatabaseConnection, Variant(std::string()));
}

Variant CDatabase::GetFirstLongRecord(const std::string& sTable, const std::string& sField,
                                      const std::string& sWhere, std::int16_t iDatabaseConnection) {
    return impl_->FirstOfTable(sTable, sField, sWhere, iDatabaseConnection,
                               Variant(static_cast<std::int32_t>(0)));
}

void CDatabase::Impl::FillFromWorkRecordset(ListControl& control) {
    detail::RecordsetCloser guard(*workRecordset_);
    while (!workRecordset_->Eof()) {
        Variant text = workRecordset_->Collect(1);
        control.AddItem(text.IsNull() ? std::string() : text.ToString());
        control.ItemData(control.NewIndex(), workRecordset_->Collect(0));
        workRecordset_->MoveNext();
    }
}

Variant CDatabase::FillCombo(ListControl& TmpObjCombo, const std::string& sQuery,
                             std::int16_t iDatabaseConnection) {
    impl_->OpenWorkRecordset(impl_->PrepareSQL(sQuery, iDatabaseConnection), iDatabaseConnection);
    impl_->FillFromWorkRecordset(TmpObjCombo);
    return Variant();
}

Variant CDatabase::CheckSQL(const std::string& ChkSQL) {
    if (ChkSQL.find_first_of("'|[") == std::string::npos) return Variant(ChkSQL);
    std::string out;
    out.reserve(ChkSQL.size() + 8);
    for (char c : ChkSQL) {
        switch (c) {
            case '\'':
                out += "''";
                break;
            case '[':
                out += "[[";
                break;
            case '|':
                out += "\x18\x18";  // two characters of code 24, not a doubled bar
                break;
            default:
                out.push_back(c);
        }
    }
    return Variant(out);
}

}  // namespace vendral
