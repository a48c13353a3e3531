#include "vendral/network_drives.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace vendral {
namespace fs = std::filesystem;
namespace {

// "F:" or "f:" -> "f:", the name of the link; nullopt for anything else.
std::optional<std::string> LinkName(const NullableString& drive) {
    if (!drive || drive->size() != 2 || (*drive)[1] != ':') return std::nullopt;
    char letter = (*drive)[0];
    if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
    if (letter < 'a' || letter > 'z') return std::nullopt;
    return std::string(1, letter) + ":";
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

struct ProcessResult {
    int Status = -1;
    std::string Output;  // standard output and error together
};

// Runs a program without a shell (arguments are passed as they are), writes
// input to its standard input and collects what it prints.
ProcessResult Run(const std::vector<std::string>& arguments, const std::string& input) {
    ProcessResult result;
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) return result;
    if (::pipe2(out, O_CLOEXEC) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        return result;
    }
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(out[1], 2);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    if (pid > 0) {
        std::size_t written = 0;
        while (written < input.size()) {
            ssize_t n = ::write(in[1], input.data() + written, input.size() - written);
            if (n <= 0) break;
            written += static_cast<std::size_t>(n);
        }
    }
    ::close(in[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(out[0], buffer, sizeof buffer)) > 0) result.Output.append(buffer, n);
    ::close(out[0]);
    if (pid > 0) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return result;
}

}  // namespace

fs::path DefaultDriveTableFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    fs::path base;
    if (data != nullptr && *data == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = fs::path(home != nullptr ? home : "/tmp") / ".local" / "share";
    }
    return base / "vendral" / "dosdevices";
}

std::optional<std::string> ShareUri(const std::string& remoteName) {
    std::string uri;
    if (remoteName.rfind("\\\\", 0) == 0) {
        uri = "smb://" + remoteName.substr(2);
        for (char& c : uri)
            if (c == '\\') c = '/';
    } else if (StartsWithNoCase(remoteName, "smb://")) {
        uri = "smb://" + remoteName.substr(6);
    } else {
        return std::nullopt;
    }
    while (uri.size() > 6 && uri.back() == '/') uri.pop_back();
    return uri;
}

MountResult GioShareMounter::Mount(const std::string& uri, const NullableString& user,
                                   const NullableString& password) {
    // gio asks for the user, the domain and the password in this order; an
    // empty answer takes its default, the logged-on user.
    std::string answers = user.value_or("") + "\n\n" + password.value_or("") + "\n";
    ProcessResult mount = Run({"gio", "mount", uri}, answers);
    if (mount.Status != 0 && mount.Output.find("lready mounted") == std::string::npos) {
        bool refused = mount.Output.find("assword") != std::string::npos ||
                       mount.Output.find("denied") != std::string::npos;
        return {refused ? kErrorInvalidPassword : kErrorBadNetPath, ""};
    }
    ProcessResult info = Run({"gio", "info", uri}, "");
    const std::string marker = "local path: ";
    std::size_t at = info.Output.find(marker);
    if (info.Status != 0 || at == std::string::npos) return {kErrorBadNetPath, ""};
    std::size_t end = info.Output.find('\n', at);
    return {0, info.Output.substr(at + marker.size(), end - at - marker.size())};
}

DriveTable::DriveTable()
    : DriveTable(DefaultDriveTableFolder(), std::make_shared<GioShareMounter>()) {}

DriveTable::DriveTable(fs::path folder, std::shared_ptr<ShareMounter> mounter)
    : folder_(std::move(folder)), mounter_(std::move(mounter)) {}

std::int32_t DriveTable::AddConnection2(const NetResource& resource, const NullableString& password,
                                        const NullableString& user, std::uint32_t /*flags*/) {
    // Every mapping of the table is remembered until it is disconnected.
    auto name = LinkName(resource.lpLocalName);
    if (!name) return kErrorBadDevice;
    if (*name == "c:") return kErrorAlreadyAssigned;
    if (!resource.lpRemoteName || resource.lpRemoteName->empty()) return kErrorBadNetName;
    std::error_code error;
    fs::path link = folder_ / *name;
    if (fs::symlink_status(link, error).type() != fs::file_type::not_found)
        return kErrorAlreadyAssigned;

    fs::path target;
    if (auto uri = ShareUri(*resource.lpRemoteName)) {
        MountResult mounted = mounter_->Mount(*uri, user, password);
        if (mounted.Error != 0) return mounted.Error;
        target = mounted.LocalPath;
    } else {
        target = fs::absolute(*resource.lpRemoteName, error);
        if (error || !fs::is_directory(target, error)) return kErrorBadNetName;
    }
    fs::create_directories(folder_, error);
    if (error) return kErrorCannotOpenProfile;
    // Making the link is atomic: of two processes taking the same letter,
    // one is refused.
    fs::create_directory_symlink(target, link, error);
    if (error)
        return error == std::errc::file_exists ? kErrorAlreadyAssigned : kErrorCannotOpenProfile;
    return 0;
}

std::int32_t DriveTable::CancelConnection2(const std::string& name, std::uint32_t /*flags*/,
                                           bool /*force*/) {
    auto link = LinkName(name);
    if (!link) return kErrorNotConnected;
    std::error_code error;
    fs::path path = folder_ / *link;
    if (!fs::is_symlink(path, error)) return kErrorNotConnected;
    fs::remove(path, error);
    return error ? kErrorCannotOpenProfile : 0;
}

std::vector<DriveMapping> DriveTable::Connections() const {
    std::vector<DriveMapping> drives;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        std::error_code error;
        fs::path link = folder_ / (std::string(1, letter) + ":");
        if (!fs::is_symlink(link, error)) continue;
        fs::path target = fs::read_symlink(link, error);
        if (error) continue;
        drives.push_back(
            {std::string(1, static_cast<char>(letter - 'a' + 'A')) + ":", target.string()});
    }
    return drives;
}

}  // namespace vendral
