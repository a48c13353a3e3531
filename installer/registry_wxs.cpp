// Writes the installer's registry entries for vendral.dll as a WiX include:
// the rows of the library's own registration table (what DllRegisterServer
// writes), pointing at the installed file, so that the package and the
// self-registration cannot drift apart.
//   registry-wxs PLATFORM FILE_ID FOLDER_ID OUTPUT
// PLATFORM is the type library key's word (win64, win32), FILE_ID the WiX id of
// the installed vendral.dll and FOLDER_ID that of its folder.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "automation/served_classes.h"

namespace vendral {
namespace {

// Stand-ins for the installed file and folder, swapped for the installer's
// references once the literal text around them is escaped.
constexpr char kLibrary[] = "\x01library\x01";
constexpr char kFolder[] = "\x01folder\x01";

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The installer reads registry values as formatted text: brackets are its
// references, and a leading '#' would make a number.
std::string Formatted(const std::string& literal) {
    std::string out;
    for (char c : literal) {
        if (c == '[') {
            out += "[\\[]";
        } else if (c == ']') {
            out += "[\\]]";
        } else {
            out += c;
        }
    }
    if (!out.empty() && out[0] == '#') out.insert(0, "#");
    return out;
}

std::string Xml(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

int Run(const std::string& platform, const std::string& fileId, const std::string& folderId,
        const std::string& output) {
#define VENDRAL_REGISTERED_ENTRY(name, progId, create) VENDRAL_CLASS_ENTRY(name, progId, nullptr)
    // Only the registration is read: nothing is created here.
    const com::ClassEntry classes[] = {VENDRAL_SERVED_CLASSES(VENDRAL_REGISTERED_ENTRY)};
#undef VENDRAL_REGISTERED_ENTRY
    com::ServerModule module{
        classes, std::size(classes), true, kServedTypeLibrary, kServedTypeLibraryName, nullptr};
    auto values = com::RegistrationOf(module, com::RegistrationPlace{kLibrary, kFolder, platform});

    std::string text =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<!-- vendral.dll's registration (" +
        platform +
        "), written by registry-wxs from the\n"
        "     library's registration table: the keys DllRegisterServer writes. -->\n"
        "<Include xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n";
    for (const com::Registration& value : values) {
        if (value.Name.empty() && value.Value.empty()) {
            // A key with nothing of its own: it exists through its subkeys
            // (and goes with them), so a key with none would be lost.
            bool hasSubkey = false;
            for (const com::Registration& other : values)
                hasSubkey = hasSubkey || other.Key.rfind(value.Key + "\\", 0) == 0;
            if (!hasSubkey) {
                std::cerr << "registry-wxs: the key " << value.Key << " has no value nor subkey\n";
                return 1;
            }
            continue;
        }
        std::string data =
            ReplaceAll(ReplaceAll(Formatted(value.Value), kLibrary, "[#" + fileId + "]"), kFolder,
                       "[" + folderId + "]");
        if (data.find('\x01') != std::string::npos) {
            std::cerr << "registry-wxs: a stand-in is left in " << value.Key << "\n";
            return 1;
        }
        // The machine's classes: a per-machine package writes them there.
        text += "  <RegistryValue Root=\"HKLM\" Key=\"Software\\Classes\\" + Xml(value.Key) + "\"";
        if (!value.Name.empty()) text += " Name=\"" + Xml(value.Name) + "\"";
        text += " Type=\"string\" Value=\"" + Xml(data) + "\" />\n";
    }
    text += "</Include>\n";

    std::ofstream out(output, std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        std::cerr << "registry-wxs: cannot write " << output << "\n";
        return 1;
    }
    return 0;
}

}  // namespace
}  // namespace vendral

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: registry-wxs PLATFORM FILE_ID FOLDER_ID OUTPUT\n";
        return 2;
    }
    return vendral::Run(argv[1], argv[2], argv[3], argv[4]);
}
