// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dup/DupScanEngine.h"

#include "common/DisplayText.h"
#include "common/FileTimePacker.h"
#include "common/MessageService.h"
#include "common/SearchPathList.h"
#include "finders/dup/DupRecordStore.h"
#include "platform/FolderWalker.h"
#include "scans/ScanReplay.h"
#include "platform/FreedMemory.h"
#include "platform/Wildcard.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace {

const QString kListFull = QStringLiteral("Due to resource limitations ... cannot process any more files.\n\n"
                                         "Try increasing the file size limits or file match and re-scan.");

std::int64_t limitBytes(std::int64_t k) {
    constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max() / 1024;
    return k > most ? std::numeric_limits<std::int64_t>::max() : k * 1024;
}

} // namespace

struct DupScanEngine::Impl final : FolderVisitor {
    std::size_t capacity;
    std::function<void()> yieldHook;
    const SearchPathList* searchPath = nullptr;
    // Paths longer than this many bytes cannot show as a search-path folder (a UTF-16 unit takes
    // at most three of them): they are not turned into texts to be compared.
    std::size_t searchPathBytes = 0;
    SkippedEntries skipped;

    DupScanCriteria criteria;
    WildcardPattern pattern;
    std::int64_t low = 0;
    std::int64_t high = 0;
    bool abortScan = false;
    bool folderAdded = false; // the folder of the current file pass is in the store
    bool rootPending = false; // the next folder entered is a root given to scanDrive
    bool exact = false;       // the last finish() kept runs of equal names and sizes
    std::int64_t files = 0;
    std::int64_t folders = 0;

    FolderWalker walker;
    ScanReplay* replay = nullptr; // the saved scan being read instead of the disk
    DupRecordStore store;
    FileTimePacker packer;
    // After finish() the store lists the results: result i is record store.result(i).
    std::size_t results = 0;
    bool finished = false;

    explicit Impl(std::size_t cap) : capacity(cap) {}

    const SearchPathList& searchList() const { return searchPath ? *searchPath : SearchPathList::global(); }
    // The search path's longest entry, taken at each root, so a list changed between scans is seen.
    void measureSearchPath() {
        searchPathBytes = 0;
        for (const QString& entry : searchList().entries())
            searchPathBytes = std::max(searchPathBytes, std::size_t(entry.size()) * 3);
    }

    bool passes(std::int64_t size) const {
        switch (criteria.range) {
        case SizeRange::LargerOrEqual:
            return low <= size;
        case SizeRange::SmallerOrEqual:
            return size <= low;
        case SizeRange::Between:
            return low <= size && size <= high;
        }
        return false;
    }

    // The list refuses the line: the line is lost and the scan ends as if aborted.
    void refuse() {
        abortScan = true;
        ShowWarningMessage(kListFull);
    }

