// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderhogs/FolderSizeEngine.h"

#include "common/DisplayText.h"
#include "common/DosDateTime.h"
#include "common/FileTimePacker.h"
#include "common/MessageService.h"
#include "common/RowOrder.h"
#include "common/SaturatingSum.h"
#include "common/ScanPlaces.h"
#include "platform/DriveTable.h"
#include "platform/FolderWalker.h"
#include "platform/FreedMemory.h"
#include "platform/FolderVisitorPair.h"
#include "platform/ListedFolder.h"
#include "scans/ScanReplay.h"

#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <numeric>

namespace {

const QString kListFull = QStringLiteral("Resource limit reached ... cannot process any more files.");

enum RecordFlag : std::uint8_t {
    IsRoot = 1,
    Unread = 2,  // the folder could not be opened or listed: its figures are unknown
    Partial = 4, // something inside could not be read: the figures are what could be counted
    Gone = 8,    // a refresh found the folder gone or measured it again as another line
};

// One folder line, kept as figures: its texts are made only when shown, copied or written; its path,
// identity and the folder that holds it are in the scan's tree of folders.
struct FolderRecord {
    std::int64_t bytes = 0;
    std::int64_t files = 0;
    std::int64_t subFolders = 0;
    std::uint32_t folder = 0; // in the places
    std::uint32_t root = 0;   // index of its root
    std::uint32_t latest = 0; // packed local date-time of the latest access; 0: none
    std::uint8_t flags = 0;
};

// A folder the walk is in, with what has been counted for it so far.
struct Frame {
    std::uint32_t folder = ScanPlaces::None; // in the places, once it is to have a line
    std::int64_t bytes = 0;
    std::int64_t files = 0;
    std::int64_t subFolders = 0;
    std::uint32_t latest = 0;
    bool folderPassAny = false; // the folder pass listed something
    bool inFilePass = false;
    std::uint8_t flags = 0;
};

} // namespace

QString FolderSizeText(std::int64_t bytes) {
    if (bytes < 0)
        bytes = 0;
    const std::int64_t k = bytes / 1024;
    if (k > 0)
        return QString::number(k).rightJustified(7, u' ');
    std::int64_t tenths = bytes / 103;
    if (tenths <= 0 && bytes > 0)
        tenths = 1;
    return QStringLiteral("      0.") + QString::number(tenths);
}

QString FolderPercentText(std::int64_t bytes, std::int64_t driveTotal, const QLocale& locale) {
    if (driveTotal < 0 || bytes >= driveTotal)
        return QStringLiteral("???");
    return locale.toString(double(bytes) / double(driveTotal) * 100.0, 'f', 2);
}

struct FolderSizeEngine::Impl final : FolderVisitor {
    std::size_t capacity;
    std::function<void()> yieldHook;
    SkippedEntries skipped;

    FolderScanMode mode = FolderScanMode::Main;
    bool abortScan = false;
    bool listFull = false;
    std::int64_t folders = 0;
    std::int64_t entries = 0;

    FolderWalker walker;
    ScanReplay* replay = nullptr;          // the saved scan being read instead of the disk
    FolderVisitor* companion = nullptr;
    FileTimePacker packer;
    ScanPlaces places;
    std::vector<std::int64_t> driveTotals; // by root
    std::vector<FolderRecord> records;     // in result order after finish(); a refresh appends
    std::vector<std::uint32_t> resultOrder; // the lines that are not gone, in result order
    std::vector<Frame> frames;
    std::uint32_t currentRoot = 0;          // the root whose folders the walk is in

    explicit Impl(std::size_t cap) : capacity(cap) {}

    // The list or the folder table refuses a line: the scan stops as aborted, said once.
    void refuseLine() {
        if (!listFull)
            ShowWarningMessage(kListFull);
        listFull = true;
        abortScan = true;
    }

