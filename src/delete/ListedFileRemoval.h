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
// file that was listed (device and inode; size, modification time to the nanosecond and change time
// too: MatchesListed), whatever happens to its name meanwhile (AsideRemoval). Every tool that marks files
// hands them over as ListedEntry values; nothing here takes a path.

// What became of one removal: 0 or the errno, with the reason as the messages show it.
using RemovalOutcome = TrashOutcome;

// 0 when entry name of folder is still the listed entry (MatchesListed, whole); ESTALE when it is
// another object now or was changed; otherwise the errno of looking (ENOENT when it is gone).
int CheckListedFile(const FolderHandle& folder, const ListedEntry& entry);

// Deletes the listed file permanently (recycle false) or sends it to the trash of its filesystem.
// outcome.error is ESTALE when it changed since it was listed; the reason then also names where an
// object that took its place was left when its name could not be given back.
RemovalOutcome RemoveListedFile(const ListedEntry& entry, bool recycle);
// The same, permanently: 0, ESTALE (changed since it was listed) or the errno.
int DeleteListedFile(const ListedEntry& entry);
// The same, to the trash.
TrashOutcome TrashListedFile(const ListedEntry& entry);

// True for the errors of a trash or disk that is full, after which the next file would not fit
// either; every other error is the file's own and a run goes on past it.
bool IsFullDiskError(int error);

// Removes a listed folder when it is empty, reached like a file and checked by identity. 0, ESTALE
// (not the listed folder any more), EXDEV (a mount point), ENOTEMPTY (not empty), or the errno.
int RemoveListedEmptyFolder(const ListedEntry& entry);

// The size of the listed file now, when it is still the file that was listed; nullopt otherwise.
std::optional<std::int64_t> ListedFileSizeNow(const ListedEntry& entry);

// The reason for an error as the messages show it on their second line.
QString RemovalReason(int error);
// The reason for a removal that was refused because another object had taken the entry's place and
// could not be given its name back: that object is now called strandedName in the same folder.
QString StrandedReason(const std::string& strandedName);
