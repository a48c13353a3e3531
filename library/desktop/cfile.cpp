#include "vendral/cfile.h"

#include <filesystem>
#include <mutex>

#include "desktop/path_search.h"
#include "desktop/system_drive_dialogs.h"

namespace vendral {
namespace {

// NETRESOURCE values of a connectable disk share.
constexpr std::uint32_t kResourceGlobalNet = 2;
constexpr std::uint32_t kResourceTypeDisk = 1;
constexpr std::uint32_t kDisplayTypeShare = 3;
constexpr std::uint32_t kUsageConnectable = 1;
// The mapping is remembered (and so removed again on disconnect).
constexpr std::uint32_t kConnectUpdateProfile = 1;

NullableString NullWhenEmpty(const NullableString& value) {
    if (!value || value->empty()) return std::nullopt;
    return value;
}

std::mutex& DialogsMutex() {
    static std::mutex mutex;
    return mutex;
}
std::shared_ptr<DriveDialogs>& InstalledDialogs() {
    static std::shared_ptr<DriveDialogs> dialogs;
    return dialogs;
}
std::shared_ptr<DriveDialogs> CurrentDialogs() {
    std::shared_ptr<DriveDialogs> installed;
    {
        std::lock_guard lock(DialogsMutex());
        installed = InstalledDialogs();
    }
    return installed ? installed : desktop::SystemDriveDialogs();
}

}  // namespace

std::shared_ptr<DriveDialogs> InstallDriveDialogs(std::shared_ptr<DriveDialogs> dialogs) {
    std::lock_guard lock(DialogsMutex());
    std::swap(InstalledDialogs(), dialogs);
    return dialogs;
}

CFile::CFile(std::shared_ptr<NetworkConnections> connections)
    : connections_(std::move(connections)) {}

bool CFile::FileExists(const std::string& sSource) const {
    return desktop::SearchFirst(sSource).has_value();
}

bool CFile::FolderExists(const std::string& sFolder) const {
    auto found = desktop::SearchFirst(desktop::StripTrailingBackslash(sFolder));
    return found && found->IsFolder;
}

Variant CFile::ShowDriveConnectDialog(std::int32_t HwndApplication) {
    auto dialogs = CurrentDialogs();
    return dialogs ? dialogs->ShowConnect(HwndApplication, *this) : -1;
}

Variant CFile::ShowDriveDisconnectDialog(std::int32_t HwndApplication) {
    auto dialogs = CurrentDialogs();
    return dialogs ? dialogs->ShowDisconnect(HwndApplication, *this) : -1;
}

std::int32_t CFile::AddConnection(const std::string& serverpath, const std::string& drive,
                                  const NullableString& user, const NullableString& password) {
    NetResource resource;
    resource.dwScope = kResourceGlobalNet;
    resource.dwType = kResourceTypeDisk;
    resource.dwDisplayType = kDisplayTypeShare;
    resource.dwUsage = kUsageConnectable;
    resource.lpLocalName = drive;
    resource.lpRemoteName = serverpath;
    return connections_->AddConnection2(resource, password, user, kConnectUpdateProfile);
}

std::string CFile::ConnectNextFreeNetworkDrive(const std::string& serverpath,
                                               NullableString sUserID, NullableString sPassWord) {
    sUserID = NullWhenEmpty(sUserID);
    sPassWord = NullWhenEmpty(sPassWord);
    std::string remote = desktop::StripTrailingBackslash(serverpath);
    // Every letter is offered; a refusal of any kind moves on to the next one.
    for (char letter = 'D'; letter <= 'Z'; ++letter) {
        std::string drive = std::string(1, letter) + ":";
        if (AddConnection(remote, drive, sUserID, sPassWord) == 0) return drive;
    }
    return "";
}

bool CFile::ConnectThisNetworkDrive(const std::string& serverpath, const std::string& driveletter,
                                    NullableString* sUserID, NullableString* sPassWord) {
    std::string remote = desktop::StripTrailingBackslash(serverpath);
    NullableString user, password;
    if (sUserID != nullptr) user = *sUserID = NullWhenEmpty(*sUserID);
    if (sPassWord != nullptr) password = *sPassWord = NullWhenEmpty(*sPassWord);
    return AddConnection(remote, driveletter, user, password) == 0;
}

std::int32_t CFile::DisconnectThisNetworkDrive(const std::string& sDrive) {
    return connections_->CancelConnection2(sDrive, kConnectUpdateProfile, true);
}

}  // namespace vendral
