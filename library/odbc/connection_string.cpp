#include "odbc/connection_string.h"

#include <cctype>

#include "base/text.h"

namespace vendral::detail {
namespace {

constexpr const char* kDefaultProvider = "MSDASQL";
// The SQLite driver's name in the driver list; NoCreat keeps a missing file an error.
constexpr const char* kFileDriver = "SQLite3";

// The SQLite driver takes no braced values, so a file path that would need
// braces goes to it as a URI; "mode=rw" keeps a missing file an error there too.
std::string FileDatabaseValue(const std::string& path) {
    if (QuoteAttributeValue(path) == path) return path;
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            uri.push_back(static_cast<char>(c));
        } else {
            uri.push_back('%');
            uri.push_back(kHex[c >> 4]);
            uri.push_back(kHex[c & 0x0F]);
        }
    }
    return uri + "?mode=rw";
}

bool IsJetProvider(const std::string& provider) {
    return ToUpper(provider).rfind("MICROSOFT.JET.OLEDB", 0) == 0;
}

}  // namespace

std::vector<Attribute> ParseConnectionString(const std::string& text) {
    std::vector<Attribute> attributes;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t equals = text.find('=', i);
        std::size_t semicolon = text.find(';', i);
        if (equals == std::string::npos || (semicolon != std::string::npos && semicolon < equals)) {
            // A piece without "=" carries no attribute.
            if (semicolon == std::string::npos) break;
            i = semicolon + 1;
            continue;
        }
        std::string key = Trim(text.substr(i, equals - i));
        std::size_t v = equals + 1;
        while (v < text.size() && text[v] == ' ') ++v;
        std::string value;
        if (v < text.size() && text[v] == '{') {
            std::size_t k = v + 1;
            while (k < text.size()) {
                if (text[k] == '}') {
                    if (k + 1 < text.size() && text[k + 1] == '}') {
                        value.push_back('}');
                        k += 2;
                        continue;
                    }
                    break;
                }
                value.push_back(text[k++]);
            }
            std::size_t next = text.find(';', k);
            i = next == std::string::npos ? text.size() : next + 1;
        } else {
            std::size_t end = text.find(';', equals + 1);
            value = text.substr(equals + 1,
                                (end == std::string::npos ? text.size() : end) - equals - 1);
            i = end == std::string::npos ? text.size() : end + 1;
        }
        if (!key.empty()) attributes.emplace_back(key, value);
    }
    return attributes;
}

std::string QuoteAttributeValue(const std::string& value) {
    bool needsBraces = value.find_first_of(";{}") != std::string::npos ||
                       (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!needsBraces) return value;
    std::string out = "{";
    for (char c : value) {
        out.push_back(c);
        if (c == '}') out.push_back('}');
    }
    out.push_back('}');
    return out;
}

std::string JoinAttributes(const std::vector<Attribute>& attributes) {
    std::string out;
    for (const auto& [key, value] : attributes) {
        if (!out.empty()) out.push_back(';');
        out += key + "=" + QuoteAttributeValue(value);
    }
    return out;
}

OdbcTarget TranslateConnectionString(const std::string& text, const std::string& userId,
                                     const std::string& password) {
    OdbcTarget target;
    target.Provider = kDefaultProvider;
    std::vector<Attribute> rest;
    std::string dataSource;
    for (auto& attribute : ParseConnectionString(text)) {
        std::string key = ToUpper(attribute.first);
        if (key == "PROVIDER") {
            target.Provider = attribute.second;
        } else if (key == "DATA SOURCE") {
            dataSource = attribute.second;
        } else {
            // User and password given as arguments replace those of the string.
            bool replacedUser = (key == "UID" || key == "USER ID") && !userId.empty();
            bool replacedPassword = (key == "PWD" || key == "PASSWORD") && !password.empty();
            if (!replacedUser && !replacedPassword) rest.push_back(std::move(attribute));
        }
    }
    if (IsJetProvider(target.Provider)) {
        target.FileDatabase = true;
        target.FilePath = dataSource;
        target.OdbcString = JoinAttributes({{"Driver", kFileDriver},
                                            {"Database", FileDatabaseValue(dataSource)},
                                            {"NoCreat", "1"}});
        return target;
    }
    if (!dataSource.empty()) rest.emplace_back("DSN", dataSource);
    if (!userId.empty()) rest.emplace_back("UID", userId);
    if (!password.empty()) rest.emplace_back("PWD", password);
    target.OdbcString = JoinAttributes(rest);
    return target;
}

bool NamesDataSource(const std::string& odbcString) {
    for (const auto& [key, value] : ParseConnectionString(odbcString)) {
        std::string name = ToUpper(key);
        if ((name == "DSN" || name == "DRIVER" || name == "FILEDSN") &&
            value.find_first_not_of(" \t") != std::string::npos)
            return true;
    }
    return false;
}

std::string WithoutPassword(const std::string& odbcString) {
    std::vector<Attribute> kept;
    for (auto& attribute : ParseConnectionString(odbcString)) {
        std::string key = ToUpper(attribute.first);
        if (key == "PWD" || key == "PASSWORD") continue;
        kept.push_back(std::move(attribute));
    }
    return JoinAttributes(kept);
}

}  // namespace vendral::detail
