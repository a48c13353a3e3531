// Reading a statement text the way the engines do, far enough to tell code
// from quoted texts, quoted names and comments: what the library looks for in
// a statement (its keyword, its table, the "#" placeholder, a schema prefix)
// counts only where it is code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "vendral/cdatabase.h"
#include "vendral/connection.h"

namespace vendral::detail {

enum class SqlSpanKind { Code, Literal, QuotedName, Comment };

// The string forms an engine knows. PostgreSQL reads E'...' with backslash
// escapes and $tag$...$tag$ as texts and nests block comments; with
// standard_conforming_strings off it reads backslash escapes in every '...'
// as well. SQLite knows none of these but quotes names in [...] and `...`.
// MariaDB (and MySQL) quote names in `...`, end a line at "#" and at "-- "
// (two dashes and a blank, not "--x"), nest no block comments, and run what
// stands in a /*! ... */ or /*M! ... */ comment as code. Its sessions of the
// library read backslashes in texts literally (NO_BACKSLASH_ESCAPES), so the
// MariaDB readings take no backslash escapes. The placeholder reading is the
// text as the server gets it once ExecSQL has put an id in place of the first
// "#" that would otherwise start a comment; the other takes every "#" as a
// comment, as the server does with a text that keeps its "#".
enum class SqlReading { PostgreSQL, PostgreSQLBackslashes, SQLite, MariaDBPlaceholder, MariaDB };
inline constexpr SqlReading kEveryReading[] = {
    SqlReading::PostgreSQL, SqlReading::PostgreSQLBackslashes, SqlReading::SQLite,
    SqlReading::MariaDBPlaceholder, SqlReading::MariaDB};

inline bool IsMariaDBReading(SqlReading reading) {
    return reading == SqlReading::MariaDBPlaceholder || reading == SqlReading::MariaDB;
}

// A run of the text [begin, end) of one kind; the spans cover the whole text in
// order. An unterminated literal, name or comment runs to the end.
struct SqlSpan {
    SqlSpanKind kind;
    std::size_t begin;
    std::size_t end;
};
std::vector<SqlSpan> SqlSpans(std::string_view sql, SqlReading reading = SqlReading::PostgreSQL);

// From pos on, past blanks and comments (and opening parentheses when asked).
std::size_t SkipSqlNoise(std::string_view sql, std::size_t pos, bool parentheses,
                         SqlReading reading = SqlReading::PostgreSQL);

// The first c that is code, or npos.
std::size_t FindInCode(std::string_view sql, char c, SqlReading reading = SqlReading::PostgreSQL);

// The statements of a text split at the ";" that are code; pieces that hold
// nothing but blanks and comments are left out.
std::vector<std::string> SplitStatements(std::string_view sql,
                                         SqlReading reading = SqlReading::PostgreSQL);

// Whether the text holds a comment that the engine runs as code (MariaDB's
// /*! ... */ and /*M! ... */), which may hold anything, a second statement too.
bool HasExecutableComment(std::string_view sql, SqlReading reading);

// The words of the code in capitals (letters, digits, "_", "$" and "."), in order.
std::vector<std::string> CodeWords(std::string_view sql,
                                   SqlReading reading = SqlReading::PostgreSQL);

// Every occurrence of prefix that is code and stands before a name (a letter,
// "_", a quoted name or a bracket, after the prefix's own "." if it lacks one)
// and not inside another name, taken out.
std::string WithoutSchemaPrefix(std::string_view sql, std::string_view prefix);

// How ExecSQL sees a statement (defined in execution.cpp): a change of one
// table, or another statement.
enum class StatementKind { Insert, Update, Delete, Other };

struct StatementTarget {
    StatementKind kind = StatementKind::Other;
    std::string table;  // as written in the statement, maybe without prefix
    // Why the statement cannot be recorded in the log; empty when it can.
    std::string refusal;
};

// The text as each of the readings sees it (the first one decides the kind and
// the table): a second statement that any of them sees is refused, and so is a
// change the readings see differently.
StatementTarget AnalyseStatement(const std::string& sql,
                                 const std::vector<SqlReading>& readings = {
                                     std::begin(kEveryReading), std::end(kEveryReading)});
// The readings of the engine behind a connection (defined in engine_readings.cpp).
std::vector<SqlReading> ReadingsOf(const Connection& connection);
// Whether the engine behind a connection is MariaDB or MySQL (its driver's name).
bool ReadsAsMariaDB(const Connection& connection);
// The catalogue number of a statement's table (-1 when it is not there): a
// bare name is looked up behind prefix, a dotted one as it stands.
std::int16_t StatementTableNumber(const TableCatalogue& catalogue, const std::string& prefix,
                                  const std::string& table);

// Defined in freetext_index.cpp: the words of the text literals of a change.
std::vector<std::string> LiteralWords(const std::string& sql);

}  // namespace vendral::detail