    // Adds the line of a folder.
    void addLine(const Frame& f) {
        if (f.folder == ScanPlaces::None)
            return;
        if (records.size() >= capacity) {
            refuseLine();
            return;
        }
        FolderRecord r;
        r.bytes = f.bytes;
        r.files = f.files;
        r.subFolders = f.subFolders;
        r.folder = f.folder;
        r.root = currentRoot;
        r.latest = f.latest;
        r.flags = f.flags;
        records.push_back(r);
    }
    // The place of the folder the walk is in, for one that is to have a line.
    std::uint32_t placeHere() {
        const std::uint32_t folder = places.current();
        if (folder == ScanPlaces::None)
            refuseLine();
        return folder;
    }

    // Where a file's figures go: the folder itself in All mode, its main folder in Main mode (files
    // directly in a root belong to none there).
    Frame* countingFrame() {
        if (mode == FolderScanMode::All)
            return frames.empty() ? nullptr : &frames.back();
        return frames.size() >= 2 ? &frames[1] : nullptr;
    }
    bool hasLine(std::size_t depth) const { return mode == FolderScanMode::All || depth == 1; }

    // The folders still open when the walk was stopped: the one being measured keeps its line.
    void windDown() {
        if (mode == FolderScanMode::All) {
            if (!frames.empty() && frames.back().inFilePass)
                addLine(frames.back());
        } else if (frames.size() >= 2) {
            addLine(frames[1]);
        }
        frames.clear();
    }

    // FolderVisitor
    bool shouldStop() override { return abortScan; }
    bool wantsCreationTime() override { return false; }
    bool wantsEveryEntry() override { return true; }

    void enterFolder(const FolderHandle& folder) override {
        ++folders;
        Frame f;
        if (frames.empty()) {
            const std::optional<DriveSpace> space = DriveSpaceOfFolder(folder);
            driveTotals.push_back(space ? space->totalBytes : -1);
            currentRoot = std::uint32_t(driveTotals.size() - 1);
            if (!places.addRoot(folder.path(), folder.identity()))
                refuseLine();
            f.flags = IsRoot;
        } else {
            places.enter(folder.name(), folder.identity());
            if (mode == FolderScanMode::Main && frames.size() >= 2)
                ++frames[1].subFolders; // every folder entered below a main folder
        }
        if (hasLine(frames.size()))
            f.folder = placeHere();
        frames.push_back(f);
    }
    void folderEntry(const FolderHandle&, std::string_view, bool) override {
        frames.back().folderPassAny = true;
    }
    void yield() override {
        if (yieldHook)
            yieldHook();
    }
    void beginFiles(const FolderHandle&) override { frames.back().inFilePass = true; }
    void file(const FolderHandle&, const FsEntry& entry) override {
        ++entries;
        Frame* f = countingFrame();
        if (!f)
            return;
        f->bytes = SaturatingAdd(f->bytes, entry.size);
        ++f->files;
        // Packed times compare unsigned: years from 2044 on set the top bit.
        f->latest = std::max(f->latest, packer.pack(entry.lastAccess));
    }
    void subFolderEntry(const FolderHandle&, std::string_view) override {
        ++entries;
        if (mode == FolderScanMode::All)
            ++frames.back().subFolders; // hidden and mounted ones too: every folder entry
    }
    void leaveFolder(const FolderHandle&) override {
        const Frame f = frames.back();
        frames.pop_back();
        // A root whose folder pass finds nothing has no line (All mode; in Main mode roots have none).
        if (hasLine(frames.size()) && (!frames.empty() || f.folderPassAny))
            addLine(f);
        if (!frames.empty())
            places.leave();
    }
    // What could not be counted makes the line it belongs to incomplete.
    void markPartial() {
        if (Frame* f = countingFrame())
            f->flags |= Partial;
    }
    void entrySkipped(const FolderHandle& folder, std::string_view name, int error) override {
        skipped.addEntry(folder, name, error);
        markPartial();
    }
    void entryExcluded(const FolderHandle& folder, std::string_view name, bool isFolder, std::string_view rule) override {
        skipped.addExcluded(folder, name, isFolder, rule);
    }
    void folderSkipped(const FolderHandle& folder, std::string_view name, int error) override {
        // A mount belongs to its own drive; it is neither a warning nor a line here.
        if (error == EXDEV)
            return;
        skipped.addFolder(folder, name, error);
        if (frames.empty())
            return; // the root itself: the caller says "Can't open drive "
        if (name.empty()) {
            // Its listing could not be read, or the way back to it was lost half-way.
            Frame& f = frames.back();
            f.flags |= f.folderPassAny || f.inFilePass ? Partial : Unread;
            if (frames.size() > 2)
                markPartial();
            return;
        }
        if (!hasLine(frames.size())) {
            markPartial();
            return;
        }
        // A folder listed but not opened keeps a line that says its figures are unknown, when it is
        // known which folder it is.
        FsEntry stats; // a saved scan's folder has no descriptor: its identity stays unknown
        if (folder.valid() && StatEntry(folder, name, stats, false) != 0) {
            markPartial(); // not even that: what it holds is missing from the folder that lists it
            return;
        }
        places.enter(name, {stats.device, stats.inode});
        Frame f;
        f.folder = placeHere();
        f.flags = Unread;
        places.leave();
        addLine(f);
    }

