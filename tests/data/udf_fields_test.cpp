#include <gtest/gtest.h>

#include <cstdint>

#include "data/list_test_support.h"

namespace vendral::test {
namespace {

TEST(UDFFieldNameTest, NamesEachBlockOfEverySetAndNothingBetweenThem) {
    CDatabase db;
    const std::pair<std::int32_t, const char*> cases[] = {
        {8961, "LONG01"},
        {9020, "LONG60"},
        {9021, "STRING01"},
        {9060, "STRING40"},
        {9061, "DOUBLE01"},
        {9070, "DOUBLE10"},
        {9217, "STRING41"},
        {9225, "STRING49"},
        {9465, "LONG01"},
        {35901, "STRING01"},
        {36353, "LONG01"},
        {40705, "STRING41"},
        {8960, ""},
        {9071, ""},
        {9216, ""},
        {9226, ""},
        {0, ""},
        {-8961, ""},
        {INT32_MIN, ""},
        {INT32_MAX, ""},
    };
    for (const auto& [column, name] : cases) {
        Variant field = db.GetUDFFieldName(column);
        EXPECT_EQ(field.ToString(), name) << "column " << column;
        // A column without a name gives Empty, not an empty text.
        EXPECT_EQ(field.IsEmpty(), *name == '\0') << "column " << column;
    }
}

class UDFListTest : public AttachedDatabaseTest {
  protected:
    void SetUp() override {
        AttachedDatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        // Contact field STRING01 (column 9021): list 5 in version 1, list 6 in
        // the current version 2. Sale field STRING41 (column 40705): list 9.
        central_->Exec(
            "INSERT INTO udeffield (udeffield_id, ownertable_id, version, columnid, "
            "udlistdefinition_id) VALUES (1, 7, 1, 9021, 5), (2, 7, 2, 9021, 6), "
            "(3, 7, 2, 8961, 0), (4, 10, 4, 40705, 9)");
        central_->Exec(
            "INSERT INTO udlist (udlist_id, name, udlistdefinition_id) VALUES "
            "(1, 'Red', 6), (2, 'Dark Green', 6), (3, 'Green', 5), (4, 'Pine', 9)");
    }
};

TEST_P(UDFListTest, GetUDFListIDSearchesTheCurrentListExactlyOrByContainedText) {
    StatementLog log(*db_.dDatabase());

    EXPECT_EQ(db_.GetUDFListID(UDFContact, "string01", "Red", false, true).ToLong(), 1);
    EXPECT_EQ(log.Statements(), (std::vector<std::string>{
                                    "SELECT version FROM " + prefix_ +
                                        "udeffield where ownertable_id = 7 order by version desc",
                                    "SELECT udlistdefinition_id FROM " + prefix_ +
                                        "Udeffield where version = 2 and columnid = 9021",
                                    "SELECT UDList_id FROM " + prefix_ +
                                        "UDList where udlistdefinition_id = 6 and name = 'Red'"}));

    // "Green" is only a value of the old list; the current one has it inside a name.
    EXPECT_EQ(db_.GetUDFListID(UDFContact, "STRING01", "Green", false, true).ToLong(), 0);
    log.Clear();
    EXPECT_EQ(db_.GetUDFListID(UDFContact, "STRING01", "Green", false, false).ToLong(), 2);
    EXPECT_TRUE(log.Contains("SELECT UDList_id FROM " + prefix_ +
                             "UDList where udlistdefinition_id = 6 and name like '%Green%'"));

    // A field of the last block of the sale set.
    EXPECT_EQ(db_.GetUDFListID(UDFSale, "STRING41", "Pine", false, true).ToLong(), 4);
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM udlist").ToLong(), 4);
}

TEST_P(UDFListTest, GetUDFListIDCreatesAMissingValueNumberedFromTheUDListSequence) {
    StatementLog log(*db_.dDatabase());

    // The UDLIST sequence row (136 + 10) starts at 1000.
    EXPECT_EQ(db_.GetUDFListID(UDFContact, "STRING01", "O'Brien", true, true).ToLong(), 1000);

    auto inserts = StartingWith(log, "INSERT INTO " + prefix_ + "UDList");
    ASSERT_EQ(inserts.size(), 1u);
    EXPECT_TRUE(MatchesWithNumbers(
        inserts[0], "INSERT INTO " + prefix_ +
                        "UDList (UDList_id, Name, Rank, ToolTip, Deleted, udlistdefinition_id, "
                        "Registered, Registered_associate_id, Updated, Updated_Associate_id, "
                        "UpdatedCount)  VALUES (1000, 'O''Brien',0,'',0, 6, %d, 12, %d,12, 0)"))
        << inserts[0];
    auto rows = central_->Rows(
        "SELECT name, udlistdefinition_id, rank, deleted, updatedcount FROM udlist WHERE "
        "udlist_id = 1000");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].ToString(), "O'Brien");
    EXPECT_EQ(rows[0][1].ToLong(), 6);
    EXPECT_EQ(rows[0][2].ToLong(), 0);
    EXPECT_EQ(rows[0][3].ToLong(), 0);
    EXPECT_EQ(rows[0][4].ToLong(), 0);
    EXPECT_EQ(LogRows(*central_), (std::vector<LogRow>{{4352, 136, 1000, 12}}));
    EXPECT_EQ(db_.LastGeneratedSequenceID(), "1000");

