// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/daterange/DateRangeEngine.h"

#include "common/DisplayText.h"
#include "common/DosDateTime.h"
#include "common/FileDateTimeTexts.h"
#include "common/FileTimePacker.h"
#include "common/GrowingArray.h"
#include "common/MessageService.h"
#include "common/RowOrder.h"
#include "common/ScanPlaces.h"
#include "platform/FileTypes.h"
#include "platform/FolderWalker.h"
#include "scans/ScanReplay.h"
#include "platform/FreedMemory.h"
#include "platform/Wildcard.h"

#include <algorithm>
#include <cerrno>
#include <numeric>
#include <unordered_map>

namespace {

const QString kListFull = QStringLiteral("Resource limit reached ... cannot process any more files.\n"
                                         "Try decreasing the file date range.");

// One file found, kept compact: its folder once in the scan's places (the files of a folder are
// found one after the other, so the folder is noted once per run of them), its name in one arena
// (it ends where the next record's begins), times packed; its type follows from its extension.
// Packed to 4-byte alignment, so the change fold costs its 4 bytes and no padding.
struct [[gnu::packed, gnu::aligned(4)]] DateRecord {
    std::int64_t size;
    std::uint64_t inode;
    std::uint64_t modifiedNs; // the last write to the nanosecond, for telling the file unchanged
    std::uint32_t nameOffset;
    std::uint32_t created;
    std::uint32_t accessed;
    std::uint32_t modified;
    std::uint32_t changeFold; // ChangeFold of the change time, for the same
};
static_assert(sizeof(DateRecord) == 44, "a found file stays at 44 bytes besides its name");

std::string_view extensionOf(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

// A whole day as a number that orders like the date: year, month, day.
int dayKey(int year, int month, int day) { return (year * 16 + month) * 32 + day; }
int dayKey(const QDate& d) { return dayKey(d.year(), d.month(), d.day()); }

struct TransparentHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>()(s); }
};

} // namespace

namespace {

// The range test with the criteria's days worked out once, not for every file.
struct DayRange {
    DateRange range = DateRange::Between;
    bool valid = false;
    int start = 0;
    int end = 0;

    explicit DayRange(const DateScanCriteria& c)
        : range(c.range), valid(c.start.isValid() && (c.range != DateRange::Between || c.end.isValid())),
          start(c.start.isValid() ? dayKey(c.start) : 0), end(c.end.isValid() ? dayKey(c.end) : 0) {}

    bool contains(std::uint32_t packed) const {
        if (packed == 0)
            return range == DateRange::OnOrBefore;
        if (!valid)
            return false;
        // A packed value that is no real date and time shows, and so counts, as 1 January 1980.
        int day = dayKey(1980, 1, 1);
        if (FileDateTimeTexts::dateWordValid(packed) && FileDateTimeTexts::timeWordValid(packed))
            day = dayKey(int(packed >> 25) + 1980, int((packed >> 21) & 0x0F), int((packed >> 16) & 0x1F));
        switch (range) {
        case DateRange::OnOrBefore:
            return day <= start;
        case DateRange::OnOrAfter:
            return day >= start;
        case DateRange::Between:
            return day >= start && day <= end;
        }
        return false;
    }
};

} // namespace

bool DateRangeEngine::inDateRange(std::uint32_t packed, const DateScanCriteria& criteria) {
    return DayRange(criteria).contains(packed);
}

struct DateRangeEngine::Impl final : FolderVisitor {
    std::size_t capacity;
    std::function<void()> yieldHook;
    std::function<void(std::uint32_t)> foundHook;
    SkippedEntries skipped;

    DateScanCriteria criteria;
    DayRange days{DateScanCriteria{}};
    QString pendingPattern; // a new pattern waits for the next folder
    bool patternChanged = false;
    WildcardPattern pattern;
    bool abortScan = false;
    bool rootPending = false;
    std::uint32_t folder = ScanPlaces::None; // the current folder's place, once a file of it was found
    std::int64_t files = 0;

    FolderWalker walker;
    ScanReplay* replay = nullptr; // the saved scan being read instead of the disk
    FileTimePacker packer;
    ScanPlaces places;
    FolderRuns runs;
    GrowingArray<DateRecord> records; // grown in place: no moment holds two copies
    GrowingArray<char> names;
    std::vector<QString> typeNames;
    std::vector<std::string> typeUtf8;

    std::unordered_map<std::string, std::uint32_t, TransparentHash, std::equal_to<>> types;
    mutable FileDateTimeTexts texts;

    explicit Impl(std::size_t cap) : capacity(cap) {}

