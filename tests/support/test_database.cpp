// The engine-neutral part of the test databases; the ODBC set-up of each
// platform is in test_database_posix.cpp and test_database_windows.cpp.
#include "support/test_database.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "base/text.h"

namespace fs = std::filesystem;

namespace vendral::test {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// Statements of the schema file: split at ";" ending a line, comments dropped.
std::vector<std::string> SchemaStatements() {
    std::vector<std::string> statements;
    std::istringstream lines(ReadFile(VENDRAL_TEST_SCHEMA));
    std::string line, current;
    while (std::getline(lines, line)) {
        if (line.rfind("--", 0) == 0 || line.empty()) continue;
        current += line + "\n";
        if (line.back() == ';') {
            current.erase(current.find_last_of(';'));
            statements.push_back(current);
            current.clear();
        }
    }
    return statements;
}

}  // namespace

std::string EngineName(Engine engine) {
    switch (engine) {
        case Engine::SQLite:
            return "SQLite";
        case Engine::PostgreSQL:
            return "PostgreSQL";
        case Engine::MariaDB:
            return "MariaDB";
    }
    return "?";
}

std::string EngineParamName(const ::testing::TestParamInfo<Engine>& info) {
    return EngineName(info.param);
}

TestOdbc& TestOdbc::Instance() {
    static TestOdbc instance;
    return instance;
}

void TestOdbc::AddSharedDataSources() {
    for (auto [name, file] :
         {std::pair{kSqliteCentralDsn, "central.db"}, std::pair{kSqliteLocalDsn, "local.db"}}) {
        AddDataSource(name, {{"Driver", "SQLite3"},
                             {"Database", directory_ + "/" + file},
                             {"Timeout", "100000"},
                             {"SyncPragma", "OFF"}});
    }
    AddDataSource(kPostgresClosedDsn, {{"Driver", "PostgreSQL Unicode"},
                                       {"Servername", "127.0.0.1"},
                                       {"Port", "1"},
                                       {"Database", "postgres"}});
}

std::string TestOdbc::ScratchPath(const std::string& name) const {
    return directory_ + "/scratch/" + name;
}

std::string TestOdbc::DriverPath(const std::string& driver) const {
    std::istringstream lines(ReadFile(DriverIniPath()));
    std::string line;
    bool inSection = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.front() == '[') {
            inSection = line == "[" + driver + "]";
        } else if (inSection && line.rfind("Driver=", 0) == 0) {
            return line.substr(7);
        }
    }
    throw std::runtime_error("driver " + driver + " is not in " + DriverIniPath());
}

TestDatabase::TestDatabase(Engine engine, Side side) : engine_(engine), side_(side) {
    TestOdbc& odbc = TestOdbc::Instance();
    if (engine == Engine::SQLite) {
        dsn_ = side == Side::Central ? kSqliteCentralDsn : kSqliteLocalDsn;
        std::string file = odbc.Directory() + (side == Side::Central ? "/central.db" : "/local.db");
        for (const char* suffix : {"", "-journal", "-wal", "-shm"}) fs::remove(file + suffix);
    } else if (engine == Engine::PostgreSQL) {
        if (!odbc.PostgresAvailable())
            throw std::runtime_error("no PostgreSQL server for the tests");
        dsn_ = side == Side::Central ? kPostgresCentralDsn : kPostgresLocalDsn;
    } else {
        if (!odbc.MariaDBAvailable()) throw std::runtime_error("no MariaDB server for the tests");
        dsn_ = side == Side::Central ? kMariaDBCentralDsn : kMariaDBLocalDsn;
        mariadbDatabase_ = odbc.FreshMariaDBDatabase(side);
    }
    connection_ = Connect();
    if (engine == Engine::PostgreSQL) {
        connection_->Execute("DROP SCHEMA IF EXISTS crm5 CASCADE");
        connection_->Execute("CREATE SCHEMA crm5");
        connection_->Execute("SET search_path TO crm5");
    }
    CreateSchema();
}

TestDatabase::~TestDatabase() = default;

std::string TestDatabase::Uid() const {
    if (engine_ == Engine::PostgreSQL) return "postgres";
    if (engine_ == Engine::MariaDB) return "vendral";
    return "";
}

std::string TestDatabase::Pwd() const {
    if (engine_ == Engine::PostgreSQL) return TestOdbc::Instance().PostgresPassword();
    if (engine_ == Engine::MariaDB) return TestOdbc::Instance().MariaDBPassword();
    return "";
}

std::string TestDatabase::ConnectionString() const {
    return "Provider=MSDASQL;dsn=" + dsn_ + ";uid=" + Uid() + ";pwd=" + Pwd();
}

std::string TestDatabase::Prefix() const {
    if (engine_ == Engine::SQLite) return "main.";
    if (engine_ == Engine::MariaDB) return ToUpper(mariadbDatabase_) + ".";
    return "CRM5.";
}

