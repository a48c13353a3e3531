// Where prodwell's CDatabase comes from: the class registered in the registry
// file, else the library beside the program; a registration whose library is
// gone ends in one line that names the registry file and the way back. The
// dynamic loader's own report (LD_DEBUG=files) shows which file was loaded.
#include <dlfcn.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "kick.h"
#include "kick_date.h"
#include "served_database.h"
#include "settings/settings_state.h"
#include "support/recording_ui_host.h"
#include "support/test_database.h"
#include "vendral/settings.h"

namespace vendral::kick {
namespace {

namespace fs = std::filesystem;
using test::TestOdbc;

struct Outcome {
    int Status = -1;
    std::string Out, Err;
};

std::string Slurp(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// env: assignments put before the command, as a shell takes them.
Outcome Start(const std::string& env, const std::string& program,
              const std::vector<std::string>& args) {
    fs::path out = TestOdbc::Instance().ScratchPath("activation.out");
    fs::path err = TestOdbc::Instance().ScratchPath("activation.err");
    std::string command = env + " " + Quote(program);
    for (const std::string& arg : args) command += " " + Quote(arg);
    command += " >" + Quote(out.string()) + " 2>" + Quote(err.string()) + " </dev/null";
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
}

bool Loaded(const std::string& loaderReport, const fs::path& library) {
    return loaderReport.find("file=" + library.string() + " [0];  dynamically loaded by") !=
           std::string::npos;
}

std::string Library() {
    return fs::canonical(VENDRAL_LIBRARY_PATH).string();
}

class ProdwellActivationTest : public test::EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (!central_) return;
        central_->Exec("INSERT INTO syncusers (associate_id) VALUES (12)");
        central_->Exec(
            "INSERT INTO appointment (appointment_id, associate_id, registered_associate_id, "
            "do_by, type) VALUES (101, 12, 12, 1300000000, 1)");
        central_->Exec("INSERT INTO syncsoapp (appointment_id) VALUES (101)");
        folder_ = TestOdbc::Instance().ScratchPath("activation");
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        ini_ = (folder_ / "kick.ini").string();
        std::ofstream(ini_) << "[Central]\nDSN=" << central_->Dsn() << "\nUID=" << central_->Uid()
                            << "\nPWD=" << central_->Pwd() << "\nDBPrefix=" << central_->Prefix()
                            << "\n";
        registry_ = (folder_ / "registry.reg").string();
    }

    // A second build of the library: a copy of it in a folder of its own.
    fs::path OtherBuild(const std::string& name) {
        fs::path copy = folder_ / name / "libvendral.so.1";
        fs::create_directories(copy.parent_path());
        fs::copy_file(Library(), copy, fs::copy_options::overwrite_existing);
        return copy;
    }

    // prodwell links the library it was built with; a second build loaded
    // beside it defines the same globals, which the address sanitizer would
    // report as a violation of the one-definition rule.
    std::string Env() const {
        const char* asan = std::getenv("ASAN_OPTIONS");
        return "VENDRAL_REGISTRY=" + Quote(registry_) + " LD_DEBUG=files ASAN_OPTIONS=" +
               Quote(std::string(asan ? asan : "") + ":detect_odr_violation=0");
    }

