/// @file
/// The CRM's numbers of the tables that the library and its tools name by
/// number: in the travel transaction log, in the Sequence table and in the
/// free-text index. A table's number is its place in the table catalogue.
#pragma once

#include <cstdint>

namespace vendral {

constexpr std::int16_t kTableContact = 5;  ///< The table of contact.
constexpr std::int16_t kTablePerson = 6;   ///< The table of person.
constexpr std::int16_t kTableAddress = 7;  ///< The table of address.
constexpr std::int16_t kTablePhone = 8;    ///< The table of phone.
constexpr std::int16_t kTableAppointment =
    9;                                       ///< The table of appointment (appointments and tasks).
constexpr std::int16_t kTableDocument = 10;  ///< The table of document.
constexpr std::int16_t kTableProject = 11;   ///< The table of project.
constexpr std::int16_t kTableProjectMember = 12;  ///< The table of projectmember.
constexpr std::int16_t kTableSale = 13;           ///< The table of sale.
constexpr std::int16_t kTableText = 18;           ///< The table of text.
constexpr std::int16_t kTableSelection = 23;      ///< The table of selection.
constexpr std::int16_t kTableTravelTransactionLog =
    29;  ///< The table of traveltransactionlog (the travel transaction log).
constexpr std::int16_t kTableRelationDefinition = 48;  ///< The table of relation definitions.
constexpr std::int16_t kTableUrl = 54;                 ///< The table of URL.
constexpr std::int16_t kTableEmail = 55;               ///< The table of e-mail address.

/// The Sequence row that counts a table's ids: its table number plus this.
constexpr std::int16_t kSequenceRowOffset = 10;

}  // namespace vendral
