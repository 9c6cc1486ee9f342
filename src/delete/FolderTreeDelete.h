// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "delete/FilesLeft.h"
#include "platform/ListedEntry.h"
#include "platform/Trash.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <string_view>

// What a folder delete did.
struct FolderDeleteResult {
    bool completed = true;        // false only when the user stopped the walk (at a question, or Stop)
    std::int64_t files = 0;       // files that left the disk, or went to the trash
    std::int64_t bytes = 0;       // their sizes when listed (the sum stops at the 64-bit maximum)
    std::int64_t filesLeft = 0;   // files that stayed: changed since they were listed, or failed to go
    std::int64_t foldersLeft = 0; // folders that stayed for a reason of their own (not opened, not
                                  // read, a mount point, changed, not removed), with all in them
    FilesLeft left;               // those files and folders, with their reasons
    // Why the folder itself was not touched: 0, ENOENT (gone), ESTALE (no longer the listed folder),
    // EXDEV (a mount point), EPERM (a drive root or a system folder), or the errno of reaching it.
    int error = 0;
};

// Called between the entries of a folder delete with the figures so far; false stops the walk as
// a No at a question does.
using FolderDeleteProgress = std::function<bool(const FolderDeleteResult& sofar)>;

// One file that a folder delete removed, sent to the trash or tried to and left, or one folder that
// it removed once it was empty, for the journal.
struct FolderDeleteFile {
    std::string_view folder; // its folder below the deleted folder's own folder: "<name>/a/b"
    std::string_view name;
    // As it was looked at (all zero when it could not be); a removed folder as it was before the
    // delete emptied it: identity, mode, owner and times.
    const FsEntry& listed;
    const TrashOutcome& outcome; // 0, or the errno with the reason; where it went in the trash
    bool removedFolder = false;  // a folder, removed (folders that stay are not told)
};
using FolderDeleteFileHook = std::function<void(const FolderDeleteFile& file)>;

// Deletes a listed folder with all its files and sub-folders, depth-first in listing order:
// permanently, or with every file sent to the trash one by one (the emptied folders are then
// removed). The folder is reached through handles from its root (ListedFolder), must still be the
// listed folder, and is refused when it is a mount point, a drive root or a system folder. Before
// a read-only, hidden or system file it asks Yes/No/Cancel; No or Cancel stops the whole walk; Yes
// changes nothing on the file (removing a name needs only the folder's permission). Links are
// removed as links, never followed; a folder mounted inside the tree is neither entered nor
// removed; each file and folder goes only while it is still the one that was listed, whatever
// happens to its name meanwhile (AsideRemoval). Its memory does not grow with the length of the
// paths: each level keeps its listing and identity, and one path text grows and shrinks with the
// walk. Afterwards the program's current folder is the parent of the folder.
// Each file that went or stayed is also handed to onFile, as it goes, and so is each folder removed
// (the deleted folder last), so that an undo can make the folders again.
FolderDeleteResult deleteFolderTree(const ListedEntry& folder, bool recycle,
                                    const FolderDeleteProgress& progress = {},
                                    const FolderDeleteFileHook& onFile = {});

// How many files and folders stayed, in a sentence each ("" when nothing did).
QString FilesLeftSummary(const FolderDeleteResult& result, bool recycle);
// The caller's note on what stayed ("" when nothing did): how many files and folders, and the first
// with its reason.
QString FilesLeftNote(const FolderDeleteResult& result, bool recycle);
