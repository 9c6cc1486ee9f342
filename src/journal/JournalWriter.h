// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "delete/FolderTreeDelete.h"
#include "journal/DeleteJournal.h"
#include "platform/ListedEntry.h"
#include "platform/Trash.h"

#include <QString>
#include <cstdint>
#include <string>

// The journal of one delete run as it goes, the one call every deleting tool makes: begun before
// the first file, one record appended for each file as soon as it went or stayed (so a run cut
// short keeps what it did), and closed with the run's figures. A run to the trash is there to be
// undone, so its record is opened (openNow) before the first file goes: a journal that cannot be
// written then refuses the run, and one that fails in the middle stops it. A permanent delete
// cannot be undone anyway: for it the writer falls silent on a failure and keeps the first reason,
// to be said once at the end.
class JournalWriter {
public:
    JournalWriter() = default; // writes nothing
    JournalWriter(JournalWriter&&) noexcept = default;
    JournalWriter& operator=(JournalWriter&&) noexcept = default;

    // Begins a run of tool, to the trash (recycle) or for good; subject is the folder of a folder
    // delete ("" for marked files). The run's file is made with its first record, so a delete that
    // was refused before anything happened leaves nothing behind.
    static JournalWriter begin(JournalTool tool, bool recycle, const std::string& subject = {});

    // A marked file: what became of it (outcome.error 0 when it went; where it went in the trash).
    void file(const ListedEntry& entry, const TrashOutcome& outcome);
    // A file of a folder delete of folder.
    void file(const ListedEntry& folder, const FolderDeleteFile& file);
    // Closes the run with what was not attempted and whether the user stopped it; the files, bytes
    // and failures are counted from the records. A run without files (an empty folder removed) is
    // written then.
    void end(std::int64_t notAttempted, bool stopped);

    // Opens the run's record now, before the first file of a run that is to be undone: true when it
    // is open, false (failure() and refusal() say why) when the journal cannot be written. A trash
    // run's start also takes away the trash records of moves that a killed program never made
    // (TrashUnderway).
    bool openNow();

    std::int64_t id() const { return m_header.id; }
    bool failed() const { return m_error != 0; }
    // Why the run is not (or not wholly) in the journal, "" when it is.
    QString failure() const;
    // Why a trash run was refused before anything went (openNow failed), "" when it was not.
    QString refusal() const;
    // Why a trash run was stopped when the journal failed in the middle, "" when it did not.
    QString stoppedReason() const;

private:
    void append(JournalFileRecord record);
    void write(const std::string& line);
    bool open(); // makes the run's file at the first record

    JournalRunHeader m_header;
    UniqueFd m_file;
    int m_error = 0;
    bool m_begun = false;
    bool m_ended = false;
    std::int64_t m_bytesWritten = 0;
    std::int64_t m_seq = 0;
    JournalEndRecord m_figures;
};
