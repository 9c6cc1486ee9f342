// SPDX-License-Identifier: GPL-3.0-or-later
#include "stats/StatisticsCollector.h"

#include "common/DisplayText.h"
#include "common/FileTimePacker.h"
#include "common/SaturatingSum.h"
#include "platform/FolderWalker.h"
#include "scans/ScanReplay.h"

#include <cerrno>
#include <cstdlib>
#include <unordered_map>

namespace {

void add(FileCount& count, std::int64_t size) {
    ++count.files;
    count.bytes = SaturatingAdd(count.bytes, size);
}

struct TransparentHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>()(s); }
};

constexpr int kUnknownClass = -2;

// The extension as the name spells it: from its last "." to the end; "" without one.
std::string_view OwnExtension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

bool HasNoAsciiCapital(std::string_view text) {
    for (char c : text)
        if (c >= 'A' && c <= 'Z')
            return false;
    return true;
}

} // namespace

struct StatisticsCollector::Impl final : FolderVisitor {
    std::function<QDate()> today;
    std::function<void(std::string_view)> folderHook;
    std::function<void()> yieldHook;
    SkippedEntries skipped;
    std::atomic<bool> abortRequested{false};
    std::atomic<std::int64_t> files{0};
    std::atomic<std::int64_t> bytes{0};

    FileStatistics stats;
    FolderWalker walker;
    ScanReplay* replay = nullptr; // the saved scan being read instead of the disk
    FileTimePacker packer;
    std::unordered_map<std::string, std::size_t, TransparentHash, std::equal_to<>> typeIndex;
    // The age class of each packed date word, worked out once: a drive holds millions of files
    // but only thousands of distinct days.
    std::vector<std::int8_t> classOfDay;
    qint64 todayJulian = 0;

    // Clears the counters and the abort request for a new collection.
    void start();

    int ageClassOf(std::uint32_t packed) {
        if (packed == 0)
            return 0;
        const std::uint32_t dateWord = packed >> 16;
        std::int8_t& known = classOfDay[dateWord];
        if (known == kUnknownClass) {
            const int year = int(dateWord >> 9) + 1980;
            const int month = int((dateWord >> 5) & 0x0F);
            const int day = int(dateWord & 0x1F);
            QDate date(year, month, day);
            if (!date.isValid())
                date = QDate(1980, 1, 1); // a date that does not convert
            known = std::int8_t(ageClass(std::llabs(todayJulian - date.toJulianDay())));
        }
        return known;
    }

    // FolderVisitor
    bool shouldStop() override { return abortRequested.load(std::memory_order_relaxed); }
    bool wantsEveryEntry() override { return true; }
    bool wantsCreationTime() override { return true; }
    void enterFolder(const FolderHandle& folder) override {
        if (folderHook)
            folderHook(folder.path());
    }
    void yield() override {
        if (yieldHook)
            yieldHook();
    }
    void file(const FolderHandle&, const FsEntry& entry) override {
        const std::int64_t size = entry.size;
        if (entry.attributes & faHidden)
            add(stats.hidden, size);
        if (entry.attributes & faReadOnly)
            add(stats.readOnly, size);
        if (entry.attributes & faSystem)
            add(stats.system, size);
        // Linux keeps no archive attribute: that counter stays empty.

        add(stats.accessed[std::size_t(ageClassOf(packer.pack(entry.lastAccess)))], size);
        add(stats.created[std::size_t(entry.hasCreation ? ageClassOf(packer.pack(entry.creation)) : 0)], size);
        add(stats.modified[std::size_t(ageClassOf(packer.pack(entry.lastWrite)))], size);

        const std::string_view own = OwnExtension(entry.name);
        const std::string extension = FoldAscii(own);
        if (isTypeExtension(extension)) {
            auto it = typeIndex.find(extension);
            if (it != typeIndex.end()) {
                TypeCount& type = stats.types[it->second];
                add(type.count, size);
                if (type.spelling != own && HasNoAsciiCapital(own))
                    type.spelling = own;
            } else if (stats.types.size() < FileStatistics::MaxTypes) {
                typeIndex.emplace(extension, stats.types.size());
                stats.types.push_back({extension, {}, std::string(own)});
                add(stats.types.back().count, size);
            }
        }
        add(stats.sizes[std::size_t(sizeClass(size))], size);
        // A sparse file takes less than its size: it loses nothing to rounding.
        stats.allocatedBytes = SaturatingAdd(stats.allocatedBytes, entry.allocated);
        if (entry.allocated > size)
            stats.lostBytes = SaturatingAdd(stats.lostBytes, entry.allocated - size);

        ++stats.filesProcessed;
        files.store(stats.filesProcessed, std::memory_order_relaxed);
        bytes.store(SaturatingAdd(bytes.load(std::memory_order_relaxed), size), std::memory_order_relaxed);
    }
    void folderSkipped(const FolderHandle& folder, std::string_view name, int error) override {
        skipped.addFolder(folder, name, error);
    }
    void entrySkipped(const FolderHandle& folder, std::string_view name, int error) override {
        skipped.addEntry(folder, name, error);
    }
    void entryExcluded(const FolderHandle& folder, std::string_view name, bool isFolder, std::string_view rule) override {
        skipped.addExcluded(folder, name, isFolder, rule);
    }
};