    fs::path folder_;
    std::string ini_, registry_;
};

TEST_P(ProdwellActivationTest, TheRegisteredLibraryIsTheOneUsed) {
    fs::path other = OtherBuild("other");
    Outcome registered =
        Start("VENDRAL_REGISTRY=" + Quote(registry_), VENDRAL_REGSVR_PATH, {other.string()});
    ASSERT_EQ(registered.Status, 0) << registered.Err;
    EXPECT_NE(Slurp(registry_).find("@=\"" + other.string() + "\""), std::string::npos);

    Outcome run = Start(Env(), PRODWELL_PATH, {"--ini", ini_, "--kick-date", "2008-06-08"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "Inserts for appointments: 1, inserts for tasks: 0\n");
    EXPECT_TRUE(Loaded(run.Err, other)) << run.Err;

    // Unregistered again, the class comes from the library the program runs with.
    Outcome removed =
        Start("VENDRAL_REGISTRY=" + Quote(registry_), VENDRAL_REGSVR_PATH, {"-u", other.string()});
    ASSERT_EQ(removed.Status, 0) << removed.Err;
    EXPECT_EQ(Slurp(registry_).find("InprocServer32"), std::string::npos);
    run = Start(Env(), PRODWELL_PATH, {"--ini", ini_, "--kick-date", "2008-06-08"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_FALSE(Loaded(run.Err, other)) << run.Err;
}

// A missing settings file ends in the same one line whichever build serves.
TEST_P(ProdwellActivationTest, AnOtherBuildsMessagesEndInTheProgramsOneLine) {
    fs::path other = OtherBuild("messages");
    std::string missing = (folder_ / "missing.ini").string();
    Outcome own = Start(Env(), PRODWELL_PATH, {"--ini", missing});
    ASSERT_EQ(
        Start("VENDRAL_REGISTRY=" + Quote(registry_), VENDRAL_REGSVR_PATH, {other.string()}).Status,
        0);
    Outcome served = Start(Env(), PRODWELL_PATH, {"--ini", missing});
    EXPECT_TRUE(Loaded(served.Err, other)) << served.Err;
    auto programLines = [](const std::string& err) {
        std::string lines;
        std::istringstream in(err);
        for (std::string line; std::getline(in, line);)
            if (line.rfind("prodwell: ", 0) == 0 || line.rfind("Error", 0) == 0)
                lines += line + "\n";
        return lines;
    };
    EXPECT_EQ(served.Status, 1);
    EXPECT_EQ(own.Status, 1);
    EXPECT_EQ(programLines(served.Err), programLines(own.Err));
    EXPECT_NE(
        programLines(own.Err).find("prodwell: cannot open the central database from " + missing +
                                   ": the settings file " + missing + " does not exist\n"),
        std::string::npos)
        << own.Err;
}

TEST_P(ProdwellActivationTest, UnregisteredTheLibraryBesideTheProgramServesIt) {
    fs::path beside = OtherBuild("program");
    fs::path program = beside.parent_path() / "prodwell";
    fs::copy_file(PRODWELL_PATH, program, fs::copy_options::overwrite_existing);
    Outcome run = Start(Env(), program.string(), {"--ini", ini_, "--kick-date", "2008-06-08"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "Inserts for appointments: 1, inserts for tasks: 0\n");
    EXPECT_TRUE(Loaded(run.Err, beside)) << run.Err;
}

// Run by the test below in a process of its own, where the sanitizer accepts
// two builds of the library side by side: the class registered for another
// build is created by that build's entry points and runs that build's code.
// Each copy keeps its own per-thread state and object count, so the settings
// file the kick's opening names shows in the other build's state only.
TEST_P(ProdwellActivationTest, DISABLED_InAProcessOfItsOwnTheOtherBuildRunsTheKick) {
    fs::path other = OtherBuild("inprocess");
    ASSERT_EQ(
        Start("VENDRAL_REGISTRY=" + Quote(registry_), VENDRAL_REGSVR_PATH, {other.string()}).Status,
        0);
    setenv("VENDRAL_REGISTRY", registry_.c_str(), 1);
    // Held for the rest of the process, so that the other build stays mapped.
    void* otherBuild = nullptr;
    SetSettingsFilePath("set by the test");
    {
        test::ScopedRecordingHost host;
        ServedDatabase served((folder_ / "elsewhere" / "prodwell").string());
        EXPECT_TRUE(served.Source().FromRegistry);
        EXPECT_EQ(served.Source().Library, other.string());
        otherBuild = dlopen(other.c_str(), RTLD_NOW | RTLD_NOLOAD);
        ASSERT_NE(otherBuild, nullptr);

        KickDatabase& db = served.Database();
        ASSERT_EQ(db.OpenODBC_DB(ini_, OpenCentral, false).ToBool(), true);
        KickCounts counts;
        RunKick(db, {0, static_cast<std::int32_t>(DateSeconds(2008, 6, 8)), false}, counts);
        EXPECT_EQ(CountsMessage(counts), "Inserts for appointments: 1, inserts for tasks: 0");
        EXPECT_EQ(central_->Scalar("SELECT record_id FROM traveltransactionlog").ToLong(), 101);

        using PathFunction = std::string& (*)();
        auto otherPath = reinterpret_cast<PathFunction>(
            dlsym(otherBuild, "_ZN7vendral16SettingsFilePathB5cxx11Ev"));
        ASSERT_NE(otherPath, nullptr);
        EXPECT_EQ(otherPath(), ini_);
        EXPECT_EQ(SettingsFilePath(), "set by the test");

        // The object is counted by the other build's module only.
        auto otherCanUnload =
            reinterpret_cast<DllCanUnloadNowFunction>(dlsym(otherBuild, "DllCanUnloadNow"));
        auto ownCanUnload =
            reinterpret_cast<DllCanUnloadNowFunction>(dlsym(RTLD_DEFAULT, "DllCanUnloadNow"));
        ASSERT_NE(otherCanUnload, nullptr);
        ASSERT_NE(ownCanUnload, nullptr);
        EXPECT_NE(reinterpret_cast<void*>(otherCanUnload), reinterpret_cast<void*>(ownCanUnload));
        EXPECT_EQ(otherCanUnload(), S_FALSE);
        EXPECT_EQ(ownCanUnload(), S_OK);

        // The other build shows its user interface through this program's host.
        EXPECT_FALSE(host->Pointers.empty());
        std::string missing = (folder_ / "missing.ini").string();
        EXPECT_EQ(db.OpenODBC_DB(missing, OpenCentral, false).ToBool(), false);
        ASSERT_EQ(host->Dialogs.size(), 1u);
        EXPECT_EQ(host->Dialogs[0].SettingsFile, missing);
        EXPECT_EQ(host->Dialogs[0].State.Mode, OpenCentral);
    }
    unsetenv("VENDRAL_REGISTRY");
}

TEST_P(ProdwellActivationTest, TheRegisteredOtherBuildsOwnCodeRunsTheKick) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string engine = test->name();
    engine = engine.substr(engine.find('/') + 1);
    const char* asan = std::getenv("ASAN_OPTIONS");
    Outcome child =
        Start("ASAN_OPTIONS=" + Quote(std::string(asan ? asan : "") + ":detect_odr_violation=0"),
              fs::read_symlink("/proc/self/exe").string(),
              {"--gtest_also_run_disabled_tests",
               "--gtest_filter=*ProdwellActivationTest."
               "DISABLED_InAProcessOfItsOwnTheOtherBuildRunsTheKick/" +
                   engine});
    EXPECT_EQ(child.Status, 0) << child.Out << child.Err;
    EXPECT_NE(child.Out.find("[  PASSED  ] 1 test."), std::string::npos) << child.Out << child.Err;
}

#ifdef PRODWELL_HAS_WINDOW
// The window makes its CDatabase the same way: started with the other build
// registered, the loader reports that build loaded while the window is up.
TEST_P(ProdwellActivationTest, TheWindowIsServedByTheRegisteredLibraryToo) {
    fs::path other = OtherBuild("window");
    ASSERT_EQ(
        Start("VENDRAL_REGISTRY=" + Quote(registry_), VENDRAL_REGSVR_PATH, {other.string()}).Status,
        0);
    fs::path report = folder_ / "loader";
    pid_t window = fork();
    ASSERT_GE(window, 0);
    if (window == 0) {
        setenv("VENDRAL_REGISTRY", registry_.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("LD_DEBUG", "files", 1);
        setenv("LD_DEBUG_OUTPUT", report.c_str(), 1);
        std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
        setenv("ASAN_OPTIONS", (asan + ":detect_odr_violation=0:detect_leaks=0").c_str(), 1);
        execl(PRODWELL_PATH, PRODWELL_PATH, "--window", "--ini", ini_.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    // The loader writes its report to report.<pid>; wait until the window's
    // object came from the other build, or the program ended.
    fs::path reportFile = report.string() + "." + std::to_string(window);
    bool loaded = false;
    bool ended = false;
    for (int attempt = 0; attempt < 1200 && !loaded && !ended; ++attempt) {
        loaded = Loaded(Slurp(reportFile), other);
        int status = 0;
        ended = waitpid(window, &status, WNOHANG) == window;
        if (!loaded && !ended) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!ended) {
        kill(window, SIGKILL);
        waitpid(window, nullptr, 0);
    }
    EXPECT_TRUE(loaded) << Slurp(reportFile).substr(0, 4000);
    EXPECT_FALSE(ended) << "the window ended before it was served";
}
#endif

VENDRAL_INSTANTIATE_ENGINES(ProdwellActivationTest);

TEST(ProdwellActivation, ARegistrationWhoseLibraryIsGoneSaysHowToRegisterAgain) {
    fs::path folder = TestOdbc::Instance().ScratchPath("gone");
    fs::create_directories(folder);
    fs::path copy = folder / "libvendral.so.1";
    fs::copy_file(Library(), copy, fs::copy_options::overwrite_existing);
    std::string registry = (folder / "registry.reg").string();
    ASSERT_EQ(
        Start("VENDRAL_REGISTRY=" + Quote(registry), VENDRAL_REGSVR_PATH, {copy.string()}).Status,
        0);
    fs::remove(copy);

    std::string ini = (folder / "never-opened.ini").string();
    Outcome run = Start("VENDRAL_REGISTRY=" + Quote(registry), PRODWELL_PATH, {"--ini", ini});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
    EXPECT_EQ(run.Err.rfind("prodwell: Vendral.CDatabase is registered in " + registry +
                                " with the library " + copy.string() + ", which cannot be loaded (",
                            0),
              0u)
        << run.Err;
    EXPECT_NE(run.Err.find("; register the library again with: vendral-regsvr " + Library()),
              std::string::npos)
        << run.Err;
}

TEST(ProdwellActivation, TheRegistrationToolRefusesWhatItCannotLoad) {
    fs::path folder = TestOdbc::Instance().ScratchPath("regsvr");
    fs::create_directories(folder);
    std::string registry = (folder / "registry.reg").string();
    Outcome missing = Start("VENDRAL_REGISTRY=" + Quote(registry), VENDRAL_REGSVR_PATH,
                            {(folder / "none.so").string()});
    EXPECT_NE(missing.Status, 0);
    EXPECT_NE(missing.Err.find("cannot load " + (folder / "none.so").string()), std::string::npos)
        << missing.Err;
    EXPECT_FALSE(fs::exists(registry));
    Outcome usage = Start("", VENDRAL_REGSVR_PATH, {});
    EXPECT_EQ(usage.Status, 2);
    EXPECT_NE(usage.Err.find("usage: "), std::string::npos);
}

}  // namespace
}  // namespace vendral::kick
