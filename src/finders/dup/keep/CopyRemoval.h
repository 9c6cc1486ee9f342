// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "delete/ListedFileRemoval.h"
#include "journal/JournalWriter.h"

#include <cstdint>
#include <functional>

class KeepChooser;
struct KeepGroupChoice;

// Removes the copies a KeepChooser marked, group by group, for the command line: each file through
// the listed-entry checks (the modification time the chooser read, to the nanosecond), to the trash
// or for good, each written to the journal of deletes as soon as it went or stayed, so a run cut
// short keeps its record and an undo puts a trash run back.
class CopyRemoval {
public:
    CopyRemoval(const KeepChooser& chooser, bool recycle);

    // Before the first file of a trash run: opens its journal record. False (journalRefusal() says
    // why) when the journal cannot be written; nothing may go then, since nothing could come back.
    bool openJournal() { return m_journal.openNow(); }
    QString journalRefusal() const { return m_journal.refusal(); }

    // What became of one file (outcome.error 0 when it went).
    using Done = std::function<void(std::uint32_t result, const RemovalOutcome& outcome)>;
    // Removes the marked files of group, telling done of each. Before each, the group's kept files
    // are looked at again: once none is still the file that was compared, nothing more of the group
    // goes (each file left stays with that reason). Stops early when the trash or the disk is full
    // (the next file would not fit either), or, in a trash run, when the journal can no longer be
    // written (the run could not be undone); the rest count as not attempted.
    void removeGroup(const KeepGroupChoice& group, const Done& done);
    // Counts files that will not be attempted (the run was stopped before them).
    void skip(std::int64_t files) { m_notAttempted += files; }
    // Closes the run's journal record; stopped: the user stopped the run.
    void end(bool stopped);

    bool full() const { return m_full; }
    // A trash run whose journal failed: stopped (journalStopReason() says why).
    bool journalLost() const { return m_journalLost; }
    QString journalStopReason() const { return m_journal.stoppedReason(); }
    std::int64_t removedFiles() const { return m_files; }
    std::int64_t removedBytes() const { return m_bytes; }
    std::int64_t stayedFiles() const { return m_stayed; }
    std::int64_t notAttempted() const { return m_notAttempted; }
    // The journal's run id (0 when nothing was written) and why it is not wholly written ("").
    std::int64_t journalRun() const { return m_journal.id(); }
    QString journalFailure() const { return m_journal.failure(); }

private:
    const KeepChooser& m_chooser;
    bool m_recycle;
    JournalWriter m_journal;
    bool m_full = false;
    bool m_journalLost = false;
    std::int64_t m_files = 0;
    std::int64_t m_bytes = 0;
    std::int64_t m_stayed = 0;
    std::int64_t m_notAttempted = 0;
};
