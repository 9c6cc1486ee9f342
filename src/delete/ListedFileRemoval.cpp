// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/ListedFileRemoval.h"

#include "common/DisplayText.h"
#include "delete/AsideRemoval.h"
#include "platform/ListedFolder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int CheckListedFile(const FolderHandle& folder, const ListedEntry& entry) {
    FsEntry now;
    if (const int error = StatEntry(folder, entry.name, now, false))
        return error;
    return MatchesListed(now, entry) ? 0 : ESTALE;
}

RemovalOutcome RemoveListedFile(const ListedEntry& entry, bool recycle) {
    const FolderHandle folder = OpenListedFolder(entry);
    if (!folder.valid())
        return {folder.error(), RemovalReason(folder.error())};
    // Each way looks at the file whole right before its own move, and after it at what the move
    // cannot change.
    const EntryCheck expected = [&](const FsEntry& now, ListedLook look) {
        return MatchesListed(now, entry, look);
    };
    if (recycle)
        return Trash::moveToTrash(folder, entry.name, entry.path(), expected);
    const AsideOutcome outcome = RemoveAside(folder, entry.name, AsideKind::File, expected);
    if (!outcome.strandedName.empty())
        return {outcome.error, StrandedReason(outcome.strandedName)};
    return {outcome.error, outcome.error ? RemovalReason(outcome.error) : QString()};
}

int DeleteListedFile(const ListedEntry& entry) {
    return RemoveListedFile(entry, false).error;
}

TrashOutcome TrashListedFile(const ListedEntry& entry) {
    return RemoveListedFile(entry, true);
}

int RemoveListedEmptyFolder(const ListedEntry& entry) {
    const FolderHandle parent = OpenListedFolder(entry);
    if (!parent.valid())
        return parent.error();
    if (const int error = CheckListedFile(parent, entry))
        return error;
    // A mount point would be unmounted by nothing here, but it is never ours to remove either.
    const FolderHandle folder = FolderHandle::openChild(parent, entry.name);
    if (!folder.valid())
        return folder.error() == ELOOP || folder.error() == ENOTDIR ? ESTALE : folder.error();
    if (folder.identity() != entry.identity)
        return ESTALE;
    if (folder.isMountRoot() || folder.device() != parent.device())
        return EXDEV;
    // A folder with something in it is not renamed back and forth only to find that out (one that
    // cannot be listed is tried: the removal itself tells).
    FolderListing listing;
    if (ReadFolderNames(folder, listing) && listing.size() != 0)
        return ENOTEMPTY;
    return RemoveAside(parent, entry.name, AsideKind::EmptyFolder,
                       [&](const FsEntry& now, ListedLook) {
                           return S_ISDIR(now.mode) && !now.mountRoot &&
                                  EntryIdentity{now.device, now.inode} == entry.identity;
                       })
        .error;
}

bool IsFullDiskError(int error) {
    return error == ENOSPC || error == EDQUOT;
}

std::optional<std::int64_t> ListedFileSizeNow(const ListedEntry& entry) {
    const FolderHandle folder = OpenListedFolder(entry);
    if (!folder.valid() || CheckListedFile(folder, entry) != 0)
        return std::nullopt;
    return entry.size;
}

QString RemovalReason(int error) {
    if (error == ESTALE)
        return QStringLiteral("it changed after it was listed");
    if (error == EXDEV)
        return QStringLiteral("it is a mount point (another filesystem is mounted there)");
    return QString::fromLocal8Bit(std::strerror(error));
}

QString StrandedReason(const std::string& strandedName) {
    return RemovalReason(ESTALE) + QStringLiteral("; what took its place is now called ") +
           DisplayText(strandedName) + QStringLiteral(" (its name was taken again meanwhile)");
}
