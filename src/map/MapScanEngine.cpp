// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/MapScanEngine.h"

#include "common/WalkReport.h"
#include "platform/FolderHandle.h"
#include "platform/FolderWalker.h"
#include "platform/ListedFolder.h"
#include "scans/ScanReplay.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unordered_set>

namespace {

std::int64_t nanoseconds(const timespec& t) { return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec; }

std::int64_t changedNsOf(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? nanoseconds(st.st_mtim) : 0;
}

std::string_view lastPart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

struct MapScanEngine::Impl final : FolderVisitor {
    std::function<void()> yieldHook;

    FolderWalker walker;
    ScanReplay* replay = nullptr; // the saved scan being read instead of the disk
    MapModel model;
    bool abortWalk = false;
    bool rootPending = false;
    std::int64_t files = 0;
    std::int64_t folders = 0;
    SkippedEntries skipped;
    std::int64_t walkStartNs = 0;
    // The folder being built, so that a failure to read it marks it.
    EntryIdentity current;

    // FolderVisitor
    bool shouldStop() override { return abortWalk; }
    bool wantsEveryEntry() override { return true; }
    bool wantsCreationTime() override { return false; }
    // A folder walked again: the name of its own first enterFolder (a root's is its whole path).
    std::string rebuiltName;
    bool rebuildPending = false;

