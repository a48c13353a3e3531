// Whole-file reads and atomic replacement on Windows: the new text goes to a
// temporary file beside the target, is flushed, and MoveFileExW puts it in
// the target's place (replacing it, written through). A named mutex per
// folder serializes the writers of all processes.
#include "base/atomic_file.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "base/text_windows.h"

namespace vendral::detail {
namespace {

namespace fs = std::filesystem;

// Owns a handle of the system.
class Handle {
  public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~Handle() {
        if (*this) CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }

  private:
    HANDLE handle_;
};

// Holds the folder's mutex for the time of one replacement.
class FolderLock {
  public:
    explicit FolderLock(const std::wstring& folder)
        : mutex_(CreateMutexW(nullptr, FALSE, Name(folder).c_str())) {
        if (mutex_) {
            DWORD waited = WaitForSingleObject(mutex_.get(), INFINITE);
            held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
        }
    }
    ~FolderLock() {
        if (held_) ReleaseMutex(mutex_.get());
    }
    explicit operator bool() const { return held_; }

  private:
    // Mutex names may not hold a backslash; the folder's path, upper-cased, is the name.
    static std::wstring Name(std::wstring folder) {
        for (wchar_t& c : folder) {
            if (c == L'\\' || c == L'/') c = L'|';
            c = static_cast<wchar_t>(towupper(c));
        }
        return L"Local\\vendral-file-lock-" + folder;
    }
    Handle mutex_;
    bool held_ = false;
};

std::optional<std::string> ReadHandle(HANDLE file) {
    std::string contents;
    char buffer[8192];
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &count, nullptr)) return std::nullopt;
        if (count == 0) return contents;
        contents.append(buffer, count);
    }
}

Handle OpenForReading(const std::string& path) {
    return Handle(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool IsRegularFile(HANDLE file) {
    return GetFileType(file) == FILE_TYPE_DISK;
}

// Writes text to a new file beside target and flushes it; its path, or nothing.
std::optional<std::wstring> WriteTemporary(const std::wstring& target, const std::string& text) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        wchar_t suffix[32];
        std::swprintf(suffix, 32, L".tmp%06lX",
                      (GetCurrentProcessId() * 131u + GetTickCount() + attempt) & 0xFFFFFF);
        std::wstring path = target + suffix;
        Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            return std::nullopt;
        }
        DWORD written = 0;
        bool ok = text.empty() || (WriteFile(file.get(), text.data(),
                                             static_cast<DWORD>(text.size()), &written, nullptr) &&
                                   written == text.size());
        ok = ok && FlushFileBuffers(file.get());
        if (!ok) {
            CloseHandle(file.get());
            DeleteFileW(path.c_str());
            return std::nullopt;
        }
        return path;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
    Handle file = OpenForReading(path);
    if (!file || !IsRegularFile(file.get())) return std::nullopt;
    return ReadHandle(file.get());
}

std::string RegularFileProblem(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return "cannot be read: it does not exist";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "is a folder, not a file";
    Handle file = OpenForReading(path);
    if (!file) return "cannot be read: access denied";
    if (!IsRegularFile(file.get())) return "is not a regular file (a FIFO, device or socket)";
    return "";
}

bool ReplaceFileAtomically(
    const std::string& path,
    const std::function<std::optional<std::string>(const std::optional<std::string>&)>& edit,
    unsigned /*newFileMode: the folder's permissions apply*/) {
    if (path.empty()) return false;
    std::error_code error;
    const fs::path target = fs::absolute(fs::path(Utf8ToWide(path)), error);
    if (error) return false;
    FolderLock lock(target.parent_path().wstring());
    if (!lock) return false;

    std::optional<std::string> old;
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return false;
        // Never write a file whose old contents could not be read: that would lose them.
        old = ReadWholeFile(WideToUtf8(target.wstring()));
        if (!old) return false;
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        return false;
    }
    std::optional<std::string> text = edit(old);
    if (!text) return false;
    std::optional<std::wstring> temporary = WriteTemporary(target.wstring(), *text);
    if (!temporary) return false;
    if (!MoveFileExW(temporary->c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary->c_str());
        return false;
    }
    return true;
}

}  // namespace vendral::detail
