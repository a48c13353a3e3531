"""Files the client reads or loads: the registry file and server libraries."""

import errno
import os
import stat


def read_regular_file(path):
    """The bytes of the regular file at path; None when there is none there.
    A FIFO, a device or a folder in its place reads as no file, and is refused
    before a read could wait on it. Other failures raise OSError."""
    try:
        fd = os.open(path, os.O_RDONLY | os.O_NONBLOCK | getattr(os, "O_CLOEXEC", 0))
    except OSError as error:
        if error.errno in (errno.ENOENT, errno.ENOTDIR, errno.EISDIR):
            return None
        raise
    try:
        if not stat.S_ISREG(os.fstat(fd).st_mode):
            return None
        chunks = []
        while True:
            chunk = os.read(fd, 65536)
            if not chunk:
                return b"".join(chunks)
            chunks.append(chunk)
    finally:
        os.close(fd)


def _writable_by_others(path, folder):
    try:
        mode = os.stat(path).st_mode
    except OSError:
        return None
    if not mode & (stat.S_IWGRP | stat.S_IWOTH):
        return None
    if folder and mode & stat.S_ISVTX:
        return None
    return ("the %s %s may be written by users other than its owner and root (mode %04o), so "
            "any of them could replace the code it runs; remove their write permission "
            "(chmod go-w %s) or register a library from a protected folder"
            % ("folder" if folder else "file", path, stat.S_IMODE(mode), path))


def _check_path(path):
    reason = _writable_by_others(path, False)
    if reason:
        return reason
    folder = os.path.dirname(path)
    while True:
        reason = _writable_by_others(folder, True)
        if reason:
            return reason
        parent = os.path.dirname(folder)
        if parent == folder:
            return None
        folder = parent


def unsafe_library_reason(path):
    """Why the library at path must not be loaded (the file, or a folder on
    its path or on the path of the file it links to, may be written by users
    other than its owner and root), or None when it may be."""
    if "/" not in path:
        return None
    absolute = os.path.normpath(os.path.abspath(path))
    reason = _check_path(absolute)
    if reason:
        return reason
    resolved = os.path.realpath(absolute)
    return None if resolved == absolute else _check_path(resolved)
