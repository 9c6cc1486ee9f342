// SPDX-License-Identifier: GPL-3.0-or-later
#include "scans/FolderTotals.h"

#include "common/DisplayText.h"
#include "common/SaturatingSum.h"
#include "platform/FolderVisitorPair.h"
#include "platform/ListedFolder.h"

#include <algorithm>
#include <cerrno>
#include <limits>

void FolderTotals::clear() {
    m_rootPath.clear();
    m_folders.clear();
    m_names.clear();
    m_current = None;
    m_unread = 0;
}

void FolderTotals::enterFolder(const FolderHandle& folder) {
    Folder f;
    if (m_folders.empty()) {
        m_rootPath.assign(folder.path());
    } else {
        const std::string_view name = folder.name();
        f.parent = m_current;
        f.nameOffset = std::uint32_t(m_names.size());
        f.nameLength = std::uint32_t(name.size());
        m_names += name;
        f.nextSibling = m_folders[m_current].firstChild;
        m_folders[m_current].firstChild = std::uint32_t(m_folders.size());
    }
    m_current = std::uint32_t(m_folders.size());
    m_folders.push_back(f);
}

void FolderTotals::file(const FolderHandle&, const FsEntry& entry) {
    if (m_current != None)
        m_folders[m_current].bytes = SaturatingAdd(m_folders[m_current].bytes, entry.size);
}

void FolderTotals::leaveFolder(const FolderHandle&) {
    const std::uint32_t parent = m_folders[m_current].parent;
    if (parent != None)
        m_folders[parent].bytes = SaturatingAdd(m_folders[parent].bytes, m_folders[m_current].bytes);
    m_current = parent;
}

void FolderTotals::folderSkipped(const FolderHandle&, std::string_view, int error) {
    if (error != EXDEV)
        ++m_unread;
}

void FolderTotals::entrySkipped(const FolderHandle&, std::string_view, int) {
    ++m_unread;
}

std::string FolderTotals::pathOf(std::uint32_t folder) const {
    std::vector<std::uint32_t> chain;
    for (std::uint32_t f = folder; f != None && f != 0; f = m_folders[f].parent)
        chain.push_back(f);
    std::string path = m_rootPath;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (path.empty() || path.back() != '/')
            path += '/';
        path += nameOf(*it);
    }
    return path;
}

std::uint32_t FolderTotals::findFolder(std::string_view path) const {
    if (m_folders.empty() || path.substr(0, m_rootPath.size()) != m_rootPath)
        return None;
    std::string_view rest = path.substr(m_rootPath.size());
    if (!rest.empty() && m_rootPath.back() != '/') {
        if (rest.front() != '/')
            return None;
        rest.remove_prefix(1);
    }
    std::uint32_t at = 0;
    while (!rest.empty() && at != None) {
        const std::size_t slash = rest.find('/');
        const std::string_view name = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        std::uint32_t c = m_folders[at].firstChild;
        while (c != None && nameOf(c) != name)
            c = m_folders[c].nextSibling;
        at = c;
    }
    return at;
}

void FolderTotals::detach(std::uint32_t folder) {
    const std::uint32_t parent = m_folders[folder].parent;
    std::uint32_t* link = &m_folders[parent].firstChild;
    while (*link != None && *link != folder)
        link = &m_folders[*link].nextSibling;
    if (*link == folder)
        *link = m_folders[folder].nextSibling;
    const std::int64_t bytes = m_folders[folder].bytes;
    for (std::uint32_t f = parent; f != None; f = m_folders[f].parent)
        m_folders[f].bytes = SaturatingSub(m_folders[f].bytes, bytes);
    m_folders[folder].parent = None;
}

std::uint32_t FolderTotals::refreshFolder(std::uint32_t folder, FolderVisitor* beside) {
    if (folder >= m_folders.size() || (folder != 0 && m_folders[folder].parent == None))
        return None;
    FolderWalker walker;
    auto walk = [&](auto&& run) {
        if (beside) {
            FolderVisitorPair both(*this, *beside);
            run(both);
        } else {
            run(*this);
        }
    };
    if (folder == 0) {
        const std::string root = m_rootPath;
        clear();
        walk([&](FolderVisitor& v) { walker.walk(root, v); });
        return m_folders.empty() ? None : 0;
    }
    // The folder as a listed entry of the root, by the names the tree holds.
    ListedEntry entry;
    entry.root = m_rootPath;
    entry.isFolder = true;
    entry.name = std::string(nameOf(folder));
    const std::string path = pathOf(folder);
    const std::size_t cut = m_rootPath.back() == '/' ? m_rootPath.size() : m_rootPath.size() + 1;
    const std::string below = path.substr(cut);
    entry.folder = below.size() > entry.name.size() ? below.substr(0, below.size() - entry.name.size() - 1) : "";
    const std::uint32_t parent = m_folders[folder].parent;
    detach(folder);
    FolderHandle handle = OpenListedFolderItself(entry);
    if (!handle.valid()) {
        if (handle.error() != ENOENT && handle.error() != ENOTDIR && handle.error() != ELOOP &&
            handle.error() != EXDEV)
            ++m_unread;
        return None;
    }
    // The walk goes on below the parent: what it adds there is added above it too.
    const std::int64_t before = m_folders[parent].bytes;
    m_current = parent;
    const std::uint32_t made = std::uint32_t(m_folders.size());
    walk([&](FolderVisitor& v) { walker.walkBelow(std::move(handle), below, v); });
    // A stopped walk leaves folders open: each gives what it got to the one above.
    while (m_current != parent && m_current != None)
        leaveFolder(FolderHandle());
    m_current = None;
    const std::int64_t added = SaturatingSub(m_folders[parent].bytes, before);
    for (std::uint32_t f = m_folders[parent].parent; f != None; f = m_folders[f].parent)
        m_folders[f].bytes = SaturatingAdd(m_folders[f].bytes, added);
    return made < m_folders.size() ? made : None;
}

