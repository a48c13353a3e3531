// ExecSQL's reading of a statement against the engines' own: a change that
// it accepts as one statement is one statement for SQLite (its tokenizer,
// through sqlite3_complete), for PostgreSQL with standard_conforming_strings
// on and off and for MariaDB with NO_BACKSLASH_ESCAPES, as the library's
// sessions have it (reference lexers of their string forms, written here
// character by character), and holds no comment that MariaDB runs as code.
// Texts are built from pieces of those forms.
#include <fuzzer/FuzzedDataProvider.h>
#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "data/statement_text.h"
#include "fuzz_check.h"

namespace {

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool IdentifierCharacter(char c) {
    auto u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || u >= 0x80;
}

// The number of statements PostgreSQL's lexer finds: pieces between ";" of
// code that hold more than blanks and comments.
int PostgresStatements(const std::string& sql, bool backslashesInPlainTexts) {
    enum State { Code, Plain, Escaped, Name, Dollar, Line, Block } state = Code;
    int statements = 0, depth = 0;
    bool content = false;
    std::string tag;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        const char next = i + 1 < sql.size() ? sql[i + 1] : '\0';
        switch (state) {
            case Code:
                if (c == ';') {
                    statements += content ? 1 : 0;
                    content = false;
                } else if (c == '-' && next == '-') {
                    state = Line;
                    ++i;
                } else if (c == '/' && next == '*') {
                    state = Block;
                    depth = 1;
                    ++i;
                } else if (!Blank(c)) {
                    content = true;
                    const bool afterName = i > 0 && IdentifierCharacter(sql[i - 1]);
                    if ((c == 'E' || c == 'e') && next == '\'' && !afterName) {
                        state = Escaped;
                        ++i;
                    } else if (c == '\'') {
                        state = backslashesInPlainTexts ? Escaped : Plain;
                    } else if (c == '"') {
                        state = Name;
                    } else if (c == '$' && !afterName && !(next >= '0' && next <= '9')) {
                        std::size_t end = i + 1;
                        while (end < sql.size() && sql[end] != '$' && IdentifierCharacter(sql[end]))
                            ++end;
                        if (end < sql.size() && sql[end] == '$') {
                            tag = sql.substr(i, end + 1 - i);
                            state = Dollar;
                            i = end;
                        }
                    }
                }
                break;
            case Plain:
            case Escaped:
                if (state == Escaped && c == '\\') {
                    ++i;
                } else if (c == '\'') {
                    if (next == '\'') {
                        ++i;
                    } else {
                        state = Code;
                    }
                }
                break;
            case Name:
                if (c == '"') {
                    if (next == '"') {
                        ++i;
                    } else {
                        state = Code;
                    }
                }
                break;
            case Dollar:
                if (sql.compare(i, tag.size(), tag) == 0) {
                    i += tag.size() - 1;
                    state = Code;
                }
                break;
            case Line:
                if (c == '\n') state = Code;
                break;
            case Block:
                if (c == '*' && next == '/') {
                    ++i;
                    if (--depth == 0) state = Code;
                } else if (c == '/' && next == '*') {
                    ++i;
                    ++depth;
                }
                break;
        }
    }
    return statements + (content ? 1 : 0);
}

// The number of statements MariaDB's lexer finds (NO_BACKSLASH_ESCAPES, "#"
// a comment everywhere), and whether code holds a /*! or /*M! comment, whose
// content the server runs.
int MariaDBStatements(const std::string& sql, bool& executableComment) {
    enum State { Code, Quoted, Line, Block } state = Code;
    char quote = '\0';
    int statements = 0;
    bool content = false;
    executableComment = false;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        const char next = i + 1 < sql.size() ? sql[i + 1] : '\0';
        switch (state) {
            case Code:
                if (c == ';') {
                    statements += content ? 1 : 0;
                    content = false;
                } else if (c == '#' || (c == '-' && next == '-' &&
                                        (i + 2 >= sql.size() ||
                                         static_cast<unsigned char>(sql[i + 2]) <= 0x20 ||
                                         sql[i + 2] == 0x7F))) {
                    state = Line;
                } else if (c == '/' && next == '*') {
                    if (sql.compare(i, 3, "/*!") == 0 || sql.compare(i, 4, "/*M!") == 0)
                        executableComment = true;
                    state = Block;
                    ++i;
                } else if (!Blank(c)) {
                    content = true;
                    if (c == '\'' || c == '"' || c == '`') {
                        quote = c;
                        state = Quoted;
                    }
                }
                break;
            case Quoted:
                if (c == quote) {
                    if (next == quote) {
                        ++i;
                    } else {
                        state = Code;
                    }
                }
                break;
            case Line:
                if (c == '\n') state = Code;
                break;
            case Block:
                if (c == '*' && next == '/') {
                    ++i;
                    state = Code;
                }
                break;
        }
    }
    return statements + (content ? 1 : 0);
}

