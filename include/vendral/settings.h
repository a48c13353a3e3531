// The settings file (private-profile format), the password encoding and the
// per-thread settings state that a user-interface host works with.
#pragma once

#include <string>

#include "vendral/export.h"
#include "vendral/variant.h"

namespace vendral {

// Reads one value; a missing file, section or key, or an empty value, gives
// defaultValue, which is then written into the file when writeBack is true.
VENDRAL_API Variant ReadIniValue(const std::string& section, const std::string& key,
                                 const std::string& defaultValue, const std::string& filePath,
                                 bool writeBack = false);
// Writes one value, creating file, section and key as needed. Failures are not reported.
VENDRAL_API void WriteIniValue(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& filePath);

// Hides a password from a casual look. This is not encryption: anyone with the
// library can decode it, so the settings file is created readable by its owner only.
VENDRAL_API std::string EncodePassword(const std::string& text);
VENDRAL_API std::string DecodePassword(const std::string& encoded);

// The settings file in use by this thread, as opening and the settings dialog
// last set it (CDatabase::OpenODBC_DB, CDatabase::ShowODBCSettings).
VENDRAL_API const std::string& SettingsFilePath();

// The per-thread state of the connection settings dialog. A UiHost's
// ShowSettingsDialog reads Mode and AskServer and sets Cancelled when the
// user gives up.
struct DialogState {
    int Mode = 0;            // DialogMode: 1 central, 2 local, 3 or more both
    int AskServer = 0;       // DialogAskServer: 1 shows server and database names
    bool Cancelled = false;  // DialogCancelled
};
VENDRAL_API DialogState& CurrentDialogState();

}  // namespace vendral
