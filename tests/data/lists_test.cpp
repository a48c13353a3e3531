#include <gtest/gtest.h>

#include <ctime>

#include "data/list_test_support.h"

namespace vendral::test {
namespace {

class ListsTest : public AttachedDatabaseTest {
  protected:
    void AddCategory(int id, const std::string& name, int rank = 0, int deleted = 0) {
        central_->Exec("INSERT INTO category (category_id, name, rank, deleted) VALUES (" +
                       std::to_string(id) + ", '" + name + "', " + std::to_string(rank) + ", " +
                       std::to_string(deleted) + ")");
    }
};

TEST_P(ListsTest, GetListIDFindsTheFirstEntryWhoseNameBeginsWithTheText) {
    AddCategory(7, "Wholesale");
    AddCategory(8, "Retail");
    StatementLog log(*db_.dDatabase());

    EXPECT_EQ(db_.GetListID(Category, "Whol").ToLong(), 7);
    EXPECT_EQ(log.Statements(),
              std::vector<std::string>{"SELECT CATEGORY_ID, name FROM " + prefix_ +
                                       "CATEGORY WHERE Name LIKE 'Whol%'"});
    EXPECT_EQ(db_.GetListID(Category, "Retail").ToLong(), 8);

    // Not found and not to be created: 0, and nothing written.
    EXPECT_EQ(db_.GetListID(Category, "Export").ToLong(), 0);
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM category").ToLong(), 2);
    EXPECT_TRUE(LogRows(*central_).empty());
}

TEST_P(ListsTest, GetListIDCreatesAMissingEntryAndLogsTheInsert) {
    AddCategory(7, "Wholesale");
    StatementLog log(*db_.dDatabase());
    const std::int64_t before = LocalClockSeconds();

    // The category sequence row (64 + 10) starts at 1000.
    EXPECT_EQ(db_.GetListID(Category, "Export", true).ToLong(), 1000);
    const std::int64_t after = LocalClockSeconds();

    auto inserts = StartingWith(log, "INSERT INTO " + prefix_ + "CATEGORY");
    ASSERT_EQ(inserts.size(), 1u);
    EXPECT_TRUE(MatchesWithNumbers(
        inserts[0], "INSERT INTO " + prefix_ +
                        "CATEGORY (CATEGORY_ID, Name, Rank, ToolTip, Deleted, Registered, "
                        "Registered_associate_id, Updated, Updated_Associate_id, UpdatedCount)  "
                        "VALUES (1000, 'Export',0,'',0, %d, 12, %d,12, 0)"))
        << inserts[0];

    auto rows = central_->Rows(
        "SELECT name, rank, tooltip, deleted, registered, registered_associate_id, updated, "
        "updated_associate_id, updatedcount FROM category WHERE category_id = 1000");
    ASSERT_EQ(rows.size(), 1u);
    const auto& row = rows[0];
    EXPECT_EQ(row[0].ToString(), "Export");
    EXPECT_EQ(row[1].ToLong(), 0);
    EXPECT_EQ(row[2].ToString(), "");
    EXPECT_EQ(row[3].ToLong(), 0);
    EXPECT_GE(row[4].ToLongLong(), before);
    EXPECT_LE(row[4].ToLongLong(), after);
    EXPECT_EQ(row[5].ToLong(), 12);
    EXPECT_GE(row[6].ToLongLong(), before);
    EXPECT_LE(row[6].ToLongLong(), after);
    EXPECT_EQ(row[7].ToLong(), 12);
    EXPECT_EQ(row[8].ToLong(), 0);
    EXPECT_EQ(LogRows(*central_), (std::vector<LogRow>{{4352, 64, 1000, 12}}));

    // Found again by its name, without a second row.
    EXPECT_EQ(db_.GetListID(Category, "Export", true).ToLong(), 1000);
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM category").ToLong(), 2);
}

TEST_P(ListsTest, GetListIDSearchesTheLocalSideButCreatesInTheCentralDatabase) {
    TestDatabase local(engine(), Side::Local);
    AttachConnections(db_, *central_, &local);
    local.Exec("INSERT INTO category (category_id, name, rank, deleted) VALUES (3, 'Local', 0, 0)");
    StatementLog localLog(*db_.LocaldDatabase());
    StatementLog centralLog(*db_.dDatabase());

    EXPECT_EQ(db_.GetListID(Category, "Loc", false, 1).ToLong(), 3);
    EXPECT_EQ(localLog.Statements(),
              std::vector<std::string>{"SELECT CATEGORY_ID, name FROM " + local.Prefix() +
                                       "CATEGORY WHERE Name LIKE 'Loc%'"});
    EXPECT_TRUE(centralLog.Statements().empty());

    // Missing locally: the new entry goes to the central database under its prefix.
    EXPECT_EQ(db_.GetListID(Category, "Export", true, 1).ToLong(), 1000);
    EXPECT_EQ(StartingWith(centralLog, "INSERT INTO " + prefix_ + "CATEGORY (CATEGORY_ID").size(),
              1u);
    EXPECT_EQ(central_->Scalar("SELECT name FROM category WHERE category_id = 1000").ToString(),
              "Export");
    EXPECT_EQ(local.Scalar("SELECT COUNT(*) FROM category").ToLong(), 1);
    EXPECT_EQ(LogRows(*central_), (std::vector<LogRow>{{4352, 64, 1000, 12}}));
}

TEST_P(ListsTest, GetListIDStoresAndFindsANameWithAnApostrophe) {
    EXPECT_EQ(db_.GetListID(Category, "O'Neil", true).ToLong(), 1000);
    EXPECT_EQ(central_->Scalar("SELECT name FROM category WHERE category_id = 1000").ToString(),
              "O'Neil");
    EXPECT_EQ(db_.GetListID(Category, "O'Neil", true).ToLong(), 1000);
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM category").ToLong(), 1);
}

// The search looks for the stored form, or create-if-missing would add a row
// at every call for a name with "[" or "|".
TEST_P(ListsTest, GetListIDFindsANameWithBracketOrBarAgainInsteadOfAddingIt) {
    for (const char* name : {"a[b", "x|y"}) {
        std::int32_t id = db_.GetListID(Category, name, true).ToLong();
        EXPECT_NE(id, 0) << name;
        EXPECT_EQ(db_.GetListID(Category, name, true).ToLong(), id) << name;
        EXPECT_EQ(db_.GetListID(Category, name).ToLong(), id) << name;
    }
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM category").ToLong(), 2);
    EXPECT_EQ(LogRows(*central_).size(), 2u);
}

// "%" and "_" of a searched name are the characters themselves, not wildcards.
TEST_P(ListsTest, GetListIDTakesPercentAndUnderscoreLiterally) {
    AddCategory(7, "100 percent");
    AddCategory(8, "AxB");
    StatementLog log(*db_.dDatabase());
    EXPECT_EQ(db_.GetListID(Category, "100%").ToLong(), 0);
    EXPECT_EQ(log.Statements().at(0), "SELECT CATEGORY_ID, name FROM " + prefix_ +
                                          "CATEGORY WHERE Name LIKE '100!%%' ESCAPE '!'");
    EXPECT_EQ(db_.GetListID(Category, "A_B").ToLong(), 0);
    EXPECT_EQ(db_.GetListID(Category, "Sale!").ToLong(), 0);
    std::int32_t id = db_.GetListID(Category, "100%", true).ToLong();
    EXPECT_EQ(id, 1000);
    EXPECT_EQ(db_.GetListID(Category, "100%", true).ToLong(), 1000);
    EXPECT_EQ(db_.GetListID(Category, "A_B", true).ToLong(), 1001);
    EXPECT_EQ(db_.GetListID(Category, "A_B").ToLong(), 1001);
    EXPECT_EQ(db_.GetListID(Category, "AxB").ToLong(), 8);
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM category").ToLong(), 4);
}

TEST_P(ListsTest, GetListIDCreatesARelationDefinitionWithItsOwnColumns) {
    StatementLog log(*db_.dDatabase());

    EXPECT_EQ(db_.GetListID(Relation, "Partner", true).ToLong(), 1000);

    auto inserts = StartingWith(log, "INSERT INTO " + prefix_ + "RELATIONDEFINITION");
    ASSERT_EQ(inserts.size(), 1u);
    EXPECT_TRUE(MatchesWithNumbers(
        inserts[0], "INSERT INTO " + prefix_ +
                        "RELATIONDEFINITION (reldef_id, Name, Rank, ToolTip, Deleted, Registered, "
                        "Registered_associate_id, Updated, Updated_Associate_id, UpdatedCount, "
                        "passive_text, defcomment)  VALUES (1000, 'Partner',0,'',0, %d, 12, "
                        "%d,12, 0,'','')"))
        << inserts[0];
    EXPECT_EQ(
        central_->Scalar("SELECT name FROM relationdefinition WHERE reldef_id = 1000").ToString(),
        "Partner");
    EXPECT_EQ(LogRows(*central_), (std::vector<LogRow>{{4352, 48, 1000, 12}}));
}

TEST_P(ListsTest, ComboListFillsRelationDefinitionsInRankOrderWithoutDeletedOnes) {
    central_->Exec(
        "INSERT INTO relationdefinition (reldef_id, name, rank, deleted) VALUES "
        "(1, 'Supplier', 3, 0), (2, 'Owner', 1, 0), (3, 'Former', 2, 1), (4, NULL, 4, 0)");
    RecordingList list;
    list.AddItem("kept");
    StatementLog log(*db_.dDatabase());

    EXPECT_TRUE(db_.ComboList(list, Relation).IsEmpty());

    EXPECT_EQ(log.Statements(),
              std::vector<std::string>{"SELECT reldef_id, name FROM " + prefix_ +
                                       "RELATIONDEFINITION WHERE Deleted = 0 order by Rank"});
    ASSERT_EQ(list.Items().size(), 4u);
    EXPECT_EQ(list.Items()[0].Text, "kept") << "the control is not cleared";
    EXPECT_EQ(list.Items()[1].Text, "Owner");
    EXPECT_EQ(list.Items()[1].Data.ToLong(), 2);
    EXPECT_EQ(list.Items()[2].Text, "Supplier");
    EXPECT_EQ(list.Items()[2].Data.ToLong(), 1);
    EXPECT_EQ(list.Items()[3].Text, "") << "a null name is an empty item";
    EXPECT_EQ(list.Items()[3].Data.ToLong(), 4);
}

TEST_P(ListsTest, ComboListOfAnOrdinaryListUsesTheTablesIdColumn) {
    central_->Exec(
        "INSERT INTO priority (priority_id, name, rank, deleted) VALUES (5, 'High', 2, 0), "
        "(6, 'Low', 1, 0)");
    RecordingList list;
    StatementLog log(*db_.dDatabase());

    db_.ComboList(list, Priority);

    EXPECT_EQ(log.Statements(),
              std::vector<std::string>{"SELECT PRIORITY_ID, name FROM " + prefix_ +
                                       "PRIORITY WHERE Deleted = 0 order by Rank"});
    ASSERT_EQ(list.Items().size(), 2u);
    EXPECT_EQ(list.Items()[0].Text, "Low");
    EXPECT_EQ(list.Items()[0].Data.ToLong(), 6);
}

TEST_P(ListsTest, ATableNumberOutsideTheCatalogueIsRefusedBeforeAnyStatement) {
    RecordingList list;
    StatementLog log(*db_.dDatabase());
    EXPECT_THROW(db_.GetListID(261, "x", true), DatabaseError);
    EXPECT_THROW(db_.GetListID(-1, "x"), DatabaseError);
    EXPECT_THROW(db_.ComboList(list, 261), DatabaseError);
    // 252 to 260 are slots of the catalogue without a table.
    EXPECT_THROW(db_.ComboList(list, 255), DatabaseError);
    EXPECT_TRUE(log.Statements().empty());
}

TEST_P(ListsTest, ComboListAssociateFillsActiveAssociatesInLastNameOrder) {
    db_.SetSQLFunctions("ORACLE");
    central_->Exec(
        "INSERT INTO person (person_id, firstname, middlename, lastname, retired) VALUES "
        "(1, 'Kari', 'M', 'Nordmann', 0), (2, 'Ola', 'P', 'Berg', 0), "
        "(3, 'Retired', 'R', 'Aas', 1), (4, 'Deleted', 'D', 'Aas', 0), "
        "(5, 'Nogroup', 'N', 'Aas', 0)");
    central_->Exec(
        "INSERT INTO associate (associate_id, person_id, name, group_idx, deleted) VALUES "
        "(11, 1, 'KN', 2, 0), (12, 2, 'OB', 1, 0), (13, 3, 'RA', 1, 0), (14, 4, 'DA', 1, 1), "
        "(15, 5, 'NA', 0, 0)");
    RecordingList list;
    StatementLog log(*db_.dDatabase());

    EXPECT_TRUE(db_.ComboListAssociate(list).IsEmpty());

    EXPECT_EQ(log.Statements(),
              std::vector<std::string>{
                  "SELECT ASSOCIATE.ASSOCIATE_ID, Person.Firstname || ' ' || Person.MiddleName "
                  "|| ' ' || Person.Lastname AS PERSONNAME FROM " +
                  prefix_ + "ASSOCIATE ASSOCIATE, " + prefix_ +
                  "PERSON PERSON WHERE PERSON.PERSON_ID = ASSOCIATE.PERSON_ID AND "
                  "ASSOCIATE.group_idx<>0 AND ASSOCIATE.deleted=0 AND PERSON.RETIRED<>1 ORDER "
                  "BY PERSON.LASTNAME"});
    ASSERT_EQ(list.Items().size(), 2u);
    // MariaDB's default SQL mode reads "||" as a logical OR, not as a join of
    // texts: the Oracle full name is a number there.
    const bool orOperator = engine() == Engine::MariaDB;
    EXPECT_EQ(list.Items()[0].Text, orOperator ? "0" : "Ola P Berg");
    EXPECT_EQ(list.Items()[0].Data.ToLong(), 12);
    EXPECT_EQ(list.Items()[1].Text, orOperator ? "0" : "Kari M Nordmann");
    EXPECT_EQ(list.Items()[1].Data.ToLong(), 11);
}

VENDRAL_INSTANTIATE_ENGINES(ListsTest);

}  // namespace
}  // namespace vendral::test
