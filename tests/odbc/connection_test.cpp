#include <gtest/gtest.h>

#include "base/text.h"
#include "support/test_database.h"
#include "vendral/connection.h"

namespace vendral::test {
namespace {

class ConnectionTest : public EngineTest {};

TEST_P(ConnectionTest, OpensReadsAndReportsTheCompletedStringWithoutPassword) {
    Connection connection;
    connection.ConnectionString(central_->ConnectionString());
    connection.Open();
    EXPECT_EQ(connection.State(), adStateOpen);
    const std::string reported = ToUpper(connection.ConnectionString());
    EXPECT_EQ(connection.ConnectionString().rfind("Provider=MSDASQL;", 0), 0u) << reported;
    EXPECT_NE(reported.find("DSN=" + ToUpper(central_->Dsn())), std::string::npos) << reported;
    EXPECT_EQ(reported.find("PWD="), std::string::npos) << reported;
    connection.Close();
    EXPECT_EQ(connection.State(), adStateClosed);
}

TEST_P(ConnectionTest, KeysAreCaseInsensitiveAndBracedValuesMayHoldSemicolons) {
    Connection connection;
    connection.Open("PROVIDER=msdasql;DSN={" + central_->Dsn() + "};UID=" + central_->Uid() +
                    ";Pwd={" + central_->Pwd() + "}");
    EXPECT_EQ(connection.State(), adStateOpen);
}

TEST_P(ConnectionTest, UserAndPasswordArgumentsReplaceThoseOfTheString) {
    if (engine() != Engine::PostgreSQL) GTEST_SKIP() << "SQLite has no credentials";
    Connection connection;
    connection.Open("Provider=MSDASQL;dsn=" + central_->Dsn() + ";uid=nobody;pwd=wrong",
                    central_->Uid(), central_->Pwd());
    EXPECT_EQ(connection.State(), adStateOpen);
}

TEST_P(ConnectionTest, FailuresCarryTheDriversMessageAndSqlStateAndAreRecorded) {
    auto connection = central_->Connect();
    try {
        connection->Execute("SELECT no_such_column FROM no_such_table");
        FAIL() << "the statement should fail";
    } catch (const DatabaseError& error) {
        EXPECT_FALSE(error.SQLState().empty());
        EXPECT_NE(std::string(error.what()).find("no_such"), std::string::npos) << error.what();
        ASSERT_GE(connection->Errors().Count(), 1u);
        EXPECT_EQ(connection->Errors().Item(0).SQLState, error.SQLState());
        EXPECT_EQ(connection->Errors().Item(0).Description, error.Description());
    }
    connection->Errors().Clear();
    EXPECT_EQ(connection->Errors().Count(), 0u);
    // The connection stays usable after a failed statement. MariaDB counts
    // the rows an update changed, not those it found, unless the data source
    // asks for found rows (FOUND_ROWS): this one changes none.
    EXPECT_EQ(connection->Execute("UPDATE " + central_->Prefix() +
                                  "sequence SET next_id = next_id WHERE id = 10"),
              engine() == Engine::MariaDB ? 0 : 1);
}

TEST_P(ConnectionTest, AnUnopenedConnectionRaisesOnEveryUse) {
    auto connection = std::make_shared<Connection>();
    EXPECT_THROW(connection->Execute("SELECT 1"), DatabaseError);
    Recordset recordset;
    EXPECT_THROW(recordset.Open("SELECT 1", connection), DatabaseError);
    EXPECT_EQ(recordset.State(), adStateClosed);
    EXPECT_THROW(connection->BeginTrans(), DatabaseError);
    EXPECT_GE(connection->Errors().Count(), 1u);
}

TEST_P(ConnectionTest, AnUnreachableDataSourceFailsWithTheDriversReason) {
    Connection connection;
    EXPECT_THROW(connection.Open("Provider=MSDASQL;dsn=no_such_data_source;uid=;pwd="),
                 DatabaseError);
    EXPECT_EQ(connection.State(), adStateClosed);
    EXPECT_GE(connection.Errors().Count(), 1u);
}

TEST_P(ConnectionTest, RollbackUndoesAndCommitKeeps) {
    auto connection = central_->Connect();
    connection->BeginTrans();
    EXPECT_TRUE(connection->InTransaction());
    connection->Execute("INSERT INTO " + central_->Prefix() +
                        "contact (contact_id, name) VALUES (1, 'Gone')");
    connection->RollbackTrans();
    EXPECT_FALSE(connection->InTransaction());
    connection->BeginTrans();
    EXPECT_THROW(connection->BeginTrans(), DatabaseError);
    connection->Execute("INSERT INTO " + central_->Prefix() +
                        "contact (contact_id, name) VALUES (2, 'Kept')");
    connection->CommitTrans();
    auto rows = central_->Rows("SELECT contact_id FROM contact ORDER BY contact_id");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], Variant(2));
    // Autocommit is back: a change made now is seen by another connection at once.
    connection->Execute("INSERT INTO " + central_->Prefix() +
                        "contact (contact_id, name) VALUES (3, 'Auto')");
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM contact").ToLong(), 2);
}

