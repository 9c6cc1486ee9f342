// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderhogs/FolderSizeEngine.h"

#include "common/DisplayText.h"
#include "common/DosDateTime.h"
#include "common/FileTimePacker.h"
#include "common/MessageService.h"
#include "common/SaturatingSum.h"
#include "platform/DriveTable.h"
#include "platform/FolderWalker.h"

#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <numeric>

namespace {

const QString kListFull = QStringLiteral("Resource limit reached ... cannot process any more files.");

// One folder line, kept as figures: its texts are made only when shown, copied or written.
struct FolderRecord {
    std::int64_t bytes = 0;
    std::int64_t files = 0;
    std::int64_t subFolders = 0;
    std::uint64_t inode = 0;       // the folder's own
    std::uint64_t parentInode = 0; // the folder that holds it; 0 for a root's line
    std::uint64_t pathOffset = 0;  // into the path arena
    std::uint32_t pathLength = 0;
    std::uint32_t root = 0;        // index of its root
    std::uint32_t latest = 0;      // packed local date-time of the latest access; 0: none
    bool isRoot = false;
};

struct Root {
    std::string path; // as opened for the walk
    EntryIdentity identity;
    std::int64_t driveTotal = -1;
};

// A folder the walk is in, with what has been counted for it so far.
struct Frame {
    std::string path;
    std::uint64_t inode = 0;
    std::uint64_t parentInode = 0;
    std::int64_t bytes = 0;
    std::int64_t files = 0;
    std::int64_t subFolders = 0;
    std::uint32_t latest = 0;
    bool folderPassAny = false; // the folder pass listed something
    bool inFilePass = false;
};

std::string foldedUtf8(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    std::string folded(utf8.constData(), std::size_t(utf8.size()));
    for (char& c : folded)
        c = FoldAsciiChar(c);
    return folded;
}

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

QString FolderPercentText(std::int64_t bytes, std::int64_t driveTotal) {
    if (driveTotal < 0 || bytes >= driveTotal)
        return QStringLiteral("???");
    return QLocale().toString(double(bytes) / double(driveTotal) * 100.0, 'f', 2);
}

struct FolderSizeEngine::Impl final : FolderVisitor {
    std::size_t capacity;
    std::function<void()> yieldHook;
    std::function<void(const QString&)> statusHook;
    std::function<void(const std::string&, int)> skippedHook;

    FolderScanMode mode = FolderScanMode::Main;
    bool abortScan = false;
    bool listFull = false;
    std::int64_t folders = 0;
    std::int64_t entries = 0;

    FolderWalker walker;
    FileTimePacker packer;
    std::vector<Root> roots;
    std::vector<FolderRecord> records; // in result order after finish()
    std::string paths;
    std::vector<Frame> frames;
    // The folder the folder pass is about to enter, so that one that cannot be opened still gets
    // its identity from its listing.
    const FolderHandle* listingFolder = nullptr;
    std::string_view enteringName;

    explicit Impl(std::size_t cap) : capacity(cap) {}

    void showStatus(const std::string& path) {
        if (statusHook)
            statusHook(DisplayText(path));
    }

    // Adds the line of a folder; the full list refuses it, stops the scan and says so once.
    void addLine(const Frame& f, bool isRoot) {
        if (records.size() >= capacity) {
            if (!listFull)
                ShowWarningMessage(kListFull);
            listFull = true;
            abortScan = true;
            return;
        }
        FolderRecord r;
        r.bytes = f.bytes;
        r.files = f.files;
        r.subFolders = f.subFolders;
        r.inode = f.inode;
        r.parentInode = f.parentInode;
        r.pathOffset = paths.size();
        r.pathLength = std::uint32_t(f.path.size());
        r.root = std::uint32_t(roots.size() - 1);
        r.latest = f.latest;
        r.isRoot = isRoot;
        paths += f.path;
        records.push_back(r);
    }

    // Where a file's figures go: the folder itself in All mode, its main folder in Main mode (files
    // directly in a root belong to no line there).
    Frame* countingFrame() {
        if (mode == FolderScanMode::All)
            return frames.empty() ? nullptr : &frames.back();
        return frames.size() >= 2 ? &frames[1] : nullptr;
    }

    // The folders still open when the walk was stopped: the one being measured keeps its line.
    void windDown() {
        if (mode == FolderScanMode::All) {
            if (!frames.empty() && frames.back().inFilePass)
                addLine(frames.back(), frames.size() == 1);
        } else if (frames.size() >= 2) {
            addLine(frames[1], false);
        }
        frames.clear();
    }

