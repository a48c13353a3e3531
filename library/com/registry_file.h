// The component registry of this platform: a text file in the REGEDIT4 format
// (the format the system registry editor imports and exports), holding keys
// under HKEY_CLASSES_ROOT as that registry would. The file is named by the
// environment variable VENDRAL_REGISTRY, else it is
// $XDG_CONFIG_HOME/vendral/registry.reg (~/.config/vendral/registry.reg).
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "vendral/com_base.h"

namespace vendral::com {

inline constexpr const char* kClassesRoot = "HKEY_CLASSES_ROOT";

// "{EAB3025D-64F0-4A4B-B906-24F70793B86D}": capitals, in braces.
std::string GuidText(const GUID& guid);
// Braces are optional; case does not matter.
std::optional<GUID> ParseGuid(std::string_view text);

std::string RegistryFilePath();

class RegistryFormatError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The keys of a registry file in their order; keys are named by their full
// path ("HKEY_CLASSES_ROOT\CLSID\{...}") and compared without regard to case.
// Values that are not strings (dword:, hex:) and comments are kept as written.
class RegistryFile {
  public:
    // An empty text is an empty registry. Throws RegistryFormatError.
    static RegistryFile Parse(std::string_view text);
    std::string Text() const;

    bool HasKey(std::string_view key) const;
    // A string value; name "" is the key's default value.
    std::optional<std::string> Value(std::string_view key, std::string_view name = "") const;
    // Creates the key when it is missing.
    void AddKey(std::string_view key);
    void SetValue(std::string_view key, std::string_view name, std::string_view value);
    // Removes the key and its values; keys below it stay. False when it was not there.
    bool RemoveKey(std::string_view key);
    bool HasSubkeys(std::string_view key) const;
    bool HasValues(std::string_view key) const;

  private:
    struct Line {
        std::string Name;  // "" for the default value; unused for a comment
        std::string Data;  // the text of a string value, else the raw data after "="
        bool IsString = true;
        bool IsComment = false;
    };
    struct Key {
        std::string Path;
        std::vector<Line> Lines;
    };
    Key* Find(std::string_view key);
    const Key* Find(std::string_view key) const;
    std::vector<std::string> leading_;  // comments before the first key
    std::vector<Key> keys_;
};

// The string value of a key in the registry file at path; nullopt when the
// file, the key or the value is missing. Throws RegistryFormatError.
std::optional<std::string> ReadRegistryString(const std::string& path, std::string_view key,
                                              std::string_view name = "");

}  // namespace vendral::com
