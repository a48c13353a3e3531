#include "odbc/file_database.h"

#include <algorithm>
#include <fstream>

#include "base/text.h"
#include "base/utf8_path.h"

namespace vendral::detail {
namespace {

constexpr std::size_t kSignatureOffset = 4;
constexpr std::string_view kJetSignature = "Standard Jet DB";
constexpr std::string_view kAceSignature = "Standard ACE DB";

// Driver names as the driver manager lists them, compared without regard to case.
bool Installed(const std::vector<std::string>& installed, const std::string& driver) {
    const std::string wanted = ToUpper(driver);
    return std::any_of(installed.begin(), installed.end(),
                       [&wanted](const std::string& name) { return ToUpper(name) == wanted; });
}

}  // namespace

FileDatabaseKind KindOfDatabaseHeader(std::string_view header) {
    if (header.size() < kSignatureOffset + kJetSignature.size()) return FileDatabaseKind::Other;
    const std::string_view signature = header.substr(kSignatureOffset, kJetSignature.size());
    if (signature == kJetSignature) return FileDatabaseKind::Jet;
    if (signature == kAceSignature) return FileDatabaseKind::Ace;
    return FileDatabaseKind::Other;
}

FileDatabaseKind ReadFileDatabaseKind(const std::string& path) {
    std::ifstream file(PathFromUtf8(path), std::ios::binary);
    if (!file) return FileDatabaseKind::Other;
    char header[kSignatureOffset + kJetSignature.size()] = {};
    file.read(header, sizeof header);
    return KindOfDatabaseHeader(std::string_view(header, static_cast<std::size_t>(file.gcount())));
}

std::optional<std::string> ChooseAccessDriver(FileDatabaseKind kind,
                                              const std::vector<std::string>& installedDrivers) {
    if (kind == FileDatabaseKind::Other) return std::nullopt;
    if (Installed(installedDrivers, kAccessDriver)) return std::string(kAccessDriver);
    if (kind == FileDatabaseKind::Jet && Installed(installedDrivers, kJetAccessDriver))
        return std::string(kJetAccessDriver);
    return std::nullopt;
}

}  // namespace vendral::detail
