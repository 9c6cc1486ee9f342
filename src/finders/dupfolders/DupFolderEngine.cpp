// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dupfolders/DupFolderEngine.h"

#include "common/DisplayText.h"
#include "common/NumberTexts.h"
#include "common/WalkReport.h"
#include "finders/dup/ContentCompare.h"
#include "finders/dupfolders/DupFolderMatcher.h"
#include "finders/dupfolders/DupFolderTree.h"
#include "platform/FolderWalker.h"
#include "platform/FsEntry.h"
#include "platform/ListedFolder.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <numeric>

namespace {

std::int64_t limitBytes(std::int64_t k) {
    constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max() / 1024;
    return k > most ? std::numeric_limits<std::int64_t>::max() : k * 1024;
}

// Builds a DupFolderTree from a walk: every entry counts, hidden ones too, links as themselves.
class TreeBuilder final : public FolderVisitor {
public:
    explicit TreeBuilder(DupFolderTree& tree) : m_tree(tree) {}

    std::function<void()> yieldHook;
    std::function<void()> enterHook;
    SkippedEntries* skipped = nullptr;
    std::function<bool()> stop;

    bool shouldStop() override { return stop && stop(); }
    bool wantsEveryEntry() override { return true; }
    bool wantsHiddenEntries() override { return true; }
    bool wantsCreationTime() override { return false; }
    void enterFolder(const FolderHandle& folder) override {
        m_tree.enterFolder(folder);
        if (enterHook)
            enterHook();
    }
    void folderEntry(const FolderHandle&, std::string_view, bool isFolder) override {
        if (!isFolder)
            m_tree.listedFile();
    }
    void yield() override {
        if (yieldHook)
            yieldHook();
    }
    void beginFiles(const FolderHandle&) override { m_tree.beginFiles(); }
    void file(const FolderHandle& folder, const FsEntry& entry) override { m_tree.addEntry(folder, entry); }
    void subFolderEntry(const FolderHandle&, std::string_view) override { m_tree.listedSubFolder(); }
    void leaveFolder(const FolderHandle&) override { m_tree.leaveFolder(); }
    // Whatever could not be walked or examined leaves the folder that lists it (or itself) unknown.
    void folderSkipped(const FolderHandle& folder, std::string_view name, int error) override {
        m_tree.markIncomplete();
        skipped->addFolder(folder, name, error);
    }
    void entrySkipped(const FolderHandle& folder, std::string_view name, int error) override {
        m_tree.markIncomplete();
        skipped->addEntry(folder, name, error);
    }
    // A folder with something left out is not known whole either: deleting it as a copy would take
    // what was never compared.
    void entryExcluded(const FolderHandle& folder, std::string_view name, bool isFolder, std::string_view rule) override {
        m_tree.markIncomplete();
        if (skipped)
            skipped->addExcluded(folder, name, isFolder, rule);
    }

private:
    DupFolderTree& m_tree;
};

} // namespace

struct DupFolderEngine::Impl {
    std::function<void()> yieldHook;

    DupFolderCriteria criteria;
    std::int64_t low = 0;
    std::int64_t high = 0;
    bool abortScan = false;
    bool inCompare = false;
    std::int64_t folders = 0;

    DupFolderTree tree;
    FolderWalker walker;
    TreeBuilder builder{tree};
    ContentCompare compare;

    SkippedEntries skipped;
    std::int64_t unreadableFiles = 0;
    std::int64_t changed = 0;

    struct Result {
        std::uint32_t folder;
        std::uint32_t group;
        Role role;
        std::uint32_t share;
        std::int64_t freed;
    };
    std::vector<Result> results;
    std::size_t groups = 0;
    std::vector<std::int64_t> waste; // per group

    Impl() {
        builder.yieldHook = [this] {
            if (yieldHook)
                yieldHook();
        };
        builder.enterHook = [this] { ++folders; };
        builder.skipped = &skipped;
        builder.stop = [this] { return abortScan; };
        compare.setYieldHook([this] {
            if (yieldHook)
                yieldHook();
        });
    }

    bool passes(std::int64_t bytes) const {
        switch (criteria.range) {
        case SizeRange::LargerOrEqual:
            return low <= bytes;
        case SizeRange::SmallerOrEqual:
            return bytes <= low;
        case SizeRange::Between:
            return low <= bytes && bytes <= high;
        }
        return false;
    }

    // Walks the folder again: it is unchanged when it is the same folder, read whole, with the same
    // names, kinds, sizes, inodes and modification times everywhere below it.
    bool unchanged(std::uint32_t f) {
        DupFolderTree now;
        TreeBuilder look(now);
        look.yieldHook = builder.yieldHook;
        look.stop = builder.stop;
        FolderWalker again;
        if (!again.walk(tree.folderPath(f), look) || abortScan)
            return false;
        now.leaveAll();
        const DupFolderTree::Folder& was = tree.folder(f);
        return now.folderCount() > 0 && !now.folder(0).incomplete && now.folder(0).identity == was.identity &&
               now.folder(0).state == was.state;
    }