    // Field n (1-based) of a record's line; plain: the percent's decimal point is ".", not the locale's.
    QString field(const FolderRecord& r, int n, bool plain = false) const {
        const bool unread = r.flags & Unread;
        switch (n) {
        case 1:
            return (unread ? QStringLiteral("      ?") : FolderSizeText(r.bytes)) + QStringLiteral(" K");
        case 2:
            return unread ? QStringLiteral("???")
                          : FolderPercentText(r.bytes, driveTotals[r.root], plain ? QLocale::c() : QLocale());
        case 3:
            return unread
                       ? QStringLiteral("?")
                       : QString::number(r.files) + ((r.flags & Partial) ? QStringLiteral("?") : QString());
        case 4:
            return unread ? QStringLiteral("?") : QString::number(r.subFolders);
        case 5:
            return FileDateText(r.latest);
        case 6: {
            const std::string_view shown = places.displayPath(r.folder);
            return QString::fromUtf8(shown.data(), qsizetype(shown.size()));
        }
        default:
            return {};
        }
    }
    // The first five fields, tab-separated: everything but the path.
    QString figures(const FolderRecord& r, bool plain = false) const {
        QString out;
        for (int n = 1; n <= 5; ++n) {
            if (n > 1)
                out += u'\t';
            out += field(r, n, plain);
        }
        return out;
    }
    QString line(const FolderRecord& r) const { return figures(r) + u'\t' + field(r, 6); }
    void appendLineUtf8(const FolderRecord& r, std::string& out) const {
        const QByteArray head = figures(r, true).toUtf8();
        out.append(head.constData(), std::size_t(head.size()));
        out += '\t';
        places.appendDisplayPath(r.folder, out);
    }
    // The text of a line's path as the scan's tree ranks it.
    ScanPlaces::RankItem pathItem(const FolderRecord& r) const {
        const std::uint32_t parent = places.parentOf(r.folder);
        const std::string_view name = places.nameOf(r.folder);
        if (parent == ScanPlaces::None && name.empty())
            return {r.folder, {}}; // the top of the tree is "/" itself
        ScanPlaces::RankItem item{parent, {}};
        ScanPlaces::appendFoldedDisplay(name, item.tail);
        return item;
    }

    // Where equal figures leave lines: by path in ascending order (ranked from the tree, never
    // made whole), then as found. Ranks of the records listed, by their position in the list.
    std::vector<std::uint32_t> pathRanks(const std::vector<std::uint32_t>& list) const {
        std::vector<ScanPlaces::RankItem> items;
        items.reserve(list.size());
        for (std::uint32_t k : list)
            items.push_back(pathItem(records[k]));
        return places.rankTexts(items);
    }
    // Sorts list[first, last) by path, then as found.
    void sortByPath(std::vector<std::uint32_t>& list, std::size_t first, std::size_t last) const {
        const std::vector<std::uint32_t> part(list.begin() + std::ptrdiff_t(first),
                                              list.begin() + std::ptrdiff_t(last));
        const std::vector<std::uint32_t> rank = pathRanks(part);
        std::vector<std::uint32_t> at(part.size());
        std::iota(at.begin(), at.end(), 0u);
        std::sort(at.begin(), at.end(), [&](std::uint32_t a, std::uint32_t b) {
            return rank[a] != rank[b] ? rank[a] < rank[b] : part[a] < part[b];
        });
        for (std::size_t k = 0; k < at.size(); ++k)
            list[first + k] = part[at[k]];
    }
    // A line's figures as numbers that order as their values, for a descending order: the byte
    // total, then a line that could not be read, the files and sub-folders (unknown below every
    // count) and the latest access date. Equal keys are equal figures.
    struct FigureKey {
        std::int64_t bytes;
        bool unread;
        std::int64_t files;
        std::int64_t subFolders;
        std::uint32_t latest;
        auto operator<=>(const FigureKey&) const = default;
    };
    FigureKey figureKey(const FolderRecord& r) const {
        const bool unread = r.flags & Unread;
        return {r.bytes, unread, unread ? -1 : r.files, unread ? -1 : r.subFolders,
                PackedDateOrder(r.latest)};
    }