    std::string_view nameOf(std::size_t i) const {
        const std::size_t end = i + 1 < records.size() ? records[i + 1].nameOffset : names.size();
        return {names.data() + records[i].nameOffset, end - records[i].nameOffset};
    }

    std::uint32_t typeOf(std::string_view name) {
        const std::string_view ext = extensionOf(name);
        if (auto it = types.find(ext); it != types.end())
            return it->second;
        const auto index = std::uint32_t(typeNames.size());
        typeNames.push_back(ext.empty() ? QString() : FileTypeName(DisplayText(ext)));
        const QByteArray utf8 = typeNames.back().toUtf8();
        typeUtf8.emplace_back(utf8.constData(), std::size_t(utf8.size()));
        types.emplace(std::string(ext), index);
        return index;
    }

    // The type of a found file (its extension was met when it was found).
    std::uint32_t typeIndex(std::size_t i) const { return types.find(extensionOf(nameOf(i)))->second; }
    std::uint32_t folderOf(std::size_t i) const { return runs.folderOf(std::uint32_t(i)); }

    void refuse() {
        abortScan = true;
        ShowWarningMessage(kListFull);
    }

    // FolderVisitor
    bool shouldStop() override { return abortScan; }
    // Every found file's line shows its creation date, whatever the date tested.
    bool wantsCreationTime() override { return true; }
    void enterFolder(const FolderHandle& f) override {
        if (rootPending) {
            rootPending = false;
            if (!places.addRoot(f.path(), f.identity()))
                refuse();
        } else {
            places.enter(f.name(), f.identity());
        }
    }
    void leaveFolder(const FolderHandle&) override { places.leave(); }
    void yield() override {
        if (yieldHook)
            yieldHook();
    }
    void beginFiles(const FolderHandle&) override {
        folder = ScanPlaces::None;
        if (patternChanged) {
            pattern = WildcardPattern(pendingPattern);
            patternChanged = false;
        }
    }
    bool wantsFile(std::string_view name) override { return pattern.matches(name); }
    // The pattern as the walk begins; one chosen during the walk may want other files, which the
    // walk then reads itself.
    std::function<bool(std::string_view)> fileFilter() override {
        WildcardPattern now = patternChanged ? WildcardPattern(pendingPattern) : pattern;
        if (now.matchesEverything())
            return {};
        return [copy = std::move(now)](std::string_view name) { return copy.matches(name); };
    }
    void file(const FolderHandle&, const FsEntry& entry) override {
        ++files;
        // Only the time tested is packed for every file; the others only for a file found.
        const struct timespec& tested = criteria.kind == DateKind::Accessed ? entry.lastAccess
                                        : criteria.kind == DateKind::Modified ? entry.lastWrite
                                                                              : entry.creation;
        const std::uint32_t packedTested =
            criteria.kind == DateKind::Created && !entry.hasCreation ? 0 : packer.pack(tested);
        if (!days.contains(packedTested))
            return;
        if (records.size() >= capacity || names.size() + entry.name.size() > 0xFFFFFFFFu) {
            refuse();
            return;
        }
        if (folder == ScanPlaces::None) {
            folder = places.current();
            if (folder == ScanPlaces::None) {
                refuse();
                return;
            }
        }
        DateRecord r{};
        r.size = entry.size;
        r.inode = entry.inode;
        r.nameOffset = std::uint32_t(names.size());
        r.created = entry.hasCreation ? packer.pack(entry.creation) : 0;
        r.accessed = packer.pack(entry.lastAccess);
        r.modified = packer.pack(entry.lastWrite);
        r.modifiedNs = NanosecondStamp(entry.lastWrite);
        r.changeFold = ChangeFold(entry.lastChange);
        typeOf(entry.name);
        runs.note(std::uint32_t(records.size()), folder);
        names.append(entry.name);
        records.push_back(r);
        if (foundHook)
            foundHook(std::uint32_t(records.size() - 1));
    }
    void folderSkipped(const FolderHandle& f, std::string_view name, int error) override {
        skipped.addFolder(f, name, error);
    }
    void entrySkipped(const FolderHandle& f, std::string_view name, int error) override {
        skipped.addEntry(f, name, error);
    }
    void entryExcluded(const FolderHandle& f, std::string_view name, bool isFolder, std::string_view rule) override {
        skipped.addExcluded(f, name, isFolder, rule);
    }

    QString folderText(std::size_t i) const {
        const std::string_view shown = places.displayPath(folderOf(i));
        return QString::fromUtf8(shown.data(), qsizetype(shown.size()));
    }
    QString nameText(std::size_t i) const { return DisplayText(nameOf(i)); }
};

