// Fresh CRM test databases on real engines, reached through a project-local
// ODBC configuration: an SQLite file through its data source, a schema "crm5"
// in a throwaway PostgreSQL server, and a database of the process's own in a
// throwaway MariaDB server (both started by scripts/run-tests.sh).
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "vendral/cdatabase.h"
#include "vendral/connection.h"

namespace vendral::test {

enum class Engine { SQLite, PostgreSQL, MariaDB };
enum class Side { Central, Local };
std::string EngineName(Engine engine);
inline void PrintTo(Engine engine, std::ostream* out) {
    *out << EngineName(engine);
}

// The per-process ODBC configuration: a folder of its own (ODBCSYSINI) holding
// the driver list generated for this machine and the test data sources.
class TestOdbc {
  public:
    static TestOdbc& Instance();

    const std::string& Directory() const { return directory_; }
    std::string SystemIniPath() const { return directory_ + "/odbc.ini"; }
    std::string UserIniPath() const { return directory_ + "/user/odbc.ini"; }
    std::string DriverIniPath() const { return directory_ + "/odbcinst.ini"; }
    // A driver entry under another name (for instance one whose name says
    // "SQL Server") that loads a real driver.
    void AddDriver(const std::string& name, const std::string& like = "SQLite3");
    // A data source of the machine (system) or of the current user.
    void AddDataSource(const std::string& name,
                       const std::map<std::string, std::string>& attributes, bool userOnly = false);
    std::string DriverPath(const std::string& driver) const;

    bool PostgresAvailable() const { return postgresPort_ != 0; }
    int PostgresPort() const { return postgresPort_; }
    const std::string& PostgresPassword() const { return postgresPassword_; }
    bool MariaDBAvailable() const { return mariadbPort_ != 0; }
    int MariaDBPort() const { return mariadbPort_; }
    const std::string& MariaDBPassword() const { return mariadbPassword_; }
    // The MariaDB database of this process for a side, dropped and created
    // again empty; its name in small letters.
    std::string FreshMariaDBDatabase(Side side);
    // A folder for files of this process's tests, emptied at exit.
    std::string ScratchPath(const std::string& name) const;

    ~TestOdbc();

  private:
    TestOdbc();
    // The SQLite data sources and the closed PostgreSQL one, on both platforms.
    void AddSharedDataSources();
    std::string directory_;
    int postgresPort_ = 0;
    std::string postgresPassword_;
    int mariadbPort_ = 0;
    std::string mariadbPassword_;
};

// The platform's side of the set-up: what every test process does first (the
// mode of new files, and the arguments the test runner adds after GoogleTest's
// own), and why PostgreSQL tests are skipped without a server. The argument
// "--pg-standard-strings=off" makes the PostgreSQL databases read backslashes
// in texts as escapes, as older CRM installations keep them.
void PrepareTestProcess(int argc, char** argv);
const char* NoPostgresReason();
const char* NoMariaDBReason();

// The data sources every test process has.
inline constexpr const char* kSqliteCentralDsn = "vendral_sqlite";
inline constexpr const char* kSqliteLocalDsn = "vendral_sqlite_local";
inline constexpr const char* kPostgresCentralDsn = "vendral_pg";
inline constexpr const char* kPostgresLocalDsn = "vendral_pg_local";
// A PostgreSQL data source on a loopback port where nothing listens.
inline constexpr const char* kPostgresClosedDsn = "vendral_pg_closed";
inline constexpr const char* kMariaDBCentralDsn = "vendral_mariadb";
inline constexpr const char* kMariaDBLocalDsn = "vendral_mariadb_local";
// The MariaDB connector's driver as Debian registers it.
inline constexpr const char* kMariaDBDriver = "MariaDB Unicode";

// A fresh CRM database with every table the library relies on and one
// Sequence row per table number (Next_id 1000).
class TestDatabase {
  public:
    TestDatabase(Engine engine, Side side = Side::Central);
    ~TestDatabase();

    Engine engine() const { return engine_; }
    const std::string& Dsn() const { return dsn_; }
    std::string Uid() const;
    std::string Pwd() const;
    // "Provider=MSDASQL;dsn=...;uid=...;pwd=..."
    std::string ConnectionString() const;
    // The prefix under which the CRM tables are found: "main.", "CRM5." or, on
    // MariaDB, where a schema is a database of the server, the name of this
    // process's database in capitals ("VENDRAL_1234."; names are compared
    // without case there, as on a CRM installation).
    std::string Prefix() const;
    std::shared_ptr<Connection> Connect() const;

    // Statements on the fixture's own connection; bare table names reach the CRM tables.
    void Exec(const std::string& sql);
    Variant Scalar(const std::string& sql);
    std::vector<std::vector<Variant>> Rows(const std::string& sql);
    // PostgreSQL: the client sessions of this database that meet condition
    // (" AND state = 'idle'", or nothing for all). Background workers, such as
    // an autovacuum worker visiting after a write, do not count.
    long ClientSessions(const std::string& condition = "");

  private:
    void CreateSchema();
    Engine engine_;
    Side side_;
    std::string dsn_;
    std::string mariadbDatabase_;
    std::shared_ptr<Connection> connection_;
};

// Sets prefixes (refilling no catalogue) and hands both connections to db:
// the central one on central, and the local one on local when given.
void AttachConnections(CDatabase& db, const TestDatabase& central,
                       const TestDatabase* local = nullptr);

// Records every statement handed to a connection's driver.
class StatementLog {
  public:
    explicit StatementLog(Connection& connection);
    ~StatementLog();
    const std::vector<std::string>& Statements() const { return *statements_; }
    void Clear() { statements_->clear(); }
    bool Contains(const std::string& sql) const;

  private:
    Connection& connection_;
    std::shared_ptr<std::vector<std::string>> statements_;
};

// Base of tests that run once per engine. PostgreSQL and MariaDB tests are
// skipped when no server was started, unless VENDRAL_REQUIRE_PG or
// VENDRAL_REQUIRE_MARIADB is set (CI), where that fails.
class EngineTest : public ::testing::TestWithParam<Engine> {
  protected:
    void SetUp() override;
    Engine engine() const { return GetParam(); }
    std::unique_ptr<TestDatabase> central_;
};

std::string EngineParamName(const ::testing::TestParamInfo<Engine>& info);

// The engines a suite runs on: SQLite, PostgreSQL and MariaDB, or SQLite alone
// where the servers are not tested (the Windows build under Wine).
std::vector<Engine> TestedEngines();

}  // namespace vendral::test

#define VENDRAL_INSTANTIATE_ENGINES(Suite)                                          \
    INSTANTIATE_TEST_SUITE_P(Engines, Suite,                                        \
                             ::testing::ValuesIn(::vendral::test::TestedEngines()), \
                             ::vendral::test::EngineParamName)
