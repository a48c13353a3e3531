/// @file
/// The settings file (private-profile format), the password encoding and the
/// lookup of a data source's driver. The settings file holds the sections
/// "Central" and "Local" (or the section named by CDatabase::LocalDSNEntry)
/// with the keys "DSN", "UID", "PWD", "PWDC", "ServerName", "PrefixName",
/// "DBPrefix", "DatabaseType" and "ForceDriver".
#pragma once

#include <cstdint>
#include <string>

#include "vendral/variant.h"

namespace vendral {

/// Reads one value as a String. A missing file, section or key, or an empty
/// value, gives @p defaultValue, which is then written into the file when
/// @p writeBack is true. Section and key names are matched without regard to
/// case; the file is read anew at every call. Never throws.
/// @param section the section name, without brackets.
/// @param key the key name.
/// @param defaultValue the result when there is no value.
/// @param filePath the settings file.
/// @param writeBack true writes @p defaultValue into the file when there is
///        no value.
Variant ReadIniValue(const std::string& section, const std::string& key,
                     const std::string& defaultValue, const std::string& filePath,
                     bool writeBack = false);
/// Writes one value, creating file, section and key as needed; the file is
/// replaced whole, so a failed write leaves the old file as it was. Failures
/// are not reported.
/// @param section the section name, without brackets.
/// @param key the key name.
/// @param value the value, one line.
/// @param filePath the settings file.
void WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& filePath);

/// Hides a password from a casual look, as "PWDC" stores it: a start marker,
/// one substituted character per character, an end marker; an empty password
/// becomes a fixed constant. This is not encryption: anyone with the library
/// can decode it, so the settings file is created readable by its owner only.
std::string EncodePassword(const std::string& text);
/// The password of an EncodePassword() text. Never fails: a malformed or too
/// short value gives an empty text; characters outside the tables pass
/// through unchanged.
std::string DecodePassword(const std::string& encoded);
/// What DecodePassword gives for the stored form of an empty password; the
/// opening code treats it as no password.
const std::string& EmptyPasswordSentinel();

/// The settings file in use by this thread, set by CDatabase::OpenODBC_DB()
/// and CDatabase::ShowODBCSettings() and read by the settings dialog and
/// CDatabase::SwitchCentralConnection(); one per thread.
std::string& SettingsFilePath();

/// The per-thread state of the connection settings dialog, set before it is
/// shown and read after it closed.
struct DialogState {
    int Mode = 0;            ///< DialogMode: 1 central, 2 local, 3 or more both.
    int AskServer = 0;       ///< DialogAskServer: 1 shows server and database names.
    bool Cancelled = false;  ///< DialogCancelled: the user left without settings.
};
/// This thread's dialog state.
DialogState& CurrentDialogState();

/// @name Registry roots of the driver lookup
/** @{ */
/// The user's data sources ($ODBCINI, else ~/.odbc.ini).
constexpr std::int16_t kRootCurrentUser = 1;
/// The system's data sources (odbc.ini in $ODBCSYSINI, else the system one).
constexpr std::int16_t kRootLocalMachine = 2;
/** @} */
/// The key under which a data source's driver name is found.
inline constexpr const char* kOdbcDataSourcesKey = "Software\\ODBC\\odbc.ini\\ODBC Data Sources";

/// A key opened by the registry lookup (served from the ODBC configuration).
struct RegistryKey {
    std::int16_t Root = 0;  ///< kRootCurrentUser or kRootLocalMachine.
    std::string Path;       ///< The key path; only kOdbcDataSourcesKey opens.
};

/// The value @p valueName under @p keyPath of root @p root: under
/// kOdbcDataSourcesKey, the driver name of the data source @p valueName.
/// Empty for another root, a key that does not open or a missing value.
/// Never throws.
Variant ReadRegistryValue(const std::string& keyPath, const std::string& valueName,
                          std::int16_t root);
/// Reads @p valueName of the open @p key into @p value.
/// @return 0 with the value on success; otherwise the value is left as it was
///         and the status is 2 for a missing value, 6 for a key that is not
///         open, -1 for a value of a type that is not read (values under the
///         data-source key are all text).
std::int32_t QueryRegistryValue(const RegistryKey& key, const std::string& valueName,
                                Variant& value);

}  // namespace vendral
