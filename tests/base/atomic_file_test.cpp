// Whole-file reads and atomic replacement on real files, folders and FIFOs,
// with failures produced for real rather than simulated: a read-only mode, a
// parent that is a file, a temporary name the file system refuses, a file-size
// limit.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/atomic_file.h"
#include "base/base_files.h"

namespace vendral::test {
namespace {

namespace fs = std::filesystem;
using detail::ReadWholeFile;
using detail::RegularFileProblem;
using detail::ReplaceFileAtomically;

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

unsigned ModeOf(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

TEST(ReadWholeFile, RegularFilesWholeEverythingElseNothing) {
    BaseScratch folder;
    const std::string binary = folder / "binary";
    const std::string bytes("a\0b\r\n\xFF\xFE", 7);
    WriteBytes(binary, bytes);
    EXPECT_EQ(ReadWholeFile(binary), bytes);
    WriteBytes(folder / "empty", "");
    EXPECT_EQ(ReadWholeFile(folder / "empty"), std::string());
    EXPECT_EQ(ReadWholeFile(folder / "missing"), std::nullopt);
    EXPECT_EQ(ReadWholeFile(folder.Path()), std::nullopt);
    // A FIFO without a writer would hold a blocking reader forever.
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(ReadWholeFile(folder / "fifo"), std::nullopt);
}

TEST(RegularFileProblem, NamesWhatIsInTheWay) {
    BaseScratch folder;
    WriteBytes(folder / "file", "x");
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(RegularFileProblem(folder / "file"), "");
    EXPECT_EQ(RegularFileProblem(folder.Path()), "is a folder, not a file");
    EXPECT_EQ(RegularFileProblem(folder / "fifo"),
              "is not a regular file (a FIFO, device or socket)");
    EXPECT_EQ(RegularFileProblem("/dev/null"), "is not a regular file (a FIFO, device or socket)");
    EXPECT_EQ(RegularFileProblem(folder / "missing"),
              std::string("cannot be read: ") + std::strerror(ENOENT));
    EXPECT_EQ(RegularFileProblem(folder / "file/below"),
              std::string("cannot be read: ") + std::strerror(ENOTDIR));
}

TEST(ReplaceFileAtomically, ANewFileGetsItsModeAnAnExistingOneKeepsIts) {
    BaseScratch folder;
    const std::string path = folder / "settings.ini";
    std::vector<std::optional<std::string>> seen;
    auto edit = [&](const std::optional<std::string>& old) -> std::optional<std::string> {
        seen.push_back(old);
        return old.value_or("") + "line\n";
    };
    ASSERT_TRUE(ReplaceFileAtomically(path, edit, 0640));
    EXPECT_EQ(ModeOf(path), 0640u);  // exactly, whatever the umask
    ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
    ASSERT_TRUE(ReplaceFileAtomically(path, edit, 0600));
    EXPECT_EQ(ModeOf(path), 0604u);
    EXPECT_EQ(ReadBytes(path), "line\nline\n");
    EXPECT_EQ(seen, (std::vector<std::optional<std::string>>{std::nullopt, "line\n"}));
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"settings.ini"});
}

TEST(ReplaceFileAtomically, AnEditThatDeclinesWritesNothing) {
    BaseScratch folder;
    auto decline = [](const std::optional<std::string>&) -> std::optional<std::string> {
        return std::nullopt;
    };
    EXPECT_FALSE(ReplaceFileAtomically(folder / "new.ini", decline));
    WriteBytes(folder / "old.ini", "kept");
    EXPECT_FALSE(ReplaceFileAtomically(folder / "old.ini", decline));
    EXPECT_EQ(ReadBytes(folder / "old.ini"), "kept");
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"old.ini"});
}

// The old file is never opened for writing: a reader holding it, or a hard
// link to it, keeps the whole old text while the name gets the new one.
TEST(ReplaceFileAtomically, ReadersOfTheOldFileKeepItWhole) {
    BaseScratch folder;
    const std::string path = folder / "settings.ini";
    const std::string old(100000, 'o');
    WriteBytes(path, old);
    ASSERT_EQ(::link(path.c_str(), (folder / "held").c_str()), 0);
    int reader = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(ReplaceFileAtomically(
        path, [](const std::optional<std::string>&) { return std::string(5, 'n'); }));
    std::string seen(old.size() + 1, '\0');
    ssize_t got = ::read(reader, seen.data(), seen.size());
    ::close(reader);
    ASSERT_EQ(got, static_cast<ssize_t>(old.size()));
    seen.resize(static_cast<std::size_t>(got));
    EXPECT_EQ(seen, old);
    EXPECT_EQ(ReadBytes(folder / "held"), old);
    EXPECT_EQ(ReadBytes(path), "nnnnn");
}

