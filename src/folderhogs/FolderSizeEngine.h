// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "common/StringGridModel.h"
#include "common/WalkReport.h"
#include "platform/ListedEntry.h"

#include <QLocale>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class FolderVisitor;
class ScanReplay;

// A folder line's figures as numbers, for output that programs read.
struct FolderResultFigures {
    std::int64_t bytes = 0;
    std::int64_t files = 0;
    std::int64_t subFolders = 0;
    std::uint32_t latestAccess = 0; // packed local date-time; 0: none
    std::int64_t driveTotal = -1;   // bytes of its file system; -1: unknown
    bool unread = false;            // the folder could not be opened or listed: no figures
    bool partial = false;           // something inside could not be read
};

enum class FolderScanMode {
    Main, // one line per folder directly under a root, covering everything below it
    All,  // one line per folder at every depth (the root included), covering its own files only
};

// The folder size scan. The window (or the command-line tool) calls begin(), then scanDrive() once
// per chosen root, then finish(); the folder lines are then read by index in result order (largest
// first), or shown in a grid through GridRowSource (key = result index, columns 0..5 = the line's
// six fields). The engine is a visitor of the one folder walker: hidden folders and mounts are never
// entered, links never followed, and a folder reached twice is measured once.
//
// A folder line: size text ("%7d K", below 1 K "      0.N K"), percent of the drive total ("#0.00",
// "???" when the folder's bytes are not below it or it is unknown), files, sub-folders, latest access
// date, path. Sizes and counts are 64-bit; the order is by byte total, largest first, equal totals by
// their figures as numbers (a folder that could not be read, then more files, more sub-folders, the
// newest access date first), then by path in ascending order (ASCII case ignored).
//
// What could not be read is marked, never shown as empty: a folder that could not be opened or
// listed reads "      ? K", "???", "?", "?", no date; a line that misses something inside it that
// could not be read (an entry's statistics, a folder below a main folder) has "?" after its file
// count ("3?"). The fields stay six, tab-separated.
class FolderSizeEngine : public GridRowSource {
public:
    static constexpr std::size_t DefaultCapacity = 50'000'000;

    // capacity: the number of folder lines taken before the next one is refused (the resource
    // warning is shown and the scan stops as aborted).
    explicit FolderSizeEngine(std::size_t capacity = DefaultCapacity);
    ~FolderSizeEngine() override;

    // Called after each directory entry (except the first of a listing); the window runs its event
    // loop there. None by default.
    void setYieldHook(std::function<void()> hook);
    // The display text of the folder being walked (for the status panel), made when asked: from a
    // hook while a scan runs; empty between scans.
    QString walkStatus() const;
    // The folders that could not be opened or read and the entries whose statistics could not be
    // read (mount points are none of them); cleared by begin(). Its reporter hears of each at once.
    // The scan goes on.
    SkippedEntries& skipped();
    const SkippedEntries& skipped() const;

    // Starts a scan: clears every line and the abort flag.
    void begin(FolderScanMode mode);
    // Walks one root (a drive's mount point or any folder), staying on its filesystem. The drive
    // total is that filesystem's size. False when the root cannot be opened or read ("Can't open
    // drive "); the caller reports that.
    bool scanDrive(const std::string& rootPath);
    // The same for a saved scan, read instead of the disk; the drive total is not known (percents
    // read "???"). False when its top folder was not read in the scan, or the file is no valid scan
    // (scan.failed()).
    bool scanSaved(ScanReplay& scan);
    // A second visitor that sees the same walk (a snapshot written while the scan runs); it must ask
    // the walk for what this engine asks (every entry, no hidden folders). nullptr: none.
    void setCompanion(FolderVisitor* companion);
    // Puts the lines in result order.
    void finish();

    void abort(); // the walk unwinds at its next test; lines already made stay
    bool aborted() const;
    FolderScanMode mode() const;

    // Progress: folders entered, entries counted.
    std::int64_t foldersSeen() const;
    std::int64_t entriesSeen() const;
    // Bytes the lines and their folders take (for measurements).
    std::size_t memoryBytes() const;

    // Results in result order.
    std::size_t resultCount() const;
    QString resultLine(std::size_t index) const;
    QStringList resultLines() const;
    // resultLine(index) in UTF-8 appended to out (the command-line tool), its decimal point always
    // ".": scripts read it whatever the locale.
    void appendResultLineUtf8(std::size_t index, std::string& out) const;
    std::string resultPath(std::size_t index) const;   // exact bytes of the folder's path
    void appendResultPath(std::size_t index, std::string& out) const;
    std::int64_t resultBytes(std::size_t index) const; // the folder's byte total
    // True for the line of a walked root (All mode): a drive's root folder.
    bool resultIsRoot(std::size_t index) const;
    // True for the line of a folder that could not be opened or listed: its figures are unknown.
    bool resultIsUnread(std::size_t index) const;
    FolderResultFigures resultFigures(std::size_t index) const;
    // The folder as the scan saw it, for a delete: reached from its root, checked by identity.
    ListedEntry resultEntry(std::size_t index) const;
    // The keys of the lines in result order (all of them after a scan; after a refresh the lines
    // that are not gone).
    std::vector<std::uint32_t> resultKeys() const;

    // Refresh: walks the folder of line key again, alone, and puts what it finds in the place of what
    // the scan found there: its line (Main mode: with everything below it; All mode: with its own
    // files, and the lines of every folder below it made again). The folder is reached from its root
    // through folder handles, never through a link; one that is gone, or is now a link, a file or a
    // mount, loses its line (and in All mode the line above counts a sub-folder less). Lines replaced
    // stay readable by their keys but are gone (resultIsGone) and out of resultKeys(), whose order
    // the new lines join. Returns the key of the folder's new line, or NoLine when it has none.
    static constexpr std::uint32_t NoLine = 0xFFFFFFFF;
    std::uint32_t refreshFolder(std::uint32_t key);
    bool resultIsGone(std::uint32_t key) const;

    // GridRowSource: field column+1 of the line of key.
    QString cellText(std::uint32_t key, int column) const override;
    // The grid's sorts from the lines' figures: sizes (equal ones in result order), counts (an
    // unread folder's below every count), the latest access date, the path; ties in a descending
    // order by the newest access first, then by path, then in result order.
    std::vector<std::uint32_t> orderRows(int column, bool descending,
                                         const std::vector<std::uint32_t>& keys) const override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The size text of a folder's byte total, without " K": K right-aligned in seven characters, from
// seven digits on unpadded; below 1 K "      0." and the tenths digit (bytes div 103, at least 1 for
// a non-empty total).
QString FolderSizeText(std::int64_t bytes);
// The percent text: bytes / driveTotal * 100 with two decimals in the locale (the default one), or
// "???" when bytes is not below driveTotal (a total of -1 is unknown).
QString FolderPercentText(std::int64_t bytes, std::int64_t driveTotal, const QLocale& locale = QLocale());
