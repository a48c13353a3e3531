// The plain properties: each reads or writes one value of the object's state.
#include "data/cdatabase_inspection.h"
#include "data/cdatabase_state.h"

namespace vendral {

std::int32_t CDatabase::AssociateID() const {
    return impl_->associateID_;
}
void CDatabase::AssociateID(std::int32_t lAssociateID) {
    impl_->associateID_ = lAssociateID;
}
const std::string& CDatabase::LanguageCode() const {
    return impl_->languageCode_;
}
void CDatabase::LanguageCode(const std::string& sLanguageCode) {
    impl_->languageCode_ = sLanguageCode;
}
const std::string& CDatabase::IniPath() const {
    return impl_->iniPath_;
}
void CDatabase::IniPath(const std::string& sIniPath) {
    impl_->iniPath_ = sIniPath;
}
const std::string& CDatabase::CentralArchivePath() const {
    return impl_->central_.ArchivePath;
}
void CDatabase::CentralArchivePath(const std::string& v) {
    impl_->central_.ArchivePath = v;
}
const std::string& CDatabase::CentralDSN() const {
    return impl_->central_.DSN;
}
void CDatabase::CentralDSN(const std::string& sCentralDSN) {
    impl_->central_.DSN = sCentralDSN;
}
const std::string& CDatabase::CentralDatabasePrefix() const {
    return impl_->central_.Prefix;
}
const std::string& CDatabase::LocalDatabasePrefix() const {
    return impl_->local_.Prefix;
}
const std::string& CDatabase::LocalArchivePath() const {
    return impl_->local_.ArchivePath;
}
void CDatabase::LocalArchivePath(const std::string& v) {
    impl_->local_.ArchivePath = v;
}
const std::string& CDatabase::LocalDSN() const {
    return impl_->local_.DSN;
}
void CDatabase::LocalDSN(const std::string& sLocalDSN) {
    impl_->local_.DSN = sLocalDSN;
}
const std::string& CDatabase::Prefix() const {
    return impl_->prefix_;
}
void CDatabase::Prefix(const std::string& sPrefix) {
    impl_->prefix_ = sPrefix;
}
bool CDatabase::UpdateFreeText() const {
    return impl_->updateFreeText_;
}
void CDatabase::UpdateFreeText(bool bValue) {
    impl_->updateFreeText_ = bValue;
}
bool CDatabase::LocalStartedasCentral() const {
    return impl_->localStartedAsCentral_;
}
void CDatabase::LocalStartedasCentral(bool bValue) {
    impl_->localStartedAsCentral_ = bValue;
}
bool CDatabase::dDatabaseIsRunning() const {
    return impl_->central_.Running;
}
bool CDatabase::LocaldDatabaseIsRunning() const {
    return impl_->local_.Running;
}
const std::string& CDatabase::SQLFunct_FirstLast() const {
    return impl_->sqlFunct_[0];
}
const std::string& CDatabase::SQLFunct_MrFirstLast() const {
    return impl_->sqlFunct_[1];
}
const std::string& CDatabase::SQLFunct_Discount() const {
    return impl_->sqlFunct_[2];
}
const std::string& CDatabase::SQLFunct_ContNullPerson() const {
    return impl_->sqlFunct_[3];
}
const std::string& CDatabase::SQLFunct_NameDepart() const {
    return impl_->sqlFunct_[4];
}
const std::string& CDatabase::SQLFunct_NullContID() const {
    return impl_->sqlFunct_[5];
}
const std::string& CDatabase::SQLFunct_PersonContact() const {
    return impl_->sqlFunct_[6];
}
const std::string& CDatabase::SQLFunct_ContactInvoice() const {
    return impl_->sqlFunct_[7];
}
const std::string& CDatabase::SQLFunct_ProjectInvoice() const {
    return impl_->sqlFunct_[8];
}
const std::string& CDatabase::CentralConnectionString() const {
    return impl_->central_.ConnectionString;
}
const std::string& CDatabase::LocalConnectionString() const {
    return impl_->local_.ConnectionString;
}
const std::string& CDatabase::LocalDSNEntry() const {
    return impl_->localDSNEntry_;
}
void CDatabase::LocalDSNEntry(const std::string& sValue) {
    impl_->localDSNEntry_ = sValue;
}
void CDatabase::UserID(const std::string& sValue) {
    impl_->userIDOverride_ = sValue;
}
void CDatabase::DatabaseTimeOUt(std::int16_t sValue) {
    impl_->databaseTimeOut_ = sValue;
}
const std::string& CDatabase::DatabaseTypeCentral() const {
    return impl_->central_.DatabaseType;
}
void CDatabase::DatabaseTypeCentral(const std::string& sValue) {
    impl_->central_.DatabaseType = sValue;
}
const std::string& CDatabase::DatabaseTypeLocal() const {
    return impl_->local_.DatabaseType;
}
void CDatabase::DatabaseTypeLocal(const std::string& sValue) {
    impl_->local_.DatabaseType = sValue;
}
void CDatabase::Password(const std::string& sValue) {
    impl_->passwordOverride_ = sValue;
}
const std::string& CDatabase::LocalPassword() const {
    return impl_->local_.Password;
}
void CDatabase::LocalPassword(const std::string& sValue) {
    impl_->local_.Password = sValue;
}
const std::string& CDatabase::CentralPassword() const {
    return impl_->central_.Password;
}
void CDatabase::CentralPassword(const std::string& sValue) {
    impl_->central_.Password = sValue;
}
const std::string& CDatabase::CentralUID() const {
    return impl_->central_.UID;
}
void CDatabase::CentralUID(const std::string& sValue) {
    impl_->central_.UID = sValue;
}
const std::string& CDatabase::LocalUID() const {
    return impl_->local_.UID;
}
void CDatabase::LocalUID(const std::string& sValue) {
    impl_->local_.UID = sValue;
}
const std::string& CDatabase::SQLCentralDatabaseType() const {
    return impl_->central_.DatabaseType;
}
const std::string& CDatabase::SQLLocalDatabaseType() const {
    return impl_->local_.DatabaseType;
}
std::int16_t CDatabase::FailCount() const {
    return impl_->failCount_;
}
void CDatabase::FailCount(std::int16_t iValue) {
    impl_->failCount_ = iValue;
}
const std::string& CDatabase::LastReturnedErrorMessage() const {
    return impl_->lastReturnedErrorMessage_;
}
const Recordset& CDatabase::WorkRecordset() const {
    return *impl_->workRecordset_;
}

namespace internal {

const TableCatalogue& CentralTableCatalogue(const CDatabase& db) {
    return detail::CDatabaseAccess::Of(db).central_.Catalogue;
}
const TableCatalogue& LocalTableCatalogue(const CDatabase& db) {
    return detail::CDatabaseAccess::Of(db).local_.Catalogue;
}
std::int16_t FreeTextOwnerTable(const CDatabase& db) {
    return detail::CDatabaseAccess::Of(db).freeTextOwnerTable_;
}
std::int32_t FreeTextOwnerRecord(const CDatabase& db) {
    return detail::CDatabaseAccess::Of(db).freeTextOwnerRecord_;
}
const std::vector<std::string>& FreeTextStopWords(const CDatabase& db) {
    return detail::CDatabaseAccess::Of(db).stopWords_;
}
const std::vector<FreeTextTableRow>& FreeTextTables(const CDatabase& db) {
    return detail::CDatabaseAccess::Of(db).freeTextTables_;
}

}  // namespace internal
}  // namespace vendral
