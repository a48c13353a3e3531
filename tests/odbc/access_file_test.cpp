#include <gtest/gtest.h>

#include <fstream>

#include "base/utf8_path.h"
#include "odbc/file_database.h"
#include "support/test_database.h"
#include "vendral/connection.h"

namespace vendral::test {
namespace {

using detail::ChooseAccessDriver;
using detail::FileDatabaseKind;
using detail::KindOfDatabaseHeader;

// The first bytes of an Access file: a page number, then the signature.
std::string Header(const std::string& signature) {
    return std::string("\x00\x01\x00\x00", 4) + signature + std::string(16, '\0');
}

std::string AccessFile(const std::string& name, const std::string& signature) {
    const std::string path = TestOdbc::Instance().ScratchPath(name);
    std::ofstream(detail::PathFromUtf8(path), std::ios::binary) << Header(signature);
    return path;
}

TEST(AccessFileTest, TheHeaderTellsJetAceAndOtherFilesApart) {
    EXPECT_EQ(KindOfDatabaseHeader(Header("Standard Jet DB")), FileDatabaseKind::Jet);
    EXPECT_EQ(KindOfDatabaseHeader(Header("Standard ACE DB")), FileDatabaseKind::Ace);
    EXPECT_EQ(KindOfDatabaseHeader("SQLite format 3" + std::string(20, '\0')),
              FileDatabaseKind::Other);
    // The signature at the start of the file is not the header's.
    EXPECT_EQ(KindOfDatabaseHeader("Standard Jet DB" + std::string(20, '\0')),
              FileDatabaseKind::Other);
    EXPECT_EQ(KindOfDatabaseHeader(Header("Standard Jet").substr(0, 16)), FileDatabaseKind::Other);
    EXPECT_EQ(detail::ReadFileDatabaseKind(AccessFile("kind.mdb", "Standard Jet DB")),
              FileDatabaseKind::Jet);
    EXPECT_EQ(detail::ReadFileDatabaseKind(TestOdbc::Instance().ScratchPath("none.mdb")),
              FileDatabaseKind::Other);
}

TEST(AccessFileTest, TheNewerDriverIsChosenWhereInstalledAndTheOlderForJetFilesOnly) {
    const std::vector<std::string> both = {"SQLite3", "Microsoft Access Driver (*.mdb)",
                                           "Microsoft Access Driver (*.mdb, *.accdb)"};
    const std::vector<std::string> older = {"SQL Server", "MICROSOFT ACCESS DRIVER (*.MDB)"};
    const std::vector<std::string> none = {"SQLite3", "PostgreSQL Unicode"};
    EXPECT_EQ(ChooseAccessDriver(FileDatabaseKind::Jet, both),
              "Microsoft Access Driver (*.mdb, *.accdb)");
    EXPECT_EQ(ChooseAccessDriver(FileDatabaseKind::Ace, both),
              "Microsoft Access Driver (*.mdb, *.accdb)");
    EXPECT_EQ(ChooseAccessDriver(FileDatabaseKind::Jet, older), "Microsoft Access Driver (*.mdb)");
    // The older driver reads no ACE file.
    EXPECT_EQ(ChooseAccessDriver(FileDatabaseKind::Ace, older), std::nullopt);
    EXPECT_EQ(ChooseAccessDriver(FileDatabaseKind::Jet, none), std::nullopt);
    EXPECT_EQ(ChooseAccessDriver(FileDatabaseKind::Other, both), std::nullopt);
}

#ifdef _WIN32
// No Access driver is installed here (Wine has none): the error names the one to install.
TEST(AccessFileTest, AnAccessFileWithoutItsDriverNamesTheDriverToInstall) {
    for (const char* signature : {"Standard Jet DB", "Standard ACE DB"}) {
        const std::string file = AccessFile("crm.mdb", signature);
        Connection connection;
        try {
            connection.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file);
            ADD_FAILURE() << "an Access file opened without an Access driver";
        } catch (const DatabaseError& error) {
            EXPECT_EQ(error.SQLState(), "IM002");
            EXPECT_NE(error.Description().find("\"Microsoft Access Driver (*.mdb, *.accdb)\""),
                      std::string::npos)
                << error.Description();
            EXPECT_NE(error.Description().find(file), std::string::npos) << error.Description();
        }
        EXPECT_EQ(connection.State(), adStateClosed);
        ASSERT_EQ(connection.Errors().Count(), 1u);
        EXPECT_EQ(connection.Errors().Item(0).SQLState, "IM002");
    }
}
#else
// Without an Access driver on this side every file goes to the SQLite driver.
TEST(AccessFileTest, AnAccessFileGoesToTheSqliteDriverHere) {
    const std::string file = AccessFile("crm.mdb", "Standard Jet DB");
    detail::OdbcTarget target = detail::TranslateConnectionString(
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file, "", "");
    const std::string sqlite = target.OdbcString;
    EXPECT_EQ(detail::ChooseFileDatabaseDriver(target), std::nullopt);
    EXPECT_EQ(target.OdbcString, sqlite);
    EXPECT_NE(sqlite.find("Driver=SQLite3"), std::string::npos) << sqlite;
}
#endif

}  // namespace
}  // namespace vendral::test