    std::string path(std::size_t i) const { return tree.folderPath(results[i].folder); }

    QString note(const Result& r) const {
        switch (r.role) {
        case Role::Copy:
            return r.freed == 0 && tree.folder(r.folder).bytes > 0 ? QStringLiteral("hard links") : QString();
        case Role::Subset:
            return QStringLiteral("subset");
        case Role::Holder:
            return QStringLiteral("contains %1%").arg(r.share / 100);
        }
        return {};
    }

    void order(std::vector<DupFolderGroup>& found) {
        // Copies in path order; groups by the bytes their extra copies take, subsets after them.
        std::vector<std::pair<DupFolderGroup, std::string>> keyed;
        for (DupFolderGroup& g : found) {
            std::vector<std::pair<std::string, DupFolderMember>> members;
            for (const DupFolderMember& m : g.members)
                members.emplace_back(tree.folderPath(m.folder), m);
            if (!g.subset) // a subset stays before its holders
                std::sort(members.begin(), members.end(),
                          [](const auto& a, const auto& b) { return a.first < b.first; });
            g.members.clear();
            for (auto& [p, m] : members)
                g.members.push_back(m);
            keyed.emplace_back(std::move(g), std::move(members.front().first));
        }
        std::stable_sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
            if (a.first.subset != b.first.subset)
                return !a.first.subset;
            const std::int64_t ka =
                a.first.subset ? tree.folder(a.first.members.front().folder).bytes : a.first.waste;
            const std::int64_t kb =
                b.first.subset ? tree.folder(b.first.members.front().folder).bytes : b.first.waste;
            if (ka != kb)
                return ka > kb;
            const std::int64_t ba = tree.folder(a.first.members.front().folder).bytes;
            const std::int64_t bb = tree.folder(b.first.members.front().folder).bytes;
            return ba != bb ? ba > bb : a.second < b.second;
        });
        results.clear();
        groups = keyed.size();
        waste.clear();
        std::uint32_t number = 0;
        for (const auto& [g, first] : keyed) {
            ++number;
            waste.push_back(g.subset ? 0 : g.waste);
            for (std::size_t i = 0; i < g.members.size(); ++i) {
                const DupFolderMember& m = g.members[i];
                const Role role = !g.subset ? Role::Copy : i == 0 ? Role::Subset : Role::Holder;
                results.push_back({m.folder, number, role, m.share, m.freed});
            }
        }
    }
};

DupFolderEngine::DupFolderEngine() : d(std::make_unique<Impl>()) {}
DupFolderEngine::~DupFolderEngine() = default;

void DupFolderEngine::setYieldHook(std::function<void()> hook) {
    d->yieldHook = std::move(hook);
}
QString DupFolderEngine::walkStatus() const {
    return WalkStatusText(d->walker.currentPath());
}
SkippedEntries& DupFolderEngine::skipped() {
    return d->skipped;
}
const SkippedEntries& DupFolderEngine::skipped() const {
    return d->skipped;
}

void DupFolderEngine::begin(const DupFolderCriteria& criteria) {
    d->criteria = criteria;
    d->low = criteria.limit1Bytes >= 0 ? criteria.limit1Bytes : limitBytes(criteria.limit1K);
    d->high = criteria.limit2Bytes >= 0 ? criteria.limit2Bytes : limitBytes(criteria.limit2K);
    d->abortScan = false;
    d->inCompare = false;
    d->folders = 0;
    d->tree.clear();
    d->walker.reset();
    d->compare.clear();
    d->skipped.clear();
    d->unreadableFiles = 0;
    d->changed = 0;
    d->results.clear();
    d->groups = 0;
    d->waste.clear();
}

bool DupFolderEngine::scanDrive(const std::string& rootPath) {
    if (d->abortScan)
        return true;
    const bool opened = d->walker.walk(rootPath, d->builder);
    d->tree.leaveAll(); // a stopped walk leaves its open folders incomplete
    return opened;
}

void DupFolderEngine::finish() {
    d->results.clear();
    d->groups = 0;
    d->waste.clear();
    if (d->abortScan)
        return;
    d->inCompare = true;
    DupFolderMatcher matcher(d->tree, d->compare);
    matcher.setEligible([this](std::uint32_t f) { return d->passes(d->tree.folder(f).bytes); });
    matcher.setUnchanged([this](std::uint32_t f) { return d->unchanged(f); });
    std::vector<DupFolderGroup> found = matcher.run(d->criteria.subsets);
    d->inCompare = false;
    d->unreadableFiles = matcher.unreadableFiles();
    d->changed = matcher.changedFolders();
    if (d->abortScan || d->compare.aborted())
        return;
    d->order(found);
}

void DupFolderEngine::abort() {
    d->abortScan = true;
    d->compare.abort();
}
bool DupFolderEngine::aborted() const {
    return d->abortScan;
}
bool DupFolderEngine::comparing() const {
    return d->inCompare;
}
const DupFolderCriteria& DupFolderEngine::criteria() const {
    return d->criteria;
}

