// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "delete/FolderTreeDelete.h"
#include "journal/JournalRecord.h"
#include "platform/ListedEntry.h"

#include <QString>
#include <optional>

class QWidget;

// The steps of a window's folder delete that the folder hog window and the browser share.

// Refuses a drive's root (with rootRefusal) or a system folder ("You cannot delete the system folder
// using Vantorel 95"), judged by identity (ProtectionOf). True when the folder was refused.
bool RefuseProtectedFolder(const ListedEntry& folder, const QString& rootRefusal);

// Asks TfrmDelDirectory how the folder is to go: the trash (true), for good (false), or not at all
// (nullopt).
std::optional<bool> AskFolderDelete(QWidget* parent, const ListedEntry& folder);

// What came of a confirmed folder delete.
struct FolderDeleteOutcome {
    bool removedEmpty = false; // it was empty and went at once
    bool gone = false;         // the folder is no longer there (removed empty, or emptied and removed)
    FolderDeleteResult result; // the tree delete's figures (none when it went empty)
};

// Removes the confirmed folder: at once when it is empty, else with deleteFolderTree. A delete that
// runs longer than about a second shows its progress (TfrmDeleteProgress), whose Cancel stops it
// after the current file. Says what happened: "Deleted "/"Recycled " with the files and bytes (and
// the notes on a stopped walk or what stayed) when files went, "Couldn't delete folder - " with the
// reason when the folder was left alone or nothing went while it stayed; when several files or
// folders stayed, in one window that lists them all (TfrmFilesLeft). The files that went are added
// to the cumulative totals (a totals file that cannot be written is said, with what was not
// recorded), and every file goes to the journal as the run of tool as it happens. To the trash, the
// run is refused ("Couldn't delete folder - " and why) when the journal cannot be opened, and stops
// when it can no longer be written; a permanent delete goes on and says so once at the end.
FolderDeleteOutcome RemoveConfirmedFolder(const ListedEntry& folder, bool recycle, JournalTool tool);

// How long a folder delete runs before its progress shows, and how often it then lets the event
// loop run, in milliseconds (about 1,000 and 15; tests make them 0).
void SetFolderDeleteProgressTiming(int showAfterMs, int yieldMs);
