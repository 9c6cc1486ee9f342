// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/ListedEntry.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <time.h>

// The lines of a journal file. A run is one file of lines: a header, a record per file (and per
// folder a folder delete removed) as the run goes, a record per file or folder that an undo put
// back, and an end record when the run is over. Each line
// is one record of tab-separated fields; names and paths are exact bytes written with every byte
// outside the printable ASCII range (and "%") as %XX, so a name with a line break or bytes that are
// not UTF-8 never breaks a line; the last field is a checksum of the rest, so a record cut short (a
// run killed mid-write, a truncated file) or damaged is told from a whole one and skipped.

// The tool whose delete run it was.
enum class JournalTool { Duplicates, FileHogs, DateRange, FolderHogs, Browser, CommandLine, DuplicateFolders };
// The stable key written to the journal and --json ("dups", "hogs", "dates", "folders", "browser",
// "cli", "dupfolders"), and back.
const char* JournalToolKey(JournalTool tool);
std::optional<JournalTool> JournalToolFromKey(std::string_view key);
// The tool's name as the windows show it ("Duplicate files", ...).
QString JournalToolText(JournalTool tool);

struct JournalRunHeader {
    std::int64_t id = 0;
    std::int64_t startTime = 0; // seconds since 1970
    JournalTool tool = JournalTool::Duplicates;
    bool recycle = false; // to the trash, else deleted for good
    std::string subject;  // the deleted folder of a folder delete; "" for marked files
};

enum class JournalOutcome : std::uint8_t { Deleted, Trashed, Failed };

// One file of a run, as it went or stayed.
struct JournalFileRecord {
    std::int64_t seq = 0; // from 1 within the run
    JournalOutcome outcome = JournalOutcome::Failed;
    int error = 0; // the errno when it stayed
    std::int64_t size = 0;
    EntryIdentity identity;
    std::uint64_t modifiedNs = 0;
    EntryIdentity rootIdentity;
    std::string root;   // the root the file was reached from, as the user named it
    std::string folder; // its folder below root ("" for root itself)
    std::string name;
    std::string trashFolder; // Trashed: the trash that took it (holding files/ and info/)
    std::string trashName;   // Trashed: its name in files/
    std::string reason;      // Failed: why it stayed (UTF-8)

    std::string path() const; // root, folder and name joined by single "/"
};

// A folder that a folder delete removed once it had emptied it: where it was and what it was like
// before the delete began, so that an undo can make it again as it was. Runs written before such
// records existed have none.
struct JournalFolderRecord {
    std::int64_t seq = 0;   // from 1 within the run, shared with the file records
    std::uint32_t mode = 0; // type and permission bits
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    struct timespec modified {};
    struct timespec accessed {};
    EntryIdentity identity;
    EntryIdentity rootIdentity;
    std::string root;   // the root it was reached from, as the user named it
    std::string folder; // its folder below root ("" for root itself)
    std::string name;

    std::string path() const; // root, folder and name joined by single "/"
};

// A file (or folder) that an undo put back (or made again), or tried to.
struct JournalRestoreRecord {
    std::int64_t seq = 0;  // the file record's
    std::int64_t time = 0; // seconds since 1970
    bool restored = false;
    std::string reason; // why it did not come back (UTF-8)
};

struct JournalEndRecord {
    std::int64_t time = 0;
    std::int64_t files = 0;        // that went
    std::int64_t bytes = 0;        // their sizes when listed
    std::int64_t failed = 0;       // that stayed
    std::int64_t notAttempted = 0; // after a stop or a full trash
    bool stopped = false;          // the user stopped the run
    std::int64_t omitted = 0;      // file records left out because the run's file reached its bound
};

std::string EncodeJournalLine(const JournalRunHeader& header);
std::string EncodeJournalLine(const JournalFileRecord& file);
std::string EncodeJournalLine(const JournalFolderRecord& folder);
std::string EncodeJournalLine(const JournalRestoreRecord& restore);
std::string EncodeJournalLine(const JournalEndRecord& end);

enum class JournalLineKind { Header, File, Folder, Restore, End, Broken };
// What a line (without its "\n") is; Broken when its checksum, its kind or its field count is wrong.
JournalLineKind JournalLineKindOf(std::string_view line);
// Each reads a whole line of its kind; false for a broken one (out is then unspecified).
bool DecodeJournalLine(std::string_view line, JournalRunHeader& out);
bool DecodeJournalLine(std::string_view line, JournalFileRecord& out);
bool DecodeJournalLine(std::string_view line, JournalFolderRecord& out);
bool DecodeJournalLine(std::string_view line, JournalRestoreRecord& out);
bool DecodeJournalLine(std::string_view line, JournalEndRecord& out);

// Every byte outside "!" .. "~", and "%", as %XX; and back (nullopt for a malformed text).
std::string EscapeJournalBytes(std::string_view bytes);
std::optional<std::string> UnescapeJournalBytes(std::string_view text);
