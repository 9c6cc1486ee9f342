// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "common/StringGridModel.h"
#include "common/WalkReport.h"
#include "platform/ListedEntry.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class SearchPathList;

enum class SizeRange { LargerOrEqual, SmallerOrEqual, Between };

// The user's choices for one scan.
struct DupScanCriteria {
    bool dupMode = true;  // true: duplicates; false: file hogs
    SizeRange range = SizeRange::LargerOrEqual;
    std::int64_t limit1K = 250;  // first size limit in K (1 K = 1024 bytes)
    std::int64_t limit2K = 250;  // second size limit in K ("In between" only)
    // The same limits to the byte where a whole K cannot say them (the command line's "1.5K");
    // -1: the limits in K apply.
    std::int64_t limit1Bytes = -1;
    std::int64_t limit2Bytes = -1;
    QString pattern = QStringLiteral("*.*"); // wildcard pattern(s), ";"-separated
};

class ScanReplay;

// A result's figures as numbers, for output that programs read (the lines hold them as texts).
struct DupResultFacts {
    std::string_view name;          // exact bytes; valid while the engine is unchanged
    std::int64_t size = 0;          // bytes
    std::uint64_t modifiedNs = 0;   // the last write to the nanosecond (NanosecondStamp); 0: not known
    std::uint32_t modified = 0;     // the last write as the line shows it (packed local date-time)
    std::uint32_t accessedDate = 0; // the last access's date as the line shows it (packed, no time)
    bool searchPath = false;        // its folder is one of PATH's
    std::string_view type;          // the type name in UTF-8, as the line shows it
};

// The duplicate and file-hog scan. The window (or the command-line tool) calls begin(), then
// scanDrive() once per chosen root, then finish(); the results are then read by index in result
// order, or shown in a grid through the GridRowSource interface (key = result index).
class DupScanEngine : public GridRowSource {
public:
    static constexpr std::size_t DefaultCapacity = 100'000'000;

    // capacity: the number of candidate lines the list takes before it refuses one (the resource
    // warning is shown and the scan stops as aborted).
    explicit DupScanEngine(std::size_t capacity = DefaultCapacity);
    ~DupScanEngine() override;

    // Called after each directory entry (except the first of a listing); the window runs its event
    // loop here at most every ~15 ms. None by default.
    void setYieldHook(std::function<void()> hook);
    // The display text of the folder being walked (for the status panel), made when asked: from a
    // hook while a scan runs; empty between scans.
    QString walkStatus() const;
    // The folders that could not be opened or read and the files whose statistics could not be
    // read (mount points are not entered by design and are none of them); cleared by begin(). Its
    // reporter hears of each at once.
    SkippedEntries& skipped();
    const SkippedEntries& skipped() const;
    // The search-path folders to flag; SearchPathList::global() by default.
    void setSearchPath(const SearchPathList* list);

    // scan step 1: clears the candidate and result lists and the abort flag, takes the criteria.
    void begin(const DupScanCriteria& criteria);
    // scan_dir from a drive root (mount point or folder), staying on its filesystem. Returns false
    // when the root itself cannot be opened ("Can't open drive "); the caller reports that.
    bool scanDrive(const std::string& rootPath);
    // The same for a saved scan, read instead of the disk. False when its top folder was not read in
    // the scan, or the file is no valid scan (scan.failed()).
    bool scanSaved(ScanReplay& scan);
    // addDups(exact) in duplicates mode, reSort in file-hog mode; fills the result list. Only the
    // results are kept from then on.
    void finish(bool exact);

    void abort();                // btAbortClick: the walk unwinds at its next test
    bool aborted() const;
    const DupScanCriteria& criteria() const;

    // Progress while walking: files whose statistics were read, folders entered.
    std::int64_t filesSeen() const;
    std::int64_t foldersSeen() const;
    // Files in the candidate list (also after finish()), and the bytes the records take (for
    // measurements).
    std::size_t candidateCount() const;
    std::size_t memoryBytes() const;

    // Results, in result order (the grid's scan order and the clipboard order).
    std::size_t resultCount() const;
    QString resultLine(std::size_t index) const;      // the record line (tab-separated fields)
    std::string resultPath(std::size_t index) const;  // exact bytes of the file's path
    // The file as listed: its root as walked, its folder below the root, name, identities, size and
    // the packed write time its line shows. What a delete needs to reach it and check it.
    ListedEntry resultEntry(std::size_t index) const;
    // Duplicates mode: where each run of equal names (names and sizes in K after an exact scan)
    // begins, in result order; the last run ends at resultCount().
    std::vector<std::uint32_t> resultRunStarts() const;
    std::int64_t resultSize(std::size_t index) const; // bytes
    DupResultFacts resultFacts(std::size_t index) const;
    std::vector<std::uint32_t> resultKeys() const;    // 0 .. resultCount()-1, for the grid
    QStringList resultLines() const;                  // every record line, for the clipboard
    // resultLine(index) in UTF-8 appended to out, without a QString per line (the command-line tool).
    void appendResultLineUtf8(std::size_t index, std::string& out) const;
    // resultPath(index) appended to out (the command-line tool's --null).
    void appendResultPath(std::size_t index, std::string& out) const;

    // GridRowSource: field column+1 of the result line of key.
    QString cellText(std::uint32_t key, int column) const override;
    // File-hog mode: the grid's sorts from the records (DupRecordStore::hogColumnOrder); none in
    // duplicates mode, whose list is not sorted.
    std::vector<std::uint32_t> orderRows(int column, bool descending,
                                         const std::vector<std::uint32_t>& keys) const override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