    // Largest byte total first; equal totals by their figures (more files and sub-folders, the
    // newest access first), then by path in ascending order.
    void order() {
        std::vector<std::uint32_t> index = orderedLines();
        std::vector<FolderRecord> sorted;
        sorted.reserve(records.size());
        for (std::uint32_t k : index)
            sorted.push_back(records[k]);
        records = std::move(sorted);
        resultOrder.resize(records.size());
        std::iota(resultOrder.begin(), resultOrder.end(), 0u);
    }
    // The lines that are not gone, in result order.
    std::vector<std::uint32_t> orderedLines() const {
        std::vector<std::uint32_t> index;
        index.reserve(records.size());
        for (std::uint32_t k = 0; k < records.size(); ++k)
            if (!(records[k].flags & Gone))
                index.push_back(k);
        std::sort(index.begin(), index.end(), [&](std::uint32_t a, std::uint32_t b) {
            const FigureKey ka = figureKey(records[a]), kb = figureKey(records[b]);
            return ka != kb ? ka > kb : a < b;
        });
        for (std::size_t i = 0; i < index.size();) {
            std::size_t j = i + 1;
            while (j < index.size() && figureKey(records[index[j]]) == figureKey(records[index[i]]))
                ++j;
            if (j - i > 1)
                sortByPath(index, i, j);
            i = j;
        }
        return index;
    }

    std::uint32_t refresh(std::uint32_t key);
};

std::uint32_t FolderSizeEngine::Impl::refresh(std::uint32_t key) {
    const FolderRecord was = records[key];
    const ListedEntry entry = places.folderEntry(was.folder);
    const std::uint32_t above = places.parentOf(was.folder);
    const bool isRoot = entry.name.empty();
    // Every line of the folder and below it goes; what the walk finds now takes their place.
    for (FolderRecord& r : records)
        if (!(r.flags & Gone) && places.liesIn(r.folder, was.folder))
            r.flags |= Gone;
    const std::size_t before = records.size();
    abortScan = false;
    listFull = false;
    frames.clear();
    walker.reset();
    if (isRoot) {
        // A root is walked again as in a scan.
        walker.walk(entry.root, *this);
    } else {
        FolderHandle folder = OpenListedFolderItself(entry);
        const int error = folder.valid() ? 0 : folder.error();
        if (error == ENOENT || error == ENOTDIR || error == ELOOP || error == EXDEV) {
            // Gone, or no folder to walk any more (a link is never followed): so is its line. In
            // All mode the folder above counts a sub-folder less, unless a mount took its place.
            if (mode == FolderScanMode::All && error != EXDEV)
                for (std::uint32_t k = 0; k < records.size(); ++k)
                    if (records[k].folder == above && !(records[k].flags & Gone) && records[k].subFolders > 0)
                        --records[k].subFolders;
            resultOrder = orderedLines();
            return NoLine;
        }
        // The walk goes on from the folder above as the scan left it, which keeps its line.
        places.resumeAt(above);
        currentRoot = was.root;
        frames.assign(1, Frame{});
        if (error != 0) {
            // Not to be opened now: its line says its figures are unknown, as a scan's would.
            const FolderHandle parent = OpenListedFolder(entry);
            folderSkipped(parent, entry.name, error);
        } else {
            const std::string below = entry.folder.empty() ? entry.name : entry.folder + "/" + entry.name;
            walker.walkBelow(std::move(folder), below, *this);
        }
    }
    if (abortScan)
        windDown();
    frames.clear();
    resultOrder = orderedLines();
    // The folder's own line is the last one the walk made (All mode: after the lines below it).
    for (std::size_t k = records.size(); k > before; --k) {
        const std::uint32_t folder = records[k - 1].folder;
        if (isRoot ? bool(records[k - 1].flags & IsRoot) : places.parentOf(folder) == above)
            return std::uint32_t(k - 1);
    }
    return NoLine;
}