    // FolderVisitor
    bool shouldStop() override { return abortScan; }
    void enterFolder(const FolderHandle& folder) override {
        if (rootPending) {
            // Files are reached again later from the root as it was opened, so it is kept as such.
            rootPending = false;
            if (!store.addRoot(folder.path(), folder.identity()))
                refuse();
        } else {
            store.enterFolder(folder.name(), folder.identity());
        }
        ++folders;
    }
    void leaveFolder(const FolderHandle&) override { store.leaveFolder(); }
    void yield() override {
        if (yieldHook)
            yieldHook();
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
    void beginFiles(const FolderHandle&) override { folderAdded = false; }
    bool wantsFile(std::string_view name) override { return pattern.matches(name); }
    std::function<bool(std::string_view)> fileFilter() override {
        if (pattern.matchesEverything())
            return {};
        return [copy = pattern](std::string_view name) { return copy.matches(name); };
    }
    bool wantsCreationTime() override { return false; } // lines show write and access times only
    void file(const FolderHandle& folder, const FsEntry& entry) override {
        ++files;
        if (!passes(entry.size))
            return;
        if (store.size() >= capacity) {
            refuse();
            return;
        }
        if (!folderAdded) {
            const std::string_view path = folder.path();
            const bool marked =
                path.size() <= searchPathBytes && searchList().IsSearchPathFolder(DisplayText(path));
            if (!store.useWalkFolder(marked)) {
                refuse();
                return;
            }
            folderAdded = true;
        }
        if (!store.add(entry.name, entry.size, entry.inode, packer.pack(entry.lastWrite),
                       packer.pack(entry.lastAccess), NanosecondStamp(entry.lastWrite),
                       ChangeFold(entry.lastChange)))
            refuse();
    }
};

DupScanEngine::DupScanEngine(std::size_t capacity) : d(std::make_unique<Impl>(capacity)) {}
DupScanEngine::~DupScanEngine() {
    d.reset();
    ReturnFreedMemory(); // a big scan's memory goes back to the system with the window
}

void DupScanEngine::setYieldHook(std::function<void()> hook) { d->yieldHook = std::move(hook); }
QString DupScanEngine::walkStatus() const {
    return WalkStatusText(d->replay ? d->replay->currentPath() : d->walker.currentPath());
}
SkippedEntries& DupScanEngine::skipped() {
    return d->skipped;
}
const SkippedEntries& DupScanEngine::skipped() const {
    return d->skipped;
}
void DupScanEngine::setSearchPath(const SearchPathList* list) { d->searchPath = list; }

void DupScanEngine::begin(const DupScanCriteria& criteria) {
    d->criteria = criteria;
    d->pattern = WildcardPattern(criteria.pattern);
    d->low = criteria.limit1Bytes >= 0 ? criteria.limit1Bytes : limitBytes(criteria.limit1K);
    d->high = criteria.limit2Bytes >= 0 ? criteria.limit2Bytes : limitBytes(criteria.limit2K);
    d->abortScan = false;
    d->files = 0;
    d->folders = 0;
    d->walker.reset();
    d->skipped.clear();
    d->store.clear();
    ReturnFreedMemory();
    d->results = 0;
    d->finished = false;
    d->packer = FileTimePacker();
}

bool DupScanEngine::scanDrive(const std::string& rootPath) {
    if (d->abortScan)
        return true;
    d->rootPending = true;
    d->measureSearchPath();
    const bool opened = d->walker.walk(rootPath, *d);
    d->rootPending = false;
    return opened;
}

bool DupScanEngine::scanSaved(ScanReplay& scan) {
    if (d->abortScan)
        return true;
    d->rootPending = true;
    d->measureSearchPath();
    d->replay = &scan;
    const bool opened = scan.replay(*d);
    d->replay = nullptr;
    d->rootPending = false;
    return opened;
}

void DupScanEngine::finish(bool exact) {
    d->finished = true;
    d->store.setResults({}); // the order's arrays take its place
    // reSort, or addDups: every run of two or more equal keys of the candidate list, in list order.
    d->store.setResults(d->criteria.dupMode ? d->store.duplicateOrder(exact) : d->store.hogOrder());
    d->results = d->store.resultCount();
    d->exact = exact;
}

std::vector<std::uint32_t> DupScanEngine::resultRunStarts() const {
    std::vector<std::uint32_t> starts;
    if (!d->criteria.dupMode)
        return starts;
    for (std::size_t i = 0; i < d->results; ++i)
        if (i == 0 || !d->store.sameKey(d->store.result(i - 1), d->store.result(i), d->exact))
            starts.push_back(std::uint32_t(i));
    return starts;
}

void DupScanEngine::abort() { d->abortScan = true; }
bool DupScanEngine::aborted() const { return d->abortScan; }
const DupScanCriteria& DupScanEngine::criteria() const { return d->criteria; }

std::int64_t DupScanEngine::filesSeen() const { return d->files; }
std::int64_t DupScanEngine::foldersSeen() const { return d->folders; }
std::size_t DupScanEngine::candidateCount() const { return d->store.size(); }
std::size_t DupScanEngine::memoryBytes() const { return d->store.memoryBytes(); }

std::size_t DupScanEngine::resultCount() const { return d->results; }

QString DupScanEngine::resultLine(std::size_t index) const {
    return index < d->results ? d->store.line(d->store.result(index), d->criteria.dupMode) : QString();
}

std::string DupScanEngine::resultPath(std::size_t index) const {
    return index < d->results ? d->store.path(d->store.result(index)) : std::string();
}

ListedEntry DupScanEngine::resultEntry(std::size_t index) const {
    return index < d->results ? d->store.entry(d->store.result(index)) : ListedEntry();
}

std::int64_t DupScanEngine::resultSize(std::size_t index) const {
    return index < d->results ? d->store.fileSize(d->store.result(index)) : 0;
}

DupResultFacts DupScanEngine::resultFacts(std::size_t index) const {
    if (index >= d->results)
        return {};
    const std::size_t r = d->store.result(index);
    return {d->store.name(r),         d->store.fileSize(r),      d->store.modifiedNs(r), d->store.modifiedPacked(r),
            d->store.accessedPacked(r), d->store.inSearchPath(r), d->store.typeUtf8(r)};
}

std::vector<std::uint32_t> DupScanEngine::resultKeys() const {
    std::vector<std::uint32_t> keys(d->results);
    std::iota(keys.begin(), keys.end(), 0u);
    return keys;
}

QStringList DupScanEngine::resultLines() const {
    QStringList lines;
    lines.reserve(qsizetype(d->results));
    for (std::size_t i = 0; i < d->results; ++i)
        lines.append(resultLine(i));
    return lines;
}

void DupScanEngine::appendResultLineUtf8(std::size_t index, std::string& out) const {
    if (index >= d->results)
        return;
    d->store.prefetchResult(index + 16);
    d->store.appendLine(d->store.result(index), d->criteria.dupMode, out);
}

void DupScanEngine::appendResultPath(std::size_t index, std::string& out) const {
    if (index < d->results)
        d->store.appendPath(d->store.result(index), out);
}

QString DupScanEngine::cellText(std::uint32_t key, int column) const {
    if (key >= d->results)
        return {};
    return d->store.field(d->store.result(key), column + 1, d->criteria.dupMode);
}

std::vector<std::uint32_t> DupScanEngine::orderRows(int column, bool descending,
                                                    const std::vector<std::uint32_t>& keys) const {
    if (d->criteria.dupMode || column < 0 || column >= DupRecordStore::fieldCount(false))
        return {};
    // Keys are results; the store orders records. Each record is listed at most once.
    constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> positionOf(d->store.size(), kNone);
    std::vector<std::uint32_t> records;
    records.reserve(keys.size());
    for (std::size_t k = 0; k < keys.size(); ++k) {
        if (keys[k] >= d->results || positionOf[d->store.result(keys[k])] != kNone)
            return {};
        positionOf[d->store.result(keys[k])] = std::uint32_t(k);
        records.push_back(d->store.result(keys[k]));
    }
    std::vector<std::uint32_t> order = d->store.hogColumnOrder(std::move(records), column, descending);
    for (std::uint32_t& i : order)
        i = positionOf[i];
    return order;
}
