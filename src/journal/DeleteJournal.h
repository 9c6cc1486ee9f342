// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "journal/JournalRecord.h"
#include "platform/FolderHandle.h"
#include "platform/UniqueFd.h"

#include <QString>
#include <chrono>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

// The journal of delete runs: $XDG_STATE_HOME/vantorel/journal (by default
// ~/.local/state/vantorel/journal), one file "<id>.run" per run, ids counted up from 1 and never
// given twice while the journal is kept. Everything in it is a file like any other and is checked
// before it is read: folders are opened through handles without following a link below
// $XDG_STATE_HOME, files only when they are regular files (a FIFO, a device or a link in their place
// is refused without blocking), and reading is bounded. The journal's own lock (a file ".lock",
// waited for at most lockWait) guards the numbering and the pruning; each run's file is appended to
// under its own lock, one whole line at a time.
class DeleteJournal {
public:
    static constexpr std::size_t MostRuns = 1000;
    static constexpr int MostDays = 90;
    static constexpr std::int64_t MostRunBytes = std::int64_t(64) << 20; // one run's file
    static constexpr std::int64_t MostBytes = std::int64_t(512) << 20;   // every run's
    static constexpr std::chrono::milliseconds lockWait{5000};
    // The largest run number; a journal that reached it takes no further run.
    static constexpr std::int64_t MostId = std::numeric_limits<std::int64_t>::max();
    // What beginRun gives once the numbers are used up (no system call fails with it).
    static constexpr int kRunIdsUsedUp = -4;

    // The journal folder's path.
    static std::string folderPath();

    // Opens the journal folder, making it (and its parents, 0700) when make is set. Check valid().
    static DeleteJournal open(bool make);
    bool valid() const { return m_folder.valid(); }
    int error() const { return m_error; }
    // Why the journal cannot be used, in words ("" when it can).
    QString reason() const { return JournalErrorText(m_error); }
    std::string_view path() const { return m_folder.path(); }

    // The ids of the runs kept, in ascending order.
    std::vector<std::int64_t> runIds() const;
    // Begins a run: under the journal's lock takes the next id (into header.id), makes the run's
    // file with its header line and prunes the runs beyond the bounds: all but the newest MostRuns,
    // those begun more than MostDays ago, and the oldest while all of them take more than MostBytes.
    // 0 with file open for appending, or the errno (kLockTimedOut when the lock was not had in time,
    // kRunIdsUsedUp when the last id given is MostId).
    int beginRun(JournalRunHeader& header, UniqueFd& file);
    // Opens a run's file for reading or for appending; only a regular file. 0 or the errno.
    int openRun(std::int64_t id, bool append, UniqueFd& file) const;
    // Reads a run's whole file (at most MostRunBytes and a little): 0 or the errno (EFBIG when larger).
    int readRun(std::int64_t id, std::string& bytes) const;

    // Appends one line to an open run file under the file's own lock (after a line end when the file
    // does not end with one, so a line cut short before never swallows this one). 0 or the errno.
    static int appendLine(int fd, const std::string& line);
    // The same for a caller that holds the file's lock already (an undo holds it throughout).
    static int appendLineLocked(int fd, const std::string& line);
    // Reads the whole of an open run file from its start, bounded as readRun is.
    static int readOpenRun(int fd, std::string& bytes);
    // The reason for an error of the journal in words.
    static QString JournalErrorText(int error);

private:
    explicit DeleteJournal(FolderHandle folder, int error) : m_folder(std::move(folder)), m_error(error) {}
    std::int64_t lastId() const;
    void writeLastId(std::int64_t id) const;
    void prune(std::int64_t keep) const;

    FolderHandle m_folder;
    int m_error = 0;
};
