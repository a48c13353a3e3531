// What the tests and the fuzz targets read of a CDatabase beyond its
// programming interface: the table catalogues and the free-text state. Exported
// from a build with tests only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/internal_export.h"
#include "vendral/cdatabase.h"

namespace vendral::internal {

// The central table catalogue, behind the central prefix of the last filling.
VENDRAL_TEST_INTERNAL const TableCatalogue& CentralTableCatalogue(const CDatabase& db);
// The local table catalogue, behind the local prefix of the last filling.
VENDRAL_TEST_INTERNAL const TableCatalogue& LocalTableCatalogue(const CDatabase& db);
// The owner table that GetFreeTxtSrchLnk found last.
VENDRAL_TEST_INTERNAL std::int16_t FreeTextOwnerTable(const CDatabase& db);
// The owner record that GetFreeTxtSrchLnk found last.
VENDRAL_TEST_INTERNAL std::int32_t FreeTextOwnerRecord(const CDatabase& db);
// The stop words read by the last loading of the free-text settings, with one
// empty entry at the end.
VENDRAL_TEST_INTERNAL const std::vector<std::string>& FreeTextStopWords(const CDatabase& db);
// The tables whose records are indexed, with their selector and owner columns.
VENDRAL_TEST_INTERNAL const std::vector<FreeTextTableRow>& FreeTextTables(const CDatabase& db);

}  // namespace vendral::internal