// A later statement of a text that fails must not pass for a success. (The
// SQLite driver takes one statement per call and refuses the text at once.)
TEST_P(ConnectionTest, EveryResultOfSeveralStatementsIsLookedAt) {
    if (engine() == Engine::MariaDB)
        GTEST_SKIP() << "MariaDB's connector sends one statement per call unless the data "
                        "source allows several (MULTI_STATEMENTS)";
    auto connection = central_->Connect();
    const std::string p = central_->Prefix();
    EXPECT_THROW(connection->Execute("INSERT INTO " + p +
                                     "contact (contact_id, name) VALUES (1, 'a'); UPDATE " + p +
                                     "no_such_table SET n = 1"),
                 DatabaseError);
    if (engine() == Engine::SQLite) return;
    connection->Execute("INSERT INTO " + p + "contact (contact_id, name) VALUES (2, 'b'); " +
                        "INSERT INTO " + p + "contact (contact_id, name) VALUES (3, 'c')");
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM contact WHERE contact_id > 1").ToLong(), 2);
}

// After an error inside a transaction the commit keeps what succeeded and
// really commits it (psqlODBC rolls back the failed statement only; where an
// engine aborted the whole transaction the commit would fail instead).
TEST_P(ConnectionTest, ACommitAfterAnErrorInTheTransactionReallyCommits) {
    auto connection = central_->Connect();
    const std::string p = central_->Prefix();
    connection->BeginTrans();
    connection->Execute("INSERT INTO " + p + "contact (contact_id, name) VALUES (1, 'First')");
    EXPECT_THROW(connection->Execute("INSERT INTO " + p + "no_such_table VALUES (1)"),
                 DatabaseError);
    connection->Execute("INSERT INTO " + p + "contact (contact_id, name) VALUES (2, 'Second')");
    connection->CommitTrans();
    EXPECT_FALSE(connection->InTransaction());
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM contact").ToLong(), 2);
    // Autocommit is back.
    connection->Execute("INSERT INTO " + p + "contact (contact_id, name) VALUES (3, 'Auto')");
    EXPECT_EQ(central_->Scalar("SELECT COUNT(*) FROM contact").ToLong(), 3);
}

// The password given is used to open, but never reported, not even after a failed open.
TEST_P(ConnectionTest, NoReportedConnectionStringHoldsThePassword) {
    Connection connection;
    connection.ConnectionString("Provider=MSDASQL;dsn=" + std::string(kPostgresClosedDsn) +
                                ";uid=u;pwd=secret");
    EXPECT_EQ(connection.ConnectionString(),
              "Provider=MSDASQL;dsn=" + std::string(kPostgresClosedDsn) + ";uid=u");
    EXPECT_THROW(connection.Open(), DatabaseError);
    EXPECT_EQ(connection.ConnectionString().find("secret"), std::string::npos);
    Connection good;
    good.ConnectionString(central_->ConnectionString() + ";Password={" + central_->Pwd() + "}");
    EXPECT_EQ(ToUpper(good.ConnectionString()).find("PWD="), std::string::npos);
    EXPECT_EQ(ToUpper(good.ConnectionString()).find("PASSWORD="), std::string::npos);
    good.Open();
    EXPECT_EQ(good.State(), adStateOpen);
    EXPECT_EQ(ToUpper(good.ConnectionString()).find("PWD="), std::string::npos);
}

TEST_P(ConnectionTest, ClosingTheConnectionClosesItsReaders) {
    auto connection = central_->Connect();
    Recordset recordset;
    recordset.Open("SELECT id FROM " + central_->Prefix() + "sequence ORDER BY id", connection);
    ASSERT_FALSE(recordset.Eof());
    connection->Close();
    EXPECT_EQ(recordset.State(), adStateClosed);
    connection->Open(central_->ConnectionString());
    recordset.Open("SELECT id FROM " + central_->Prefix() + "sequence ORDER BY id", connection);
    EXPECT_EQ(recordset.Fields("ID").Value(), Variant(10));
}

TEST_P(ConnectionTest, TheObserverSeesTheExactStatementText) {
    auto connection = central_->Connect();
    StatementLog log(*connection);
    const std::string update =
        "UPDATE " + central_->Prefix() + "sequence SET next_id = next_id  WHERE id=10";
    const std::string select =
        "SELECT next_id FROM " + central_->Prefix() + "sequence WHERE ID =10";
    connection->Execute(update);
    Recordset recordset;
    recordset.Open(select, connection);
    ASSERT_EQ(log.Statements().size(), 2u);
    EXPECT_EQ(log.Statements()[0], update);
    EXPECT_EQ(log.Statements()[1], select);
}

VENDRAL_INSTANTIATE_ENGINES(ConnectionTest);

TEST(FileDatabaseTest, TheJetProviderOpensAnSqliteFileAndNeverCreatesOne) {
    std::string file = TestOdbc::Instance().ScratchPath("access.db");
    {
        Connection creator;
        creator.Open("Provider=MSDASQL;Driver=SQLite3;Database=" + file);
        creator.Execute("CREATE TABLE t (v INTEGER)");
        creator.Execute("INSERT INTO t VALUES (42)");
    }
    auto connection = std::make_shared<Connection>();
    connection->Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file);
    EXPECT_EQ(connection->ConnectionString(),
              "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file);
    Recordset recordset;
    recordset.Open("SELECT v FROM t", connection);
    EXPECT_EQ(recordset.Fields(std::size_t{0}).Value(), Variant(42));

    Connection missing;
    EXPECT_THROW(missing.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" +
                              TestOdbc::Instance().ScratchPath("missing.db")),
                 DatabaseError);
}

}  // namespace
}  // namespace vendral::test
