// The settings file (private-profile format), the password encoding and the
// lookup of a data source's driver.
#pragma once

#include <cstdint>
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
// What DecodePassword gives for the stored form of an empty password; the
// opening code treats it as no password.
VENDRAL_API const std::string& EmptyPasswordSentinel();

// The settings file in use by this thread (set by opening and by the settings dialog).
VENDRAL_API std::string& SettingsFilePath();

// The per-thread state of the connection settings dialog.
struct DialogState {
    int Mode = 0;            // DialogMode: 1 central, 2 local, 3 or more both
    int AskServer = 0;       // DialogAskServer: 1 shows server and database names
    bool Cancelled = false;  // DialogCancelled
};
VENDRAL_API DialogState& CurrentDialogState();

// Registry roots of the driver lookup: the user's data sources (ODBCINI, else
// ~/.odbc.ini) and the system's (odbc.ini in ODBCSYSINI, else the system one).
constexpr std::int16_t kRootCurrentUser = 1;
constexpr std::int16_t kRootLocalMachine = 2;
// The key under which a data source's driver name is found.
inline constexpr const char* kOdbcDataSourcesKey = "Software\\ODBC\\odbc.ini\\ODBC Data Sources";

// A key opened by the registry lookup (served from the ODBC configuration).
struct RegistryKey {
    std::int16_t Root = 0;
    std::string Path;
};

VENDRAL_API Variant ReadRegistryValue(const std::string& keyPath, const std::string& valueName,
                                      std::int16_t root);
// 0 and the value on success; otherwise the value is left as it was and the
// status is 2 for a missing value, 6 for a key that is not open, -1 for a value
// of a type that is not read (values under the data-source key are all text).
VENDRAL_API std::int32_t QueryRegistryValue(const RegistryKey& key, const std::string& valueName,
                                            Variant& value);

}  // namespace vendral
