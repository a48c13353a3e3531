// Creation, the plain properties and the connection selector.
#include "data/cdatabase_state.h"
#include "vendral/cdatabase.h"

namespace vendral {
namespace {

std::string WithTrailingDot(const std::string& prefix) {
    if (!prefix.empty() && prefix.back() == '.') return prefix;
    return prefix + ".";
}

}  // namespace

CDatabase::CDatabase()
    : dDatabase(std::make_shared<Connection>()),
      LocaldDatabase(std::make_shared<Connection>()),
      AccdDatabase(std::make_shared<Connection>()),
      impl_(std::make_unique<Impl>(*this)) {
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

std::string CDatabase::LastGeneratedSequenceID() const {
    return std::to_string(impl_->lastGeneratedSequenceID_);
}

Connection& CDatabase::Side::Connect() {
    if (!Slot) Slot = std::make_shared<Connection>();
    return *Slot;
}

void CDatabase::Side::TakeType(const std::string& type) {
    DatabaseType = type;
    MarkFileDatabase();
}

void CDatabase::Side::MarkFileDatabase() {
    if (DatabaseType == "ACCESS") FileDatabase = true;
}

CDatabase::Side& CDatabase::SideFor(std::int16_t iDatabaseConnection) {
    return iDatabaseConnection == 0 ? impl_->central_ : impl_->local_;
}

const CDatabase::Side& CDatabase::SideFor(std::int16_t iDatabaseConnection) const {
    return iDatabaseConnection == 0 ? impl_->central_ : impl_->local_;
}

std::shared_ptr<Connection>& CDatabase::ConnectionFor(std::int16_t iDatabaseConnection) {
    Side& side = SideFor(iDatabaseConnection);
    side.Connect();
    return side.Slot;
}

const std::string& CDatabase::PrefixFor(std::int16_t iDatabaseConnection) const {
    return SideFor(iDatabaseConnection).Prefix;
}

const TableCatalogue& CDatabase::CatalogueFor(std::int16_t iDatabaseConnection) const {
    return SideFor(iDatabaseConnection).Catalogue;
}

}  // namespace vendral
