// Creation, the plain properties and the connection selector.
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
      workRecordset_(std::make_unique<Recordset>()),
      preferenceRecordset_(std::make_unique<Recordset>()) {
    FillTableCatalogue(CatalogueSide::Central);
    FillTableCatalogue(CatalogueSide::Local);
}

CDatabase::~CDatabase() {
    // The recordsets go before the connections they read from.
    workRecordset_.reset();
    preferenceRecordset_.reset();
}

void CDatabase::CentralDatabasePrefix(const std::string& sDatabasePrefix) {
    centralPrefix_ = WithTrailingDot(sDatabasePrefix);
}

void CDatabase::LocalDatabasePrefix(const std::string& sDatabasePrefix) {
    localPrefix_ = WithTrailingDot(sDatabasePrefix);
}

std::string CDatabase::LastGeneratedSequenceID() const {
    return std::to_string(lastGeneratedSequenceID_);
}

std::shared_ptr<Connection>& CDatabase::ConnectionFor(std::int16_t iDatabaseConnection) {
    std::shared_ptr<Connection>& connection = iDatabaseConnection == 0 ? dDatabase : LocaldDatabase;
    if (!connection) connection = std::make_shared<Connection>();
    return connection;
}

const std::string& CDatabase::PrefixFor(std::int16_t iDatabaseConnection) const {
    return iDatabaseConnection == 0 ? centralPrefix_ : localPrefix_;
}

const TableCatalogue& CDatabase::CatalogueFor(std::int16_t iDatabaseConnection) const {
    return iDatabaseConnection == 0 ? centralCatalogue_ : localCatalogue_;
}

}  // namespace vendral