StatisticsCollector::StatisticsCollector(std::function<QDate()> today) : d(std::make_unique<Impl>()) {
    d->today = std::move(today);
}

StatisticsCollector::~StatisticsCollector() = default;

bool StatisticsCollector::collect(const std::string& root) {
    d->start();
    const bool walked = d->walker.walk(root, *d);
    d->stats.aborted = d->abortRequested.load();
    return walked;
}

bool StatisticsCollector::collectSaved(ScanReplay& scan) {
    d->start();
    d->replay = &scan;
    const bool walked = scan.replay(*d);
    d->replay = nullptr;
    d->stats.aborted = d->abortRequested.load();
    return walked;
}

void StatisticsCollector::Impl::start() {
    Impl* d = this;
    d->stats = {};
    d->abortRequested.store(false);
    d->typeIndex.clear();
    d->classOfDay.assign(std::size_t(1) << 16, std::int8_t(kUnknownClass));
    d->todayJulian = (d->today ? d->today() : QDate::currentDate()).toJulianDay();
    d->packer = FileTimePacker();
    d->files.store(0);
    d->bytes.store(0);
    d->walker.reset();
    d->skipped.clear();
}

void StatisticsCollector::setFolderHook(std::function<void(std::string_view)> hook) {
    d->folderHook = std::move(hook);
}

void StatisticsCollector::setYieldHook(std::function<void()> hook) {
    d->yieldHook = std::move(hook);
}
QString StatisticsCollector::walkStatus() const {
    return WalkStatusText(d->replay ? d->replay->currentPath() : d->walker.currentPath());
}
SkippedEntries& StatisticsCollector::skipped() {
    return d->skipped;
}
const SkippedEntries& StatisticsCollector::skipped() const {
    return d->skipped;
}

void StatisticsCollector::abort() { d->abortRequested.store(true); }
bool StatisticsCollector::aborted() const { return d->abortRequested.load(); }
std::int64_t StatisticsCollector::filesProcessed() const { return d->files.load(std::memory_order_relaxed); }
std::int64_t StatisticsCollector::bytesSoFar() const { return d->bytes.load(std::memory_order_relaxed); }
const FileStatistics& StatisticsCollector::statistics() const { return d->stats; }

int StatisticsCollector::sizeClass(std::int64_t size) {
    static constexpr std::int64_t upper[] = {16'384, 32'768, 131'072, 1'048'576, 2'097'152, 4'194'304, 8'388'608,
                                             16'777'216};
    for (int i = 0; i < 8; ++i)
        if (size <= upper[i])
            return i + 1;
    return 9;
}

int StatisticsCollector::ageClass(std::int64_t ageDays) {
    if (ageDays < 0)
        return 0;
    static constexpr std::int64_t upper[] = {7, 30, 60, 90, 120, 365, 730, 1095};
    for (int i = 0; i < 8; ++i)
        if (ageDays <= upper[i])
            return i + 1;
    return 9;
}

std::string StatisticsCollector::extensionOf(std::string_view name) {
    return FoldAscii(OwnExtension(name));
}

bool StatisticsCollector::isTypeExtension(std::string_view extension) {
    // Characters, not bytes: a dot and at most four letters of any script.
    int characters = 0;
    for (char c : extension)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++characters;
    return characters <= 5;
}
