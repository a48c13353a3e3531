#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "temp_folder.h"
#include "vendral/cfile.h"

namespace vendral {
namespace {

// Stands in for the GVfs mount step, which needs a real server: the share
// "smb://fileserver/projects" is a local folder, reached with the user "anna"
// and the password "geheim", or with the logged-on user's credentials (user
// and password null). Anything else is refused as a wrong password.
class StandInMounter : public ShareMounter {
  public:
    explicit StandInMounter(std::string folder) : folder_(std::move(folder)) {}
    MountResult Mount(const std::string& uri, const NullableString& user,
                      const NullableString& password) override {
        calls.push_back({uri, user, password});
        if (uri != "smb://fileserver/projects") return {kErrorBadNetPath, ""};
        bool loggedOn = !user && !password;
        bool anna = user == "anna" && password == "geheim";
        if (!loggedOn && !anna) return {kErrorInvalidPassword, ""};
        return {0, folder_};
    }
    struct Call {
        std::string Uri;
        NullableString User, Password;
    };
    std::vector<Call> calls;

  private:
    std::string folder_;
};

// Passes every call on to the real drive table and keeps what it was given.
class RecordingConnections : public NetworkConnections {
  public:
    explicit RecordingConnections(std::shared_ptr<NetworkConnections> inner)
        : inner_(std::move(inner)) {}
    std::int32_t AddConnection2(const NetResource& resource, const NullableString& password,
                                const NullableString& user, std::uint32_t flags) override {
        adds.push_back({resource, password, user, flags});
        return inner_->AddConnection2(resource, password, user, flags);
    }
    std::int32_t CancelConnection2(const std::string& name, std::uint32_t flags,
                                   bool force) override {
        cancels.push_back({name, flags, force});
        return inner_->CancelConnection2(name, flags, force);
    }
    std::vector<DriveMapping> Connections() const override { return inner_->Connections(); }

    struct Add {
        NetResource Resource;
        NullableString Password, User;
        std::uint32_t Flags;
    };
    struct Cancel {
        std::string Name;
        std::uint32_t Flags;
        bool Force;
    };
    std::vector<Add> adds;
    std::vector<Cancel> cancels;

  private:
    std::shared_ptr<NetworkConnections> inner_;
};

class NetworkDriveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* old = std::getenv("XDG_DATA_HOME");
        if (old != nullptr) oldDataHome_ = old;
        ::setenv("XDG_DATA_HOME", temp.Path().c_str(), 1);
        share = temp.Folder("server/projects");
        mounter = std::make_shared<StandInMounter>(share);
        table = std::make_shared<DriveTable>(DefaultDriveTableFolder(), mounter);
        recorder = std::make_shared<RecordingConnections>(table);
        file = std::make_unique<CFile>(recorder);
    }
    void TearDown() override {
        if (oldDataHome_) {
            ::setenv("XDG_DATA_HOME", oldDataHome_->c_str(), 1);
        } else {
            ::unsetenv("XDG_DATA_HOME");
        }
    }
    std::vector<std::string> Drives() const {
        std::vector<std::string> names;
        for (const DriveMapping& m : table->Connections()) names.push_back(m.Drive);
        return names;
    }

    test::TempFolder temp;
    std::string share;
    std::shared_ptr<StandInMounter> mounter;
    std::shared_ptr<DriveTable> table;
    std::shared_ptr<RecordingConnections> recorder;
    std::unique_ptr<CFile> file;

  private:
    std::optional<std::string> oldDataHome_;
};

TEST_F(NetworkDriveTest, TableLivesInTheUsersDataFolder) {
    EXPECT_EQ(table->Folder(), temp.Path() / "vendral" / "dosdevices");
}

TEST_F(NetworkDriveTest, NextFreeLetterAfterDAndEIsF) {
    std::string other = temp.Folder("other");
    ASSERT_TRUE(file->ConnectThisNetworkDrive(other, "D:"));
    ASSERT_TRUE(file->ConnectThisNetworkDrive(other, "E:"));
    recorder->adds.clear();
    EXPECT_EQ(file->ConnectNextFreeNetworkDrive("\\\\fileserver\\projects\\", std::string("anna"),
                                                std::string("geheim")),
              "F:");
    // D: and E: were offered and refused: no letter is tested beforehand.
    ASSERT_EQ(recorder->adds.size(), 3u);
    EXPECT_EQ(recorder->adds[0].Resource.lpLocalName, "D:");
    EXPECT_EQ(recorder->adds[2].Resource.lpLocalName, "F:");
    const NetResource& resource = recorder->adds[2].Resource;
    EXPECT_EQ(resource.dwScope, 2u);
    EXPECT_EQ(resource.dwType, 1u);
    EXPECT_EQ(resource.dwDisplayType, 3u);
    EXPECT_EQ(resource.dwUsage, 1u);
    EXPECT_EQ(resource.lpRemoteName, "\\\\fileserver\\projects");  // one "\" removed
    EXPECT_EQ(resource.lpComment, std::nullopt);
    EXPECT_EQ(resource.lpProvider, std::nullopt);
    EXPECT_EQ(recorder->adds[2].Flags, 1u);
    ASSERT_EQ(mounter->calls.size(), 1u);
    EXPECT_EQ(mounter->calls[0].Uri, "smb://fileserver/projects");
    EXPECT_EQ(Drives(), (std::vector<std::string>{"D:", "E:", "F:"}));
    EXPECT_TRUE(std::filesystem::equivalent(table->Folder() / "f:", share));
}

