// The two functions through which the library reads and writes the settings file.
#include "base/private_profile.h"
#include "vendral/settings.h"

namespace vendral {
namespace {

// The reader's buffer: 1000 characters including the terminating NUL, so a
// longer value comes back cut to 999 characters.
constexpr std::size_t kValueBuffer = 1000;

}  // namespace

Variant ReadIniValue(const std::string& section, const std::string& key,
                     const std::string& defaultValue, const std::string& filePath, bool writeBack) {
    // The platform is always given an empty default, so a missing key and an
    // empty value look alike and both give the caller's default.
    std::string value = GetPrivateProfileString(section, key, "", kValueBuffer, filePath);
    if (!value.empty()) return Variant(value);
    if (writeBack) WriteIniValue(section, key, defaultValue, filePath);
    return Variant(defaultValue);
}

void WriteIniValue(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& filePath) {
    // Callers do not check writes; a failed one leaves the old file as it was.
    WritePrivateProfileString(section, key, value, filePath);
}

}  // namespace vendral
