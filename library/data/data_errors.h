// CDatabase's own refusals and failures, with their texts. The texts are what
// callers and their logs have always seen; change none of them.
#pragma once

#include <cstdint>
#include <string>

#include "odbc/library_errors.h"

namespace vendral::detail {

// CDatabase's refusals of its arguments.
constexpr ErrorCode kArgumentRefused{kStateInvalidArgument, 0, ErrorKind::Usage};
inline std::string SelectorRefusedText(const char* member, std::int16_t selector) {
    return std::string(member) + ": the connection selector must be 0 (central) or " +
           "1 (local), not " + std::to_string(selector) + ".";
}
inline std::string ComboTypeOutOfRangeText(std::int32_t comboType) {
    return "ComboType " + std::to_string(comboType) + " is not a table number from 0 to 260";
}
inline std::string ComboTypeNotListedText(std::int32_t comboType) {
    return "ComboType " + std::to_string(comboType) + " names no table of the catalogue";
}
inline std::string UdfOwnerRefusedText(std::int32_t iType) {
    return "iType " + std::to_string(iType) + " is not a user-defined field owner (0 to 3)";
}
constexpr const char* kDeleteEveryPreferenceText =
    "DeletePreference needs an owner or a condition: deleting every preference of a level is "
    "not allowed";

// ExecSQL's refusals of a statement the travel log could not describe.
constexpr ErrorCode kStatementRefused{kStateGeneral, 0, ErrorKind::Usage};
inline std::string UnloggableStatementText(const std::string& refusal) {
    return "ExecSQL: " + refusal +
           " cannot be recorded in the travel transaction log; hand each change to ExecSQL as one "
           "INSERT, UPDATE or DELETE statement.";
}
constexpr const char* kInsertWithoutPlaceholderText =
    "ExecSQL: an insert without a record id needs \"#\" where the new id belongs.";
inline std::string UncataloguedInsertText(const std::string& table) {
    return "ExecSQL: the table " + table +
           " is not in the table catalogue, so no id can be reserved for the insert.";
}

// Sequence rows that other writers keep taking.
constexpr ErrorCode kNoFreeSequenceId{kStateGeneral, 0, ErrorKind::Database};
inline std::string NoFreeSequenceIdText(std::int16_t table, int passes) {
    return "UpdateSequence: no free id of table " + std::to_string(table) + " after " +
           std::to_string(passes) + " passes.";
}

// A settings file that cannot be read as one, or that names no data source.
inline std::string SettingsFileProblemText(const std::string& file, const std::string& cause) {
    return "The settings file " + file + " " + cause + ".";
}
inline std::string NoDataSourceInSettingsText(const std::string& file, const std::string& section) {
    return "The settings file " + file + " names no data source: its section [" + section +
           "] has no value for DSN.";
}

}  // namespace vendral::detail
