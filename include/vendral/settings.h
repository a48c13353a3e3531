/// @file
/// The settings file (private-profile format), the password encoding and the
/// lookup of a data source's driver. The settings file holds the sections
/// "Central" and "Local" (or the section named by CDatabase::LocalDSNEntry)
/// with the keys "DSN", "UID", "PWD", "PWDC", "ServerName", "PrefixName",
/// "DBPrefix", "DatabaseType" and "ForceDriver".
#pragma once

#include <functional>
#include <string>

#include "vendral/export.h"
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
VENDRAL_API Variant ReadIniValue(const std::string& section, const std::string& key,
                                 const std::string& defaultValue, const std::string& filePath,
                                 bool writeBack = false);
/// Writes one value, creating file, section and key as needed; the file is
/// replaced whole, so a failed write leaves the old file as it was. Failures
/// are not reported.
/// @param section the section name, without brackets.
/// @param key the key name.
/// @param value the value, one line.
/// @param filePath the settings file.
VENDRAL_API void WriteIniValue(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& filePath);

/// Hides a password from a casual look, as "PWDC" stores it: a start marker,
/// one substituted character per character, an end marker; an empty password
/// becomes a fixed constant. This is not encryption: anyone with the library
/// can decode it, so the settings file is created readable by its owner only.
VENDRAL_API std::string EncodePassword(const std::string& text);
/// The password of an EncodePassword() text. Never fails: a malformed or too
/// short value gives an empty text; characters outside the tables pass
/// through unchanged.
VENDRAL_API std::string DecodePassword(const std::string& encoded);
/// The settings file in use by this thread, as CDatabase::OpenODBC_DB() and
/// CDatabase::ShowODBCSettings() last set it; read by the settings dialog and
/// CDatabase::SwitchCentralConnection(); one per thread.
VENDRAL_API const std::string& SettingsFilePath();
/// Makes @p path this thread's settings file, as opening does; for a UI host
/// that shows the settings dialog for another build of the library.
VENDRAL_API void SetSettingsFilePath(const std::string& path);

/// The per-thread state of the connection settings dialog, set before it is
/// shown and read after it closed. The dialog runner reads Mode and AskServer
/// and sets Cancelled when the user gives up.
struct DialogState {
    int Mode = 0;            ///< DialogMode: 1 central, 2 local, 3 or more both.
    int AskServer = 0;       ///< DialogAskServer: 1 shows server and database names.
    bool Cancelled = false;  ///< DialogCancelled: the user left without settings.
};
/// This thread's dialog state.
VENDRAL_API DialogState& CurrentDialogState();

/// Shows the connection settings dialog modally for this thread's
/// SettingsFilePath() and DialogState; false when it cannot be shown (no user
/// interface), and the caller then behaves as without one.
using SettingsDialogRunner = std::function<bool()>;
/// Installs the runner of the settings dialog for the process (the widget
/// library installs its own when it loads); an empty one removes it. Returns
/// the runner installed before.
VENDRAL_API SettingsDialogRunner InstallSettingsDialogRunner(SettingsDialogRunner runner);
/// Shows the connection settings dialog through the installed runner. Without
/// one, a program that installed no UI host of its own gets the widget library
/// loaded where a display is reachable (see CurrentUiHost()). Where no dialog
/// can be shown, says on standard error that the settings file is missing (or
/// is to be edited by hand) and sets DialogState::Cancelled.
VENDRAL_API void ShowSettingsDialog();

}  // namespace vendral
