#include "data/statement_text.h"

#include "base/text.h"

namespace vendral::detail {
namespace {

bool IsSqlBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool IsNameCharacter(char c) {
    auto u = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || u >= 0x80;
}

bool StartsName(char c) {
    auto u = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '"' || c == '[' ||
           c == '`' || u >= 0x80;
}

// The end of a run closed by quote, where a doubled quote stands for itself
// and, when backslashes escape, a backslash takes the character after it.
std::size_t QuotedEnd(std::string_view sql, std::size_t open, char quote, bool backslashes) {
    for (std::size_t pos = open + 1; pos < sql.size(); ++pos) {
        if (backslashes && sql[pos] == '\\') {
            ++pos;
        } else if (sql[pos] == quote) {
            if (pos + 1 < sql.size() && sql[pos + 1] == quote) {
                ++pos;
                continue;
            }
            return pos + 1;
        }
    }
    return sql.size();
}

// The length of a dollar-quote tag ("$$" or "$name$") at pos, or 0. A "$"
// inside a name belongs to the name, and "$1" is a parameter.
std::size_t DollarTagLength(std::string_view sql, std::size_t pos) {
    if (sql[pos] != '$' || (pos > 0 && IsNameCharacter(sql[pos - 1]))) return 0;
    std::size_t i = pos + 1;
    if (i < sql.size() && sql[i] >= '0' && sql[i] <= '9') return 0;
    while (i < sql.size() && sql[i] != '$' && IsNameCharacter(sql[i])) ++i;
    if (i >= sql.size() || sql[i] != '$') return 0;
    return i + 1 - pos;
}

std::size_t BlockCommentEnd(std::string_view sql, std::size_t open, bool nested) {
    std::size_t depth = 1;
    std::size_t pos = open + 2;
    while (pos + 1 < sql.size()) {
        if (sql[pos] == '*' && sql[pos + 1] == '/') {
            pos += 2;
            if (--depth == 0) return pos;
        } else if (nested && sql[pos] == '/' && sql[pos + 1] == '*') {
            pos += 2;
            ++depth;
        } else {
            ++pos;
        }
    }
    return sql.size();
}

bool IsPostgreSQLReading(SqlReading reading) {
    return reading == SqlReading::PostgreSQL || reading == SqlReading::PostgreSQLBackslashes;
}

// Whether "--" at pos starts a comment: always for PostgreSQL and SQLite, and
// for MariaDB only when a blank or a control character (or the end) follows.
bool StartsDashComment(std::string_view sql, std::size_t pos, SqlReading reading) {
    if (sql[pos] != '-' || pos + 1 >= sql.size() || sql[pos + 1] != '-') return false;
    if (!IsMariaDBReading(reading)) return true;
    const auto after = pos + 2 < sql.size() ? static_cast<unsigned char>(sql[pos + 2]) : 0;
    return after <= 0x20 || after == 0x7F;
}

std::size_t LineEnd(std::string_view sql, std::size_t pos) {
    std::size_t newline = sql.find('\n', pos);
    return newline == std::string_view::npos ? sql.size() : newline + 1;
}

// When a text, a quoted name or a comment starts at i in this reading: its
// kind and end. Otherwise i is code and end stays i. A "#" that starts no
// comment in the placeholder reading is told by hashIsCode.
SqlSpanKind SpanAt(std::string_view sql, std::size_t i, SqlReading reading, std::size_t& end,
                   bool hashIsCode = false) {
    const bool postgres = IsPostgreSQLReading(reading);
    const bool mariadb = IsMariaDBReading(reading);
    const char c = sql[i];
    const char next = i + 1 < sql.size() ? sql[i + 1] : '\0';
    end = i;
    if (c == '\'') {
        end = QuotedEnd(sql, i, '\'', reading == SqlReading::PostgreSQLBackslashes);
        return SqlSpanKind::Literal;
    }
    if (postgres && (c == 'E' || c == 'e') && next == '\'' &&
        (i == 0 || !IsNameCharacter(sql[i - 1]))) {
        end = QuotedEnd(sql, i + 1, '\'', true);
        return SqlSpanKind::Literal;
    }
    if (postgres && c == '$') {
        std::size_t tag = DollarTagLength(sql, i);
        if (tag > 0) {
            std::size_t close = sql.find(sql.substr(i, tag), i + tag);
            end = close == std::string_view::npos ? sql.size() : close + tag;
            return SqlSpanKind::Literal;
        }
    }
    if (c == '"') {
        end = QuotedEnd(sql, i, '"', false);
        return SqlSpanKind::QuotedName;
    }
    if ((reading == SqlReading::SQLite && c == '[') || (!postgres && c == '`')) {
        if (c == '`') {
            end = QuotedEnd(sql, i, '`', false);
        } else {
            std::size_t close = sql.find(']', i + 1);
            end = close == std::string_view::npos ? sql.size() : close + 1;
        }
        return SqlSpanKind::QuotedName;
    }
    if (StartsDashComment(sql, i, reading) || (mariadb && c == '#' && !hashIsCode)) {
        end = LineEnd(sql, i);
        return SqlSpanKind::Comment;
    }
    if (c == '/' && next == '*') {
        end = BlockCommentEnd(sql, i, postgres);
        return SqlSpanKind::Comment;
    }
    return SqlSpanKind::Code;
}

}  // namespace

std::vector<SqlSpan> SqlSpans(std::string_view sql, SqlReading reading) {
    std::vector<SqlSpan> spans;
    std::size_t codeStart = 0;
    std::size_t i = 0;
    bool placeholderTaken = reading != SqlReading::MariaDBPlaceholder;
    while (i < sql.size()) {
        std::size_t end = i;
        SqlSpanKind kind = SpanAt(sql, i, reading, end, !placeholderTaken);
        if (kind == SqlSpanKind::Code) {
            if (sql[i] == '#') placeholderTaken = true;
            ++i;
            continue;
        }
        if (codeStart < i) spans.push_back({SqlSpanKind::Code, codeStart, i});
        spans.push_back({kind, i, end});
        codeStart = end;
        i = end;
    }
    if (codeStart < sql.size()) spans.push_back({SqlSpanKind::Code, codeStart, sql.size()});
    return spans;
}

std::size_t SkipSqlNoise(std::string_view sql, std::size_t pos, bool parentheses,
                         SqlReading reading) {
    while (pos < sql.size()) {
        char c = sql[pos];
        if (IsSqlBlank(c) || (parentheses && c == '(')) {
            ++pos;
        } else if (StartsDashComment(sql, pos, reading) ||
                   (reading == SqlReading::MariaDB && c == '#')) {
            pos = LineEnd(sql, pos);
        } else if (c == '/' && pos + 1 < sql.size() && sql[pos + 1] == '*') {
            pos = BlockCommentEnd(sql, pos, IsPostgreSQLReading(reading));
        } else {
            break;
        }
    }
    return pos;
}

std::size_t FindInCode(std::string_view sql, char c, SqlReading reading) {
    for (const SqlSpan& span : SqlSpans(sql, reading)) {
        if (span.kind != SqlSpanKind::Code) continue;
        std::size_t found = sql.substr(span.begin, span.end - span.begin).find(c);
        if (found != std::string_view::npos) return span.begin + found;
    }
    return std::string_view::npos;
}

std::vector<std::string> SplitStatements(std::string_view sql, SqlReading reading) {
    std::vector<std::string> statements;
    std::size_t start = 0;
    auto take = [&](std::size_t end, bool unterminated) {
        std::string_view piece = sql.substr(start, end - start);
        // A vertical tab separates words for some engines and is a character
        // of its own for others, and an unterminated block comment is an
        // error for the engines: a piece holding either is no empty piece.
        // The noise is read in the whole text: what follows a piece decides
        // whether a "--" at its end starts a comment (MariaDB's "--;" does not).
        if (SkipSqlNoise(sql, start, false, reading) < end || unterminated ||
            piece.find('\v') != std::string_view::npos)
            statements.emplace_back(piece);
        start = end + 1;
    };
    const std::vector<SqlSpan> spans = SqlSpans(sql, reading);
    for (const SqlSpan& span : spans) {
        if (span.kind != SqlSpanKind::Code) continue;
        for (std::size_t i = span.begin; i < span.end; ++i)
            if (sql[i] == ';') take(i, false);
    }
    bool unterminated = false;
    if (!spans.empty() && spans.back().kind == SqlSpanKind::Comment) {
        std::string_view last = sql.substr(spans.back().begin);
        unterminated = last.starts_with("/*") && !(last.size() >= 4 && last.ends_with("*/"));
    }
    if (start <= sql.size()) take(sql.size(), unterminated);
    return statements;
}

bool HasExecutableComment(std::string_view sql, SqlReading reading) {
    if (!IsMariaDBReading(reading)) return false;
    for (const SqlSpan& span : SqlSpans(sql, reading)) {
        std::string_view text = sql.substr(span.begin, span.end - span.begin);
        if (span.kind == SqlSpanKind::Comment &&
            (text.starts_with("/*!") || text.starts_with("/*M!")))
            return true;
    }
    return false;
}

std::vector<std::string> CodeWords(std::string_view sql, SqlReading reading) {
    std::vector<std::string> words;
    for (const SqlSpan& span : SqlSpans(sql, reading)) {
        if (span.kind != SqlSpanKind::Code) continue;
        std::size_t i = span.begin;
        while (i < span.end) {
            if (!IsNameCharacter(sql[i]) && sql[i] != '.') {
                ++i;
                continue;
            }
            std::size_t start = i;
            while (i < span.end && (IsNameCharacter(sql[i]) || sql[i] == '.')) ++i;
            words.push_back(ToUpper(sql.substr(start, i - start)));
        }
    }
    return words;
}

std::string WithoutSchemaPrefix(std::string_view sql, std::string_view prefix) {
    if (prefix.empty()) return std::string(sql);
    const bool ownDot = prefix.back() == '.';
    std::string out;
    out.reserve(sql.size());
    for (const SqlSpan& span : SqlSpans(sql)) {
        std::string_view text = sql.substr(span.begin, span.end - span.begin);
        if (span.kind != SqlSpanKind::Code) {
            out.append(text);
            continue;
        }
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t found = text.find(prefix, pos);
            if (found == std::string_view::npos) break;
            std::size_t after = found + prefix.size();
            if (!ownDot && after < text.size() && text[after] == '.') ++after;
            // Before the prefix: the start of the code or something that ends no name.
            std::size_t absolute = span.begin + found;
            bool freeBefore =
                absolute == 0 || !(IsNameCharacter(sql[absolute - 1]) || sql[absolute - 1] == '.');
            bool dotted = ownDot || (after > found + prefix.size());
            // A name may also follow in the next span, as a quoted name does.
            char next = after < text.size()     ? text[after]
                        : span.end < sql.size() ? sql[span.end]
                                                : '\0';
            if (freeBefore && dotted && StartsName(next)) {
                out.append(text.substr(pos, found - pos));
            } else {
                out.append(text.substr(pos, after - pos));
            }
            pos = after;
        }
        out.append(text.substr(pos));
    }
    return out;
}

}  // namespace vendral::detail
