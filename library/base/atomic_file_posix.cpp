#include "base/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace vendral::detail {
namespace {

namespace fs = std::filesystem;

// Owns a file descriptor.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() { Reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void Reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_;
};

// Removes the temporary file unless it was renamed into place.
class TemporaryFile {
  public:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& path() const { return path_; }
    void Release() { path_.clear(); }

  private:
    std::string path_;
};

std::optional<std::string> ReadDescriptor(int fd) {
    std::string contents;
    char buffer[8192];
    for (;;) {
        ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count == 0) return contents;
        if (count < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        contents.append(buffer, static_cast<std::size_t>(count));
    }
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t count = ::write(fd, text.data() + done, text.size() - done);
        if (count < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

// A file whose write bits are all clear is read-only for everyone, the owner
// and root included, as a read-only attribute is.
bool Writable(const std::string& path, const struct stat& status) {
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    return ::access(path.c_str(), W_OK) == 0;
}

// Writes text to a new temporary file in folder with the given mode and
// flushes it to disk; returns its path, or nothing.
std::optional<std::string> WriteTemporary(const std::string& target, const std::string& text,
                                          mode_t mode) {
    std::string pattern = target + ".tmpXXXXXX";
    FileDescriptor fd(::mkstemp(pattern.data()));
    if (!fd) return std::nullopt;
    TemporaryFile temporary(pattern);
    if (::fchmod(fd.get(), mode) != 0 || !WriteAll(fd.get(), text) || ::fsync(fd.get()) != 0) {
        return std::nullopt;
    }
    fd.Reset();
    temporary.Release();
    return pattern;
}

void SyncFolder(const std::string& path) {
    std::string folder = fs::path(path).parent_path().string();
    FileDescriptor fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY));
    if (fd) ::fsync(fd.get());
}

// Holds an advisory lock on the folder of the file for the time of one
// replacement. The file itself cannot carry the lock: each write puts a new
// file in its place, and a writer waiting on the old one would be starved.
class FolderLock {
  public:
    explicit FolderLock(const std::string& folder)
        : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        while (fd_ && ::flock(fd_.get(), LOCK_EX) != 0) {
            if (errno != EINTR) fd_.Reset();
        }
    }
    explicit operator bool() const { return static_cast<bool>(fd_); }

  private:
    FileDescriptor fd_;  // closing it releases the lock
};

// Temporary files of ours beside target that a writer killed before its rename
// left behind; they may hold a password. Only called under the folder lock,
// when no writer of ours is at work on the folder, so every one is stale.
void RemoveStaleTemporaries(const std::string& target) {
    const fs::path targetPath(target);
    const std::string stem = targetPath.filename().string() + ".tmp";
    std::error_code error;
    fs::path folder = targetPath.parent_path();
    if (folder.empty()) folder = ".";
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        // mkstemp's pattern: the stem and six more letters or digits.
        if (name.size() != stem.size() + 6 || name.compare(0, stem.size(), stem) != 0 ||
            !std::all_of(name.begin() + static_cast<std::ptrdiff_t>(stem.size()), name.end(),
                         [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
            continue;
        struct stat status {};
        if (::lstat(it->path().c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
            status.st_uid != ::geteuid())
            continue;
        ::unlink(it->path().c_str());
    }
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
    // Opening a FIFO for reading waits for a writer; without blocking it does
    // not, and the type check below refuses it.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd) return std::nullopt;
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    return ReadDescriptor(fd.get());
}

std::string RegularFileProblem(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return std::string("cannot be read: ") + std::strerror(errno);
    if (S_ISDIR(status.st_mode)) return "is a folder, not a file";
    if (!S_ISREG(status.st_mode)) return "is not a regular file (a FIFO, device or socket)";
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd) return std::string("cannot be read: ") + std::strerror(errno);
    return "";
}

bool ReplaceFileAtomically(
    const std::string& path,
    const std::function<std::optional<std::string>(const std::optional<std::string>&)>& edit,
    unsigned newFileMode) {
    if (path.empty()) return false;
    // Through a symbolic link the linked file is replaced, not the link.
    std::error_code error;
    const std::string target = fs::weakly_canonical(fs::path(path), error).string();
    if (error) return false;
    const std::string folder = fs::path(target).parent_path().string();
    FolderLock lock(folder.empty() ? "." : folder);
    if (!lock) return false;
    RemoveStaleTemporaries(target);

    std::optional<std::string> old;
    mode_t mode = static_cast<mode_t>(newFileMode);
    struct stat status {};
    bool exists = ::stat(target.c_str(), &status) == 0;
    if (exists) {
        if (!S_ISREG(status.st_mode) || !Writable(target, status)) return false;
        // Never write a file whose old contents could not be read: that would lose them.
        old = ReadWholeFile(target);
        if (!old) return false;
        mode = status.st_mode & 07777;
    } else if (errno != ENOENT) {
        return false;
    }
    std::optional<std::string> text = edit(old);
    if (!text) return false;
    std::optional<std::string> temporary = WriteTemporary(target, *text, mode);
    if (!temporary) return false;
    TemporaryFile cleanup(*temporary);
    // Keep the owner where we may (as root, for a file of another user).
    if (exists && ::geteuid() == 0 &&
        ::chown(temporary->c_str(), status.st_uid, status.st_gid) != 0) {
        return false;
    }
    if (::rename(temporary->c_str(), target.c_str()) != 0) return false;
    cleanup.Release();
    SyncFolder(target);
    return true;
}

}  // namespace vendral::detail