std::int64_t DupFolderEngine::filesSeen() const {
    return std::int64_t(d->tree.entryCount());
}
std::int64_t DupFolderEngine::foldersSeen() const {
    return d->folders;
}
std::int64_t DupFolderEngine::bytesRead() const {
    return d->compare.bytesRead();
}
std::size_t DupFolderEngine::memoryBytes() const {
    return d->tree.memoryBytes();
}

std::int64_t DupFolderEngine::unreadableFiles() const {
    return d->unreadableFiles;
}
std::int64_t DupFolderEngine::changedFolders() const {
    return d->changed;
}

std::size_t DupFolderEngine::groupCount() const {
    return d->groups;
}
std::int64_t DupFolderEngine::groupWaste(std::uint32_t group) const {
    return group >= 1 && group <= d->waste.size() ? d->waste[group - 1] : 0;
}
std::size_t DupFolderEngine::resultCount() const {
    return d->results.size();
}

std::uint32_t DupFolderEngine::resultGroup(std::size_t i) const {
    return i < d->results.size() ? d->results[i].group : 0;
}
DupFolderEngine::Role DupFolderEngine::resultRole(std::size_t i) const {
    return i < d->results.size() ? d->results[i].role : Role::Copy;
}
std::int64_t DupFolderEngine::resultBytes(std::size_t i) const {
    return i < d->results.size() ? d->tree.folder(d->results[i].folder).bytes : 0;
}
std::uint64_t DupFolderEngine::resultFiles(std::size_t i) const {
    return i < d->results.size() ? d->tree.folder(d->results[i].folder).entries : 0;
}
std::int64_t DupFolderEngine::resultFreed(std::size_t i) const {
    return i < d->results.size() ? d->results[i].freed : 0;
}
std::uint32_t DupFolderEngine::resultShare(std::size_t i) const {
    return i < d->results.size() ? d->results[i].share : 0;
}
bool DupFolderEngine::resultIsRoot(std::size_t i) const {
    return i < d->results.size() && d->tree.folder(d->results[i].folder).parent == DupFolderTree::None;
}
std::string DupFolderEngine::resultPath(std::size_t i) const {
    return i < d->results.size() ? d->path(i) : std::string();
}
ListedEntry DupFolderEngine::resultEntry(std::size_t i) const {
    return i < d->results.size() ? d->tree.listedFolder(d->results[i].folder) : ListedEntry();
}

bool DupFolderEngine::resultStillThere(std::size_t i) const {
    if (i >= d->results.size())
        return false;
    const ListedEntry e = resultEntry(i);
    if (e.name.empty()) {
        const FolderHandle root = FolderHandle::open(e.root);
        return root.valid() && root.identity() == e.identity;
    }
    const FolderHandle parent = OpenListedFolder(e);
    FsEntry now;
    return parent.valid() && StatEntry(parent, e.name, now, false) == 0 && now.isFolder() &&
           EntryIdentity{now.device, now.inode} == e.identity;
}

QString DupFolderEngine::resultLine(std::size_t i) const {
    if (i >= d->results.size())
        return {};
    const Impl::Result& r = d->results[i];
    const DupFolderTree::Folder& f = d->tree.folder(r.folder);
    return QString::number(f.bytes) + u'\t' + QString::number(f.entries) + u'\t' + d->note(r) + u'\t' +
           DisplayText(d->path(i));
}

void DupFolderEngine::appendResultLineUtf8(std::size_t i, std::string& out) const {
    if (i >= d->results.size())
        return;
    const Impl::Result& r = d->results[i];
    const DupFolderTree::Folder& f = d->tree.folder(r.folder);
    out += std::to_string(f.bytes);
    out += '\t';
    out += std::to_string(f.entries);
    out += '\t';
    out += d->note(r).toStdString();
    out += '\t';
    AppendDisplayUtf8(d->path(i), out);
}

void DupFolderEngine::appendResultPath(std::size_t i, std::string& out) const {
    if (i < d->results.size())
        out += d->path(i);
}

QStringList DupFolderEngine::resultLines() const {
    QStringList lines;
    for (std::size_t i = 0; i < d->results.size(); ++i) {
        lines.append(resultLine(i));
        if (i + 1 == d->results.size() || d->results[i + 1].group != d->results[i].group)
            lines.append(QString());
    }
    return lines;
}

std::vector<std::uint32_t> DupFolderEngine::resultKeys() const {
    std::vector<std::uint32_t> keys(d->results.size());
    std::iota(keys.begin(), keys.end(), 0u);
    return keys;
}

QString DupFolderEngine::cellText(std::uint32_t key, int column) const {
    if (key >= d->results.size())
        return {};
    const Impl::Result& r = d->results[key];
    const DupFolderTree::Folder& f = d->tree.folder(r.folder);
    switch (column) {
    case 0:
        return QString::number(r.group);
    case 1:
        return FormatThousands(f.bytes);
    case 2:
        return FormatThousands(qint64(f.entries));
    case 3:
        return d->note(r);
    case 4:
        return DisplayText(d->path(key));
    default:
        return {};
    }
}