DateRangeEngine::DateRangeEngine(std::size_t capacity) : d(std::make_unique<Impl>(capacity)) {}
DateRangeEngine::~DateRangeEngine() {
    d.reset();
    ReturnFreedMemory(); // a big scan's memory goes back to the system with the window
}

void DateRangeEngine::setYieldHook(std::function<void()> hook) { d->yieldHook = std::move(hook); }
QString DateRangeEngine::walkStatus() const {
    return WalkStatusText(d->replay ? d->replay->currentPath() : d->walker.currentPath());
}
SkippedEntries& DateRangeEngine::skipped() {
    return d->skipped;
}
const SkippedEntries& DateRangeEngine::skipped() const {
    return d->skipped;
}
void DateRangeEngine::setFoundHook(std::function<void(std::uint32_t)> hook) { d->foundHook = std::move(hook); }

void DateRangeEngine::begin(const DateScanCriteria& criteria) {
    d->criteria = criteria;
    d->days = DayRange(criteria);
    d->pattern = WildcardPattern(criteria.pattern);
    d->patternChanged = false;
    d->abortScan = false;
    d->files = 0;
    d->walker.reset();
    d->packer = FileTimePacker();
    d->skipped.clear();
    d->places.clear();
    d->runs.clear();
    d->records.clear();
    d->names.clear();
    d->typeNames = {};
    d->typeUtf8 = {};
    d->types = {};
    d->texts.clear();
    ReturnFreedMemory();
}

void DateRangeEngine::updateCriteria(const DateScanCriteria& criteria) {
    // The dates cannot change during a scan: only what the window leaves enabled is taken.
    d->criteria.kind = criteria.kind;
    d->criteria.range = criteria.range;
    d->days = DayRange(d->criteria);
    if (criteria.pattern != d->criteria.pattern) {
        d->criteria.pattern = criteria.pattern;
        d->pendingPattern = criteria.pattern;
        d->patternChanged = true;
    }
}

bool DateRangeEngine::scanDrive(const std::string& rootPath) {
    if (d->abortScan)
        return true;
    d->rootPending = true;
    const bool walked = d->walker.walk(rootPath, *d);
    d->rootPending = false;
    return walked;
}

bool DateRangeEngine::scanSaved(ScanReplay& scan) {
    if (d->abortScan)
        return true;
    d->rootPending = true;
    d->replay = &scan;
    const bool walked = scan.replay(*d);
    d->replay = nullptr;
    d->rootPending = false;
    return walked;
}

void DateRangeEngine::abort() { d->abortScan = true; }
bool DateRangeEngine::aborted() const { return d->abortScan; }
const DateScanCriteria& DateRangeEngine::criteria() const { return d->criteria; }
std::int64_t DateRangeEngine::filesSeen() const { return d->files; }

std::size_t DateRangeEngine::resultCount() const { return d->records.size(); }

QString DateRangeEngine::resultLine(std::size_t index) const {
    if (index >= d->records.size())
        return {};
    const DateRecord& r = d->records[index];
    return d->nameText(index) + u'\t' + FileDateText(r.created) + u'\t' + FileDateText(r.accessed) + u'\t' +
           FileDateText(r.modified) + u'\t' + d->folderText(index) + u'\t' +
           d->typeNames[d->typeIndex(index)];
}

QStringList DateRangeEngine::resultLines() const {
    QStringList lines;
    lines.reserve(qsizetype(d->records.size()));
    for (std::size_t i = 0; i < d->records.size(); ++i)
        lines.append(resultLine(i));
    return lines;
}

void DateRangeEngine::appendResultLineUtf8(std::size_t index, std::string& out) const {
    if (index >= d->records.size())
        return;
    const DateRecord& r = d->records[index];
    AppendDisplayUtf8(d->nameOf(index), out);
    for (std::uint32_t v : {r.created, r.accessed, r.modified}) {
        out += '\t';
        out += d->texts.dateText(FileDateTimeTexts::dateKey(v));
    }
    out += '\t';
    d->places.appendDisplayPath(d->folderOf(index), out);
    out += '\t';
    out += d->typeUtf8[d->typeIndex(index)];
}

void DateRangeEngine::appendResultPath(std::size_t index, std::string& out) const {
    if (index < d->records.size())
        d->places.appendPath(d->folderOf(index), d->nameOf(index), out);
}

std::string DateRangeEngine::resultPath(std::size_t index) const {
    std::string path;
    appendResultPath(index, path);
    return path;
}

std::int64_t DateRangeEngine::resultSize(std::size_t index) const {
    return index < d->records.size() ? d->records[index].size : 0;
}

