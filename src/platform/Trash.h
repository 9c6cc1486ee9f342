// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/FolderHandle.h"
#include "platform/ListedEntry.h"

#include "platform/UniqueFd.h"

#include <QString>
#include <functional>
#include <map>
#include <string>

// Called in a move to the trash after its record is made and before the entry moves.
using TrashStepHook = std::function<void()>;

// What became of one move to the trash.
struct TrashOutcome {
    int error = 0;  // 0 when the entry is in the trash; ESTALE when it was not the expected entry
    QString reason; // the system's reason (or ours) when it did not go; empty on success
    // Where it went, on success: the trash folder (the one holding files/ and info/) and the entry's
    // name in its files/ folder; its record is info/<trashName>.trashinfo.
    std::string trashFolder = {};
    std::string trashName = {};
    bool ok() const { return error == 0; }
};

// The user's freedesktop.org trash, written from an open folder so that no path is resolved again
// between the check of an entry and its move: the record (.trashinfo, made with O_EXCL) first, then
// one renameat of the entry into the trash of its own filesystem. That is the home trash
// ($XDG_DATA_HOME/Trash) for entries on the filesystem of $XDG_DATA_HOME, otherwise the top folder's
// .Trash/UID (only when .Trash is a real folder with the sticky bit) or .Trash-UID. The layout is the
// one file managers list and restore from. One call per entry, no questions asked.
class Trash {
public:
    // Moves entry name of folder to the trash. originalPath is the entry's full path, written to the
    // record (relative to the top folder in a top-folder trash, as file managers expect). The entry
    // must still be expected, looked at whole right before the move, and is still checked after it
    // for what the move cannot change: a swap in between is moved back and reported as ESTALE. A
    // file that keeps other names tells OwnChanges the change time the move gave them.
    static TrashOutcome moveToTrash(const FolderHandle& folder, const std::string& name,
                                    const std::string& originalPath, const EntryCheck& expected);
    // The same, expecting only the object (device and inode), whatever became of it.
    static TrashOutcome moveToTrash(const FolderHandle& folder, const std::string& name,
                                    const std::string& originalPath, const EntryIdentity& expected);
    // Puts the entry trashName of the trash at trashFolder back as name of into, the way file
    // managers restore: only while it is still the entry expected (device and inode), never over
    // anything (a no-replace rename), then its record goes. 0, ENOENT (no longer in the trash:
    // emptied or restored meanwhile), ESTALE (the trash holds another entry under that name), EEXIST
    // (name is taken in into: the entry stays in the trash), EXDEV (into is on another filesystem
    // now), or the errno; the reason says it in words.
    static TrashOutcome restoreFromTrash(const std::string& trashFolder, const std::string& trashName,
                                         const EntryIdentity& expected, const FolderHandle& into,
                                         const std::string& name);
    // For tests only: hook runs in every move between its record and the move itself (empty: none).
    static void setRecordMadeHook(TrashStepHook hook);
    // Whether files of the folder at path can go to a trash (nothing is made to find out).
    static bool canTrash(const std::string& path);
    // The home trash folder ($XDG_DATA_HOME/Trash, by default ~/.local/share/Trash).
    static std::string homeTrashPath();
    // A path as a trash record writes it: every byte but A-Z a-z 0-9 - . _ ~ / as %XX.
    static std::string escapePath(const std::string& path);
};

// Whether trashes still hold entries, each trash's files/ folder opened once for many questions.
class TrashLookup {
public:
    // True when the trash at trashFolder holds trashName as the entry expected (device and inode).
    bool holds(const std::string& trashFolder, const std::string& trashName, const EntryIdentity& expected);

private:
    std::map<std::string, UniqueFd> m_files; // by trash folder; invalid when it has none
};
