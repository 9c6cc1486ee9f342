// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/AsideRemoval.h"

#include "platform/OwnChanges.h"
#include "platform/UniqueFd.h"

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

// Removes name, the entry looked at as seen (whole, before anything of ours touched it). A file
// that keeps other names is held while its name goes, so the change time the removal gave it can
// be read and noted as this program's own. 0 or the errno.
int removeNoting(const FolderHandle& folder, const std::string& name, AsideKind kind, const FsEntry& seen) {
    UniqueFd held;
    if (kind == AsideKind::File && seen.links > 1)
        held = UniqueFd(::openat(folder.fd(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (::unlinkat(folder.fd(), name.c_str(), removeFlags(kind)) != 0)
        return errno;
    FsEntry after;
    if (held.valid() && StatOpenFile(held.get(), after) == 0 && after.inode == seen.inode &&
        after.device == seen.device && after.links > 0)
        NoteOwnChange({seen.device, seen.inode}, ChangeFold(seen.lastChange), ChangeFold(after.lastChange));
    return 0;
}

AsideOutcome lookThenRemove(const FolderHandle& folder, const std::string& name, AsideKind kind,
                            const EntryCheck& expected) {
    FsEntry now;
    if (const int error = StatEntry(folder, name, now, false))
        return {error, {}};
    if (!expected(now, ListedLook::Whole))
        return {ESTALE, {}};
    step(AsideStep::Checked, folder, name, name);
    return {removeNoting(folder, name, kind, now), {}};
}

} // namespace

void SetAsideStepHook(AsideStepHook hook) {
    stepHook() = std::move(hook);
}

AsideOutcome RemoveInPlace(const FolderHandle& folder, const std::string& name, AsideKind kind,
                           const EntryCheck& expected) {
    step(AsideStep::BeforeMove, folder, name, {});
    return lookThenRemove(folder, name, kind, expected);
}

AsideOutcome RemoveAside(const FolderHandle& folder, const std::string& name, AsideKind kind,
                         const EntryCheck& expected) {
    // Whole, right before the move: the move itself sets the change time, so after it only what a
    // rename leaves alone can still be compared.
    FsEntry before;
    if (const int error = StatEntry(folder, name, before, false))
        return {error, {}};
    if (!expected(before, ListedLook::Whole))
        return {ESTALE, {}};
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
    if (!expected(now, ListedLook::AfterOwnMove))
        return putBack(ESTALE);
    step(AsideStep::Checked, folder, name, fresh);
    // The change time the other names see is the one from before the move: ours set the rest.
    now.lastChange = before.lastChange;
    if (const int error = removeNoting(folder, fresh, kind, now))
        return putBack(error);
    return {};
}
