// Lookups in the CRM's own metadata tables.
#include "base/text.h"
#include "vendral/cdatabase.h"

namespace vendral {

Variant CDatabase::GetTableNumber(const std::string& TableName, std::int16_t iDatabaseConnection) {
    // The name is doubled where it holds apostrophes, so that it cannot end the literal.
    return GetFirstLongRecord("conceptualtable", "tablenumber",
                              "where name = '" + QuoteSql(TableName) + "'", iDatabaseConnection);
}

Variant CDatabase::GetSOVersion(std::int16_t iDatabaseConnection) {
    // The CRM names its database with the version digit last.
    std::string name =
        GetFirstTextRecord("conceptualdatabase", "name", "where id = 1", iDatabaseConnection)
            .ToString();
    std::u32string letters = DecodeUtf8(name);
    double version = 0;
    if (!letters.empty() && letters.back() >= U'0' && letters.back() <= U'9')
        version = static_cast<double>(letters.back() - U'0');
    return Variant(version);
}

}  // namespace vendral