TEST(ReplaceFileAtomically, WhatCannotBeWrittenIsRefusedBeforeTheEdit) {
    BaseScratch folder;
    const std::string file = folder / "plain";
    WriteBytes(file, "plain text");
    const std::string readOnly = folder / "readonly.ini";
    WriteBytes(readOnly, "kept");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    fs::create_directory(folder / "sub");

    int edits = 0;
    auto edit = [&](const std::optional<std::string>&) -> std::optional<std::string> {
        ++edits;
        return std::string("new");
    };
    // Read-only for root too, as a read-only attribute is.
    EXPECT_FALSE(ReplaceFileAtomically(readOnly, edit));
    EXPECT_FALSE(ReplaceFileAtomically(file + "/below.ini", edit));  // the parent is a file
    EXPECT_FALSE(ReplaceFileAtomically(folder / "missing/x.ini", edit));
    EXPECT_FALSE(ReplaceFileAtomically(folder / "fifo", edit));
    EXPECT_FALSE(ReplaceFileAtomically(folder / "sub", edit));
    EXPECT_FALSE(ReplaceFileAtomically("", edit));
    EXPECT_EQ(edits, 0);
    EXPECT_EQ(ReadBytes(readOnly), "kept");
    EXPECT_EQ(ModeOf(readOnly), 0444u);
    EXPECT_EQ(ReadBytes(file), "plain text");
    EXPECT_EQ(NamesIn(folder.Path()),
              (std::vector<std::string>{"fifo", "plain", "readonly.ini", "sub"}));
}

// A name of 250 bytes is a valid file name, but its temporary file's (ten
// more) is not: the write fails after the edit, and the old file stays.
TEST(ReplaceFileAtomically, AFailedTemporaryFileLeavesTheOldFile) {
    BaseScratch folder;
    const std::string path = folder / (std::string(246, 'n') + ".ini");
    WriteBytes(path, "[Central]\nDSN=old\n");
    int edits = 0;
    EXPECT_FALSE(ReplaceFileAtomically(path, [&](const std::optional<std::string>& old) {
        ++edits;
        return old.value_or("") + "UID=new\n";
    }));
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(ReadBytes(path), "[Central]\nDSN=old\n");
    EXPECT_EQ(NamesIn(folder.Path()).size(), 1u);
}

// A file-size limit stops the new file half written, as a full disk would.
TEST(ReplaceFileAtomically, AWriteCutShortLeavesTheOldFileAndNoTemporary) {
    BaseScratch folder;
    const std::string path = folder / "settings.ini";
    const std::string old(4096, 'o');
    WriteBytes(path, old);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{8192, 8192};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        bool written = ReplaceFileAtomically(
            path, [](const std::optional<std::string>&) { return std::string(100000, 'n'); });
        ::_exit(written ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"settings.ini"});
}

// Each process reads, adds one and writes back; the folder lock lets no
// increment be lost between processes.
TEST(ReplaceFileAtomically, WritersInSeveralProcessesLoseNoUpdate) {
    BaseScratch folder;
    const std::string path = folder / "counter";
    WriteBytes(path, "0");
    constexpr int kProcesses = 4, kIncrements = 25;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            bool all = true;
            for (int i = 0; i < kIncrements; ++i) {
                all &= ReplaceFileAtomically(path, [](const std::optional<std::string>& old) {
                    return std::to_string(std::stoi(old.value_or("0")) + 1);
                });
            }
            ::_exit(all ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(ReadBytes(path), std::to_string(kProcesses * kIncrements));
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"counter"});
}

// Only names of the temporary pattern of this very file (its name, ".tmp" and
// six letters or digits) that are regular files are taken for stale ones.
TEST(ReplaceFileAtomically, OnlyStaleTemporariesOfTheFileAreRemoved) {
    BaseScratch folder;
    const std::string path = folder / "f.ini";
    WriteBytes(path, "x");
    for (const char* name :
         {"f.ini.tmpAb12Cd", "f.ini.tmp0a1b2c", "f.ini.tmpAb12C", "f.ini.tmpAb12Cde",
          "f.ini.tmp-b12Cd", "g.ini.tmpAb12Cd", "f.ini.bak"}) {
        WriteBytes(folder / name, "stale");
    }
    fs::create_directory(folder / "f.ini.tmpZZ99zz");
    ASSERT_TRUE(ReplaceFileAtomically(
        path, [](const std::optional<std::string>&) { return std::string("y"); }));
    EXPECT_EQ(NamesIn(folder.Path()),
              (std::vector<std::string>{"f.ini", "f.ini.bak", "f.ini.tmp-b12Cd", "f.ini.tmpAb12C",
                                        "f.ini.tmpAb12Cde", "f.ini.tmpZZ99zz", "g.ini.tmpAb12Cd"}));
}

}  // namespace
}  // namespace vendral::test
