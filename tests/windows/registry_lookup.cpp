// The registry lookup against the real registry: values of each type written
// with the system's own calls under a scratch key of the user, read back
// through ReadRegistryValue and QueryRegistryValue. Prints one line per check
// and "SENTINEL ..." at its end.
#include "settings/registry_lookup.h"

#include <windows.h>

#include <cstdint>
#include <string>

#include "checks.h"
#include "vendral/variant.h"

namespace {

using checks::Check;
using checks::Wide;
using vendral::Variant;
using vendral::detail::kRootCurrentUser;
using vendral::detail::QueryRegistryValue;
using vendral::detail::ReadRegistryValue;
using vendral::detail::RegistryKey;

constexpr const char* kScratchKey = "Software\\VendralRegistryLookupTest";

bool Write(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kScratchKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const bool written =
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

bool WriteText(const char* name, DWORD type, const std::string& text, bool withZero = true) {
    return Write(name, type, text.c_str(), static_cast<DWORD>(text.size() + (withZero ? 1 : 0)));
}

// A text value under a key and a value name in any letters, with the wide calls.
bool WriteWide(const std::string& subkey, const std::string& name, const std::string& text) {
    HKEY key = nullptr;
    const std::wstring path = Wide(std::string(kScratchKey) + "\\" + subkey);
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring data = Wide(text);
    const bool written =
        RegSetValueExW(key, Wide(name).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

std::string Shown(const Variant& value) {
    if (value.IsEmpty()) return "Empty";
    return value.ToString();
}

}  // namespace

int main() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratchKey);
    const DWORD number = 1234567;
    const bool written = WriteText("Text", REG_SZ, "SQLite3 ODBC Driver") &&
                         WriteText("Empty", REG_SZ, "") &&
                         WriteText("Unterminated", REG_SZ, "abc", false) &&
                         WriteText("Expandable", REG_EXPAND_SZ, "%SystemRoot%\\odbc") &&
                         Write("Number", REG_DWORD, &number, sizeof number) &&
                         Write("Binary", REG_BINARY, "\x01\x02", 2);
    Check("the scratch values are written", written);

    const RegistryKey key{kRootCurrentUser, kScratchKey};
    // Each read gives its status and what the output holds after it.
    Variant value;
    auto read = [&](const char* name) {
        const std::int32_t status = QueryRegistryValue(key, name, value);
        return std::to_string(status) + " " + Shown(value);
    };
    std::string got = read("Text");
    Check("a text value reads as its text", got == "0 SQLite3 ODBC Driver", got);
    value = Variant("before");
    got = read("Empty");
    Check("an empty text reads as an empty text", got == "0 " && !value.IsEmpty(), got);
    got = read("Unterminated");
    Check("a text stored without its zero keeps its last character", got == "0 abc", got);
    got = read("Number");
    Check("a number reads as the number", got == "0 1234567", got);

    value = Variant("before");
    got = read("Expandable");
    Check("an expandable text is not read: -1, the output as it was", got == "-1 before", got);
    got = read("Binary");
    Check("a binary value is not read: -1, the output as it was", got == "-1 before", got);
    got = read("Missing");
    Check("a missing value gives the system's status 2, the output as it was", got == "2 before",
          got);
    const std::int32_t status = QueryRegistryValue(
        RegistryKey{kRootCurrentUser, "Software\\NoSuchVendralKey"}, "Text", value);
    Check("a key that does not open gives 6", status == 6, std::to_string(status));

    // "Jürgen Привет": Latin with an umlaut and Cyrillic, which no one ANSI
    // code page holds together.
    const std::string letters = "J\xC3\xBCrgen \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
    Check("a value in any letters is written", WriteWide(letters, letters, "SQLite3 " + letters));
    value = Variant("before");
    const std::int32_t lettersStatus = QueryRegistryValue(
        RegistryKey{kRootCurrentUser, std::string(kScratchKey) + "\\" + letters}, letters, value);
    Check("key, value name and text in any letters read as UTF-8",
          lettersStatus == 0 && Shown(value) == "SQLite3 " + letters,
          std::to_string(lettersStatus) + " " + Shown(value));

    Check("ReadRegistryValue gives the text",
          Shown(ReadRegistryValue(kScratchKey, "Text", kRootCurrentUser)) == "SQLite3 ODBC Driver");
    Check("ReadRegistryValue gives the number",
          ReadRegistryValue(kScratchKey, "Number", kRootCurrentUser).ToLong() == 1234567);
    Check("ReadRegistryValue of an expandable text is Empty",
          ReadRegistryValue(kScratchKey, "Expandable", kRootCurrentUser).IsEmpty());
    Check("ReadRegistryValue of another root is Empty",
          ReadRegistryValue(kScratchKey, "Text", 7).IsEmpty());

    RegDeleteTreeA(HKEY_CURRENT_USER, kScratchKey);
    return checks::Finish("registry_lookup");
}