TEST_F(NetworkDriveTest, WrongPasswordTriesAllTwentyThreeLetters) {
    EXPECT_EQ(file->ConnectNextFreeNetworkDrive("smb://fileserver/projects", std::string("anna"),
                                                std::string("wrong")),
              "");
    ASSERT_EQ(recorder->adds.size(), 23u);
    for (std::size_t i = 0; i < 23; ++i)
        EXPECT_EQ(recorder->adds[i].Resource.lpLocalName,
                  std::string(1, static_cast<char>('D' + i)) + ":");
    EXPECT_EQ(mounter->calls.size(), 23u);
    EXPECT_TRUE(Drives().empty());
}

TEST_F(NetworkDriveTest, OmittedOrEmptyCredentialsReachTheMountStepAsNull) {
    EXPECT_EQ(file->ConnectNextFreeNetworkDrive("\\\\fileserver\\projects"), "D:");
    EXPECT_EQ(file->ConnectNextFreeNetworkDrive("\\\\fileserver\\projects", std::string(""),
                                                std::string("")),
              "E:");
    ASSERT_EQ(mounter->calls.size(), 2u);
    for (const auto& call : mounter->calls) {
        EXPECT_EQ(call.User, std::nullopt);
        EXPECT_EQ(call.Password, std::nullopt);
    }
    for (const auto& add : recorder->adds) {
        EXPECT_EQ(add.User, std::nullopt);
        EXPECT_EQ(add.Password, std::nullopt);
    }
}

TEST_F(NetworkDriveTest, ConnectThisDriveTakesTheLetterAsGivenAndNullsTheCallersEmptyValues) {
    NullableString user = std::string(""), password = std::string("");
    EXPECT_TRUE(
        file->ConnectThisNetworkDrive("  \\\\fileserver\\projects  ", "K:", &user, &password));
    EXPECT_EQ(user, std::nullopt);
    EXPECT_EQ(password, std::nullopt);
    ASSERT_EQ(recorder->adds.size(), 1u);
    EXPECT_EQ(recorder->adds[0].Resource.lpLocalName, "K:");
    EXPECT_EQ(recorder->adds[0].Resource.lpRemoteName, "\\\\fileserver\\projects");
    // Taken, malformed or the system drive: refused.
    EXPECT_FALSE(file->ConnectThisNetworkDrive(share, "k:"));
    EXPECT_FALSE(file->ConnectThisNetworkDrive(share, "K"));
    EXPECT_FALSE(file->ConnectThisNetworkDrive(share, "C:"));
    NullableString anna = std::string("anna"), wrong = std::string("wrong");
    EXPECT_FALSE(file->ConnectThisNetworkDrive("\\\\fileserver\\projects", "L:", &anna, &wrong));
    EXPECT_EQ(anna, "anna");  // non-empty values stay
    EXPECT_FALSE(file->ConnectThisNetworkDrive(temp / "missing", "M:"));
    EXPECT_EQ(Drives(), std::vector<std::string>{"K:"});
}

TEST_F(NetworkDriveTest, MappingOutlivesTheProcessUntilDisconnected) {
    std::string local = temp.Folder("local share");
    ASSERT_EQ(file->ConnectNextFreeNetworkDrive(local), "D:");
    auto listed = [&] {
        std::string command = std::string("'") + LIST_DRIVES_PATH + "'";
        std::FILE* pipe = ::popen(command.c_str(), "r");
        std::string out;
        char buffer[512];
        while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
        if (pipe != nullptr) ::pclose(pipe);
        return out;
    };
    // A second process, with a drive table object of its own, sees the drive.
    EXPECT_EQ(listed(), "D: " + local + "\n");
    EXPECT_EQ(file->DisconnectThisNetworkDrive("D:"), 0);
    ASSERT_EQ(recorder->cancels.size(), 1u);
    EXPECT_EQ(recorder->cancels[0].Name, "D:");
    EXPECT_EQ(recorder->cancels[0].Flags, 1u);
    EXPECT_TRUE(recorder->cancels[0].Force);
    EXPECT_EQ(listed(), "");
    EXPECT_EQ(file->DisconnectThisNetworkDrive("D:"), kErrorNotConnected);
    EXPECT_TRUE(std::filesystem::is_directory(local));  // the share itself is untouched
}

TEST_F(NetworkDriveTest, DialogsWithoutTheWidgetLibraryAreCancelled) {
    EXPECT_EQ(file->ShowDriveConnectDialog(), Variant(-1));
    EXPECT_EQ(file->ShowDriveDisconnectDialog(0), Variant(-1));
}

TEST(ShareUriTest, WindowsAndSmbFormsBecomeOneUri) {
    EXPECT_EQ(ShareUri("\\\\server\\share\\dir"), "smb://server/share/dir");
    EXPECT_EQ(ShareUri("SMB://server/share/"), "smb://server/share");
    EXPECT_EQ(ShareUri("/mnt/share"), std::nullopt);
    EXPECT_EQ(ShareUri("C:\\data"), std::nullopt);
}

}  // namespace
}  // namespace vendral
