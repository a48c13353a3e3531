// The parts of statement handling that work on the text alone: how ExecSQL
// tells a change from other statements and finds its table, how a prefix is
// taken out for a file database, and which words of a change go into the
// free-text index. Internal to the library; declared here so that they can be
// exercised without a database.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vendral/cdatabase.h"

namespace vendral::detail {

enum class StatementKind { Insert, Update, Delete, Other };

struct StatementTarget {
    StatementKind kind = StatementKind::Other;
    std::string table;  // as written in the statement, maybe without prefix
};

// Defined in execution.cpp.
StatementTarget AnalyseStatement(const std::string& sql);
// The catalogue number of a statement's table (-1 when it is not there): a
// bare name is looked up behind prefix, a dotted one as it stands.
std::int16_t StatementTableNumber(const TableCatalogue& catalogue, const std::string& prefix,
                                  const std::string& table);

// Defined in query_helpers.cpp: sql without the schema prefix, for a file database.
std::string WithoutSchemaPrefix(const std::string& sql, const std::string& prefix);

// Defined in freetext_index.cpp: the words of the text literals of a change.
std::vector<std::string> LiteralWords(const std::string& sql);

}  // namespace vendral::detail
