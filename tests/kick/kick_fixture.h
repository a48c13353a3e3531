// The data the kick tests share: synchronizer users, appointments and tasks
// around one kick date, and the log rows the kick wrote.
#pragma once

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "kick_date.h"
#include "support/test_database.h"

namespace vendral::test {

// 8 June 2008, the start of the day.
inline const std::int32_t kKick = static_cast<std::int32_t>(kick::DateSeconds(2008, 6, 8));

// (type, associate, table, record, prev_record_id) of a log row.
using LogRow = std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t>;

class KickDataTest : public EngineTest {
  protected:
    void AddSyncUser(int associate) {
        central_->Exec("INSERT INTO syncusers (associate_id) VALUES (" + std::to_string(associate) +
                       ")");
    }

    // owner and registered are SQL values, "NULL" for none; known rows are in syncsoapp.
    void Add(int id, const std::string& owner, const std::string& registered, std::int64_t due,
             int type, bool known) {
        central_->Exec(
            "INSERT INTO appointment (appointment_id, associate_id, registered_associate_id, "
            "do_by, type) VALUES (" +
            std::to_string(id) + ", " + owner + ", " + registered + ", " + std::to_string(due) +
            ", " + std::to_string(type) + ")");
        if (known)
            central_->Exec("INSERT INTO syncsoapp (appointment_id) VALUES (" + std::to_string(id) +
                           ")");
    }
    void Add(int id, const std::string& owner, int registered, std::int64_t due, int type,
             bool known) {
        Add(id, owner, std::to_string(registered), due, type, known);
    }

    // Synchronizer users 12 and 15; appointments (types 1, 6) and tasks (2, 7)
    // 101 to 108: of 12 and 15, of 13 (no synchronizer user), due before the
    // kick date, unknown to the synchronizer.
    void AddUsersAndRows() {
        AddSyncUser(12);
        AddSyncUser(15);
        // id, owner, registered by, due, type, known to the synchronizer
        Add(101, "12", 40, kKick + 3600, 1, true);
        Add(102, "15", 15, kKick, 6, true);  // due exactly at the kick time
        Add(103, "13", 13, kKick + 100, 1, true);
        Add(104, "12", 12, kKick - 1, 1, true);
        Add(105, "12", 12, kKick + 100, 1, false);
        Add(106, "12", 41, kKick + 200, 2, true);
        Add(107, "15", 15, kKick + 300, 7, true);
        Add(108, "13", 13, kKick + 400, 7, true);
    }

    // Every log row, in the order written (by id).
    std::vector<LogRow> LogRows() {
        std::vector<LogRow> rows;
        for (const auto& row :
             central_->Rows("SELECT type, associate_id, tablenumber, record_id, prev_record_id "
                            "FROM traveltransactionlog ORDER BY traveltransactionlog_id"))
            rows.emplace_back(row[0].ToLong(), row[1].ToLong(), row[2].ToLong(), row[3].ToLong(),
                              row[4].ToLong());
        return rows;
    }
    std::vector<LogRow> SortedLogRows() {
        std::vector<LogRow> rows = LogRows();
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    std::vector<std::int64_t> LogIds() {
        std::vector<std::int64_t> ids;
        for (const auto& row :
             central_->Rows("SELECT traveltransactionlog_id FROM traveltransactionlog ORDER BY 1"))
            ids.push_back(row[0].ToLongLong());
        return ids;
    }
    // The id the travel transaction log's sequence row gives next.
    std::int64_t NextLogId() {
        return central_->Scalar("SELECT next_id FROM sequence WHERE id = 39").ToLongLong();
    }
};

}  // namespace vendral::test
