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
    FilesLeft left;               // trashed files that could not come back, with why
    QString journalFailure;       // the journal could not note what came back
    bool stopped = false;         // the progress hook asked to stop

    // Everything the run sent to the trash is back where it was.
    bool allBack() const { return error == 0 && !permanent && trashed > 0 && left.empty() && !stopped; }
};

// Called after each file with how many were tried and how many there are; false stops the undo.
using UndoProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

// Puts the files that run id sent to the trash back where they were: each file's folder is reached
// again through handles from its root (the root as named while it is still the folder that was
// scanned, else from "/"), following no link below it, and missing folders are made again with their
// old names; a folder on the way that is a link now is refused, so nothing is restored outside where
// it was. A file goes back only while the trash still holds it as it went in, and never over a file
// that took its name since (it stays in the trash, reported); its trash record goes with it. Each
// file's result is noted in the journal. Files restored by an earlier undo are counted, not tried.
UndoReport UndoRun(std::int64_t id, const UndoProgress& progress = {});

// The folder that held a file of the journal, reached again (and made again where it is missing) as
// UndoRun does. Invalid with the errno when it cannot be; *why then says it in words.
FolderHandle ReopenOriginalFolder(const JournalFileRecord& file, QString* why);

// What the undo did, in sentences: "N files were put back where they were." and the rest.
QString UndoSummary(const UndoReport& report);
