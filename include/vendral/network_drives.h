/// @file
/// Our layer in place of the platform's network connections: drive letters are
/// a per-user drive table, a folder of links named "d:" ... "z:" to the
/// mounted share (as Linux tools that emulate drive letters do). The table
/// lives in $XDG_DATA_HOME/vendral/dosdevices (~/.local/share/... when unset),
/// so a mapping outlives the process until it is disconnected.
///
/// Results are the platform's error numbers: 0 on success, else one of the
/// kError* values below.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "vendral/export.h"

namespace vendral {

/// A text that may be the null string (nullopt), which is not the same as "".
using NullableString = std::optional<std::string>;

/// @name Error numbers of the drive layer
/** @{ */
constexpr std::int32_t kErrorBadNetPath = 53;           ///< The share cannot be found.
constexpr std::int32_t kErrorBadNetName = 67;           ///< No such share or folder.
constexpr std::int32_t kErrorAlreadyAssigned = 85;      ///< The drive is in use.
constexpr std::int32_t kErrorInvalidPassword = 86;      ///< The credentials were refused.
constexpr std::int32_t kErrorBadDevice = 1200;          ///< Not a drive name.
constexpr std::int32_t kErrorNotConnected = 2250;       ///< The drive is not mapped.
constexpr std::int32_t kErrorCannotOpenProfile = 1205;  ///< The drive table cannot be written.
/** @} */

/// The network resource record of the connect call.
struct NetResource {
    std::uint32_t dwScope = 0;        ///< Not used.
    std::uint32_t dwType = 0;         ///< Not used.
    std::uint32_t dwDisplayType = 0;  ///< Not used.
    std::uint32_t dwUsage = 0;        ///< Not used.
    NullableString lpLocalName;       ///< The drive ("K:").
    NullableString lpRemoteName;      ///< The share or folder it leads to.
    NullableString lpComment;         ///< Not used.
    NullableString lpProvider;        ///< Not used.
};

/// One drive of the table: its name ("F:") and the folder it leads to.
struct DriveMapping {
    std::string Drive;   ///< The drive's name in capitals ("F:").
    std::string Target;  ///< The folder the drive leads to.
};

/// The platform's network connections, as CFile uses them. Results are error
/// numbers: 0 on success, else one of the kError values.
class VENDRAL_API NetworkConnections {
  public:
    virtual ~NetworkConnections() = default;
    /// Maps resource.lpRemoteName to resource.lpLocalName. A null user or
    /// password means the credentials of the logged-on user.
    /// @param resource the drive and what it leads to.
    /// @param password the password for the share, or null.
    /// @param user the user for the share, or null.
    /// @param flags not used.
    virtual std::int32_t AddConnection2(const NetResource& resource, const NullableString& password,
                                        const NullableString& user, std::uint32_t flags) = 0;
    /// Removes the drive @p name.
    /// @param name the drive ("K:").
    /// @param flags not used.
    /// @param force true removes it even while files on it are open.
    virtual std::int32_t CancelConnection2(const std::string& name, std::uint32_t flags,
                                           bool force) = 0;
    /// The drives mapped now, in letter order.
    virtual std::vector<DriveMapping> Connections() const = 0;
};

/// The mount step for a share ("smb://server/share/path"): makes it reachable
/// as a local folder.
struct MountResult {
    std::int32_t Error = 0;  ///< 0, or an error number such as kErrorInvalidPassword
    std::string LocalPath;   ///< the folder of the mounted share when Error is 0
};

/// Makes a share reachable as a local folder, for DriveTable.
class VENDRAL_API ShareMounter {
  public:
    virtual ~ShareMounter() = default;
    /// Mounts @p uri with @p user and @p password (null: the logged-on
    /// user's credentials).
    virtual MountResult Mount(const std::string& uri, const NullableString& user,
                              const NullableString& password) = 0;
};

/// Mounts through GVfs: `gio mount URI`, answering its questions with the user
/// and password when they are given; then `gio info URI` gives the local path.
class VENDRAL_API GioShareMounter : public ShareMounter {
  public:
    /// Mounts through `gio`; kErrorInvalidPassword when the credentials are
    /// refused, kErrorBadNetPath when the share cannot be reached.
    MountResult Mount(const std::string& uri, const NullableString& user,
                      const NullableString& password) override;
};

/// The folder of the user's drive table.
VENDRAL_API std::filesystem::path DefaultDriveTableFolder();

/// `\\server\share\dir` and `smb://server/share/dir` become
/// `smb://server/share/dir`; anything else is nullopt (a local folder).
VENDRAL_API std::optional<std::string> ShareUri(const std::string& remoteName);

/// The drive table. Drive names are a letter from A to Z and a colon, in either
/// case; C: is the system's own drive and is always in use. A remote name that
/// is a share is mounted by the mounter and linked to its local folder; a
/// remote name that is an existing local folder (an already-mounted share) is
/// linked directly.
class VENDRAL_API DriveTable : public NetworkConnections {
  public:
    /// The user's drive table (DefaultDriveTableFolder()), mounting through GVfs.
    DriveTable();
    /// The drive table in @p folder, mounting through @p mounter.
    DriveTable(std::filesystem::path folder, std::shared_ptr<ShareMounter> mounter);

    /// Links the drive to the share's folder: kErrorBadDevice for a name that
    /// is not a drive, kErrorAlreadyAssigned for one in use (C: always is),
    /// kErrorBadNetName for an empty remote name or a local folder that does
    /// not exist, the mounter's error for a share that does not mount,
    /// kErrorCannotOpenProfile when the table cannot be written.
    std::int32_t AddConnection2(const NetResource& resource, const NullableString& password,
                                const NullableString& user, std::uint32_t flags) override;
    /// The link goes whether or not files are open on the drive (force).
    std::int32_t CancelConnection2(const std::string& name, std::uint32_t flags,
                                   bool force) override;
    /// The drives of the table, in letter order.
    std::vector<DriveMapping> Connections() const override;
    /// The table's folder.
    const std::filesystem::path& Folder() const { return folder_; }

  private:
    std::filesystem::path folder_;
    std::shared_ptr<ShareMounter> mounter_;
};

}  // namespace vendral
