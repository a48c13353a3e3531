// Connections through the tests' fault-injecting ODBC driver ("Vendral Fault
// Injection", registered by scripts/odbc-config.sh). It forwards every call to
// the SQLite ODBC driver, so the library's own code runs against a real SQLite
// database, and fails one call on command: for faults that no real engine
// produces on demand.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <string>

#include "support/test_database.h"
#include "vendral/connection.h"

namespace vendral::test {

inline constexpr const char* kFaultDriver = "Vendral Fault Injection";

// The central SQLite test database, opened through the fault-injecting driver.
inline std::shared_ptr<Connection> ConnectThroughFaultDriver() {
    TestOdbc& odbc = TestOdbc::Instance();
    try {
        odbc.DriverPath(kFaultDriver);
    } catch (const std::exception& error) {
        ADD_FAILURE() << error.what() << " (build the vendral-fault-odbc target, then run "
                      << "scripts/odbc-config.sh BUILD/odbc)";
        throw;
    }
    auto connection = std::make_shared<Connection>();
    connection->Open("Provider=MSDASQL;Driver={" + std::string(kFaultDriver) +
                     "};Database=" + odbc.Directory() + "/central.db;Timeout=100000");
    return connection;
}

// While it lives, the driver fails the calls of one fault: "commit" (the
// commit rolls back and fails) or "autocommit-on" (the return to autocommit
// fails); "autocommit-on:2" lets the first such call pass.
class InjectedFault {
  public:
    explicit InjectedFault(const char* fault) { setenv("VENDRAL_FAULT_INJECT", fault, 1); }
    ~InjectedFault() { unsetenv("VENDRAL_FAULT_INJECT"); }
    InjectedFault(const InjectedFault&) = delete;
    InjectedFault& operator=(const InjectedFault&) = delete;
};

}  // namespace vendral::test
