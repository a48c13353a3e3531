#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace vendral {
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

enum class Outcome { Written, Unchanged, Failed, Retry };

// One attempt on an existing file: lock it, make sure the lock is on the file
// that is still at path (another writer may have renamed a new one over it
// meanwhile), then edit and rename.
Outcome ReplaceExisting(
    const std::string& path,
    const std::function<std::optional<std::string>(const std::optional<std::string>&)>& edit) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) return errno == ENOENT ? Outcome::Retry : Outcome::Failed;
    while (::flock(fd.get(), LOCK_EX) != 0) {
        if (errno != EINTR) return Outcome::Failed;
    }
    struct stat locked {};
    struct stat current {};
    if (::fstat(fd.get(), &locked) != 0) return Outcome::Failed;
    if (::stat(path.c_str(), &current) != 0 || current.st_ino != locked.st_ino ||
        current.st_dev != locked.st_dev) {
        return Outcome::Retry;
    }
    if (!S_ISREG(locked.st_mode) || !Writable(path, locked)) return Outcome::Failed;
    // Never write a file whose old contents could not be read: that would lose them.
    std::optional<std::string> old = ReadDescriptor(fd.get());
    if (!old) return Outcome::Failed;
    std::optional<std::string> text = edit(old);
    if (!text) return Outcome::Unchanged;
    std::optional<std::string> temporary = WriteTemporary(path, *text, locked.st_mode & 07777);
    if (!temporary) return Outcome::Failed;
    TemporaryFile cleanup(*temporary);
    // Keep the owner where we may (as root, for a file of another user).
    if (::geteuid() == 0) {
        if (::chown(temporary->c_str(), locked.st_uid, locked.st_gid) != 0) return Outcome::Failed;
    }
    if (::rename(temporary->c_str(), path.c_str()) != 0) return Outcome::Failed;
    cleanup.Release();
    SyncFolder(path);
    return Outcome::Written;
}

// One attempt on a missing file: link() puts the new file in place only if no
// other writer created one meanwhile.
Outcome CreateNew(
    const std::string& path,
    const std::function<std::optional<std::string>(const std::optional<std::string>&)>& edit,
    mode_t mode) {
    std::optional<std::string> text = edit(std::nullopt);
    if (!text) return Outcome::Unchanged;
    std::optional<std::string> temporary = WriteTemporary(path, *text, mode);
    if (!temporary) return Outcome::Failed;
    TemporaryFile cleanup(*temporary);
    if (::link(temporary->c_str(), path.c_str()) != 0) {
        return errno == EEXIST ? Outcome::Retry : Outcome::Failed;
    }
    SyncFolder(path);
    return Outcome::Written;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) return std::nullopt;
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    return ReadDescriptor(fd.get());
}

bool ReplaceFileAtomically(
    const std::string& path,
    const std::function<std::optional<std::string>(const std::optional<std::string>&)>& edit,
    unsigned newFileMode) {
    if (path.empty()) return false;
    // Through a symbolic link the linked file is replaced, not the link.
    std::error_code error;
    fs::path target = fs::weakly_canonical(fs::path(path), error);
    if (error) return false;
    const std::string resolved = target.string();
    // A few rounds settle a race with another writer; more means something is off.
    for (int attempt = 0; attempt < 8; ++attempt) {
        struct stat status {};
        Outcome outcome;
        if (::stat(resolved.c_str(), &status) == 0) {
            outcome = ReplaceExisting(resolved, edit);
        } else if (errno == ENOENT) {
            outcome = CreateNew(resolved, edit, static_cast<mode_t>(newFileMode));
        } else {
            return false;
        }
        if (outcome != Outcome::Retry) return outcome == Outcome::Written;
    }
    return false;
}

}  // namespace vendral
