// Creation, the plain properties and the connection selector.
#include <utility>

#include "data/cdatabase_state.h"
#include "vendral/cdatabase.h"

namespace vendral {
namespace {

std::string WithTrailingDot(const std::string& prefix) {
    if (!prefix.empty() && prefix.back() == '.') return prefix;
    return prefix + ".";
}

}  // namespace

CDatabase::CDatabase() : impl_(std::make_unique<Impl>(*this)) {
    impl_->central_.FillCatalogue();
    impl_->local_.FillCatalogue();
}

CDatabase::~CDatabase() {
    // The recordsets go before the connections they read from.
    impl_->workRecordset_.reset();
    impl_->preferenceRecordset_.reset();
}

void CDatabase::CentralDatabasePrefix(const std::string& sDatabasePrefix) {
    impl_->central_.Prefix = WithTrailingDot(sDatabasePrefix);
}

void CDatabase::LocalDatabasePrefix(const std::string& sDatabasePrefix) {
    impl_->local_.Prefix = WithTrailingDot(sDatabasePrefix);
}

const std::shared_ptr<Connection>& CDatabase::dDatabase() const {
    return impl_->central_.Slot;
}

void CDatabase::dDatabase(std::shared_ptr<Connection> connection) {
    impl_->central_.Slot = std::move(connection);
}

const std::shared_ptr<Connection>& CDatabase::LocaldDatabase() const {
    return impl_->local_.Slot;
}

void CDatabase::LocaldDatabase(std::shared_ptr<Connection> connection) {
    impl_->local_.Slot = std::move(connection);
}

const std::shared_ptr<Connection>& CDatabase::AccdDatabase() const {
    return impl_->accdDatabase_;
}

void CDatabase::AccdDatabase(std::shared_ptr<Connection> connection) {
    impl_->accdDatabase_ = std::move(connection);
}

bool CDatabase::SysdDatabaseAccess() const {
    return impl_->central_.FileDatabase;
}

void CDatabase::SysdDatabaseAccess(bool value) {
    impl_->central_.FileDatabase = value;
}

bool CDatabase::SysLocaldDatabaseAccess() const {
    return impl_->local_.FileDatabase;
}

void CDatabase::SysLocaldDatabaseAccess(bool value) {
    impl_->local_.FileDatabase = value;
}

std::string CDatabase::LastGeneratedSequenceID() const {
    return std::to_string(impl_->lastGeneratedSequenceID_);
}

Connection& CDatabase::Impl::Side::Connect() {
    if (!Slot) Slot = std::make_shared<Connection>();
    return *Slot;
}

void CDatabase::Impl::Side::TakeType(const std::string& type) {
    DatabaseType = type;
    MarkFileDatabase();
}

void CDatabase::Impl::Side::MarkFileDatabase() {
    if (DatabaseType == "ACCESS") FileDatabase = true;
}

CDatabase::Impl::Side& CDatabase::Impl::SideFor(std::int16_t iDatabaseConnection) {
    return iDatabaseConnection == 0 ? central_ : local_;
}

const CDatabase::Impl::Side& CDatabase::Impl::SideFor(std::int16_t iDatabaseConnection) const {
    return iDatabaseConnection == 0 ? central_ : local_;
}

std::shared_ptr<Connection>& CDatabase::Impl::ConnectionFor(std::int16_t iDatabaseConnection) {
    Side& side = SideFor(iDatabaseConnection);
    side.Connect();
    return side.Slot;
}

const std::string& CDatabase::Impl::PrefixFor(std::int16_t iDatabaseConnection) const {
    return SideFor(iDatabaseConnection).Prefix;
}

const TableCatalogue& CDatabase::Impl::CatalogueFor(std::int16_t iDatabaseConnection) const {
    return SideFor(iDatabaseConnection).Catalogue;
}

}  // namespace vendral
