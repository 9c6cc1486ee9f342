// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "common/StringGridModel.h"
#include "common/WalkReport.h"
#include "platform/ListedEntry.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Which time of a file the range test looks at (the order of the window's choices).
enum class DateKind { Accessed, Created, Modified };
// The kind of range (the order of the window's choices).
enum class DateRange { OnOrBefore, Between, OnOrAfter };

struct DateScanCriteria {
    DateKind kind = DateKind::Accessed;
    DateRange range = DateRange::Between;
    QDate start;                              // the only date of OnOrBefore and OnOrAfter
    QDate end;                                // the second date of Between
    QString pattern = QStringLiteral("*.*");  // wildcard pattern(s), ";"-separated
};

class ScanReplay;

// A found file's times as numbers and its name and type as bytes, for output that programs read.
struct DateResultFacts {
    std::string_view name;        // exact bytes; valid while the engine is unchanged
    std::int64_t size = 0;
    std::uint32_t created = 0;    // packed local date-times as the line shows them; 0: none
    std::uint32_t accessed = 0;
    std::uint32_t modified = 0;
    std::uint64_t modifiedNs = 0; // the last write to the nanosecond (NanosecondStamp); 0: not known
    std::string_view type;        // the type name in UTF-8, as the line shows it
};

// The date-range scan. The window (or the command-line tool) calls begin(), then scanDrive() once
// per chosen root; files are found in walk order (a folder's files after those of the folders
// below it) and each is announced by the found hook as it is found, so rows can appear while the
// walk runs. Results are read by index (= grid key). The engine is a visitor of the one walker:
// hidden and system entries are never listed, hidden folders never entered, links never followed,
// mounts never entered.
//
// A result line: name (case kept), created, accessed and modified
// date texts, folder path, type name. The grid shows name, accessed, created, modified, folder,
// type. A time that is not kept (a filesystem without birth times) or outside the packed dates'
// years 1980-2107 is 0: an empty date, found only by OnOrBefore.
class DateRangeEngine : public GridRowSource {
public:
    static constexpr std::size_t DefaultCapacity = 100'000'000;

    // capacity: the number of results taken before the next is refused (the resource warning is
    // shown and the scan stops as aborted).
    explicit DateRangeEngine(std::size_t capacity = DefaultCapacity);
    ~DateRangeEngine() override;

    void setYieldHook(std::function<void()> hook);
    // The display text of the folder being walked (for the status panel), made when asked: from a
    // hook while a scan runs; empty between scans.
    QString walkStatus() const;
    // The folders that could not be opened or read and the files whose statistics could not be
    // read (mount points are none of them); cleared by begin(). Its reporter hears of each at once.
    SkippedEntries& skipped();
    const SkippedEntries& skipped() const;
    // Each file found, with its result index, at once.
    void setFoundHook(std::function<void(std::uint32_t index)> hook);

    // Starts a scan: clears the results and the abort flag, takes the criteria.
    void begin(const DateScanCriteria& criteria);
    // New choices while a scan runs: the kind and range apply from the next file on, the pattern
    // from the next folder on (the dates are not changed during a scan).
    void updateCriteria(const DateScanCriteria& criteria);
    // Walks one root, staying on its filesystem. False when the root cannot be opened or read
    // ("Can't open drive "); the caller reports that.
    bool scanDrive(const std::string& rootPath);
    // The same for a saved scan, read instead of the disk (a time the scan lacks is no date). False
    // when its top folder was not read in the scan, or the file is no valid scan (scan.failed()).
    bool scanSaved(ScanReplay& scan);

    void abort();
    bool aborted() const;
    const DateScanCriteria& criteria() const;
    std::int64_t filesSeen() const;

    // The range test on a packed date-time: whole days, both ends included; 0 passes only
    // OnOrBefore; a value that is not a real date and time counts as 1 January 1980.
    static bool inDateRange(std::uint32_t packed, const DateScanCriteria& criteria);

    // Results in walk order.
    std::size_t resultCount() const;
    QString resultLine(std::size_t index) const;
    QStringList resultLines() const;
    void appendResultLineUtf8(std::size_t index, std::string& out) const;
    void appendResultPath(std::size_t index, std::string& out) const;
    std::string resultPath(std::size_t index) const;   // exact bytes
    std::int64_t resultSize(std::size_t index) const;  // bytes when found
    DateResultFacts resultFacts(std::size_t index) const;
    // The file as the scan saw it (device, inode, size, modification time), for marks and deletes.
    ListedEntry resultEntry(std::size_t index) const;

    // GridRowSource: the grid's column (0 name, 1 accessed, 2 created, 3 modified, 4 folder, 5 type).
    QString cellText(std::uint32_t key, int column) const override;
    // The grid's sorts from the records: names and folders as their shown texts (ASCII case
    // ignored), dates as points in time, types by their names; ties in a descending order by the
    // newest modification first, then by name, then by folder (the folder column: by folder, then
    // name), ascending whatever the direction, then in walk order.
    std::vector<std::uint32_t> orderRows(int column, bool descending,
                                         const std::vector<std::uint32_t>& keys) const override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
