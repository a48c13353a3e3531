// Which of the dialect fragments run on the tested engines: each one in a
// SELECT over the tables it names, on each engine. None of the engines is
// one the fragments were written for, so most fail; the table records which
// ones a client can use there. A MariaDB data source is typed by its driver's
// name, a word outside the dialect table, and gets no fragments at all.
#include <gtest/gtest.h>

#include <array>
#include <bitset>
#include <fstream>

#include "support/test_database.h"
#include "vendral/cdatabase.h"

namespace vendral::test {
namespace {

std::array<std::string, 9> FragmentsOf(const CDatabase& db) {
    return {
        db.SQLFunct_FirstLast(),      db.SQLFunct_MrFirstLast(),    db.SQLFunct_Discount(),
        db.SQLFunct_ContNullPerson(), db.SQLFunct_NameDepart(),     db.SQLFunct_NullContID(),
        db.SQLFunct_PersonContact(),  db.SQLFunct_ContactInvoice(), db.SQLFunct_ProjectInvoice()};
}

// The FROM clause a client gives each fragment, in the order of FragmentsOf:
// the tables it names, or whose columns it names bare.
const std::array<const char*, 9> kFromClauses = {" FROM person Person",
                                                 " FROM person Person",
                                                 " FROM invoice Invoice",
                                                 " FROM contact Contact, person Person",
                                                 " FROM contact Contact",
                                                 " FROM contact Contact",
                                                 " FROM person Person",
                                                 " FROM contact Contact, invoice Invoice",
                                                 " FROM project Project, invoice Invoice"};

class DialectFragmentsOnEngines : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        // The CRM's invoice table, with the discount column the fragments name.
        central_->Exec(
            "CREATE TABLE invoice (invoice_id INTEGER PRIMARY KEY, contact_id INTEGER, project_id "
            "INTEGER, adiscount INTEGER)");
        central_->Exec("INSERT INTO invoice VALUES (7, 1, 2, NULL)");
        central_->Exec(
            "INSERT INTO contact (contact_id, name, department) VALUES (1, 'Acme', 'IT')");
        central_->Exec(
            "INSERT INTO person (person_id, contact_id, mrmrs, firstname, middlename, lastname) "
            "VALUES (4, 1, 'Ms', 'Ada', 'B', 'Lovelace')");
        central_->Exec("INSERT INTO project (project_id, name) VALUES (2, 'Build')");
    }

    // Bit i set when fragment i of the type word's column runs.
    std::string Running(const std::string& typeWord) {
        CDatabase db;
        db.SetSQLFunctions(typeWord);
        const auto fragments = FragmentsOf(db);
        std::bitset<9> runs;
        for (std::size_t i = 0; i < fragments.size(); ++i) {
            try {
                central_->Rows("SELECT " + fragments[i] + kFromClauses[i]);
                runs.set(i);
            } catch (const DatabaseError&) {
                // The engine's refusal: an unknown function, a wrong argument count.
            }
        }
        // Fragment 0 first, as the properties are listed.
        std::string text = runs.to_string();
        return {text.rbegin(), text.rend()};
    }
};

TEST_P(DialectFragmentsOnEngines, EachColumnRunsWhereItsFunctionsExist) {
    // One character per fragment (FirstLast ... ProjectInvoice), the same on
    // the three engines. SQLite: IFNULL takes two arguments, String, STR,
    // ISNULL and IsNull are unknown. PostgreSQL: none of these functions.
    // MariaDB: IFNULL takes two arguments and ISNULL one, no String, STR or
    // IIf. Only the Oracle full name, plain standard SQL, runs everywhere,
    // though MariaDB reads its "||" as a logical OR (see OracleFullName).
    EXPECT_EQ(Running("SYBASE"), "000000000");
    EXPECT_EQ(Running("ORACLE"), "100000000");
    EXPECT_EQ(Running("SQLSERVER"), "000000000");
    EXPECT_EQ(Running("ACCESS"), "000000000");
}

VENDRAL_INSTANTIATE_ENGINES(DialectFragmentsOnEngines);

// Opened from a settings file, a MariaDB data source is typed by the name its
// connector is registered under, upper-cased: no word of the dialect table, so
// the fragments stay as they were (empty on a fresh object).
TEST(MariaDBTypeWord, IsTheDriverNameAndLeavesTheFragmentsAlone) {
    if (!TestOdbc::Instance().MariaDBAvailable()) {
        if (std::getenv("VENDRAL_REQUIRE_MARIADB")) FAIL() << "MariaDB is required";
        GTEST_SKIP() << NoMariaDBReason();
    }
    TestDatabase central(Engine::MariaDB);
    const std::string file = TestOdbc::Instance().ScratchPath("mariadb-type.ini");
    std::ofstream(file) << "[Central]\nDSN=" << central.Dsn() << "\nUID=" << central.Uid()
                        << "\nPWD=" << central.Pwd() << "\nDBPrefix=" << central.Prefix() << "\n";
    CDatabase fresh;
    ASSERT_EQ(fresh.OpenODBC_DB(file, OpenCentral), Variant(true))
        << fresh.LastReturnedErrorMessage();
    EXPECT_EQ(fresh.SQLCentralDatabaseType(), "MARIADB UNICODE");
    for (const std::string& fragment : FragmentsOf(fresh)) EXPECT_EQ(fragment, "");

    CDatabase chosen;
    chosen.SetSQLFunctions("ORACLE");
    const auto oracle = FragmentsOf(chosen);
    ASSERT_EQ(chosen.OpenODBC_DB(file, OpenCentral), Variant(true));
    EXPECT_EQ(FragmentsOf(chosen), oracle);
}

}  // namespace
}  // namespace vendral::test
