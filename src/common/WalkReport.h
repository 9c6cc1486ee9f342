// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class FolderHandle;

// What a walk says beside its results: the folder it is in, for a status line, and what it could
// not examine.

// The text of the folder being walked for a status line: its display text, the path's first
// 4,096 bytes only (a line shows far less), ended by "…" when cut.
QString WalkStatusText(std::string_view path);

// The folders and entries that a walk could not examine, so that nothing is left out in silence.
// All are counted; the first ones are kept with their path and reason for the user to see, within
// a bound on the bytes kept (a path may be longer than PATH_MAX). A reporter, when set, hears of
// each one at once (the command line's warning); a path is made only when something takes it.
class SkippedEntries {
public:
    struct Entry {
        std::string path; // exact bytes
        int error;        // errno
        bool folder;
    };
    static constexpr std::size_t KeptEntries = 10'000;
    static constexpr std::size_t KeptBytes = std::size_t(4) << 20;

    // Forgets what was counted and kept; the reporter stays.
    void clear();
    // A folder that could not be opened or read: the sub-folder name of folder, or folder itself
    // when name is empty. A mount point (EXDEV) is not entered by design: no failure, not counted.
    void addFolder(const FolderHandle& folder, std::string_view name, int error);
    // An entry name of folder whose statistics could not be read.
    void addEntry(const FolderHandle& folder, std::string_view name, int error);

    std::int64_t folders() const { return m_folders; }
    std::int64_t files() const { return m_files; }
    bool empty() const { return m_folders == 0 && m_files == 0; }
    // The first ones, in the order met; notKept() more were counted only.
    const std::vector<Entry>& kept() const { return m_kept; }
    std::int64_t notKept() const { return m_folders + m_files - std::int64_t(m_kept.size()); }

    void setReporter(std::function<void(const std::string& path, int error)> reporter);

    // What the walk's exclusion rules left out: no failure, but nothing left out in silence either.
    // Counted apart, the first ones kept with the rule's text, within the same bounds; the reporter
    // does not hear of them.
    struct Excluded {
        std::string path; // exact bytes
        std::string rule; // empty: a saved scan said it was excluded, not by what
        bool folder;
    };
    void addExcluded(const FolderHandle& folder, std::string_view name, bool isFolder, std::string_view rule);
    std::int64_t excludedFolders() const { return m_excludedFolders; }
    std::int64_t excludedFiles() const { return m_excludedFiles; }
    std::int64_t excluded() const { return m_excludedFolders + m_excludedFiles; }
    const std::vector<Excluded>& excludedKept() const { return m_excludedKept; }

private:
    void add(const FolderHandle& folder, std::string_view name, int error, bool isFolder);

    std::int64_t m_folders = 0;
    std::int64_t m_files = 0;
    std::vector<Entry> m_kept;
    std::size_t m_keptBytes = 0;
    std::function<void(const std::string&, int)> m_reporter;
    std::int64_t m_excludedFolders = 0;
    std::int64_t m_excludedFiles = 0;
    std::vector<Excluded> m_excludedKept;
    std::size_t m_excludedBytes = 0;
};

// "2 folders and 5 files could not be read" (the parts that are not 0); "" when nothing was skipped.
QString SkippedSummaryText(const SkippedEntries& skipped);
// One line per kept entry, "<path>: <reason>" (a folder's path ends in "/"), and a last line
// "... and N more" when some were counted only.
QStringList SkippedLines(const SkippedEntries& skipped);
// "12 excluded"; "" when nothing was.
QString ExcludedSummaryText(const SkippedEntries& skipped);
// One line per kept exclusion, "<path>: excluded by <rule>" (a folder's path ends in "/"), and a last
// line "... and N more" when some were counted only.
QStringList ExcludedLines(const SkippedEntries& skipped);