DateResultFacts DateRangeEngine::resultFacts(std::size_t index) const {
    if (index >= d->records.size())
        return {};
    const DateRecord& r = d->records[index];
    return {d->nameOf(index), r.size, r.created, r.accessed, r.modified, r.modifiedNs,
            d->typeUtf8[d->typeIndex(index)]};
}

ListedEntry DateRangeEngine::resultEntry(std::size_t index) const {
    if (index >= d->records.size())
        return {};
    const DateRecord& r = d->records[index];
    ListedEntry e = d->places.entry(d->folderOf(index), d->nameOf(index), r.inode);
    e.size = r.size;
    e.modifiedNs = r.modifiedNs;
    e.changeFold = r.changeFold;
    e.modifiedKnown = true;
    return e;
}

QString DateRangeEngine::cellText(std::uint32_t key, int column) const {
    if (key >= d->records.size())
        return {};
    const DateRecord& r = d->records[key];
    switch (column) {
    case 0:
        return d->nameText(key);
    case 1:
        return FileDateText(r.accessed);
    case 2:
        return FileDateText(r.created);
    case 3:
        return FileDateText(r.modified);
    case 4:
        return d->folderText(key);
    case 5:
        return d->typeNames[d->typeIndex(key)];
    default:
        return {};
    }
}

std::vector<std::uint32_t> DateRangeEngine::orderRows(int column, bool descending,
                                                      const std::vector<std::uint32_t>& keys) const {
    const std::size_t n = d->records.size();
    if (column < 0 || column > 5)
        return {};
    const auto positions = PositionsOfKeys(keys, n);
    if (!positions)
        return {};
    const std::vector<std::uint32_t>& positionOf = *positions;
    // The folders' texts ranked from the tree (a folder's path is its name under its parent).
    std::vector<std::uint32_t> folderRank(d->places.folderCount(), 0);
    {
        std::vector<ScanPlaces::RankItem> items;
        for (const FolderRuns::Run& run : d->runs.runs()) {
            const std::uint32_t parent = d->places.parentOf(run.folder);
            const std::string_view name = d->places.nameOf(run.folder);
            ScanPlaces::RankItem item{parent == ScanPlaces::None && name.empty() ? run.folder : parent, {}};
            if (item.folder == parent)
                ScanPlaces::appendFoldedDisplay(name, item.tail);
            items.push_back(std::move(item));
        }
        const std::vector<std::uint32_t> ranks = d->places.rankTexts(items);
        for (std::size_t k = 0; k < items.size(); ++k)
            folderRank[d->runs.runs()[k].folder] = ranks[k];
    }
    auto byFolder = [&](std::vector<std::uint32_t> rows) {
        RadixOrder order(std::move(rows), n);
        FolderRuns::Cursor cursor(d->runs);
        order.sortBy(32, column == 4 && descending,
                     [&](std::uint32_t i) { return folderRank[cursor.folderOf(i)]; });
        return order.take();
    };
    auto byName = [&](std::vector<std::uint32_t>& rows, bool down) {
        SortByShownNames(
            rows, n, [this](std::uint32_t i) { return d->nameOf(i); }, down);
    };
    std::vector<std::uint32_t> rows(keys.begin(), keys.end());
    std::sort(rows.begin(), rows.end());
    // Ties by name, then folder; the folder column by folder, then name.
    if (column == 4) {
        byName(rows, false);
        rows = byFolder(std::move(rows));
    } else {
        rows = byFolder(std::move(rows));
        byName(rows, column == 0 && descending);
    }
    if (column != 0 && column != 4) {
        RadixOrder order(std::move(rows), n);
        // A list ordered latest first puts the newest of equal rows first.
        if (descending && column != 3)
            order.sortBy(32, true, [this](std::uint32_t i) { return PackedTimeOrder(d->records[i].modified); });
        // Dates as points in time: the cells show the day, the records keep the time too.
        if (column == 1)
            order.sortBy(32, descending,
                         [this](std::uint32_t i) { return PackedTimeOrder(d->records[i].accessed); });
        else if (column == 2)
            order.sortBy(32, descending,
                         [this](std::uint32_t i) { return PackedTimeOrder(d->records[i].created); });
        else if (column == 3)
            order.sortBy(32, descending,
                         [this](std::uint32_t i) { return PackedTimeOrder(d->records[i].modified); });
        else {
            std::vector<std::string> texts;
            for (const std::string& t : d->typeUtf8)
                texts.push_back(FoldAscii(t));
            const std::vector<std::uint32_t> typeRank = RankTexts(texts);
            order.sortBy(32, descending, [&](std::uint32_t i) { return typeRank[d->typeIndex(i)]; });
        }
        rows = order.take();
    }
    for (std::uint32_t& i : rows)
        i = positionOf[i];
    return rows;
}
