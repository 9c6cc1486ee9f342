// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

// Opens name (relative to the folder dirfd, or a path with AT_FDCWD) read-only with the given extra
// flags, so that reading it leaves its access time as it was: the tools that show access dates must
// not be fooled by this program's own reads. The kernel allows that only to the file's owner (or a
// caller with CAP_FOWNER); for anyone else the file is opened all the same, and reading it may then
// update the access time. Returns the descriptor, or -1 with errno set.
int OpenForReading(int dirfd, const char* name, int flags);

// A regular file opened for reading by path (OpenForReading, close-on-exec, never blocking on what
// the name leads to: a FIFO, device or socket is refused, never waited on).
struct RegularFileOpen {
    int fd = -1;             // the open descriptor, owned by the caller; -1 on failure
    int error = 0;           // errno of the failure
    bool notRegular = false; // the name leads to a folder, FIFO, device, socket, ...: not a regular file
};
RegularFileOpen OpenRegularFile(const std::string& path);
