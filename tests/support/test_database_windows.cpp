// The Windows side of the tests' ODBC set-up, as it runs under Wine: Wine's
// odbc32 hands every connection to the host's unixODBC, which reads its data
// sources from the ODBCSYSINI folder of the Unix environment Wine was started
// with. scripts/wine-tests.sh prepares that folder (the driver list) and names
// it in VENDRAL_WINE_ODBC_DIR; the data sources go into its files here, and
// into the Wine registry, where the library's own look-ups read them.
#include "support/test_database.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace vendral::test {
namespace {

// Wine's drive Z: is the host's root: "Z:/tmp/x" here is "/tmp/x" for the
// host's driver, which opens database files by their host path.
constexpr const char* kHostRoot = "Z:";

std::string HostPath(const std::string& value) {
    if (value.size() < 3 || (value[0] != 'Z' && value[0] != 'z') || value[1] != ':' ||
        (value[2] != '/' && value[2] != '\\'))
        return value;
    std::string path = value.substr(2);
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

// Replaces section NAME of an ini file with these entries. unixODBC keeps
// copies of looked-up entries for a while, so a section is written before its
// first look-up and not changed after it.
void WriteIniSection(const std::string& file, const std::string& name,
                     const std::map<std::string, std::string>& entries) {
    std::vector<std::string> kept;
    {
        std::ifstream in(file);
        std::string line;
        bool skipping = false;
        while (std::getline(in, line)) {
            if (!line.empty() && line.front() == '[') skipping = line == "[" + name + "]";
            if (!skipping) kept.push_back(line);
        }
    }
    std::ofstream out(file, std::ios::trunc);
    for (const std::string& line : kept) out << line << "\n";
    out << "\n[" << name << "]\n";
    for (const auto& [key, value] : entries) out << key << "=" << HostPath(value) << "\n";
    if (!out) throw std::runtime_error("cannot write [" + name + "] into " + file);
}

void SetRegistryValue(HKEY root, const std::string& key, const std::string& name,
                      const std::string& value) {
    HKEY opened = nullptr;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened,
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create registry key " + key);
    LSTATUS status = RegSetValueExA(opened, name.c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>(value.size() + 1));
    RegCloseKey(opened);
    if (status != ERROR_SUCCESS) throw std::runtime_error("cannot set " + key + "\\" + name);
}

}  // namespace

void PrepareTestProcess(int /*argc*/, char** /*argv*/) {
    // Files get the access of their folder: Windows has no mode bits to narrow,
    // and PostgreSQL is not tested here.
}

// The PostgreSQL cases are the Linux suites' (make test starts a server for
// them); under Wine only the SQLite ones are instantiated.
std::vector<Engine> TestedEngines() {
    return {Engine::SQLite};
}

const char* NoPostgresReason() {
    return "PostgreSQL is not tested under Wine (the Linux suites cover it)";
}

const char* NoMariaDBReason() {
    return "MariaDB is not tested under Wine (the Linux suites cover it)";
}

std::string TestOdbc::FreshMariaDBDatabase(Side /*side*/) {
    throw std::runtime_error(NoMariaDBReason());
}

TestOdbc::TestOdbc() {
    const char* hostFolder = std::getenv("VENDRAL_WINE_ODBC_DIR");
    if (!hostFolder || *hostFolder != '/') {
        throw std::runtime_error(
            "VENDRAL_WINE_ODBC_DIR must name the host folder that is ODBCSYSINI, with "
            "odbcinst.ini; run the tests through scripts/wine-tests.sh");
    }
    directory_ = std::string(kHostRoot) + hostFolder;
    if (!fs::exists(DriverIniPath())) throw std::runtime_error("no driver list " + DriverIniPath());
    fs::create_directories(directory_ + "/user");
    fs::create_directories(directory_ + "/scratch");
    std::ofstream(SystemIniPath()).close();
    std::ofstream(UserIniPath()).close();

    AddSharedDataSources();
}

TestOdbc::~TestOdbc() {
    // The folder belongs to scripts/wine-tests.sh, which keeps it for a look
    // after a failure; only the scratch files go.
    std::error_code ignored;
    fs::remove_all(directory_ + "/scratch", ignored);
}

void TestOdbc::AddDriver(const std::string& name, const std::string& like) {
    std::string path = DriverPath(like);
    WriteIniSection(DriverIniPath(), name, {{"Driver", path}, {"Setup", path}});
    SetRegistryValue(HKEY_LOCAL_MACHINE, "Software\\ODBC\\ODBCINST.INI\\ODBC Drivers", name,
                     "Installed");
    SetRegistryValue(HKEY_LOCAL_MACHINE, "Software\\ODBC\\ODBCINST.INI\\" + name, "Driver", path);
}

void TestOdbc::AddDataSource(const std::string& name,
                             const std::map<std::string, std::string>& attributes, bool userOnly) {
    WriteIniSection(userOnly ? UserIniPath() : SystemIniPath(), name, attributes);
    HKEY root = userOnly ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    auto driver = attributes.find("Driver");
    SetRegistryValue(root, "Software\\ODBC\\ODBC.INI\\ODBC Data Sources", name,
                     driver == attributes.end() ? "" : driver->second);
    for (const auto& [key, value] : attributes)
        SetRegistryValue(root, "Software\\ODBC\\ODBC.INI\\" + name, key, value);
}

}  // namespace vendral::test
