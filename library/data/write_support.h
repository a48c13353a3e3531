// Small helpers shared by the writing members of CDatabase: the selector check,
// a transaction that is only opened when the caller has none, and a guard that
// closes a recordset on every way out.
#pragma once

#include <cstdint>
#include <string>

#include "data/data_errors.h"
#include "odbc/connection_access.h"
#include "vendral/connection.h"

namespace vendral::detail {

// Writing members are defined for the central (0) and the local (1) side only;
// any other selector is refused before anything is written.
inline void RequireWriteSelector(std::int16_t iDatabaseConnection, const char* member) {
    if (iDatabaseConnection == 0 || iDatabaseConnection == 1) return;
    Raise(kArgumentRefused, SelectorRefusedText(member, iDatabaseConnection));
}

// Opens a transaction on the connection unless one is already open there (a
// nested BeginTrans is an error). Rolls back on destruction unless committed.
class OwnTransaction {
  public:
    explicit OwnTransaction(Connection& connection)
        : connection_(connection), own_(!connection.InTransaction()) {
        if (own_) connection_.BeginTrans();
    }
    ~OwnTransaction() {
        if (own_ && !done_ && connection_.InTransaction()) {
            try {
                connection_.RollbackTrans();
            } catch (const DatabaseError&) {
                // The error that got us here is the one the caller must see.
            }
        }
    }
    OwnTransaction(const OwnTransaction&) = delete;
    OwnTransaction& operator=(const OwnTransaction&) = delete;

    void Commit() {
        if (!own_ || done_) return;
        done_ = true;
        connection_.CommitTrans();
    }

  private:
    Connection& connection_;
    bool own_;
    bool done_ = false;
};

// Inside a caller's transaction: a savepoint that takes back what was done
// after it unless released, so that a failed change leaves no log row behind
// when the caller goes on to commit its other work.
class CallersSavepoint {
  public:
    explicit CallersSavepoint(Connection& connection) : connection_(connection) {
        connection_.Execute("SAVEPOINT vendral_change");
    }
    ~CallersSavepoint() {
        if (released_) return;
        try {
            connection_.Execute("ROLLBACK TO SAVEPOINT vendral_change");
            connection_.Execute("RELEASE SAVEPOINT vendral_change");
        } catch (const DatabaseError&) {
            // The error that got us here is the one the caller must see.
        }
    }
    CallersSavepoint(const CallersSavepoint&) = delete;
    CallersSavepoint& operator=(const CallersSavepoint&) = delete;

    void Release() {
        connection_.Execute("RELEASE SAVEPOINT vendral_change");
        released_ = true;
    }

  private:
    Connection& connection_;
    bool released_ = false;
};

// A name as the list inserts store it (through CheckSQL: "'" doubled for the
// literal, "[" as "[[", "|" as two characters of code 24), made a LIKE pattern
// that matches that text only: "%" and "_" are escaped, with "!" as the
// escape character behind an ESCAPE clause, or as one-character classes on a
// file database, whose LIKE has no ESCAPE. A backslash needs the clause too:
// without one PostgreSQL's LIKE takes it as its escape character. Patterns
// without wildcards or backslashes keep their text exactly. LikePattern is
// the text between the apostrophes, LikeEscape what follows the closing one.
struct LikeText {
    std::string Pattern;
    std::string Escape;
};
inline LikeText StoredNameForLike(const std::string& checked, bool fileDatabase) {
    if (checked.find_first_of(fileDatabase ? "%_[#*?" : "%_!\\") == std::string::npos)
        return {checked, ""};
    std::string pattern;
    for (char c : checked) {
        if (fileDatabase &&
            (c == '%' || c == '_' || c == '[' || c == '#' || c == '*' || c == '?')) {
            pattern += std::string("[") + c + "]";
        } else if (!fileDatabase && (c == '%' || c == '_' || c == '!')) {
            pattern += std::string("!") + c;
        } else {
            pattern.push_back(c);
        }
    }
    return {pattern, fileDatabase ? "" : " ESCAPE '!'"};
}

// Closes a recordset (the shared WorkRecordset above all) on every way out, so
// that a failed query never breaks the next one.
class RecordsetCloser {
  public:
    explicit RecordsetCloser(Recordset& recordset) : recordset_(recordset) {}
    ~RecordsetCloser() {
        if (recordset_.State() == adStateOpen) recordset_.Close();
    }
    RecordsetCloser(const RecordsetCloser&) = delete;
    RecordsetCloser& operator=(const RecordsetCloser&) = delete;

  private:
    Recordset& recordset_;
};

}  // namespace vendral::detail
