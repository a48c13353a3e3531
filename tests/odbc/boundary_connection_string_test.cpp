// Connection strings with braces that do not balance: parsed without fault,
// and a connection opened from one fails with the driver manager's error.
#include <gtest/gtest.h>

#include "odbc/connection_string.h"
#include "support/test_database.h"

namespace vendral::test {
namespace {

using Attributes = std::vector<Attribute>;

TEST(BoundaryConnectionString, AnOpenBraceRunsToTheEnd) {
    EXPECT_EQ(ParseConnectionString("DSN={crm;UID=sa"), (Attributes{{"DSN", "crm;UID=sa"}}));
    EXPECT_EQ(ParseConnectionString("DSN={"), (Attributes{{"DSN", ""}}));
    EXPECT_EQ(ParseConnectionString("DSN={a}}"), (Attributes{{"DSN", "a}"}}));
}

TEST(BoundaryConnectionString, AStrayClosingBraceIsPartOfAPlainValue) {
    EXPECT_EQ(ParseConnectionString("DSN=crm};UID=sa"),
              (Attributes{{"DSN", "crm}"}, {"UID", "sa"}}));
    EXPECT_EQ(ParseConnectionString("}{;=;;DSN= {x} ;"), (Attributes{{"DSN", "x"}}));
    // Braced again, the value reads back as it was.
    EXPECT_EQ(ParseConnectionString("DSN=" + QuoteAttributeValue("crm}")),
              (Attributes{{"DSN", "crm}"}}));
}

TEST(BoundaryConnectionString, OpeningFromAnUnbalancedStringFailsWithTheDriversError) {
    Connection connection;
    try {
        connection.Open("Provider=MSDASQL;DSN={" + std::string(kSqliteCentralDsn) + ";UID=sa");
        FAIL() << "opened a connection to a data source named with the rest of the string";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.SQLState(), "IM002") << error.what();
    }
    EXPECT_EQ(connection.State(), adStateClosed);
}

}  // namespace
}  // namespace vendral::test
