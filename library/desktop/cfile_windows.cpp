// CFile's platform part on Windows: drives mapped with the system's WNet
// calls, version information through the system's version functions.
#include <windows.h>
// winnetwk.h builds on windows.h.
#include <winnetwk.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "base/text_windows.h"
#include "vendral/cfile.h"

namespace vendral {
namespace {

// The eight keys of the version strings, in the order of the properties.
constexpr const char* kVersionKeys[] = {"CompanyName",  "FileDescription", "FileVersion",
                                        "InternalName", "LegalCopyright",  "OriginalFileName",
                                        "ProductName",  "ProductVersion"};

// A null text stays null (the system then takes the user's own name or
// password); any other goes across as UTF-16.
std::optional<std::wstring> WideOrNull(const NullableString& text) {
    if (!text) return std::nullopt;
    return Utf8ToWide(*text);
}

wchar_t* PointerTo(std::optional<std::wstring>& text) {
    return text ? text->data() : nullptr;
}

// Mappings through the wide WNet calls: a share or a user name in any letters
// crosses intact, where the A calls would read it in the ANSI code page.
class WNetConnections : public NetworkConnections {
  public:
    std::int32_t AddConnection2(const NetResource& resource, const NullableString& password,
                                const NullableString& user, std::uint32_t flags) override {
        std::optional<std::wstring> localName = WideOrNull(resource.lpLocalName);
        std::optional<std::wstring> remoteName = WideOrNull(resource.lpRemoteName);
        std::optional<std::wstring> widePassword = WideOrNull(password);
        std::optional<std::wstring> wideUser = WideOrNull(user);
        NETRESOURCEW record{};
        record.dwScope = resource.dwScope;
        record.dwType = resource.dwType;
        record.dwDisplayType = resource.dwDisplayType;
        record.dwUsage = resource.dwUsage;
        record.lpLocalName = PointerTo(localName);
        record.lpRemoteName = PointerTo(remoteName);
        return static_cast<std::int32_t>(
            WNetAddConnection2W(&record, PointerTo(widePassword), PointerTo(wideUser), flags));
    }
    std::int32_t CancelConnection2(const std::string& name, std::uint32_t flags,
                                   bool force) override {
        return static_cast<std::int32_t>(
            WNetCancelConnection2W(Utf8ToWide(name).c_str(), flags, force));
    }
    std::vector<DriveMapping> Connections() const override {
        std::vector<DriveMapping> mappings;
        for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
            const wchar_t drive[] = {letter, L':', L'\0'};
            // A remote name may be longer than MAX_PATH; the call says how long.
            std::vector<wchar_t> remote(MAX_PATH);
            DWORD size = static_cast<DWORD>(remote.size());
            DWORD status = WNetGetConnectionW(drive, remote.data(), &size);
            if (status == ERROR_MORE_DATA) {
                remote.assign(size, L'\0');
                status = WNetGetConnectionW(drive, remote.data(), &size);
            }
            if (status == NO_ERROR)
                mappings.push_back({WideToUtf8(drive), WideToUtf8(remote.data())});
        }
        return mappings;
    }
};

}  // namespace

CFile::CFile() : CFile(std::make_shared<WNetConnections>()) {}

void CFile::GetFileInfo(const std::string& FullFileName) {
    // The wide calls: a file in any folder, and values in any letters.
    const std::wstring file = Utf8ToWide(FullFileName);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (size < 1) return;
    std::vector<char> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return;
    void* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &translation, &length) ||
        length < 4)
        return;
    // The first entry only: a 16-bit language, then a 16-bit code page.
    const auto* words = static_cast<const WORD*>(translation);
    wchar_t languageAndCodePage[9];
    std::swprintf(languageAndCodePage, 9, L"%08lX",
                  static_cast<unsigned long>(words[0]) * 65536ul + words[1]);
    for (std::size_t i = 0; i < info_.size(); ++i) {
        std::wstring query = std::wstring(L"\\StringFileInfo\\") + languageAndCodePage + L"\\" +
                             Utf8ToWide(kVersionKeys[i]);
        void* value = nullptr;
        UINT characters = 0;
        // The value up to its first NUL, kept whole however long (as our own
        // reader keeps it on Linux), not cut at a buffer of 255 characters.
        std::wstring text;
        if (VerQueryValueW(block.data(), query.c_str(), &value, &characters) && value) {
            const wchar_t* start = static_cast<const wchar_t*>(value);
            text.assign(start, wcsnlen(start, characters));
        }
        info_[i] = WideToUtf8(text);
    }
}

}  // namespace vendral
