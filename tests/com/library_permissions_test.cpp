// Activation and registration refuse a library that users other than its
// owner and root may replace, and a registry file that is no regular file.
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>

#include "com/com_support.h"
#include "vendral/com_client.h"

namespace vendral::test {
namespace {

namespace fs = std::filesystem;

const std::string kClsid = "{EAB3025D-64F0-4A4B-B906-24F70793B86D}";

class LibraryPermissionsTest : public ComTest {
  protected:
    void SetUp() override {
        ComTest::SetUp();
        folder_lib_ = Scratch("lib");
        fs::create_directories(folder_lib_);
        fs::permissions(folder_lib_, fs::perms(0755));
        library_ = folder_lib_ + "/libvendral.so.1";
        fs::copy_file(fs::canonical(VENDRAL_LIBRARY_PATH), library_);
        fs::permissions(library_, fs::perms(0644));
        std::ofstream(Scratch("registry.reg"))
            << "REGEDIT4\n\n[HKEY_CLASSES_ROOT\\Vendral.CDatabase\\CLSID]\n@=\"" << kClsid
            << "\"\n\n[HKEY_CLASSES_ROOT\\CLSID\\" << kClsid << "\\InprocServer32]\n@=\""
            << library_ << "\"\n";
    }
    // The text of the refusal, or empty when the object was created.
    std::string Refusal() {
        try {
            IUnknown* object = com::CreateObject("Vendral.CDatabase", IID_IDispatch);
            object->Release();
            return "";
        } catch (const com::ActivationError& error) {
            EXPECT_EQ(error.Result(), E_ACCESSDENIED) << error.what();
            return error.what();
        }
    }
    // vendral-regsvr's exit status and standard error.
    std::pair<int, std::string> Register(const std::string& library) {
        std::string command = std::string(VENDRAL_REGSVR_PATH) + " " + library + " 2>&1 >/dev/null";
        FILE* pipe = ::popen(command.c_str(), "r");
        std::string output;
        char buffer[512];
        while (pipe && std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
        int status = pipe ? ::pclose(pipe) : -1;
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
    }
    std::string folder_lib_, library_;
};

TEST_F(LibraryPermissionsTest, ALibraryOthersMayWriteIsNotLoaded) {
    EXPECT_EQ(Refusal(), "") << "a protected library loads";
    com::FreeUnusedLibraries();

    fs::permissions(library_, fs::perms(0666));
    EXPECT_EQ(Refusal(), "the library " + library_ +
                             " for Vendral.CDatabase is not loaded: the file " + library_ +
                             " may be written by users other than its owner and root (mode "
                             "0666), so any of them could replace the code it runs; remove their "
                             "write permission (chmod go-w " +
                             library_ + ") or register a library from a protected folder");
    // Registration-free activation checks the same.
    com::ClassManifest manifest{"Vendral.CDatabase", CLSID_CDatabase, library_};
    fs::remove(Scratch("registry.reg"));
    EXPECT_THROW(com::CreateObject("Vendral.CDatabase", IID_IDispatch, manifest),
                 com::ActivationError);
}

TEST_F(LibraryPermissionsTest, AFolderOthersMayWriteOnTheLibrarysPathIsRefusedUnlessSticky) {
    fs::permissions(folder_lib_, fs::perms(0777));
    std::string refusal = Refusal();
    EXPECT_NE(refusal.find("the folder " + folder_lib_ +
                           " may be written by users other than its owner and root (mode 0777)"),
              std::string::npos)
        << refusal;
    // Through a link in a protected folder the linked file's folders count too.
    fs::create_symlink(library_, Scratch("linked.so"));
    com::ClassManifest manifest{"Vendral.CDatabase", CLSID_CDatabase, Scratch("linked.so")};
    fs::remove(Scratch("registry.reg"));
    EXPECT_THROW(com::CreateObject("Vendral.CDatabase", IID_IDispatch, manifest),
                 com::ActivationError);

    // The sticky bit keeps others from replacing what they do not own, as in /tmp.
    fs::permissions(folder_lib_, fs::perms(01777));
    IUnknown* object = com::CreateObject("Vendral.CDatabase", IID_IDispatch, manifest);
    ASSERT_NE(object, nullptr);
    object->Release();
    com::FreeUnusedLibraries();
}

TEST_F(LibraryPermissionsTest, RegistrationRefusesALibraryOthersMayWrite) {
    fs::remove(Scratch("registry.reg"));
    fs::permissions(library_, fs::perms(0664));
    auto [status, output] = Register(library_);
    EXPECT_NE(status, 0);
    EXPECT_NE(output.find("refusing " + library_ + ": the file " + library_ +
                          " may be written by users other than its owner and root (mode 0664)"),
              std::string::npos)
        << output;
    EXPECT_FALSE(fs::exists(Scratch("registry.reg")));

    fs::permissions(library_, fs::perms(0644));
    EXPECT_EQ(Register(library_).first, 0);
    EXPECT_NE(RegistryText().find(library_), std::string::npos);
}

TEST_F(LibraryPermissionsTest, ARegistryFileThatIsAFifoReadsAsNoRegistration) {
    fs::remove(Scratch("registry.reg"));
    ASSERT_EQ(::mkfifo(Scratch("registry.reg").c_str(), 0600), 0);
    auto created = std::async(std::launch::async, [] {
        try {
            com::CreateObject("Vendral.CDatabase", IID_IDispatch);
            return std::string("created");
        } catch (const com::ActivationError& error) {
            return std::string(error.what());
        }
    });
    if (created.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        std::ofstream release(Scratch("registry.reg"));
        FAIL() << "the activation waits for a writer of the FIFO";
    }
    EXPECT_EQ(created.get(), "Vendral.CDatabase is not registered in " + Scratch("registry.reg") +
                                 "; register its library with: vendral-regsvr LIBRARY");
}

}  // namespace
}  // namespace vendral::test