std::shared_ptr<Connection> TestDatabase::Connect() const {
    auto connection = std::make_shared<Connection>();
    connection->Open(ConnectionString());
    return connection;
}

void TestDatabase::CreateSchema() {
    connection_->BeginTrans();
    for (std::string statement : SchemaStatements()) {
        // INFILE is a reserved word of MariaDB (LOAD DATA INFILE): a CRM
        // installation there names the column in back quotes.
        if (engine_ == Engine::MariaDB) {
            std::size_t at = statement.find(" infile ");
            if (at != std::string::npos) statement.replace(at, 8, " `infile` ");
        }
        connection_->Execute(statement);
    }
    std::string rows;
    for (std::size_t table = 0; table < kCatalogueNames; ++table) {
        if (!rows.empty()) rows += ",";
        rows += "(" + std::to_string(table + 10) + ",1000)";
    }
    connection_->Execute("INSERT INTO sequence (id, next_id) VALUES " + rows);
    connection_->CommitTrans();
}

namespace {

// The tests generate rows with "WITH RECURSIVE n(i) AS (...) INSERT INTO t
// (...) SELECT ... FROM n", as SQLite and PostgreSQL write it; MariaDB takes
// the common table expression only after the insert's column list.
std::string CommonTableFirstInsertForMariaDB(const std::string& sql) {
    if (sql.rfind("WITH RECURSIVE ", 0) != 0) return sql;
    const std::size_t insert = sql.find(" INSERT INTO ");
    if (insert == std::string::npos) return sql;
    const std::size_t select = sql.find(" SELECT ", insert);
    if (select == std::string::npos) return sql;
    return sql.substr(insert + 1, select - insert - 1) + " " + sql.substr(0, insert) +
           sql.substr(select);
}

}  // namespace

void TestDatabase::Exec(const std::string& sql) {
    connection_->Execute(engine_ == Engine::MariaDB ? CommonTableFirstInsertForMariaDB(sql) : sql);
}

Variant TestDatabase::Scalar(const std::string& sql) {
    Recordset recordset;
    recordset.Open(sql, connection_, adOpenForwardOnly, adLockReadOnly, adCmdText);
    Variant value = recordset.Eof() ? Variant() : recordset.Fields(std::size_t{0}).Value();
    recordset.Close();
    return value;
}

std::vector<std::vector<Variant>> TestDatabase::Rows(const std::string& sql) {
    std::vector<std::vector<Variant>> rows;
    Recordset recordset;
    recordset.Open(sql, connection_, adOpenForwardOnly, adLockReadOnly, adCmdText);
    while (!recordset.Eof()) {
        std::vector<Variant> row;
        for (std::size_t i = 0; i < recordset.FieldCount(); ++i)
            row.push_back(recordset.Fields(i).Value());
        rows.push_back(std::move(row));
        recordset.MoveNext();
    }
    recordset.Close();
    return rows;
}

void AttachConnections(CDatabase& db, const TestDatabase& central, const TestDatabase* local) {
    db.CentralDatabasePrefix(central.Prefix());
    db.dDatabase(central.Connect());
    if (local) {
        db.LocalDatabasePrefix(local->Prefix());
        db.LocaldDatabase(local->Connect());
    }
    db.RefillTableCatalogues();
}

StatementLog::StatementLog(Connection& connection)
    : connection_(connection), statements_(std::make_shared<std::vector<std::string>>()) {
    auto statements = statements_;
    connection_.SetStatementObserver(
        [statements](const std::string& sql) { statements->push_back(sql); });
}

StatementLog::~StatementLog() {
    connection_.SetStatementObserver(nullptr);
}

bool StatementLog::Contains(const std::string& sql) const {
    for (const auto& statement : *statements_)
        if (statement == sql) return true;
    return false;
}

long TestDatabase::ClientSessions(const std::string& condition) {
    return Scalar(
               "SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database() "
               "AND backend_type = 'client backend'" +
               condition)
        .ToLong();
}

void EngineTest::SetUp() {
    if (engine() == Engine::PostgreSQL && !TestOdbc::Instance().PostgresAvailable()) {
        if (std::getenv("VENDRAL_REQUIRE_PG")) FAIL() << "PostgreSQL is required but not running";
        GTEST_SKIP() << NoPostgresReason();
    }
    if (engine() == Engine::MariaDB && !TestOdbc::Instance().MariaDBAvailable()) {
        if (std::getenv("VENDRAL_REQUIRE_MARIADB")) FAIL() << "MariaDB is required but not running";
        GTEST_SKIP() << NoMariaDBReason();
    }
    central_ = std::make_unique<TestDatabase>(engine());
}

}  // namespace vendral::test
