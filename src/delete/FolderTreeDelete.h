// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/ListedEntry.h"

#include <QString>
#include <cstdint>

// What a folder delete did.
struct FolderDeleteResult {
    bool completed = true;      // false only when the user stopped the walk at a question
    std::int64_t files = 0;     // files that left the disk, or went to the trash
    std::int64_t bytes = 0;     // their sizes when listed (the sum stops at the 64-bit maximum)
    std::int64_t filesLeft = 0; // files that stayed: changed since they were listed, or failed to go
    QString firstLeft;          // the first of those: its path and, on a second line, the reason
    // Why the folder itself was not touched: 0, ENOENT (gone), ESTALE (no longer the listed folder),
    // EXDEV (a mount point), EPERM (a drive root or a system folder), or the errno of reaching it.
    int error = 0;
};

// Deletes a listed folder with all its files and sub-folders, depth-first in listing order:
// permanently, or with every file sent to the trash one by one (the emptied folders are then
// removed). The folder is reached through handles from its root (ListedFolder), must still be the
// listed folder, and is refused when it is a mount point, a drive root or a system folder. Before
// a read-only, hidden or system file it asks Yes/No/Cancel; No or Cancel stops the whole walk; Yes
// changes nothing on the file (removing a name needs only the folder's permission). Links are
// removed as links, never followed; a folder mounted inside the tree is neither entered nor
// removed; each file goes only while it is still the one that was listed. Afterwards the program's
// current folder is the parent of the folder.
FolderDeleteResult deleteFolderTree(const ListedEntry& folder, bool recycle);

// The caller's note on files that stayed ("" when none): how many, and the first with its reason.
QString FilesLeftNote(const FolderDeleteResult& result, bool recycle);
