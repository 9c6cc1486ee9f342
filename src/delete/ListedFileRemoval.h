// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/FolderHandle.h"
#include "platform/ListedEntry.h"
#include "platform/Trash.h"

#include <QString>
#include <cstdint>
#include <optional>

// The one way a marked file leaves the disk: reached again through folder handles from the root
// that was scanned or browsed, following no link below it, and removed only while it is still the
// file that was listed (device and inode; size and modification time too). Every tool that marks
// files hands them over as ListedEntry values; nothing here takes a path.

// 0 when entry name of folder is still the listed entry; ESTALE when it is another object now or was
// changed; otherwise the errno of looking (ENOENT when it is gone).
int CheckListedFile(const FolderHandle& folder, const ListedEntry& entry);

// Deletes the listed file permanently. 0, ESTALE (changed since it was listed) or the errno.
int DeleteListedFile(const ListedEntry& entry);

// Sends the listed file to the trash of its filesystem. outcome.error is ESTALE when it changed
// since it was listed.
TrashOutcome TrashListedFile(const ListedEntry& entry);
// True for the errors that are the file's own (it changed, or it is gone), as against a trash or a
// disk that failed.
bool IsEntryProblem(int error);

// Removes a listed folder when it is empty, reached like a file and checked by identity. 0, ESTALE
// (not the listed folder any more), EXDEV (a mount point), ENOTEMPTY/EEXIST (not empty), or the errno.
int RemoveListedEmptyFolder(const ListedEntry& entry);

// The size of the listed file now, when it is still the file that was listed; nullopt otherwise.
std::optional<std::int64_t> ListedFileSizeNow(const ListedEntry& entry);

// The reason for an error as the messages show it on their second line.
QString RemovalReason(int error);
