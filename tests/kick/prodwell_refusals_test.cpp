// prodwell with a settings file it cannot use: a FIFO, a folder, a file that
// names no data source. One line on standard error, a failing exit status,
// nothing created and no password shown.
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/test_database.h"

namespace vendral::kick {
namespace {

namespace fs = std::filesystem;
using test::TestOdbc;

struct Outcome {
    int Status = -1;
    std::string Err;
};

class ProdwellRefusalsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = TestOdbc::Instance().ScratchPath(std::string("refusals-") + info->name());
        fs::create_directories(folder_ + "/cwd");
    }
    // prodwell in an empty working folder, stopped after 60 seconds at most
    // (status 124 then), its standard error read back.
    Outcome Prodwell(const std::string& ini) {
        const std::string err = folder_ + "/err";
        const std::string command = "cd '" + folder_ + "/cwd' && timeout 60 '" +
                                    std::string(PRODWELL_PATH) + "' --ini '" + ini + "' 2>'" + err +
                                    "' >/dev/null </dev/null";
        int status = std::system(command.c_str());
        std::ifstream in(err);
        std::stringstream text;
        text << in.rdbuf();
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text.str()};
    }
    void ExpectOneLine(const Outcome& outcome, const std::string& part) {
        EXPECT_NE(outcome.Status, 0);
        EXPECT_NE(outcome.Status, 124) << "prodwell waited";
        EXPECT_EQ(std::count(outcome.Err.begin(), outcome.Err.end(), '\n'), 1) << outcome.Err;
        EXPECT_NE(outcome.Err.find(part), std::string::npos) << outcome.Err;
        EXPECT_EQ(outcome.Err.find("S3cret-pw"), std::string::npos) << outcome.Err;
        EXPECT_TRUE(fs::is_empty(folder_ + "/cwd"));
    }
    std::string folder_;
};

TEST_F(ProdwellRefusalsTest, AFifoAsTheSettingsFileEndsAtOnceWithOneLine) {
    const std::string fifo = folder_ + "/kick.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ExpectOneLine(Prodwell(fifo), "The settings file " + fifo +
                                      " is not a regular file (a FIFO, device or socket).");
}

TEST_F(ProdwellRefusalsTest, AFolderAsTheSettingsFileEndsWithOneLine) {
    ExpectOneLine(Prodwell(folder_), "The settings file " + folder_ + " is a folder, not a file.");
}

TEST_F(ProdwellRefusalsTest, ASettingsFileWithoutADataSourceCreatesNothing) {
    const std::string ini = folder_ + "/kick.ini";
    std::ofstream(ini) << "[Central]\nDSN=\nUID=bob\nPWD=S3cret-pw\n";
    fs::permissions(ini, fs::perms(0600));
    ExpectOneLine(Prodwell(ini),
                  "names no data source: its section [Central] has no value for DSN.");
}

}  // namespace
}  // namespace vendral::kick
