// Reading a statement text the way the engines do, far enough to tell code
// from quoted texts, quoted names and comments: what the library looks for in
// a statement (its keyword, its table, the "#" placeholder, a schema prefix)
// counts only where it is code.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vendral::detail {

enum class SqlSpanKind { Code, Literal, QuotedName, Comment };

// A run of the text [begin, end) of one kind; the spans cover the whole text in
// order. An unterminated literal, name or comment runs to the end.
struct SqlSpan {
    SqlSpanKind kind;
    std::size_t begin;
    std::size_t end;
};
std::vector<SqlSpan> SqlSpans(std::string_view sql);

// From pos on, past blanks and comments (and opening parentheses when asked).
std::size_t SkipSqlNoise(std::string_view sql, std::size_t pos, bool parentheses);

// The first c that is code, or npos.
std::size_t FindInCode(std::string_view sql, char c);

// The statements of a text split at the ";" that are code; pieces that hold
// nothing but blanks and comments are left out.
std::vector<std::string> SplitStatements(std::string_view sql);

// The words of the code in capitals (letters, digits, "_", "$" and "."), in order.
std::vector<std::string> CodeWords(std::string_view sql);

// Every occurrence of prefix that is code and stands before a name (a letter,
// "_", a quoted name or a bracket, after the prefix's own "." if it lacks one)
// and not inside another name, taken out.
std::string WithoutSchemaPrefix(std::string_view sql, std::string_view prefix);

}  // namespace vendral::detail
