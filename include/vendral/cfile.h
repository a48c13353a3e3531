/// @file
/// File and network-drive chores of the library: existence tests, mapping and
/// removing network drives, and the string fields of a file's version resource.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "vendral/export.h"
#include "vendral/network_drives.h"
#include "vendral/variant.h"

namespace vendral {

/// File and network-drive chores: existence tests, mapping and removing
/// network drives (on the user's drive table, see DriveTable), and the string
/// fields of a file's version resource. No member throws: results tell.
class VENDRAL_API CFile {
  public:
    /// Drives go to the user's drive table, shares are mounted through GVfs.
    CFile();
    /// Drives go to @p connections (a DriveTable of one's own folder, or a
    /// test double).
    explicit CFile(std::shared_ptr<NetworkConnections> connections);

    /// True when a directory search for sSource finds an entry: "*" and "?"
    /// work in the last component, and a folder counts as found.
    bool FileExists(const std::string& sSource) const;
    /// True when the normalised sFolder (blanks trimmed, one trailing "\" or
    /// "/" removed) is a folder.
    bool FolderExists(const std::string& sFolder) const;

    /// The dialog for mapping a drive: the widget library's, else on Windows
    /// the system's. 0 when done, -1 when cancelled or (the widget library)
    /// when no dialog can be shown; the system's may give its error number.
    /// @param HwndApplication the window the dialog belongs to, or 0.
    Variant ShowDriveConnectDialog(std::int32_t HwndApplication = 0);
    /// The dialog for removing a drive; as ShowDriveConnectDialog().
    Variant ShowDriveDisconnectDialog(std::int32_t HwndApplication = 0);

    /// Maps serverpath to the first of D: to Z: that accepts it; "" when none
    /// did. An omitted or empty user or password is passed as null.
    std::string ConnectNextFreeNetworkDrive(const std::string& serverpath,
                                            NullableString sUserID = std::nullopt,
                                            NullableString sPassWord = std::nullopt);
    /// Maps serverpath to driveletter as given ("K:"). An empty user or
    /// password is replaced by null in the caller's variable.
    bool ConnectThisNetworkDrive(const std::string& serverpath, const std::string& driveletter,
                                 NullableString* sUserID = nullptr,
                                 NullableString* sPassWord = nullptr);
    /// 0 on success, else the error number of the drive layer.
    std::int32_t DisconnectThisNetworkDrive(const std::string& sDrive);

    /// Reads the version resource and replaces the eight strings; a file
    /// without a version resource or translation table leaves them as they were.
    void GetFileInfo(const std::string& FullFileName);

    /// @name Version strings of the last GetFileInfo()
    /// Empty until a file with a version resource was read.
    /** @{ */
    const std::string& FileInfo_CompanyName() const { return info_[0]; }  ///< "CompanyName".
    const std::string& FileInfo_FileDescription() const {
        return info_[1];
    }                                                                        ///< "FileDescription".
    const std::string& FileInfo_FileVersion() const { return info_[2]; }     ///< "FileVersion".
    const std::string& FileInfo_InternalName() const { return info_[3]; }    ///< "InternalName".
    const std::string& FileInfo_LegalCopyright() const { return info_[4]; }  ///< "LegalCopyright".
    const std::string& FileInfo_OriginalFileName() const {
        return info_[5];
    }                                                                     ///< "OriginalFileName".
    const std::string& FileInfo_ProductName() const { return info_[6]; }  ///< "ProductName".
    const std::string& FileInfo_ProductVersion() const { return info_[7]; }  ///< "ProductVersion".
    /** @} */

    /// The drive layer the object maps drives on.
    NetworkConnections& Connections() { return *connections_; }

  private:
    std::int32_t AddConnection(const std::string& serverpath, const std::string& drive,
                               const NullableString& user, const NullableString& password);
    std::shared_ptr<NetworkConnections> connections_;
    std::array<std::string, 8> info_;
};

/// The dialogs behind ShowDriveConnectDialog and ShowDriveDisconnectDialog.
/// The widget library installs Qt dialogs when it is loaded; without them the
/// system's own are shown on Windows, and elsewhere both return -1.
class VENDRAL_API DriveDialogs {
  public:
    virtual ~DriveDialogs() = default;
    /// Shows the dialog that maps a drive through @p file, owned by window
    /// @p owner; 0 when done, -1 when cancelled.
    virtual std::int32_t ShowConnect(std::int32_t owner, CFile& file) = 0;
    /// Shows the dialog that removes a drive through @p file; as ShowConnect().
    virtual std::int32_t ShowDisconnect(std::int32_t owner, CFile& file) = 0;
};
/// Installs dialogs for the process (nullptr: none) and returns the earlier ones.
VENDRAL_API std::shared_ptr<DriveDialogs> InstallDriveDialogs(
    std::shared_ptr<DriveDialogs> dialogs);

}  // namespace vendral
