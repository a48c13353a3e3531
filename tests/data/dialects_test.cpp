#include <gtest/gtest.h>

#include <array>

#include "support/test_database.h"
#include "vendral/cdatabase.h"

namespace vendral::test {
namespace {

using Fragments = std::array<std::string, 9>;

Fragments FragmentsOf(const CDatabase& db) {
    return {
        db.SQLFunct_FirstLast(),      db.SQLFunct_MrFirstLast(),    db.SQLFunct_Discount(),
        db.SQLFunct_ContNullPerson(), db.SQLFunct_NameDepart(),     db.SQLFunct_NullContID(),
        db.SQLFunct_PersonContact(),  db.SQLFunct_ContactInvoice(), db.SQLFunct_ProjectInvoice()};
}

Fragments FragmentsFor(const std::string& type) {
    CDatabase db;
    db.SetSQLFunctions(type);
    return FragmentsOf(db);
}

const Fragments kSybase = {
    "IFNULL(Firstname,'',Firstname+' ')+IFNULL(MiddleName,'',MiddleName+' ')+IFNULL(Lastname,'',"
    "Lastname)",
    "IFNULL(Mrmrs,'',Mrmrs+' ')+IFNULL(Firstname,'',Firstname+' ')+IFNULL(MiddleName,'',"
    "MiddleName+' ')+IFNULL(Lastname,'',Lastname)",
    "IFNULL(ADiscount,0,ADiscount)",
    "String(Contact.Contact_id)+'/'+String(Person.Person_id)",
    "IFNULL(department,Name,Name+' '+department)",
    "IFNULL(Contact.Contact_id,0,Contact.contact_id)",
    "String(Person.Person_id)+'/'+String(Person.Contact_id)",
    "String(Contact.Contact_id)+'/'+String(Invoice.Invoice_id)",
    "String(Project.Project_id)+'/'+String(Invoice.Invoice_id)"};

const Fragments kOracle = {
    "Person.Firstname || ' ' || Person.MiddleName || ' ' || Person.Lastname",
    "IFNULL(Mrmrs,'',Mrmrs+' ')+IFNULL(Firstname,'',Firstname)+' '+IFNULL(Lastname,'',Lastname)",
    "IFNULL(ADiscount,0,ADiscount)",
    "String(Contact.Contact_id)+'/'+String(IFNULL(Person.Person_id,'0',Person.Person_id))",
    "IFNULL(department,Name,Name+' '+department)",
    "IFNULL(Contact.Contact_id,0,Contact.contact_id)",
    "String(Person.Person_id)+'/'+String(Person.Contact_id)",
    "String(Contact.Contact_id)+'/'+String(Invoice.Invoice_id)",
    "String(Project.Project_id)+'/'+String(Invoice.Invoice_id)"};

const Fragments kSqlServer = {
    "ISNULL(Person.Firstname+' ','')+ISNULL(Person.MiddleName+' ','')+ISNULL(Person.Lastname,'')",
    "ISNULL(Person.Mrmrs+' ','')+ISNULL(Person.Firstname+' ','')+ISNULL(Person.MiddleName+' ','')+"
    "ISNULL(Person.Lastname,'')",
    "ISNULL(ADiscount,0)",
    "STR(Contact.Contact_id)+'/'+STR(ISNULL(Person.Person_id,0))",
    "Name + ISNULL(Contact.department,'')",
    "ISNULL(Contact.Contact_id,0)",
    "STR(Person.Person_id)+'/'+STR(Person.Contact_id)",
    "STR(Contact.Contact_id)+'/'+STR(Invoice.Invoice_id)",
    "STR(Project.Project_id)+'/'+STR(Invoice.Invoice_id)"};

const Fragments kAccess = {
    "IIf(IsNull(Person.Firstname),'',Person.Firstname)+' '+IIf(IsNull(Person.Lastname),'',"
    "Person.Lastname)",
    "IIf(IsNull(Person.Mrmrs),'',Person.Mrmrs)+' '+IIf(IsNull(Person.Firstname),'',"
    "Person.Firstname)+' '+IIf(IsNull(Person.Lastname),'',Person.Lastname)",
    "IIf(IsNull(ADiscount),0,ADiscount)",
    "STR(Contact.Contact_id)+'/'+STR(iif(IsNull(Person.Person_id),'0',Person.Person_id))",
    "iif(isnull(contact.department),contact.Name,contact.Name+', '+contact.department)",
    "iif(isnull(Contact.Contact_id),0,Contact.contact_id)",
    "STR(Person.Person_id)+'/'+STR(Person.Contact_id)",
    "STR(Contact.Contact_id)+'/'+STR(Invoice.Invoice_id)",
    "STR(Project.Project_id)+'/'+STR(Invoice.Invoice_id)"};

TEST(Dialects, EachTypeWordGivesItsFragments) {
    EXPECT_EQ(FragmentsFor("SYBASE"), kSybase);
    EXPECT_EQ(FragmentsFor("ADAPTIVESYBASE"), kSybase);
    EXPECT_EQ(FragmentsFor("ORACLE"), kOracle);
    EXPECT_EQ(FragmentsFor("SQLSERVER"), kSqlServer);
    EXPECT_EQ(FragmentsFor(""), kSqlServer);
    EXPECT_EQ(FragmentsFor("ACCESS"), kAccess);
}

TEST(Dialects, FreshObjectHasNoFragments) {
    CDatabase db;
    EXPECT_EQ(FragmentsOf(db), Fragments{});
}

TEST(Dialects, UnknownWordsChangeNothing) {
    EXPECT_EQ(FragmentsFor("Oracle"), Fragments{});
    EXPECT_EQ(FragmentsFor(" ACCESS"), Fragments{});
    CDatabase db;
    db.SetSQLFunctions("ACCESS");
    for (const char* word : {"Oracle", "sqlserver", "POSTGRESQL UNICODE", "ACCESS ", "MYSQL"}) {
        db.SetSQLFunctions(word);
        EXPECT_EQ(FragmentsOf(db), kAccess) << word;
    }
    db.SetSQLFunctions("ORACLE");
    EXPECT_EQ(FragmentsOf(db), kOracle);
}

TEST(Dialects, TypeWordsAreReadWithoutChangingTheFragments) {
    CDatabase db;
    db.SetSQLFunctions("SYBASE");
    db.DatabaseTypeCentral("ORACLE");
    db.DatabaseTypeLocal("ACCESS");
    EXPECT_EQ(db.SQLCentralDatabaseType(), "ORACLE");
    EXPECT_EQ(db.SQLLocalDatabaseType(), "ACCESS");
    EXPECT_EQ(db.DatabaseTypeCentral(), "ORACLE");
    EXPECT_EQ(FragmentsOf(db), kSybase);
    db.DatabaseTypeCentral("");
    EXPECT_EQ(db.SQLCentralDatabaseType(), "");
    EXPECT_EQ(db.SQLLocalDatabaseType(), "ACCESS");
}

// The Oracle full name is plain standard SQL, so it runs on the test engines:
// the three parts joined by blanks, and no name when a part is missing
// (MariaDB reads it otherwise).
class OracleFullName : public EngineTest {};

TEST_P(OracleFullName, JoinsThePartsWithBlanks) {
    central_->Exec(
        "INSERT INTO person (person_id, contact_id, firstname, middlename, lastname) VALUES "
        "(1, 1, 'Ada', 'B', 'Lovelace')");
    central_->Exec(
        "INSERT INTO person (person_id, contact_id, firstname, lastname) VALUES (2, 1, 'Alan', "
        "'Turing')");
    CDatabase db;
    db.SetSQLFunctions("ORACLE");
    auto rows = central_->Rows("SELECT " + db.SQLFunct_FirstLast() +
                               " FROM person Person ORDER BY Person.person_id");
    ASSERT_EQ(rows.size(), 2u);
    // MariaDB's default SQL mode reads "||" as a logical OR of the parts taken
    // as numbers: 0 where all are there, no value where one is missing.
    EXPECT_EQ(rows[0][0].ToString(), engine() == Engine::MariaDB ? "0" : "Ada B Lovelace");
    EXPECT_TRUE(rows[1][0].IsNull());
}

VENDRAL_INSTANTIATE_ENGINES(OracleFullName);

}  // namespace
}  // namespace vendral::test