    void enterFolder(const FolderHandle& folder) override {
        const std::int64_t changed = changedNsOf(folder.fd());
        if (rootPending)
            model.beginRoot(folder.path(), changed);
        else if (rebuildPending)
            model.enterFolder(rebuiltName, changed);
        else
            model.enterFolder(lastPart(folder.path()), changed);
        rootPending = false;
        rebuildPending = false;
        current = folder.identity();
        ++folders;
    }
    void yield() override {
        if (yieldHook)
            yieldHook();
    }
    void file(const FolderHandle&, const FsEntry& entry) override {
        model.addFile(entry.name, entry.size);
        ++files;
    }
    void leaveFolder(const FolderHandle&) override { model.leaveFolder(); }
    void folderSkipped(const FolderHandle& folder, std::string_view name, int error) override {
        // The folder being built could not be read: its tile says so.
        if (error != EXDEV && name.empty() && model.building() && folder.identity() == current)
            model.markUnreadable();
        skipped.addFolder(folder, name, error);
    }
    void entrySkipped(const FolderHandle& folder, std::string_view name, int error) override {
        skipped.addEntry(folder, name, error);
    }
    void entryExcluded(const FolderHandle& folder, std::string_view name, bool isFolder, std::string_view rule) override {
        skipped.addExcluded(folder, name, isFolder, rule);
    }
};

MapScanEngine::MapScanEngine() : d(std::make_unique<Impl>()) {}
MapScanEngine::~MapScanEngine() = default;

void MapScanEngine::setYieldHook(std::function<void()> hook) { d->yieldHook = std::move(hook); }
QString MapScanEngine::walkStatus() const {
    return WalkStatusText(d->replay ? d->replay->currentPath() : d->walker.currentPath());
}
SkippedEntries& MapScanEngine::skipped() { return d->skipped; }
const SkippedEntries& MapScanEngine::skipped() const { return d->skipped; }

void MapScanEngine::begin() {
    d->model.clear();
    d->walker.reset();
    d->abortWalk = false;
    d->files = d->folders = 0;
    d->skipped.clear();
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    d->walkStartNs = nanoseconds(now);
}

bool MapScanEngine::scanDrive(const std::string& rootPath) {
    if (d->abortWalk)
        return true;
    d->rootPending = true;
    const bool walked = d->walker.walk(rootPath, *d);
    d->rootPending = false;
    return walked;
}

bool MapScanEngine::scanSaved(ScanReplay& scan) {
    if (d->abortWalk)
        return true;
    d->rootPending = true;
    d->replay = &scan;
    const bool walked = scan.replay(*d);
    d->replay = nullptr;
    d->rootPending = false;
    return walked;
}

void MapScanEngine::finish() { d->model.finish(); }

void MapScanEngine::abort() { d->abortWalk = true; }
bool MapScanEngine::aborted() const { return d->abortWalk; }
std::int64_t MapScanEngine::filesSeen() const { return d->files; }
std::int64_t MapScanEngine::foldersSeen() const { return d->folders; }
const MapModel& MapScanEngine::model() const { return d->model; }
MapModel& MapScanEngine::model() { return d->model; }

std::uint32_t MapScanEngine::refreshFolder(std::uint32_t folder) {
    MapModel& m = d->model;
    if (folder == MapModel::Scan || folder >= m.folderCount() || m.folder(folder).removed)
        return MapModel::NoFolder;
    // The folder as a listed entry of its root, by the names the map holds (no identities: whatever
    // folder is there now is measured, as a new walk would).
    std::vector<std::uint32_t> chain;
    for (std::uint32_t f = folder; f != MapModel::Scan; f = m.folder(f).parent)
        chain.push_back(f);
    const std::uint32_t root = chain.back();
    ListedEntry entry;
    entry.root = std::string(m.folderName(root));
    entry.isFolder = true;
    if (folder != root) {
        for (std::size_t i = chain.size() - 1; i-- > 1;) {
            if (!entry.folder.empty())
                entry.folder += '/';
            entry.folder += m.folderName(chain[i]);
        }
        entry.name = std::string(m.folderName(folder));
    }
    FolderHandle handle = OpenListedFolderItself(entry);
    const int error = handle.valid() ? 0 : handle.error();
    const std::uint32_t parent = m.folder(folder).parent;
    if (error == ENOENT || error == ENOTDIR || error == ELOOP || error == EXDEV) {
        m.removeFolder(folder);
        return MapModel::NoFolder;
    }
    d->abortWalk = false;
    d->walker.reset();
    m.beginRebuild(folder);
    d->rebuiltName = folder == root ? entry.root : entry.name;
    if (error != 0) {
        // Not to be opened now: its tile says it may hold more, as a walk's would.
        m.enterFolder(d->rebuiltName, 0);
        m.markUnreadable();
        m.leaveFolder();
        d->skipped.addFolder(handle, {}, error);
    } else {
        d->rebuildPending = true;
        const std::string below = entry.folder.empty() ? entry.name : entry.folder + "/" + entry.name;
        d->walker.walkBelow(std::move(handle), below, *d);
        d->rebuildPending = false;
    }
    m.endRebuild();
    // Its new self is the last folder made below parent.
    for (std::uint32_t f = std::uint32_t(m.folderCount()); f-- > 0;)
        if (m.folder(f).parent == parent && !m.folder(f).removed)
            return f;
    return MapModel::NoFolder;
}

std::size_t MapScanEngine::recheck() {
    MapModel& m = d->model;
    // A folder changed within the walk (or a second before it) may change again within the same
    // tick of its file system's clock: such a folder is listed again whatever its time says.
    const std::int64_t recentNs = d->walkStartNs - 1'000'000'000;
    std::vector<std::uint32_t> goneFolders;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> goneFiles;
    std::vector<bool> skip(m.folderCount(), false);
    FolderListing listing;
    std::unordered_set<std::string_view> present;

    struct Step {
        std::uint32_t folder;
        std::uint32_t nextChild;
        std::size_t pathLength;
    };
    std::vector<Step> stack;
    std::string path; // one buffer, grown and cut as the check goes down and back up

    auto check = [&](std::uint32_t folder, bool isRoot) {
        struct stat st {};
        // A root is named as the user gave it (links followed); nothing below it is.
        if (::fstatat(AT_FDCWD, path.c_str(), &st, isRoot ? 0 : AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT || errno == ENOTDIR) {
                goneFolders.push_back(folder);
                skip[folder] = true;
            }
            return; // any other failure tells nothing: the folder stays as it was
        }
        if (!S_ISDIR(st.st_mode)) {
            goneFolders.push_back(folder);
            skip[folder] = true;
            return;
        }
        const MapFolder& f = m.folder(folder);
        const std::int64_t changed = nanoseconds(st.st_mtim);
        if (changed == f.changedNs && f.changedNs < recentNs)
            return;
        FolderHandle handle = FolderHandle::open(path);
        if (!handle.valid() || !ReadFolderNames(handle, listing))
            return;
        present.clear();
        for (std::size_t i = 0; i < listing.size(); ++i)
            present.insert(listing.name(i));
        for (std::uint32_t i = f.firstFile; i < f.firstFile + f.fileCount; ++i)
            if (!m.file(i).removed && !present.count(m.fileName(i)))
                goneFiles.emplace_back(folder, i);
        for (std::uint32_t c = 0; c < f.childCount; ++c) {
            const std::uint32_t sub = m.child(f.firstChild + c);
            if (!m.folder(sub).removed && !present.count(m.folderName(sub))) {
                goneFolders.push_back(sub);
                skip[sub] = true;
            }
        }
        m.setChanged(folder, changed);
    };

    stack.push_back({MapModel::Scan, 0, 0});
    while (!stack.empty()) {
        Step& step = stack.back();
        const MapFolder& f = m.folder(step.folder);
        if (step.nextChild >= f.childCount) {
            stack.pop_back();
            continue;
        }
        const std::uint32_t sub = m.child(f.firstChild + step.nextChild++);
        if (m.folder(sub).removed || skip[sub])
            continue;
        path.resize(step.pathLength);
        if (step.folder != MapModel::Scan && (path.empty() || path.back() != '/'))
            path += '/';
        path += m.folderName(sub);
        check(sub, step.folder == MapModel::Scan);
        if (!skip[sub])
            stack.push_back({sub, 0, path.size()});
    }

    for (const auto& [folder, file] : goneFiles)
        m.removeFile(folder, file);
    for (std::uint32_t folder : goneFolders)
        m.removeFolder(folder);
    return goneFiles.size() + goneFolders.size();
}
