// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "common/WalkReport.h"

#include <QDate>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Files and bytes of one class, attribute or type.
struct FileCount {
    std::int64_t files = 0;
    std::int64_t bytes = 0; // the sum stops at the 64-bit maximum
};

// One line of the type table: an extension met (upper case with its dot, "" for none) and its files.
struct TypeCount {
    std::string extension;
    FileCount count;
    // The extension as the files spell it, for its type name (".c" and ".C" are different types):
    // the lower-case spelling when a file had it, else the first one met; "" means extension.
    std::string spelling;
};

// What one collection counted. Size classes are 1..9 (index 0 unused), age classes 0..9 (0: the
// file system keeps no such date).
struct FileStatistics {
    static constexpr std::size_t MaxTypes = 500;

    std::int64_t filesProcessed = 0;
    std::array<FileCount, 10> sizes{};
    std::array<FileCount, 10> accessed{};
    std::array<FileCount, 10> created{};
    std::array<FileCount, 10> modified{};
    FileCount hidden, readOnly, system, archive;
    std::vector<TypeCount> types; // in the order the extensions were first met, at most MaxTypes
    // Space the counted files really take on disk (blocks allocated), and the part of it lost to
    // rounding each file up to whole clusters (allocated minus size, where that is positive).
    std::int64_t allocatedBytes = 0;
    std::int64_t lostBytes = 0;
    bool aborted = false;
};

// The statistics collection of one drive: one walk of the one folder walker that counts every file
// of every entered folder, whatever its attributes (hidden files, links and other system entries
// with their own size); hidden folders are never entered, links never followed, mounts never
// entered. It may run on a worker thread: abort() and the progress figures are safe to use from any
// thread while collect() runs; statistics() is read after collect() has returned.
class ScanReplay;

class StatisticsCollector {
public:
    // today: the day ages are counted from (injectable for tests).
    explicit StatisticsCollector(std::function<QDate()> today = &QDate::currentDate);
    ~StatisticsCollector();

    // Clears the counters and the abort request, and walks root (a drive's mount point or any
    // folder). False when the root cannot be opened or read. An abort ends the walk at once; the
    // counters keep what was counted.
    bool collect(const std::string& root);
    // The same for a saved scan, read instead of the disk (times the scan lacks count as not
    // recorded). False when its top folder was not read in the scan, or the file is no valid scan
    // (scan.failed()).
    bool collectSaved(ScanReplay& scan);
    // Called with each folder as the walk enters it (a view of its path bytes, valid during the
    // call), on the collecting thread.
    void setFolderHook(std::function<void(std::string_view path)> hook);
    // Called after each directory entry but the first of a listing, on the collecting thread.
    void setYieldHook(std::function<void()> hook);
    // The display text of the folder being walked, made when asked: on the collecting thread, from
    // a hook; empty between collections.
    QString walkStatus() const;
    // The folders that could not be opened or read and the entries whose statistics could not be
    // read (mount points are none of them), cleared by collect(). Its reporter hears of each at once,
    // on the collecting thread; read it from another thread only after collect() has returned.
    SkippedEntries& skipped();
    const SkippedEntries& skipped() const;

    void abort();
    bool aborted() const;
    // Progress while collecting, from any thread.
    std::int64_t filesProcessed() const;
    std::int64_t bytesSoFar() const;

    const FileStatistics& statistics() const;

    // The rules, for the pages and the tests.
    static int sizeClass(std::int64_t size);        // 1..9
    static int ageClass(std::int64_t ageDays);      // 0 for no date (-1), then 1..9
    // The extension of a name: from its last "." to the end, upper case; "" without one.
    static std::string extensionOf(std::string_view name);
    // Whether an extension goes into the type table: the dot and at most four characters.
    static bool isTypeExtension(std::string_view extension);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