// Whether SQLite finds more than one statement that is not empty: the text is
// cut at each ";" where its tokenizer sees a statement end (sqlite3_complete
// from the last cut on), and a piece is empty when SQLite prepares it as nothing.
bool SqliteSeesSeveral(const std::string& sql) {
    static sqlite3* db = [] {
        sqlite3* opened = nullptr;
        sqlite3_open(":memory:", &opened);
        return opened;
    }();
    auto holdsStatement = [](const std::string& piece) {
        sqlite3_stmt* statement = nullptr;
        int rc = sqlite3_prepare_v2(db, piece.c_str(), -1, &statement, nullptr);
        sqlite3_finalize(statement);
        return rc != SQLITE_OK || statement != nullptr;
    };
    int statements = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        if (sql[i] != ';') continue;
        std::string piece = sql.substr(start, i + 1 - start);
        if (!sqlite3_complete(piece.c_str())) continue;
        statements += holdsStatement(piece) ? 1 : 0;
        start = i + 1;
    }
    if (start < sql.size()) statements += holdsStatement(sql.substr(start)) ? 1 : 0;
    return statements > 1;
}

const char* const kPieces[] = {
    "UPDATE CRM5.contact SET name = ",
    " WHERE contact_id = 1",
    "; DELETE FROM CRM5.contact",
    "E'",
    "e'",
    "'",
    "''",
    "\\'",
    "\\\\",
    "\\",
    "$$",
    "$q$",
    "$q",
    "$1",
    "a$b$",
    "\"",
    "\"\"",
    "/*",
    "*/",
    "--",
    "\n",
    ";",
    "[",
    "]",
    "`",
    " ",
    "x",
    "U&'",
    "N'",
    "(",
    "#",
    "-- ",
    "--x",
    "/*!",
    "/*M!",
    "/*!50000 ",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::string sql;
    if (input.ConsumeBool()) sql = "UPDATE CRM5.contact SET name = ";
    while (input.remaining_bytes() > 0 && sql.size() < 2048) {
        if (input.ConsumeIntegralInRange<int>(0, 7) == 0) {
            sql += input.ConsumeBytesAsString(input.ConsumeIntegralInRange<std::size_t>(1, 4));
        } else {
            sql += kPieces[input.ConsumeIntegralInRange<std::size_t>(
                0, sizeof kPieces / sizeof kPieces[0] - 1)];
        }
    }
    // The text as the engines would see it: C strings end at a NUL.
    sql = sql.substr(0, sql.find('\0'));

    vendral::detail::StatementTarget target = vendral::detail::AnalyseStatement(sql);
    if (!target.refusal.empty() || target.kind == vendral::detail::StatementKind::Other) return 0;
    FUZZ_CHECK(PostgresStatements(sql, false) == 1, "PostgreSQL reads several: " + Printable(sql));
    FUZZ_CHECK(PostgresStatements(sql, true) == 1,
               "PostgreSQL without standard strings reads several: " + Printable(sql));
    FUZZ_CHECK(!SqliteSeesSeveral(sql), "SQLite reads several: " + Printable(sql));
    bool executableComment = false;
    FUZZ_CHECK(MariaDBStatements(sql, executableComment) == 1,
               "MariaDB reads several: " + Printable(sql));
    FUZZ_CHECK(!executableComment, "MariaDB runs a comment as code: " + Printable(sql));
    return 0;
}
