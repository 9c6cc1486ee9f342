// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/AsideRemoval.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

AsideStepHook& stepHook() {
    static AsideStepHook hook;
    return hook;
}

void step(AsideStep at, const FolderHandle& folder, const std::string& name, const std::string& fresh) {
    if (const AsideStepHook& hook = stepHook())
        hook(at, folder, name, fresh);
}

// A hidden name no other program can guess in advance: 128 random bits.
std::string freshName() {
    unsigned char bits[16];
    if (::getrandom(bits, sizeof bits, 0) != ssize_t(sizeof bits)) {
        std::random_device device;
        for (unsigned char& b : bits)
            b = static_cast<unsigned char>(device());
    }
    static const char digits[] = "0123456789abcdef";
    std::string name = ".vantorel-";
    for (unsigned char b : bits) {
        name += digits[b >> 4];
        name += digits[b & 15];
    }
    return name;
}

// Moves name to a fresh name of the same folder; 0 with fresh set, or the errno.
int moveAside(int fd, const std::string& name, std::string& fresh) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        fresh = freshName();
        if (::renameat2(fd, name.c_str(), fd, fresh.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno == EEXIST)
            continue;
        if (errno != EINVAL)
            return errno;
        // A filesystem without no-replace renames (NFS, some FUSE): nobody can have made the
        // unguessable name in advance, and it is seen free right before.
        struct stat st {};
        if (::fstatat(fd, fresh.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
            continue;
        if (errno != ENOENT)
            return errno;
        return ::renameat(fd, name.c_str(), fd, fresh.c_str()) == 0 ? 0 : errno;
    }
    return EEXIST;
}

// Puts fresh back as name, never over anything that took the name meanwhile.
bool moveBack(int fd, const std::string& fresh, const std::string& name, AsideKind kind) {
    if (::renameat2(fd, fresh.c_str(), fd, name.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    // Without no-replace renames a file can still go back by a link, which never replaces.
    if (errno == EINVAL && kind == AsideKind::File && ::linkat(fd, fresh.c_str(), fd, name.c_str(), 0) == 0) {
        ::unlinkat(fd, fresh.c_str(), 0);
        return true;
    }
    return false;
}

int removeFlags(AsideKind kind) {
    return kind == AsideKind::EmptyFolder ? AT_REMOVEDIR : 0;
}

AsideOutcome lookThenRemove(const FolderHandle& folder, const std::string& name, AsideKind kind,
                            const std::function<bool(const FsEntry&)>& expected) {
    FsEntry now;
    if (const int error = StatEntry(folder, name, now, false))
        return {error, {}};
    if (!expected(now))
        return {ESTALE, {}};
    step(AsideStep::Checked, folder, name, name);
    return {::unlinkat(folder.fd(), name.c_str(), removeFlags(kind)) == 0 ? 0 : errno, {}};
}

} // namespace

void SetAsideStepHook(AsideStepHook hook) {
    stepHook() = std::move(hook);
}

AsideOutcome RemoveInPlace(const FolderHandle& folder, const std::string& name, AsideKind kind,
                           const std::function<bool(const FsEntry& now)>& expected) {
    step(AsideStep::BeforeMove, folder, name, {});
    return lookThenRemove(folder, name, kind, expected);
}

AsideOutcome RemoveAside(const FolderHandle& folder, const std::string& name, AsideKind kind,
                         const std::function<bool(const FsEntry& now)>& expected) {
    step(AsideStep::BeforeMove, folder, name, {});
    std::string fresh;
    if (const int error = moveAside(folder.fd(), name, fresh)) {
        // Freeing space is what a full disk needs most, and there the rename may find no room.
        if (error == ENOSPC || error == EDQUOT)
            return lookThenRemove(folder, name, kind, expected);
        return {error, {}};
    }
    step(AsideStep::Moved, folder, name, fresh);
    auto putBack = [&](int error) -> AsideOutcome {
        if (moveBack(folder.fd(), fresh, name, kind))
            return {error, {}};
        return {error, fresh};
    };
    FsEntry now;
    if (const int error = StatEntry(folder, fresh, now, false))
        return error == ENOENT ? AsideOutcome{ESTALE, {}} : putBack(error); // taken away again meanwhile
    if (!expected(now))
        return putBack(ESTALE);
    step(AsideStep::Checked, folder, name, fresh);
    if (::unlinkat(folder.fd(), fresh.c_str(), removeFlags(kind)) != 0)
        return putBack(errno);
    return {};
}
