// The POSIX side of the tests' ODBC set-up: a temporary folder of its own as
// ODBCSYSINI, written through unixODBC's own configuration functions.
#include "support/test_database.h"

#include <odbcinst.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace fs = std::filesystem;

namespace vendral::test {
namespace {

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

}  // namespace

void PrepareTestProcess(int argc, char** argv) {
    // Settings files of the tests hold passwords; like a careful user's they are
    // readable by their owner only (tests of other modes set them explicitly).
    ::umask(077);
    // An argument, not a variable of the test's environment: the test runner
    // cannot give a registration of discovered tests an environment of two
    // variables (its list separator splits the property).
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--pg-standard-strings=off")
            setenv("VENDRAL_PG_STANDARD_STRINGS", "off", 1);
}

std::vector<Engine> TestedEngines() {
    return {Engine::SQLite, Engine::PostgreSQL, Engine::MariaDB};
}

const char* NoPostgresReason() {
    return "no PostgreSQL server (run the tests through make test)";
}

const char* NoMariaDBReason() {
    return "no MariaDB server (run the tests through make test)";
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

    AddSharedDataSources();

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

    // MariaDB's databases are made when a test asks for one (FreshMariaDBDatabase):
    // most test processes never reach the server.
    const char* mariadbPort = std::getenv("VENDRAL_MARIADB_PORT");
    const char* mariadbPassword = std::getenv("VENDRAL_MARIADB_PASSWORD");
    if (mariadbPort && *mariadbPort) {
        mariadbPort_ = std::atoi(mariadbPort);
        mariadbPassword_ = mariadbPassword ? mariadbPassword : "";
        auto mariadbSource = [&](const std::string& database) {
            std::map<std::string, std::string> attributes{
                {"Driver", kMariaDBDriver}, {"Server", "127.0.0.1"}, {"Port", mariadbPort}};
            if (!database.empty()) attributes["Database"] = database;
            return attributes;
        };
        AddDataSource("vendral_mariadb_admin", mariadbSource(""));
        AddDataSource(kMariaDBCentralDsn, mariadbSource(ProcessDatabaseName(Side::Central)));
        AddDataSource(kMariaDBLocalDsn, mariadbSource(ProcessDatabaseName(Side::Local)));
    }
}

std::string TestOdbc::FreshMariaDBDatabase(Side side) {
    std::string name = ProcessDatabaseName(side);
    Connection admin;
    admin.Open("Provider=MSDASQL;dsn=vendral_mariadb_admin;uid=vendral;pwd=" + mariadbPassword_);
    admin.Execute("DROP DATABASE IF EXISTS " + name);
    admin.Execute("CREATE DATABASE " + name);
    return name;
}

TestOdbc::~TestOdbc() {
    std::error_code ignored;
    fs::remove_all(directory_, ignored);
}

void TestOdbc::AddDriver(const std::string& name, const std::string& like) {
    WriteOdbcSection("odbcinst.ini", ODBC_BOTH_DSN, name,
                     {{"Driver", DriverPath(like)}, {"Setup", DriverPath(like)}});
}

void TestOdbc::AddDataSource(const std::string& name,
                             const std::map<std::string, std::string>& attributes, bool userOnly) {
    WriteOdbcSection("odbc.ini", userOnly ? ODBC_USER_DSN : ODBC_SYSTEM_DSN, name, attributes);
}

}  // namespace vendral::test
