#include <gtest/gtest.h>

#include "support/test_database.h"
#include "platform/text.h"
#include "vendral/connection.h"

namespace vendral::test {
namespace {

class ConnectionTest : public EngineTest {};

TEST_P(ConnectionTest, OpensReadsAndReportsTheCompletedStringWithoutPassword) {
    Connection connection;
    connection.ConnectionString(central_->ConnectionString());
    connection.Open();
    EXPECT_EQ(connection.State(), adStateOpen);
    EXPECT_EQ(connection.ConnectionString().rfind("Provider=MSDASQL;", 0), 0u)
        << connection.ConnectionString();
    EXPECT_NE(ToUpper(connection.ConnectionString()).find("DSN=" + ToUpper(central_->Dsn())),
              std::string::npos);
    EXPECT_EQ(ToUpper(connection.ConnectionString()).find("PWD="), std::string::npos);
    connection.Close();
    EXPECT_EQ(connection.State(), adStateClosed);
}

VENDRAL_INSTANTIATE_ENGINES(ConnectionTest);

}  // namespace
}  // namespace vendral::test
