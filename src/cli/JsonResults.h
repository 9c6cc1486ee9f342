// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>

class DateRangeEngine;
class DupContentCheck;
class DupFolderEngine;
class DupScanEngine;
class FolderSizeEngine;
class SkippedEntries;

// --json: JSON Lines on a descriptor, one object per line, written in blocks of 64 KiB.
class JsonLines {
public:
    explicit JsonLines(int fd) : m_fd(fd) {}
    // The line being made; endLine() ends it.
    std::string& buffer() { return m_block; }
    void endLine();
    // Writes what is left. 0, or the errno of the first write that failed; nothing is written after it.
    int finish();

private:
    int m_fd;
    int m_error = 0;
    std::string m_block;
};

// The object of one file of a duplicate or file-hog scan: path, name, folder (exact bytes), size,
// modified (to the nanosecond), accessed_date, type, search_path.
void AppendDupFileJson(const DupScanEngine& engine, std::size_t result, std::string& out);
// The summary's counts of what the walk could not read: "unreadable_folders", "unreadable_entries".
void AppendSkippedJson(const SkippedEntries& skipped, class JsonObject& summary);

// Each writes every result as a JSON line, then the summary object, and returns 0 or the errno of
// the first write that failed. dups: a group per run of equal names; hogs: a line per file.
int WriteDupScanJson(const DupScanEngine& engine, int fd);
// The groups of identical files of a content check.
int WriteContentGroupsJson(const DupScanEngine& engine, const DupContentCheck& check, int fd);
int WriteFoldersJson(const FolderSizeEngine& engine, int fd);
int WriteDatesJson(const DateRangeEngine& engine, int fd);
int WriteFolderGroupsJson(const DupFolderEngine& engine, int fd);