    // FolderVisitor
    bool shouldStop() override { return abortScan; }
    bool wantsCreationTime() override { return false; }
    bool wantsEveryEntry() override { return true; }

    void enterFolder(const FolderHandle& folder) override {
        ++folders;
        listingFolder = nullptr; // the folder listed last was entered after all
        Frame f;
        f.path = folder.path();
        f.inode = folder.inode();
        f.parentInode = frames.empty() ? 0 : frames.back().inode;
        if (frames.empty()) {
            const std::optional<DriveSpace> space = DriveSpaceOfFolder(folder);
            roots.push_back({folder.path(), folder.identity(), space ? space->totalBytes : -1});
        } else if (mode == FolderScanMode::Main && frames.size() >= 2) {
            ++frames[1].subFolders; // every folder entered below a main folder
        }
        frames.push_back(std::move(f));
        showStatus(folder.path());
    }
    void folderEntry(const FolderHandle& folder, std::string_view name, bool isFolder) override {
        frames.back().folderPassAny = true;
        listingFolder = isFolder ? &folder : nullptr;
        enteringName = name;
    }
    void yield() override {
        if (yieldHook)
            yieldHook();
    }
    void beginFiles(const FolderHandle& folder) override {
        frames.back().inFilePass = true;
        showStatus(folder.path());
    }
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
        const Frame f = std::move(frames.back());
        frames.pop_back();
        if (mode == FolderScanMode::All) {
            // A root whose folder pass finds nothing has no line.
            if (!frames.empty() || f.folderPassAny)
                addLine(f, frames.empty());
        } else if (frames.size() == 1) {
            addLine(f, false);
        }
    }
    void folderSkipped(const std::string& path, int error) override {
        // A mount belongs to its own drive; it is neither a warning nor a line here.
        if (error == EXDEV)
            return;
        if (skippedHook)
            skippedHook(path, error);
        // A folder listed but not opened keeps a line with what could be counted: nothing.
        const bool listedChild = listingFolder && !frames.empty() && path == listingFolder->childPath(enteringName);
        const bool wantsLine = mode == FolderScanMode::All || frames.size() == 1;
        if (!listedChild || !wantsLine)
            return;
        FsEntry stats;
        if (StatEntry(*listingFolder, enteringName, stats, false) != 0)
            return;
        Frame f;
        f.path = path;
        f.inode = stats.inode;
        f.parentInode = frames.back().inode;
        addLine(f, false);
        listingFolder = nullptr;
    }

    // Field n (1-based) of a record's line.
    QString field(const FolderRecord& r, int n) const {
        switch (n) {
        case 1:
            return FolderSizeText(r.bytes) + QStringLiteral(" K");
        case 2:
            return FolderPercentText(r.bytes, roots[r.root].driveTotal);
        case 3:
            return QString::number(r.files);
        case 4:
            return QString::number(r.subFolders);
        case 5:
            return FileDateText(r.latest);
        case 6:
            return DisplayText(pathOf(r));
        default:
            return {};
        }
    }
    QString line(const FolderRecord& r) const {
        QString out;
        for (int n = 1; n <= 6; ++n) {
            if (n > 1)
                out += u'\t';
            out += field(r, n);
        }
        return out;
    }
    std::string_view pathOf(const FolderRecord& r) const { return {paths.data() + r.pathOffset, r.pathLength}; }

    // Largest byte total first; equal totals in descending order of the whole line, ASCII case
    // ignored (the lines' own text order, read backwards).
    void order() {
        std::vector<std::uint32_t> index(records.size());
        std::iota(index.begin(), index.end(), 0u);
        std::sort(index.begin(), index.end(), [&](std::uint32_t a, std::uint32_t b) {
            return records[a].bytes != records[b].bytes ? records[a].bytes > records[b].bytes : a < b;
        });
        for (std::size_t i = 0; i < index.size();) {
            std::size_t j = i + 1;
            while (j < index.size() && records[index[j]].bytes == records[index[i]].bytes)
                ++j;
            if (j - i > 1) {
                std::vector<std::pair<std::string, std::uint32_t>> keyed;
                keyed.reserve(j - i);
                for (std::size_t k = i; k < j; ++k)
                    keyed.emplace_back(foldedUtf8(line(records[index[k]])), index[k]);
                std::stable_sort(keyed.begin(), keyed.end(),
                                 [](const auto& a, const auto& b) { return a.first > b.first; });
                for (std::size_t k = i; k < j; ++k)
                    index[k] = keyed[k - i].second;
            }
            i = j;
        }
        std::vector<FolderRecord> sorted;
        sorted.reserve(records.size());
        for (std::uint32_t k : index)
            sorted.push_back(records[k]);
        records = std::move(sorted);
    }
};

