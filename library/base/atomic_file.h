// Whole-file reads and atomic replacement of small text files (the settings
// file): a reader sees either the old or the new contents, never a torn file.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "base/internal_export.h"

namespace vendral::detail {

// The bytes of a file; nullopt when it does not exist, cannot be read or is
// no regular file (a FIFO is refused before it could hold the reader up).
VENDRAL_TEST_INTERNAL std::optional<std::string> ReadWholeFile(const std::string& path);

// Why path cannot be read as a regular file ("is a folder", "is not a regular
// file (a FIFO, device or socket)", "cannot be read: ..."), or empty when it
// can. Asked without opening anything that could block, as a FIFO would.
VENDRAL_TEST_INTERNAL std::string RegularFileProblem(const std::string& path);

// Replaces the contents of path with edit(old contents) (nullopt for a missing
// file): the new text goes to a temporary file beside the target, is flushed
// and renamed over it, keeping the target's permissions. A new file gets mode
// newFileMode. Writers in other threads and processes that use this function
// are serialized by an advisory lock on its folder. edit may return nullopt to
// leave the file alone. Returns false when nothing was written; the old file is
// then intact (a read-only or unreadable file, a missing folder, a full disk).
VENDRAL_TEST_INTERNAL bool ReplaceFileAtomically(
    const std::string& path,
    const std::function<std::optional<std::string>(const std::optional<std::string>&)>& edit,
    unsigned newFileMode = 0600);

}  // namespace vendral::detail

// The library's own code names these without the detail qualifier.
namespace vendral {
using namespace detail;
}  // namespace vendral
