#include "support/test_database.h"

#include <odbcinst.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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

// Entries go in through the driver manager's own writer: unixODBC answers
// look-ups from copies of its files that it keeps for about twenty seconds,
// and only its writer drops them, so appended entries would stay unseen.
void WriteOdbcSection(const char* file, UWORD mode, const std::string& name,
                      const std::map<std::string, std::string>& attributes) {
    SQLSetConfigMode(mode);
    bool written = true;
    for (const auto& [key, value] : attributes) {
        written =
            written && SQLWritePrivateProfileString(name.c_str(), key.c_str(), value.c_str(), file);
    }
    SQLSetConfigMode(ODBC_BOTH_DSN);
    if (!written) throw std::runtime_error("cannot write [" + name + "] into " + file);
}

std::string ProcessDatabaseName(Side side) {
    return "vendral_" + std::to_string(getpid()) + (side == Side::Local ? "_local" : "");
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
    return engine == Engine::SQLite ? "SQLite" : "PostgreSQL";
}

std::string EngineParamName(const ::testing::TestParamInfo<Engine>& info) {
    return EngineName(info.param);
}

TestOdbc& TestOdbc::Instance() {
    static TestOdbc instance;
    return instance;
}

TestOdbc::TestOdbc() {
    const char* templateDir = std::getenv("VENDRAL_ODBC_TEMPLATE");
    std::string driverList = templateDir ? std::string(templateDir) + "/odbcinst.ini" : "";
    if (driverList.empty() || !fs::exists(driverList)) {
        throw std::runtime_error(
            "VENDRAL_ODBC_TEMPLATE must name a folder with odbcinst.ini; run "
            "scripts/odbc-config.sh BUILD/odbc (make test does)");
    }
    char pattern[] = "/tmp/vendral-test-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("cannot create a temporary folder");
    directory_ = pattern;
    fs::create_directories(directory_ + "/user");
    fs::create_directories(directory_ + "/scratch");
    fs::copy_file(driverList, DriverIniPath());
    std::ofstream(SystemIniPath()).close();
    std::ofstream(UserIniPath()).close();
    setenv("ODBCSYSINI", directory_.c_str(), 1);
    setenv("ODBCINI", UserIniPath().c_str(), 1);

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

    const char* port = std::getenv("VENDRAL_PG_PORT");
    const char* password = std::getenv("VENDRAL_PG_PASSWORD");
    if (port && *port) {
        postgresPort_ = std::atoi(port);
        postgresPassword_ = password ? password : "";
        auto pgSource = [&](const std::string& database) {
            return std::map<std::string, std::string>{{"Driver", "PostgreSQL Unicode"},
                                                      {"Servername", "127.0.0.1"},
                                                      {"Port", port},
                                                      {"Database", database}};
        };
        AddDataSource("vendral_pg_admin", pgSource("postgres"));
        AddDataSource(kPostgresCentralDsn, pgSource(ProcessDatabaseName(Side::Central)));
        AddDataSource(kPostgresLocalDsn, pgSource(ProcessDatabaseName(Side::Local)));
        Connection admin;
        admin.Open("Provider=MSDASQL;dsn=vendral_pg_admin;uid=postgres;pwd=" + postgresPassword_);
        // VENDRAL_PG_STANDARD_STRINGS=off: the databases read backslashes in
        // texts as escapes, as older CRM installations keep them.
        const char* standardStrings = std::getenv("VENDRAL_PG_STANDARD_STRINGS");
        for (Side side : {Side::Central, Side::Local}) {
            admin.Execute("DROP DATABASE IF EXISTS " + ProcessDatabaseName(side));
            admin.Execute("CREATE DATABASE " + ProcessDatabaseName(side));
            if (standardStrings && std::string(standardStrings) == "off")
                admin.Execute("ALTER DATABASE " + ProcessDatabaseName(side) +
                              " SET standard_conforming_strings = off");
        }
    }
}

TestOdbc::~TestOdbc() {
    std::error_code ignored;
    fs::remove_all(directory_, ignored);
}

std::string TestOdbc::ScratchPath(const std::string& name) const {
    return directory_ + "/scratch/" + name;
}

void TestOdbc::AddDriver(const std::string& name, const std::string& like) {
    WriteOdbcSection("odbcinst.ini", ODBC_BOTH_DSN, name,
                     {{"Driver", DriverPath(like)}, {"Setup", DriverPath(like)}});
}

void TestOdbc::AddDataSource(const std::string& name,
                             const std::map<std::string, std::string>& attributes, bool userOnly) {
    WriteOdbcSection("odbc.ini", userOnly ? ODBC_USER_DSN : ODBC_SYSTEM_DSN, name, attributes);
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
    } else {
        if (!odbc.PostgresAvailable())
            throw std::runtime_error("no PostgreSQL server for the tests");
        dsn_ = side == Side::Central ? kPostgresCentralDsn : kPostgresLocalDsn;
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
    return engine_ == Engine::PostgreSQL ? "postgres" : "";
}

std::string TestDatabase::Pwd() const {
    return engine_ == Engine::PostgreSQL ? TestOdbc::Instance().PostgresPassword() : "";
}

std::string TestDatabase::ConnectionString() const {
    return "Provider=MSDASQL;dsn=" + dsn_ + ";uid=" + Uid() + ";pwd=" + Pwd();
}

std::string TestDatabase::Prefix() const {
    return engine_ == Engine::SQLite ? "main." : "CRM5.";
}

std::shared_ptr<Connection> TestDatabase::Connect() const {
    auto connection = std::make_shared<Connection>();
    connection->Open(ConnectionString());
    return connection;
}

void TestDatabase::CreateSchema() {
    connection_->BeginTrans();
    for (const std::string& statement : SchemaStatements()) connection_->Execute(statement);
    std::string rows;
    for (std::size_t table = 0; table < kCatalogueNames; ++table) {
        if (!rows.empty()) rows += ",";
        rows += "(" + std::to_string(table + 10) + ",1000)";
    }
    connection_->Execute("INSERT INTO sequence (id, next_id) VALUES " + rows);
    connection_->CommitTrans();
}

void TestDatabase::Exec(const std::string& sql) {
    connection_->Execute(sql);
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
    db.dDatabase = central.Connect();
    if (local) {
        db.LocalDatabasePrefix(local->Prefix());
        db.LocaldDatabase = local->Connect();
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

void EngineTest::SetUp() {
    if (engine() == Engine::PostgreSQL && !TestOdbc::Instance().PostgresAvailable()) {
        if (std::getenv("VENDRAL_REQUIRE_PG")) FAIL() << "PostgreSQL is required but not running";
        GTEST_SKIP() << "no PostgreSQL server (run the tests through make test)";
    }
    central_ = std::make_unique<TestDatabase>(engine());
}

}  // namespace vendral::test