FolderSizeEngine::FolderSizeEngine(std::size_t capacity) : d(std::make_unique<Impl>(capacity)) {}
FolderSizeEngine::~FolderSizeEngine() = default;

void FolderSizeEngine::setYieldHook(std::function<void()> hook) { d->yieldHook = std::move(hook); }
void FolderSizeEngine::setStatusHook(std::function<void(const QString&)> hook) { d->statusHook = std::move(hook); }
void FolderSizeEngine::setSkippedFolderHook(std::function<void(const std::string&, int)> hook) {
    d->skippedHook = std::move(hook);
}

void FolderSizeEngine::begin(FolderScanMode mode) {
    d->mode = mode;
    d->abortScan = false;
    d->listFull = false;
    d->folders = 0;
    d->entries = 0;
    d->walker.reset();
    d->roots = {};
    d->records = {};
    d->paths = {};
    d->frames = {};
    d->packer = FileTimePacker();
}

bool FolderSizeEngine::scanDrive(const std::string& rootPath) {
    if (d->abortScan)
        return true;
    d->frames.clear();
    d->listingFolder = nullptr;
    const bool walked = d->walker.walk(rootPath, *d);
    if (d->abortScan)
        d->windDown();
    d->frames.clear();
    d->listingFolder = nullptr;
    return walked;
}

void FolderSizeEngine::finish() { d->order(); }

void FolderSizeEngine::abort() { d->abortScan = true; }
bool FolderSizeEngine::aborted() const { return d->abortScan; }
FolderScanMode FolderSizeEngine::mode() const { return d->mode; }
std::int64_t FolderSizeEngine::foldersSeen() const { return d->folders; }
std::int64_t FolderSizeEngine::entriesSeen() const { return d->entries; }

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
        out += resultLine(index).toUtf8().toStdString();
}

std::string FolderSizeEngine::resultPath(std::size_t index) const {
    return index < d->records.size() ? std::string(d->pathOf(d->records[index])) : std::string();
}

void FolderSizeEngine::appendResultPath(std::size_t index, std::string& out) const {
    if (index < d->records.size())
        out += d->pathOf(d->records[index]);
}

std::int64_t FolderSizeEngine::resultBytes(std::size_t index) const {
    return index < d->records.size() ? d->records[index].bytes : 0;
}

bool FolderSizeEngine::resultIsRoot(std::size_t index) const {
    return index < d->records.size() && d->records[index].isRoot;
}

ListedEntry FolderSizeEngine::resultEntry(std::size_t index) const {
    ListedEntry e;
    if (index >= d->records.size())
        return e;
    const FolderRecord& r = d->records[index];
    const Root& root = d->roots[r.root];
    e.root = root.path;
    e.rootIdentity = root.identity;
    e.isFolder = true;
    if (r.isRoot) {
        // A root has no entry in a parent of the walk: nothing can be reached to delete it.
        e.identity = root.identity;
        return e;
    }
    // The path is the root's, then the folder below it: "a/b/name" after the root's own text.
    const std::string_view path = d->pathOf(r);
    std::string_view below = path.substr(std::min(path.size(), root.path.size()));
    if (!below.empty() && below.front() == '/')
        below.remove_prefix(1);
    const std::size_t slash = below.rfind('/');
    e.folder = slash == std::string_view::npos ? std::string() : std::string(below.substr(0, slash));
    e.name = std::string(slash == std::string_view::npos ? below : below.substr(slash + 1));
    e.folderIdentity = {root.identity.device, static_cast<ino_t>(r.parentInode)};
    e.identity = {root.identity.device, static_cast<ino_t>(r.inode)};
    return e;
}

std::vector<std::uint32_t> FolderSizeEngine::resultKeys() const {
    std::vector<std::uint32_t> keys(d->records.size());
    std::iota(keys.begin(), keys.end(), 0u);
    return keys;
}

QString FolderSizeEngine::cellText(std::uint32_t key, int column) const {
    return key < d->records.size() ? d->field(d->records[key], column + 1) : QString();
}
