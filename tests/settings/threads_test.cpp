// The process-wide pieces used from several threads: the UI host and the
// driver lookup. Run under AddressSanitizer (the sanitized build), a host
// freed while another thread uses it is a reported use after free.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif
#include <odbcinst.h>
#ifdef _WIN32
#undef MessageBox  // the UI host's member, not the system's macro
#endif

#include <atomic>
#include <thread>
#include <vector>

#include "settings/registry_lookup.h"
#include "support/test_database.h"
#include "vendral/connection.h"
#include "vendral/settings.h"
#include "vendral/ui_host.h"

namespace vendral::test {
namespace {

// The calls that hosts counted, handed over when each host is destroyed.
std::atomic<long> countedByDestroyedHosts{0};

// A host that counts its calls in its own memory and hands the count over when
// it is destroyed: a call that reaches a host already destroyed is lost from
// the count (and, under AddressSanitizer, reported as a use after free).
class CountingHost : public UiHost {
  public:
    ~CountingHost() override { countedByDestroyedHosts += calls_; }
    int MessageBox(const std::string&, const std::string&, MessageIcon) override { return 1; }
    void SetMousePointer(int pointer) override {
        for (int& slot : pointers_) slot = pointer;
        ++calls_;
    }
    void DoEvents() override {}

  private:
    std::vector<int> pointers_ = std::vector<int>(64, 0);
    long calls_ = 0;
};

TEST(Threads, AHostInstalledOnAnotherThreadDoesNotFreeTheOneInUse) {
    countedByDestroyedHosts = 0;
    std::shared_ptr<UiHost> previous = InstallUiHost(std::make_shared<CountingHost>());
    constexpr long kCalls = 20000;
    std::atomic<bool> done{false};
    std::thread installer([&] {
        while (!done) InstallUiHost(std::make_shared<CountingHost>());
    });
    for (long i = 0; i < kCalls; ++i) CurrentUiHost()->SetMousePointer(static_cast<int>(i % 12));
    done = true;
    installer.join();
    // Putting the previous host back destroys the last counting host.
    InstallUiHost(previous);
    EXPECT_EQ(countedByDestroyedHosts.load(), kCalls);
}

// The lookup must not switch the driver manager's configuration mode, which
// every connect in the process reads: a connect to a user data source on
// another thread would not find it while the lookup reads the system ones.
TEST(Threads, TheDriverLookupLeavesTheConfigurationModeOfOtherThreadsAlone) {
    TestOdbc& odbc = TestOdbc::Instance();
    odbc.AddDataSource("vendral_threads_user",
                       {{"Driver", "SQLite3"}, {"Database", odbc.ScratchPath("threads_user.db")}},
                       true);
    std::atomic<bool> done{false};
    std::atomic<long> lookups{0};
    std::thread lookup([&] {
        while (!done) {
            EXPECT_EQ(ReadRegistryValue(kOdbcDataSourcesKey, kSqliteCentralDsn, kRootLocalMachine),
                      Variant("SQLite3"));
            EXPECT_TRUE(
                ReadRegistryValue(kOdbcDataSourcesKey, "vendral_threads_user", kRootLocalMachine)
                    .IsEmpty());
            ++lookups;
        }
    });
    long otherModes = 0;
    int failedConnects = 0;
    for (int round = 0; round < 200; ++round) {
        UWORD mode = ODBC_BOTH_DSN;
        if (SQLGetConfigMode(&mode) && mode != ODBC_BOTH_DSN) ++otherModes;
        if (round % 10 == 0) {
            Connection connection;
            try {
                connection.Open("Provider=MSDASQL;dsn=vendral_threads_user");
            } catch (const DatabaseError&) {
                ++failedConnects;
            }
        }
    }
    done = true;
    lookup.join();
    EXPECT_GT(lookups.load(), 0);
    EXPECT_EQ(otherModes, 0);
    EXPECT_EQ(failedConnects, 0);
}

}  // namespace
}  // namespace vendral::test
