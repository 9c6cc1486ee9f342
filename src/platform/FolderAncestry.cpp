// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FolderAncestry.h"

#include "platform/UniqueFd.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

int VisitFoldersUp(const FolderHandle& folder, const std::function<bool(const EntryIdentity&)>& visit,
                   std::size_t mostLevels) {
    if (!folder.valid())
        return folder.error() ? folder.error() : EBADF;
    EntryIdentity here = folder.identity();
    // Only the handle just above is held: a deep tree costs no descriptors. O_PATH needs no read
    // permission, only the search permission every walk below had.
    UniqueFd current;
    int at = folder.fd();
    for (std::size_t level = 0; level < mostLevels; ++level) {
        if (!visit(here))
            return 0;
        UniqueFd parent(::openat(at, "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat st {};
        if (!parent.valid() || ::fstat(parent.get(), &st) != 0)
            return errno;
        const EntryIdentity above{st.st_dev, st.st_ino};
        if (above == here)
            return 0; // "/" is its own parent
        here = above;
        current = std::move(parent);
        at = current.get();
    }
    return ELOOP;
}
