#include "data/statement_text.h"

#include "platform/text.h"

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

// The end of a run closed by quote, where a doubled quote stands for itself.
std::size_t QuotedEnd(std::string_view sql, std::size_t open, char quote) {
    std::size_t pos = open + 1;
    for (;;) {
        std::size_t close = sql.find(quote, pos);
        if (close == std::string_view::npos) return sql.size();
        if (close + 1 < sql.size() && sql[close + 1] == quote) {
            pos = close + 2;
            continue;
        }
        return close + 1;
    }
}

}  // namespace

std::vector<SqlSpan> SqlSpans(std::string_view sql) {
    std::vector<SqlSpan> spans;
    std::size_t codeStart = 0;
    auto push = [&](SqlSpanKind kind, std::size_t begin, std::size_t end) {
        if (codeStart < begin) spans.push_back({SqlSpanKind::Code, codeStart, begin});
        spans.push_back({kind, begin, end});
        codeStart = end;
    };
    std::size_t i = 0;
    while (i < sql.size()) {
        char c = sql[i];
        if (c == '\'') {
            std::size_t end = QuotedEnd(sql, i, '\'');
            push(SqlSpanKind::Literal, i, end);
            i = end;
        } else if (c == '"') {
            std::size_t end = QuotedEnd(sql, i, '"');
            push(SqlSpanKind::QuotedName, i, end);
            i = end;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            std::size_t end = sql.find('\n', i);
            end = end == std::string_view::npos ? sql.size() : end + 1;
            push(SqlSpanKind::Comment, i, end);
            i = end;
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            std::size_t end = sql.find("*/", i + 2);
            end = end == std::string_view::npos ? sql.size() : end + 2;
            push(SqlSpanKind::Comment, i, end);
            i = end;
        } else {
            ++i;
        }
    }
    if (codeStart < sql.size()) spans.push_back({SqlSpanKind::Code, codeStart, sql.size()});
    return spans;
}

std::size_t SkipSqlNoise(std::string_view sql, std::size_t pos, bool parentheses) {
    while (pos < sql.size()) {
        char c = sql[pos];
        if (IsSqlBlank(c) || (parentheses && c == '(')) {
            ++pos;
        } else if (c == '-' && pos + 1 < sql.size() && sql[pos + 1] == '-') {
            std::size_t end = sql.find('\n', pos);
            pos = end == std::string_view::npos ? sql.size() : end + 1;
        } else if (c == '/' && pos + 1 < sql.size() && sql[pos + 1] == '*') {
            std::size_t end = sql.find("*/", pos + 2);
            pos = end == std::string_view::npos ? sql.size() : end + 2;
        } else {
            break;
        }
    }
    return pos;
}

std::size_t FindInCode(std::string_view sql, char c) {
    for (const SqlSpan& span : SqlSpans(sql)) {
        if (span.kind != SqlSpanKind::Code) continue;
        std::size_t found = sql.substr(span.begin, span.end - span.begin).find(c);
        if (found != std::string_view::npos) return span.begin + found;
    }
    return std::string_view::npos;
}

std::vector<std::string> SplitStatements(std::string_view sql) {
    std::vector<std::string> statements;
    std::size_t start = 0;
    auto take = [&](std::size_t end) {
        std::string_view piece = sql.substr(start, end - start);
        if (SkipSqlNoise(piece, 0, false) < piece.size()) statements.emplace_back(piece);
        start = end + 1;
    };
    for (const SqlSpan& span : SqlSpans(sql)) {
        if (span.kind != SqlSpanKind::Code) continue;
        for (std::size_t i = span.begin; i < span.end; ++i)
            if (sql[i] == ';') take(i);
    }
    if (start <= sql.size()) take(sql.size());
    return statements;
}

std::vector<std::string> CodeWords(std::string_view sql) {
    std::vector<std::string> words;
    for (const SqlSpan& span : SqlSpans(sql)) {
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
