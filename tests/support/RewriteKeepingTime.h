// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// Writes byte over the first byte of the file at path and sets its access and modification times
// back to what they were, to the nanosecond (as touch -d does after a rewrite): size and times are
// as before, only the change time tells. False when that could not be done.
inline bool RewriteKeepingTime(const std::string& path, char byte) {
    struct stat before {};
    if (::stat(path.c_str(), &before) != 0)
        return false;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::pwrite(fd, &byte, 1, 0) == 1;
    ::close(fd);
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    return written && ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}