FolderSizeEngine::FolderSizeEngine(std::size_t capacity) : d(std::make_unique<Impl>(capacity)) {}
FolderSizeEngine::~FolderSizeEngine() {
    d.reset();
    ReturnFreedMemory(); // a big scan's memory goes back to the system with the window
}

void FolderSizeEngine::setYieldHook(std::function<void()> hook) { d->yieldHook = std::move(hook); }
QString FolderSizeEngine::walkStatus() const {
    return WalkStatusText(d->replay ? d->replay->currentPath() : d->walker.currentPath());
}
SkippedEntries& FolderSizeEngine::skipped() {
    return d->skipped;
}
const SkippedEntries& FolderSizeEngine::skipped() const {
    return d->skipped;
}

void FolderSizeEngine::begin(FolderScanMode mode) {
    d->mode = mode;
    d->abortScan = false;
    d->listFull = false;
    d->folders = 0;
    d->entries = 0;
    d->walker.reset();
    d->skipped.clear();
    d->places.clear();
    d->driveTotals = {};
    d->records = {};
    d->resultOrder = {};
    d->frames = {};
    d->packer = FileTimePacker();
    ReturnFreedMemory();
}

bool FolderSizeEngine::scanDrive(const std::string& rootPath) {
    if (d->abortScan)
        return true;
    d->frames.clear();
    bool walked = false;
    if (d->companion) {
        FolderVisitorPair both(*d, *d->companion);
        walked = d->walker.walk(rootPath, both);
    } else {
        walked = d->walker.walk(rootPath, *d);
    }
    if (d->abortScan)
        d->windDown();
    d->frames.clear();
    return walked;
}

bool FolderSizeEngine::scanSaved(ScanReplay& scan) {
    if (d->abortScan)
        return true;
    d->frames.clear();
    d->replay = &scan;
    const bool walked = scan.replay(*d);
    d->replay = nullptr;
    if (d->abortScan)
        d->windDown();
    d->frames.clear();
    return walked;
}

void FolderSizeEngine::setCompanion(FolderVisitor* companion) { d->companion = companion; }

void FolderSizeEngine::finish() { d->order(); }

void FolderSizeEngine::abort() { d->abortScan = true; }
bool FolderSizeEngine::aborted() const { return d->abortScan; }
FolderScanMode FolderSizeEngine::mode() const { return d->mode; }
std::int64_t FolderSizeEngine::foldersSeen() const { return d->folders; }
std::int64_t FolderSizeEngine::entriesSeen() const { return d->entries; }
std::size_t FolderSizeEngine::memoryBytes() const {
    return d->records.capacity() * sizeof(FolderRecord) + d->places.memoryBytes() +
           d->frames.capacity() * sizeof(Frame) + d->driveTotals.capacity() * sizeof(std::int64_t);
}

std::size_t FolderSizeEngine::resultCount() const { return d->records.size(); }

QString FolderSizeEngine::resultLine(std::size_t index) const {
    return index < d->records.size() ? d->line(d->records[index]) : QString();
}

QStringList FolderSizeEngine::resultLines() const {
    QStringList lines;
    lines.reserve(qsizetype(d->records.size()));
    for (const FolderRecord& r : d->records)
        lines.append(d->line(r));
    return lines;
}

void FolderSizeEngine::appendResultLineUtf8(std::size_t index, std::string& out) const {
    if (index < d->records.size())
        d->appendLineUtf8(d->records[index], out);
}

