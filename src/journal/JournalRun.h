// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "journal/DeleteJournal.h"
#include "journal/JournalRecord.h"

#include <QString>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class TrashLookup;

// One run of the journal as read back: its header, its files (each decoded when it is asked for,
// so a run of a million files costs its text and a few bytes per file), what undos did to them, its
// end record when it has one, and the lines that could not be read (a record cut short or damaged:
// reported, skipped, and the rest still read).
class JournalRun {
public:
    enum class Restore : std::uint8_t { None, Restored, Failed };

    // Reads run id of the journal.
    static JournalRun read(const DeleteJournal& journal, std::int64_t id);
    // Reads a run from the text of its file.
    static JournalRun parse(std::int64_t id, std::string text);

    // False when the run cannot be used at all: its file could not be read, or its first line is
    // not a whole header of this run.
    bool ok() const { return m_error == 0; }
    int error() const { return m_error; }
    // Why it cannot be used, in words.
    QString errorText() const;

    std::int64_t id() const { return m_id; }
    const JournalRunHeader& header() const { return m_header; }
    // Whether the run was closed; a run without an end was cut short (or is still going).
    bool finished() const { return m_finished; }
    const JournalEndRecord& end() const { return m_end; }

    std::size_t fileCount() const { return m_files.size(); }
    JournalFileRecord file(std::size_t index) const;
    // What the last undo that tried the file did, and its reason when it failed.
    Restore restoreState(std::size_t index) const { return m_restore[index]; }
    std::string restoreReason(std::size_t index) const;

    // The folders a folder delete removed, innermost first (the order they went in).
    std::size_t folderCount() const { return m_folders.size(); }
    JournalFolderRecord folder(std::size_t index) const;
    Restore folderRestoreState(std::size_t index) const { return m_folderRestore[index]; }
    // Folders of a trash run not made again yet.
    std::int64_t foldersToMake() const;

    // Lines that could not be read: how many, and the numbers (from 1) of the first hundred.
    std::int64_t brokenCount() const { return m_brokenCount; }
    const std::vector<std::int64_t>& brokenLines() const { return m_brokenLines; }

    // Figures from the file records.
    std::int64_t filesWent() const { return m_filesWent; }
    std::int64_t bytesWent() const { return m_bytesWent; }
    std::int64_t filesFailed() const { return m_filesFailed; }
    std::int64_t filesTrashed() const { return m_filesTrashed; }
    std::int64_t filesRestored() const { return m_filesRestored; }
    // Trashed files not restored yet that the trash still holds as they went in.
    std::int64_t restorable(TrashLookup& trash) const;

private:
    struct Line {
        std::uint32_t offset;
        std::uint32_t length;
    };
    std::string_view lineText(const Line& line) const { return {m_text.data() + line.offset, line.length}; }

    std::int64_t m_id = 0;
    int m_error = 0;
    std::string m_text;
    JournalRunHeader m_header;
    bool m_finished = false;
    JournalEndRecord m_end;
    std::vector<Line> m_files;
    std::vector<Restore> m_restore;
    std::vector<Line> m_folders;
    std::vector<Restore> m_folderRestore;
    std::unordered_map<std::size_t, Line> m_restoreLines; // the last restore record of a file
    std::int64_t m_brokenCount = 0;
    std::vector<std::int64_t> m_brokenLines;
    std::int64_t m_filesWent = 0;
    std::int64_t m_bytesWent = 0;
    std::int64_t m_filesFailed = 0;
    std::int64_t m_filesTrashed = 0;
    std::int64_t m_filesRestored = 0;
};

// One line of the journal's listing.
struct JournalRunSummary {
    std::int64_t id = 0;
    int error = 0; // the run cannot be read (errorText says why); the rest is empty
    QString errorText;
    JournalRunHeader header;
    bool finished = false;  // closed; else cut short (or still going)
    std::int64_t files = 0; // that went
    std::int64_t bytes = 0;
    std::int64_t failed = 0;     // that stayed
    std::int64_t trashed = 0;    // that went to the trash
    std::int64_t restored = 0;   // put back by an undo
    std::int64_t restorable = 0; // still in the trash as they went in, not put back yet
    std::int64_t foldersToMake = 0; // removed folders of a trash run not made again yet
    std::int64_t brokenLines = 0;
    std::vector<std::int64_t> brokenLineNumbers; // the first hundred
};

// Every run of the journal, newest first, each read once (a run that cannot be read is listed with
// its reason).
std::vector<JournalRunSummary> ListJournalRuns(const DeleteJournal& journal);
