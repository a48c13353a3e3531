// The CRM's numbers of the tables that the library and its tools name by
// number: in the travel transaction log, in the Sequence table and in the
// free-text index. A table's number is its place in the table catalogue.
#pragma once

#include <cstdint>

namespace vendral {

constexpr std::int16_t kTableContact = 5;
constexpr std::int16_t kTablePerson = 6;
constexpr std::int16_t kTableAddress = 7;
constexpr std::int16_t kTablePhone = 8;
constexpr std::int16_t kTableAppointment = 9;
constexpr std::int16_t kTableDocument = 10;
constexpr std::int16_t kTableProject = 11;
constexpr std::int16_t kTableProjectMember = 12;
constexpr std::int16_t kTableSale = 13;
constexpr std::int16_t kTableText = 18;
constexpr std::int16_t kTableSelection = 23;
constexpr std::int16_t kTableTravelTransactionLog = 29;
constexpr std::int16_t kTableRelationDefinition = 48;
constexpr std::int16_t kTableUrl = 54;
constexpr std::int16_t kTableEmail = 55;

// The Sequence row that counts a table's ids: its table number plus this.
constexpr std::int16_t kSequenceRowOffset = 10;

}  // namespace vendral
