// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "delete/FilesLeft.h"
#include "journal/JournalRecord.h"
#include "platform/FolderHandle.h"

#include <QString>
#include <cstdint>
#include <functional>

// What an undo of a run did.
struct UndoReport {
    std::int64_t run = 0;
    int error = 0;                // the run could not be read: nothing was tried
    QString errorText;            // why, in words
    bool permanent = false;       // the run deleted its files for good: there is nothing to restore
    std::int64_t trashed = 0;     // files the run sent to the trash
    std::int64_t restored = 0;    // put back now
    std::int64_t earlier = 0;     // put back by an earlier undo
    std::int64_t brokenLines = 0; // lines of the run that could not be read (their files are unknown)
    std::int64_t folders = 0;     // folders the run removed (recorded since runs record them)
    std::int64_t foldersMade = 0; // folders made again now (removed ones, and missing ones on the way)
    std::int64_t foldersLeft = 0; // removed folders that could not be made again as they were
    FilesLeft left;               // trashed files that could not come back, and those folders, with why
    QString journalFailure;       // the journal could not note what came back (the undo stopped there)
    bool stopped = false;         // the progress hook asked to stop, or the journal failed

    // Everything the run sent to the trash (and every folder it removed) is back where it was.
    bool allBack() const {
        return error == 0 && !permanent && (trashed > 0 || folders > 0) && left.empty() && !stopped;
    }
};

// Called before each file or folder is tried, with how many were tried and how many there are;
// false stops the undo (folders made by then still take their modes and times).
using UndoProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

// Puts the files that run id sent to the trash back where they were: each file's folder is reached
// again through handles from its root (the root as named while it is still the folder that was
// scanned, else from "/"), following no link below it, and missing folders are made again with their
// old names; a folder on the way that is a link now is refused, so nothing is restored outside where
// it was. A file goes back only while the trash still holds it as it went in, and never over a file
// that took its name since (it stays in the trash, reported); its trash record goes with it. The
// folders a folder delete removed are made again the same way, outermost first, and once everything
// is back in them take their owner (where allowed), mode and times, innermost first; a folder that
// is there again already is left as it is.
// The run's file stays locked for the whole undo: a second undo of the same run waits for it (at
// most DeleteJournal::lockWait, then it says the run is being undone) and then finds what the first
// one did. Each result is noted in the journal as it comes; a journal that cannot note any more
// stops the undo. Files restored by an earlier undo (or found back where they were, as they went)
// are counted, not tried.
UndoReport UndoRun(std::int64_t id, const UndoProgress& progress = {});

// The folder that held a file of the journal, reached again (and made again where it is missing) as
// UndoRun does; *made counts the folders made. Invalid with the errno when it cannot be; *why then
// says it in words.
FolderHandle ReopenOriginalFolder(const JournalFileRecord& file, QString* why, std::int64_t* made = nullptr);

// What the undo did, in sentences: "N files were put back where they were." and the rest.
QString UndoSummary(const UndoReport& report);
