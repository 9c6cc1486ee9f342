// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/ListedFileRemoval.h"

#include "common/DosDateTime.h"
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
    if (now.device != entry.identity.device || now.inode != entry.identity.inode)
        return ESTALE;
    if (entry.isFolder)
        return S_ISDIR(now.mode) ? 0 : ESTALE;
    // The same file rewritten since is not what the user saw either.
    if (S_ISDIR(now.mode) || now.size != entry.size ||
        (entry.modifiedKnown && PackFileTime(now.lastWrite) != entry.modified))
        return ESTALE;
    return 0;
}

int DeleteListedFile(const ListedEntry& entry) {
    const FolderHandle folder = OpenListedFolder(entry);
    if (!folder.valid())
        return folder.error();
    if (const int error = CheckListedFile(folder, entry))
        return error;
    return ::unlinkat(folder.fd(), entry.name.c_str(), 0) == 0 ? 0 : errno;
}

TrashOutcome TrashListedFile(const ListedEntry& entry) {
    const FolderHandle folder = OpenListedFolder(entry);
    int error = folder.valid() ? CheckListedFile(folder, entry) : folder.error();
    if (error)
        return {error, RemovalReason(error)};
    return Trash::moveToTrash(folder, entry.name, entry.path(), entry.identity);
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
    return ::unlinkat(parent.fd(), entry.name.c_str(), AT_REMOVEDIR) == 0 ? 0 : errno;
}

bool IsEntryProblem(int error) { return error == ESTALE || error == ENOENT; }

std::optional<std::int64_t> ListedFileSizeNow(const ListedEntry& entry) {
    const FolderHandle folder = OpenListedFolder(entry);
    if (!folder.valid() || CheckListedFile(folder, entry) != 0)
        return std::nullopt;
    return entry.size;
}

QString RemovalReason(int error) {
    if (error == ESTALE)
        return QStringLiteral("it changed after it was listed");
    return QString::fromLocal8Bit(std::strerror(error));
}
