#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>

#include "support/test_database.h"

namespace vendral::test {
namespace {

// Sets the process's time zone for one test and restores it afterwards. The
// zone is written "NAMEhh" (hours west of UTC), which the C runtimes of both
// platforms read from TZ.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        SetZone(zone);
    }
    ~ScopedTimeZone() { SetZone(old_ ? old_->c_str() : nullptr); }

  private:
    static void SetZone(const char* zone) {
#ifdef _WIN32
        // An empty TZ removes the variable; the runtime then asks the system.
        _putenv_s("TZ", zone ? zone : "");
        _tzset();
#else
        if (zone)
            setenv("TZ", zone, 1);
        else
            unsetenv("TZ");
        tzset();
#endif
    }
    std::optional<std::string> old_;
};

// The local wall clock read as if it were UTC.
std::int64_t LocalWallSeconds() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
    return _mkgmtime(&local);
#else
    localtime_r(&now, &local);
    return timegm(&local);
#endif
}

class TravelLogTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        // A skipped or failed engine leaves no database to set up.
        if (!central_) return;
        AttachConnections(db_, *central_);
        p_ = central_->Prefix();
    }
    std::string InsertText(int id, std::int64_t ttime, const std::string& rest) {
        return "INSERT INTO " + p_ +
               "traveltransactionlog ( traveltransactionlog_id, ttime, prev_record_id, type, "
               "associate_id, tablenumber, record_id ) VALUES (" +
               std::to_string(id) + ", " + std::to_string(ttime) + ", 0, " + rest + ")";
    }
    CDatabase db_;
    std::string p_;
};

TEST_P(TravelLogTest, WritesOneRowNumberedFromSequenceRow39) {
    // Five hours east of UTC, so that a clock read in UTC would be caught.
    ScopedTimeZone zone("VTZ-5");
    StatementLog log(*db_.dDatabase());
    std::int64_t before = LocalWallSeconds();
    Variant id = db_.UpdateTravelTransactionLog(kActionUpdate, 12, 9, 4711);
    std::int64_t after = LocalWallSeconds();

    EXPECT_EQ(id, Variant(1000));
    EXPECT_EQ(id.Type(), VariantType::Long);
    auto rows = central_->Rows(
        "SELECT traveltransactionlog_id, ttime, prev_record_id, type, associate_id, "
        "tablenumber, record_id FROM traveltransactionlog");
    ASSERT_EQ(rows.size(), 1u);
    std::int64_t ttime = rows[0][1].ToLongLong();
    EXPECT_GE(ttime, before);
    EXPECT_LE(ttime, after);
    EXPECT_EQ(rows[0][0], Variant(1000));
    EXPECT_EQ(rows[0][2], Variant(0));
    EXPECT_EQ(rows[0][3], Variant(4608));
    EXPECT_EQ(rows[0][4], Variant(12));
    EXPECT_EQ(rows[0][5], Variant(9));
    EXPECT_EQ(rows[0][6], Variant(4711));
    ASSERT_EQ(log.Statements().size(), 4u);
    EXPECT_EQ(log.Statements()[0],
              "UPDATE " + p_ + "Sequence SET Next_id = Next_id + 1  WHERE id=39");
    EXPECT_EQ(log.Statements()[3], InsertText(1000, ttime, "4608, 12, 9, 4711"));
}

TEST_P(TravelLogTest, LocalSelectorWritesOnTheLocalDatabaseOnly) {
    TestDatabase local(engine(), Side::Local);
    AttachConnections(db_, *central_, &local);
    EXPECT_EQ(db_.UpdateTravelTransactionLog(kActionDelete, 3, 5, 77, 1), Variant(1000));
    EXPECT_EQ(local
                  .Scalar("SELECT COUNT(*) FROM traveltransactionlog WHERE type = 4864 AND "
                          "record_id = 77")
                  .ToLong(),
              1);
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM traveltransactionlog").ToLong(), 0);
}

TEST_P(TravelLogTest, RefusesOtherSelectorsBeforeWriting) {
    EXPECT_THROW(db_.UpdateTravelTransactionLog(kActionUpdate, 12, 9, 4711, 2), DatabaseError);
    EXPECT_EQ(central_->Scalar("SELECT next_id FROM sequence WHERE id = 39").ToLong(), 1000);
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM traveltransactionlog").ToLong(), 0);
}

TEST_P(TravelLogTest, FailedInsertIsRetriedWithAFreshIdAtMostThreeTimes) {
    // Rows that the sequence does not know about occupy the next ids.
    auto occupy = [&](int id) {
        central_->Exec(
            "INSERT INTO traveltransactionlog (traveltransactionlog_id, ttime, prev_record_id, "
            "type, associate_id, tablenumber, record_id) VALUES (" +
            std::to_string(id) + ", 0, 0, 0, 0, 0, 0)");
    };
    occupy(1000);
    occupy(1001);
    EXPECT_EQ(db_.UpdateTravelTransactionLog(kActionUpdate, 12, 9, 4711), Variant(1002));
    EXPECT_EQ(central_
                  ->Scalar("SELECT record_id FROM traveltransactionlog WHERE "
                           "traveltransactionlog_id = 1002")
                  .ToLong(),
              4711);

    occupy(1003);
    occupy(1004);
    occupy(1005);
    EXPECT_THROW(db_.UpdateTravelTransactionLog(kActionUpdate, 12, 9, 4712), DatabaseError);
    EXPECT_EQ(central_->Scalar("SELECT next_id FROM sequence WHERE id = 39").ToLong(), 1006);
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM traveltransactionlog WHERE record_id = 4712")
                  .ToLong(),
              0);
}

VENDRAL_INSTANTIATE_ENGINES(TravelLogTest);

}  // namespace
}  // namespace vendral::test