std::int64_t FolderChange::change() const {
    std::int64_t d = 0;
    if (__builtin_sub_overflow(newBytes, oldBytes, &d))
        return newBytes > oldBytes ? std::numeric_limits<std::int64_t>::max()
                                   : std::numeric_limits<std::int64_t>::min();
    return d;
}

std::string FolderChange::changeText() const {
    const std::int64_t d = change();
    std::string text(d >= 0 ? "+" : "");
    text += std::to_string(d);
    return text;
}

const char* FolderChange::kindText(Kind kind) {
    switch (kind) {
    case Grown:
        return "grown";
    case Shrunk:
        return "shrunk";
    case Added:
        return "added";
    case Removed:
        return "removed";
    }
    return "";
}

namespace {

// The children of folder, by name bytes.
std::vector<std::uint32_t> sortedChildren(const FolderTotals& t, std::uint32_t folder) {
    std::vector<std::uint32_t> children;
    for (std::uint32_t c = t.folders()[folder].firstChild; c != FolderTotals::None;
         c = t.folders()[c].nextSibling)
        children.push_back(c);
    std::sort(children.begin(), children.end(),
              [&](std::uint32_t a, std::uint32_t b) { return t.nameOf(a) < t.nameOf(b); });
    return children;
}

std::uint64_t magnitude(std::int64_t v) {
    return v < 0 ? std::uint64_t(0) - std::uint64_t(v) : std::uint64_t(v);
}

} // namespace

std::vector<FolderChange> CompareFolderTotals(const FolderTotals& older, const FolderTotals& newer,
                                              bool all) {
    std::vector<FolderChange> changes;
    if (older.folders().empty() || newer.folders().empty())
        return changes;
    auto keep = [&](const FolderChange& c) {
        if (c.change() != 0)
            changes.push_back(c);
    };
    // Depth first, a folder before the folders in it and those in name order, without recursion: the
    // order equal changes keep, so no path is made to order them (a deep chain has a long one).
    struct Step {
        std::uint32_t older, newer; // None on the side that lacks the folder
        std::size_t depth;
    };
    std::vector<Step> stack{{0, 0, 0}};
    std::vector<Step> children;
    while (!stack.empty()) {
        const Step step = stack.back();
        stack.pop_back();
        if (all || step.depth == 1) {
            FolderChange c;
            c.oldFolder = step.older;
            c.newFolder = step.newer;
            c.oldBytes = step.older == FolderTotals::None ? 0 : older.folders()[step.older].bytes;
            c.newBytes = step.newer == FolderTotals::None ? 0 : newer.folders()[step.newer].bytes;
            c.kind = step.older == FolderTotals::None   ? FolderChange::Added
                     : step.newer == FolderTotals::None ? FolderChange::Removed
                     : c.newBytes >= c.oldBytes         ? FolderChange::Grown
                                                        : FolderChange::Shrunk;
            keep(c);
        }
        if (!all && step.depth == 1)
            continue;
        const std::vector<std::uint32_t> a = step.older == FolderTotals::None
                                                 ? std::vector<std::uint32_t>()
                                                 : sortedChildren(older, step.older);
        const std::vector<std::uint32_t> b = step.newer == FolderTotals::None
                                                 ? std::vector<std::uint32_t>()
                                                 : sortedChildren(newer, step.newer);
        children.clear();
        std::size_t i = 0, j = 0;
        while (i < a.size() || j < b.size()) {
            const int order = i == a.size()   ? 1
                              : j == b.size() ? -1
                                              : older.nameOf(a[i]).compare(newer.nameOf(b[j]));
            if (order == 0)
                children.push_back({a[i++], b[j++], step.depth + 1});
            else if (order < 0)
                children.push_back({a[i++], FolderTotals::None, step.depth + 1});
            else
                children.push_back({FolderTotals::None, b[j++], step.depth + 1});
        }
        stack.insert(stack.end(), children.rbegin(), children.rend()); // the first name is taken next
    }
    std::stable_sort(changes.begin(), changes.end(), [](const FolderChange& x, const FolderChange& y) {
        return magnitude(x.change()) > magnitude(y.change());
    });
    return changes;
}

std::string ChangePath(const FolderChange& change, const FolderTotals& older, const FolderTotals& newer) {
    return change.newFolder != FolderTotals::None ? newer.pathOf(change.newFolder)
                                                  : older.pathOf(change.oldFolder);
}

std::string ChangeLine(const FolderChange& change, const FolderTotals& older, const FolderTotals& newer) {
    const std::string path = ChangePath(change, older, newer);
    const QByteArray shown = DisplayText(path).toUtf8();
    return change.changeText() + '\t' + std::to_string(change.oldBytes) + '\t' +
           std::to_string(change.newBytes) + '\t' + FolderChange::kindText(change.kind) + '\t' +
           std::string(shown.constData(), std::size_t(shown.size()));
}