    // Found again by its name, apostrophe and all.
    EXPECT_EQ(db_.GetUDFListID(UDFContact, "STRING01", "O'Brien", true, true).ToLong(), 1000);
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM udlist").ToLong(), 5);
}

// A value stored through CheckSQL is found again under the name it was given,
// and a contained-text search takes "%" and "_" literally.
TEST_P(UDFListTest, GetUDFListIDFindsStoredFormsAndNoWildcards) {
    for (bool exact : {true, false}) {
        const std::string suffix = exact ? "1" : "2";
        for (std::string name : {"a[b", "x|y", "50%", "r_s"}) {
            name += suffix;
            std::int32_t id = db_.GetUDFListID(UDFContact, "STRING01", name, true, exact).ToLong();
            EXPECT_NE(id, 0) << name;
            EXPECT_EQ(db_.GetUDFListID(UDFContact, "STRING01", name, true, exact).ToLong(), id)
                << name;
        }
    }
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM udlist").ToLong(), 4 + 8);
    // As wildcards these would find "Red".
    EXPECT_EQ(db_.GetUDFListID(UDFContact, "STRING01", "e%d", false, false).ToLong(), 0);
    EXPECT_EQ(db_.GetUDFListID(UDFContact, "STRING01", "R_d", false, false).ToLong(), 0);
    EXPECT_NE(db_.GetUDFListID(UDFContact, "STRING01", "0%", false, false).ToLong(), 0);
}

TEST_P(UDFListTest, AFieldNameOfNoColumnReadsTheVersionAndStops) {
    StatementLog log(*db_.dDatabase());
    EXPECT_EQ(db_.GetUDFListID(UDFPerson, "STRING50", "Red", true, false).ToLong(), 0);
    EXPECT_EQ(db_.GetUDFListValue(UDFProject, "LONG61", 1).ToString(), "");
    EXPECT_EQ(
        log.Statements(),
        (std::vector<std::string>{"SELECT version FROM " + prefix_ +
                                      "udeffield where ownertable_id = 8 order by version desc",
                                  "SELECT version FROM " + prefix_ +
                                      "udeffield where ownertable_id = 9 order by version desc"}));
}

TEST_P(UDFListTest, AFieldThatIsNotInTheSetOrHasNoListFindsAndCreatesNothing) {
    // STRING50 names no column; LONG01 of the contact set has no list.
    EXPECT_EQ(db_.GetUDFListID(UDFContact, "STRING50", "Red", true, true).ToLong(), 0);
    EXPECT_EQ(db_.GetUDFListID(UDFContact, "LONG01", "Red", true, true).ToLong(), 0);
    EXPECT_EQ(db_.GetUDFListID(UDFContact, "STRING01", "", true, true).ToLong(), 0);
    EXPECT_EQ(db_.GetUDFListValue(UDFContact, "NOFIELD", 1).ToString(), "");
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM udlist").ToLong(), 4);
    EXPECT_TRUE(LogRows(*central_).empty());
}

TEST_P(UDFListTest, GetUDFListValueReadsTheNameOfAValueOfTheCurrentList) {
    StatementLog log(*db_.dDatabase());
    EXPECT_EQ(db_.GetUDFListValue(UDFContact, "STRING01", 2).ToString(), "Dark Green");
    EXPECT_EQ(log.Statements(), (std::vector<std::string>{
                                    "SELECT version FROM " + prefix_ +
                                        "udeffield where ownertable_id = 7 order by version desc",
                                    "SELECT udlistdefinition_id FROM " + prefix_ +
                                        "Udeffield where version = 2 and columnid = 9021",
                                    "SELECT name FROM " + prefix_ +
                                        "UDList where udlistdefinition_id = 6 and udlist_id=2"}));
    // Value 3 belongs to the old list.
    EXPECT_EQ(db_.GetUDFListValue(UDFContact, "STRING01", 3).ToString(), "");
    EXPECT_EQ(db_.GetUDFListValue(UDFSale, "string41", 4).ToString(), "Pine");
}

TEST_P(UDFListTest, AnOwnerOutsideTheFourSetsIsRefused) {
    StatementLog log(*db_.dDatabase());
    EXPECT_THROW(db_.GetUDFListID(4, "STRING01", "Red"), DatabaseError);
    EXPECT_THROW(db_.GetUDFListValue(-1, "STRING01", 1), DatabaseError);
    EXPECT_TRUE(log.Statements().empty());
}

VENDRAL_INSTANTIATE_ENGINES(UDFListTest);

TEST(UDFListValueTest, ValueZeroTouchesNoDatabase) {
    // No connection was ever opened: any statement would fail.
    CDatabase db;
    Variant value = db.GetUDFListValue(UDFContact, "STRING01", 0);
    EXPECT_TRUE(value.IsString());
    EXPECT_EQ(value.ToString(), "");
}

}  // namespace
}  // namespace vendral::test