std::string FolderSizeEngine::resultPath(std::size_t index) const {
    std::string path;
    appendResultPath(index, path);
    return path;
}

void FolderSizeEngine::appendResultPath(std::size_t index, std::string& out) const {
    if (index < d->records.size())
        d->places.appendFolderPath(d->records[index].folder, out);
}

std::int64_t FolderSizeEngine::resultBytes(std::size_t index) const {
    return index < d->records.size() ? d->records[index].bytes : 0;
}

bool FolderSizeEngine::resultIsRoot(std::size_t index) const {
    return index < d->records.size() && (d->records[index].flags & IsRoot);
}

bool FolderSizeEngine::resultIsUnread(std::size_t index) const {
    return index < d->records.size() && (d->records[index].flags & Unread);
}

FolderResultFigures FolderSizeEngine::resultFigures(std::size_t index) const {
    if (index >= d->records.size())
        return {};
    const FolderRecord& r = d->records[index];
    return {r.bytes, r.files, r.subFolders, r.latest, d->driveTotals[r.root], (r.flags & Unread) != 0,
            (r.flags & Partial) != 0};
}

ListedEntry FolderSizeEngine::resultEntry(std::size_t index) const {
    return index < d->records.size() ? d->places.folderEntry(d->records[index].folder) : ListedEntry();
}

std::vector<std::uint32_t> FolderSizeEngine::resultKeys() const { return d->resultOrder; }

std::uint32_t FolderSizeEngine::refreshFolder(std::uint32_t key) {
    if (key >= d->records.size() || (d->records[key].flags & Gone))
        return NoLine;
    return d->refresh(key);
}

bool FolderSizeEngine::resultIsGone(std::uint32_t key) const {
    return key < d->records.size() && (d->records[key].flags & Gone);
}

QString FolderSizeEngine::cellText(std::uint32_t key, int column) const {
    return key < d->records.size() ? d->field(d->records[key], column + 1) : QString();
}

std::vector<std::uint32_t> FolderSizeEngine::orderRows(int column, bool descending,
                                                       const std::vector<std::uint32_t>& keys) const {
    const std::size_t n = d->records.size();
    if (column < 0 || column > 5)
        return {};
    std::vector<std::uint8_t> seen(n, 0);
    for (std::uint32_t key : keys) {
        if (key >= n || seen[key])
            return {};
        seen[key] = 1;
    }
    std::vector<std::uint32_t> at(keys.size());
    std::iota(at.begin(), at.end(), 0u);
    if (column <= 1) {
        // Sizes (the percentage follows them): equal totals in the order the scan gave them.
        std::sort(at.begin(), at.end(), [&](std::uint32_t a, std::uint32_t b) {
            const std::int64_t ba = d->records[keys[a]].bytes, bb = d->records[keys[b]].bytes;
            if (ba != bb)
                return descending ? ba > bb : ba < bb;
            return keys[a] < keys[b];
        });
        return at;
    }
    // Ties by path, then in the scan's order.
    const std::vector<std::uint32_t> rank = d->pathRanks(keys);
    auto value = [&](std::uint32_t k) -> std::int64_t {
        const Impl::FigureKey f = d->figureKey(d->records[keys[k]]);
        return column == 2 ? f.files : column == 3 ? f.subFolders : column == 4 ? std::int64_t(f.latest) : 0;
    };
    auto latest = [&](std::uint32_t k) { return d->figureKey(d->records[keys[k]]).latest; };
    std::sort(at.begin(), at.end(), [&](std::uint32_t a, std::uint32_t b) {
        if (column == 5 && rank[a] != rank[b])
            return descending ? rank[a] > rank[b] : rank[a] < rank[b];
        if (const std::int64_t va = value(a), vb = value(b); va != vb)
            return descending ? va > vb : va < vb;
        // A list ordered largest first puts the newest of equal rows first.
        if (descending && column != 5)
            if (const auto la = latest(a), lb = latest(b); la != lb)
                return la > lb;
        return rank[a] != rank[b] ? rank[a] < rank[b] : keys[a] < keys[b];
    });
    return at;
}
