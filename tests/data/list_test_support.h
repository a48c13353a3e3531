// Shared pieces of the preference, list and user-defined-field tests.
#pragma once

#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "data/local_clock.h"
#include "support/recording_list.h"
#include "support/test_database.h"

namespace vendral::test {

// A CDatabase on the fresh central test database, with associate 12 as its user.
class AttachedDatabaseTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        AttachConnections(db_, *central_);
        db_.AssociateID(12);
        prefix_ = central_->Prefix();
    }
    CDatabase db_;
    std::string prefix_;
};

// One travel transaction log row as the tests compare it.
struct LogRow {
    std::int32_t type;
    std::int32_t table;
    std::int32_t record;
    std::int32_t associate;
    friend bool operator==(const LogRow&, const LogRow&) = default;
    friend std::ostream& operator<<(std::ostream& out, const LogRow& row) {
        return out << "{" << row.type << ", table " << row.table << ", record " << row.record
                   << ", associate " << row.associate << "}";
    }
};

inline std::vector<LogRow> LogRows(TestDatabase& database) {
    std::vector<LogRow> rows;
    for (const auto& row : database.Rows(
             "SELECT type, tablenumber, record_id, associate_id FROM traveltransactionlog "
             "ORDER BY traveltransactionlog_id"))
        rows.push_back({row[0].ToLong(), row[1].ToLong(), row[2].ToLong(), row[3].ToLong()});
    return rows;
}

// The statements of a log that begin with a text.
inline std::vector<std::string> StartingWith(const StatementLog& log, const std::string& start) {
    std::vector<std::string> found;
    for (const auto& statement : log.Statements())
        if (statement.rfind(start, 0) == 0) found.push_back(statement);
    return found;
}

// Whether a statement equals a pattern in which each "%d" stands for a whole
// number (the clock's timestamps).
inline bool MatchesWithNumbers(const std::string& actual, const std::string& pattern) {
    std::size_t a = 0, p = 0;
    while (p < pattern.size()) {
        if (pattern.compare(p, 2, "%d") == 0) {
            std::size_t digits = a;
            while (digits < actual.size() &&
                   std::isdigit(static_cast<unsigned char>(actual[digits])))
                ++digits;
            if (digits == a) return false;
            a = digits;
            p += 2;
        } else {
            if (a >= actual.size() || actual[a] != pattern[p]) return false;
            ++a;
            ++p;
        }
    }
    return a == actual.size();
}

}  // namespace vendral::test
