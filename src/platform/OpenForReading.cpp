// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/OpenForReading.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int OpenForReading(int dirfd, const char* name, int flags) {
    flags = (flags & ~O_ACCMODE) | O_RDONLY;
    const int fd = ::openat(dirfd, name, flags | O_NOATIME);
    // EPERM: not the owner. The name is looked up again; whatever it leads to by then is what a
    // plain open would have found, and the callers check what they opened on the descriptor.
    if (fd >= 0 || errno != EPERM)
        return fd;
    return ::openat(dirfd, name, flags);
}

RegularFileOpen OpenRegularFile(const std::string& path) {
    RegularFileOpen r;
    // Non-blocking, so that a FIFO without a writer or a device that waits is never waited on.
    r.fd = OpenForReading(AT_FDCWD, path.c_str(), O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    struct stat st {};
    if (r.fd < 0) {
        r.error = errno;
        // A socket cannot be opened at all (ENXIO): say what it is rather than a bare code.
        r.notRegular = ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
        return r;
    }
    if (::fstat(r.fd, &st) != 0) {
        r.error = errno;
    } else if (!S_ISREG(st.st_mode)) {
        r.error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        r.notRegular = true;
    } else {
        return r;
    }
    ::close(r.fd);
    r.fd = -1;
    return r;
}
