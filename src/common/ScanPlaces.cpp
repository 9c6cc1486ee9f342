// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ScanPlaces.h"

#include "common/DisplayText.h"

#include <algorithm>
#include <numeric>

namespace {
// Names are at most 255 bytes on Linux; the table keeps 16 bits of length, and a folder index
// shares its word with a flag in the records that point here.
constexpr std::size_t kMaxName = 0xFFFF;
constexpr std::size_t kMaxFolders = (std::size_t(1) << 31) - 2;
} // namespace

void ScanPlaces::clear() {
    m_shown = {};
    m_folders = {};
    m_names = {};
    m_roots = {};
    m_way = {};
    m_wayNames = {};
    m_wayRoot = None;
}

std::uint32_t ScanPlaces::addNode(std::uint32_t parent, std::string_view name, EntryIdentity identity,
                                  std::uint32_t root) {
    if (m_folders.size() >= kMaxFolders || name.size() > kMaxName)
        return None;
    const std::uint32_t depth = parent == None ? 0 : m_folders[parent].depth + 1;
    m_folders.push_back(
        {m_names.size(), identity, parent, root, depth, static_cast<std::uint16_t>(name.size())});
    m_names.append(name);
    return static_cast<std::uint32_t>(m_folders.size() - 1);
}

std::uint32_t ScanPlaces::addNames(std::uint32_t parent, std::string_view names, std::uint32_t root) {
    for (std::size_t at = 0; at < names.size();) {
        std::size_t slash = names.find('/', at);
        if (slash == std::string_view::npos)
            slash = names.size();
        if (slash > at && (parent = addNode(parent, names.substr(at, slash - at), {}, root)) == None)
            return None;
        at = slash + 1;
    }
    return parent;
}

bool ScanPlaces::addRoot(std::string_view path, EntryIdentity identity) {
    m_way.clear();
    m_wayNames.clear();
    if (m_roots.size() >= kMaxFolders || path.empty())
        return false;
    const auto root = static_cast<std::uint32_t>(m_roots.size());
    // The parts above the root: "/tmp/x" is "" (the top, shown as "/"), "tmp", then the root "x".
    const std::uint32_t parent = path.front() == '/'
                                     ? addNames(addNode(None, {}, {}, None), path.substr(1), None)
                                     : addNames(None, path, None);
    if (parent == None)
        return false;
    m_folders[parent].identity = identity;
    m_folders[parent].root = root;
    m_roots.push_back({std::string(path), identity, parent});
    m_way.push_back({parent, 0, 0, identity});
    m_wayRoot = root;
    return true;
}

void ScanPlaces::resumeAt(std::uint32_t folder) {
    m_way.clear();
    m_wayNames.clear();
    m_wayRoot = m_folders[folder].root;
    const std::uint32_t top = m_wayRoot == None ? None : m_roots[m_wayRoot].folder;
    for (std::uint32_t f = folder;; f = m_folders[f].parent) {
        m_way.push_back({f, 0, 0, m_folders[f].identity});
        if (f == top || m_folders[f].parent == None)
            break;
    }
    std::reverse(m_way.begin(), m_way.end());
}

bool ScanPlaces::liesIn(std::uint32_t folder, std::uint32_t above) const {
    const std::uint32_t depth = m_folders[above].depth;
    while (folder != None && m_folders[folder].depth > depth)
        folder = m_folders[folder].parent;
    return folder == above;
}

void ScanPlaces::enter(std::string_view name, EntryIdentity identity) {
    m_way.push_back({None, static_cast<std::uint32_t>(m_wayNames.size()),
                     static_cast<std::uint16_t>(std::min(name.size(), kMaxName)), identity});
    m_wayNames.append(name.substr(0, kMaxName));
}

void ScanPlaces::leave() {
    if (m_way.size() <= 1)
        return; // the root stays until the next one
    m_wayNames.resize(m_way.back().nameOffset);
    m_way.pop_back();
}

std::uint32_t ScanPlaces::current() {
    if (m_way.empty() || m_roots.empty())
        return None;
    std::size_t added = m_way.size();
    while (added > 0 && m_way[added - 1].folder == None)
        --added;
    if (added == 0)
        return None;
    for (std::size_t i = added; i < m_way.size(); ++i) {
        Step& step = m_way[i];
        step.folder = addNode(m_way[i - 1].folder, {m_wayNames.data() + step.nameOffset, step.nameLength},
                              step.identity, m_wayRoot);
        if (step.folder == None)
            return None;
    }
    return m_way.back().folder;
}

std::uint32_t ScanPlaces::addFolderPath(std::string_view path, EntryIdentity identity) {
    if (m_roots.empty())
        return None;
    const Root& root = m_roots.back();
    const std::string_view rootPath = root.path;
    std::string_view below;
    if (path == rootPath)
        below = {};
    else if (path.size() > rootPath.size() && path.substr(0, rootPath.size()) == rootPath &&
             (rootPath.back() == '/' || path[rootPath.size()] == '/'))
        below = path.substr(rootPath.back() == '/' ? rootPath.size() : rootPath.size() + 1);
    else
        return None; // not below the root: there would be no way to reach it from there
    const std::uint32_t folder = addNames(root.folder, below, static_cast<std::uint32_t>(m_roots.size() - 1));
    if (folder != None)
        m_folders[folder].identity = identity;
    return folder;
}

bool ScanPlaces::isRoot(std::uint32_t folder) const {
    const Folder& f = m_folders[folder];
    return f.root != None && m_roots[f.root].folder == folder;
}

void ScanPlaces::appendFolderPath(std::uint32_t folder, std::string& out) const {
    // Measured first, then filled from the end: no list of the folders on the way is needed.
    std::size_t length = 0;
    for (std::uint32_t f = folder; f != None;) {
        const Folder& node = m_folders[f];
        const std::uint32_t up = node.parent;
        if (up == None)
            length += node.nameLength == 0 ? 1 : node.nameLength; // the top "" is "/"
        else
            length +=
                node.nameLength + (m_folders[up].parent == None && m_folders[up].nameLength == 0 ? 0 : 1);
        f = up;
    }
    const std::size_t start = out.size();
    out.resize(start + length);
    char* end = out.data() + start + length;
    for (std::uint32_t f = folder; f != None;) {
        const Folder& node = m_folders[f];
        const std::uint32_t up = node.parent;
        end -= node.nameLength;
        m_names.copy(end, node.nameLength, node.nameOffset);
        if (up == None) {
            if (node.nameLength == 0)
                *--end = '/';
        } else if (!(m_folders[up].parent == None && m_folders[up].nameLength == 0)) {
            *--end = '/';
        }
        f = up;
    }
}

std::string ScanPlaces::folderPath(std::uint32_t folder) const {
    std::string p;
    appendFolderPath(folder, p);
    return p;
}

void ScanPlaces::appendPath(std::uint32_t folder, std::string_view name, std::string& out) const {
    appendFolderPath(folder, out);
    if (out.empty() || out.back() != '/')
        out += '/';
    out += name;
}

std::string ScanPlaces::path(std::uint32_t folder, std::string_view name) const {
    std::string p;
    appendPath(folder, name, p);
    return p;
}

std::string_view ScanPlaces::displayPath(std::uint32_t folder) const {
    // Paths shown one after the other share their beginning more often than not (a folder and its
    // sub-folders, files of one folder): what the last one shares with this one is not made again.
    // Here the folders below that shared part, deepest first.
    std::vector<std::uint32_t>& way = m_shown.scratch;
    way.clear();
    std::uint32_t f = folder;
    for (; f != None; f = m_folders[f].parent) {
        const std::uint32_t depth = m_folders[f].depth;
        if (depth < m_shown.way.size() && m_shown.way[depth] == f)
            break;
        way.push_back(f);
    }
    const std::size_t same = f == None ? 0 : m_folders[f].depth + 1;
    m_shown.way.resize(same);
    m_shown.ends.resize(same);
    m_shown.text.resize(same > 0 ? m_shown.ends[same - 1] : 0);
    for (auto it = way.rbegin(); it != way.rend(); ++it) {
        const std::string_view name = nameOf(*it);
        if (m_shown.way.empty() && name.empty())
            m_shown.text += '/';
        else if (!m_shown.way.empty() && m_shown.text.back() != '/')
            m_shown.text += '/';
        AppendDisplayUtf8(name, m_shown.text);
        m_shown.way.push_back(*it);
        m_shown.ends.push_back(m_shown.text.size());
    }
    return m_shown.text;
}

std::string ScanPlaces::pathBelowRoot(std::uint32_t folder) const {
    const std::uint32_t top = m_roots[m_folders[folder].root].folder;
    std::size_t length = 0;
    for (std::uint32_t f = folder; f != top; f = m_folders[f].parent)
        length += m_folders[f].nameLength + 1;
    std::string below(length > 0 ? length - 1 : 0, '\0');
    std::size_t end = below.size();
    for (std::uint32_t f = folder; f != top; f = m_folders[f].parent) {
        const Folder& node = m_folders[f];
        end -= node.nameLength;
        m_names.copy(below.data() + end, node.nameLength, node.nameOffset);
        if (end > 0)
            below[--end] = '/';
    }
    return below;
}

ListedEntry ScanPlaces::entry(std::uint32_t folder, std::string_view name, std::uint64_t inode) const {
    const Folder& f = m_folders[folder];
    const Root& root = m_roots[f.root];
    ListedEntry e;
    e.root = root.path;
    e.rootIdentity = root.identity;
    e.folder = pathBelowRoot(folder);
    e.folderIdentity = f.identity;
    e.name = std::string(name);
    // A walk never leaves its root's filesystem: the file is on its folder's device.
    e.identity = {f.identity.device, static_cast<ino_t>(inode)};
    return e;
}

ListedEntry ScanPlaces::folderEntry(std::uint32_t folder) const {
    const Folder& f = m_folders[folder];
    const Root& root = m_roots[f.root];
    ListedEntry e;
    e.root = root.path;
    e.rootIdentity = root.identity;
    e.isFolder = true;
    e.identity = f.identity;
    if (isRoot(folder))
        return e;
    e.folder = pathBelowRoot(f.parent);
    e.folderIdentity = m_folders[f.parent].identity;
    e.name = std::string(nameOf(folder));
    return e;
}

void ScanPlaces::appendFoldedDisplay(std::string_view bytes, std::string& out) {
    const std::size_t start = out.size();
    AppendDisplayUtf8(bytes, out);
    for (std::size_t i = start; i < out.size(); ++i)
        out[i] = FoldAsciiChar(out[i]);
}

std::vector<std::uint32_t> ScanPlaces::rankTexts(const std::vector<RankItem>& items) const {
    // The texts are never made whole. Every folder's path with its "/" is the path of the folder
    // above, then the folder's name and "/": one piece per folder. Pieces of the folders in one
    // folder never begin one another (each ends at its only "/"), and a tail holds no "/", so the
    // order of the texts is the order of the pieces, folder by folder down the tree, each tail
    // among the pieces of its folder: a walk of the tree that sorts each folder's pieces and tails
    // numbers the texts in order. Folders whose pieces are equal (names that show alike) are one.
    const std::size_t n = m_folders.size();
    const std::uint32_t top = static_cast<std::uint32_t>(n); // stands above every folder of the tree
    std::vector<std::uint8_t> needed(n, 0);
    for (const RankItem& item : items)
        for (std::uint32_t f = item.folder; f != None && !needed[f]; f = m_folders[f].parent)
            needed[f] = 1;
    // The needed folders of each folder (top: those at the top), and the items of each.
    auto slotOf = [&](std::uint32_t f) { return f == None ? top : f; };
    std::vector<std::uint32_t> childStart(n + 2, 0), itemStart(n + 2, 0);
    for (std::uint32_t f = 0; f < n; ++f)
        if (needed[f])
            ++childStart[slotOf(m_folders[f].parent) + 1];
    for (const RankItem& item : items)
        ++itemStart[slotOf(item.folder) + 1];
    std::partial_sum(childStart.begin(), childStart.end(), childStart.begin());
    std::partial_sum(itemStart.begin(), itemStart.end(), itemStart.begin());
    std::vector<std::uint32_t> children(childStart.back()), itemsOf(items.size());
    {
        std::vector<std::uint32_t> next(childStart.begin(), childStart.end() - 1);
        for (std::uint32_t f = 0; f < n; ++f)
            if (needed[f])
                children[next[slotOf(m_folders[f].parent)]++] = f;
        next.assign(itemStart.begin(), itemStart.end() - 1);
        for (std::uint32_t i = 0; i < items.size(); ++i)
            itemsOf[next[slotOf(items[i].folder)]++] = i;
    }
    needed = {};

    // One frame per level of the walk: the pieces and tails of a group of equal folders, sorted,
    // as runs of equal ones.
    struct Entry {
        std::uint32_t index; // a folder, or an item
        bool tail;
    };
    struct Frame {
        std::vector<Entry> entries;
        std::vector<std::uint32_t> runEnds;
        std::size_t run = 0;
    };
    auto makeFrame = [&](const Entry* group, std::size_t count) {
        Frame frame;
        for (std::size_t g = 0; g < count; ++g) {
            const std::uint32_t slot = group[g].index;
            for (std::uint32_t k = childStart[slot]; k < childStart[slot + 1]; ++k)
                frame.entries.push_back({children[k], false});
            for (std::uint32_t k = itemStart[slot]; k < itemStart[slot + 1]; ++k)
                frame.entries.push_back({itemsOf[k], true});
        }
        std::vector<std::string> keys(frame.entries.size());
        for (std::size_t k = 0; k < frame.entries.size(); ++k) {
            const Entry& e = frame.entries[k];
            if (e.tail) {
                keys[k] = items[e.index].tail;
            } else {
                appendFoldedDisplay(nameOf(e.index), keys[k]);
                keys[k] += '/';
            }
        }
        std::vector<std::uint32_t> order(frame.entries.size());
        std::iota(order.begin(), order.end(), 0u);
        // A tail equal to a piece is a text that the piece's texts continue: it comes first.
        auto less = [&](std::uint32_t a, std::uint32_t b) {
            if (int c = keys[a].compare(keys[b]))
                return c < 0;
            return frame.entries[a].tail && !frame.entries[b].tail;
        };
        std::sort(order.begin(), order.end(), less);
        std::vector<Entry> sorted(order.size());
        for (std::size_t k = 0; k < order.size(); ++k) {
            sorted[k] = frame.entries[order[k]];
            if (k > 0 && (less(order[k - 1], order[k])))
                frame.runEnds.push_back(static_cast<std::uint32_t>(k));
        }
        if (!sorted.empty())
            frame.runEnds.push_back(static_cast<std::uint32_t>(sorted.size()));
        frame.entries = std::move(sorted);
        return frame;
    };

    std::vector<std::uint32_t> rank(items.size(), 0);
    std::uint32_t next = 0;
    std::vector<Frame> stack;
    const Entry topEntry{top, false};
    stack.push_back(makeFrame(&topEntry, 1));
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.run >= frame.runEnds.size()) {
            stack.pop_back();
            continue;
        }
        const std::size_t begin = frame.run == 0 ? 0 : frame.runEnds[frame.run - 1];
        const std::size_t end = frame.runEnds[frame.run++];
        if (frame.entries[begin].tail) {
            for (std::size_t k = begin; k < end; ++k)
                rank[frame.entries[k].index] = next;
            ++next;
        } else {
            Frame inner = makeFrame(frame.entries.data() + begin, end - begin);
            stack.push_back(std::move(inner)); // frame is not used after this
        }
    }
    return rank;
}

std::size_t ScanPlaces::memoryBytes() const {
    std::size_t bytes = m_folders.capacity() * sizeof(Folder) + m_names.capacity() +
                        m_roots.capacity() * sizeof(Root) + m_way.capacity() * sizeof(Step) +
                        m_wayNames.capacity() + m_shown.text.capacity() +
                        (m_shown.way.capacity() + m_shown.scratch.capacity()) * 4 +
                        m_shown.ends.capacity() * sizeof(std::size_t);
    for (const Root& r : m_roots)
        bytes += r.path.capacity();
    return bytes;
}

ScanPlaces::PathSegments ScanPlaces::pathSegments(const std::vector<std::uint8_t>& holdsFiles) const {
    const std::size_t n = m_folders.size();
    std::vector<std::uint8_t> needed(n, 0);
    for (std::size_t f = 0; f < n && f < holdsFiles.size(); ++f)
        for (std::uint32_t up = holdsFiles[f] ? std::uint32_t(f) : None; up != None && !needed[up];
             up = m_folders[up].parent)
            needed[up] = 1;

    // Each needed folder's beginning ("path/") and end ("path0"), ranked among them all. The end
    // of the top folder "/" lies after every text.
    std::vector<RankItem> items;
    std::vector<std::uint32_t> folders;
    for (std::uint32_t f = 0; f < n; ++f) {
        if (!needed[f])
            continue;
        folders.push_back(f);
        items.push_back({f, {}});
        const Folder& node = m_folders[f];
        RankItem end{node.parent, {}};
        if (node.parent != None || node.nameLength > 0) {
            appendFoldedDisplay(nameOf(f), end.tail);
            end.tail += '0';
        }
        items.push_back(std::move(end));
    }
    const std::vector<std::uint32_t> ranks = rankTexts(items);
    items = {};

    PathSegments segments;
    std::uint32_t count = 0;
    for (std::uint32_t r : ranks)
        count = std::max(count, r + 1);
    const std::uint32_t afterAll = count;
    segments.m_count = count + 1;
    segments.m_start.assign(n, None);
    std::vector<std::uint32_t> end(n, None);
    for (std::size_t k = 0; k < folders.size(); ++k) {
        const std::uint32_t f = folders[k];
        segments.m_start[f] = ranks[2 * k];
        const Folder& node = m_folders[f];
        end[f] = node.parent == None && node.nameLength == 0 ? afterAll : ranks[2 * k + 1];
    }

    // The sub-folders of each group of folders that begin alike, once per piece, in piece order
    // (their beginnings' ranks order as their pieces do).
    struct Pending {
        std::uint32_t group;
        std::uint32_t start;
        std::uint32_t folder;
    };
    std::vector<Pending> pending;
    for (std::uint32_t f : folders)
        if (m_folders[f].parent != None)
            pending.push_back({segments.m_start[m_folders[f].parent], segments.m_start[f], f});
    std::sort(pending.begin(), pending.end(), [](const Pending& a, const Pending& b) {
        return a.group != b.group ? a.group < b.group : a.start < b.start;
    });
    segments.m_childStart.assign(std::size_t(segments.m_count) + 1, 0);
    for (std::size_t k = 0; k < pending.size(); ++k) {
        const Pending& p = pending[k];
        if (k > 0 && pending[k - 1].group == p.group && pending[k - 1].start == p.start)
            continue; // shows alike as a sub-folder already taken
        PathSegments::Child child{end[p.folder], std::uint32_t(segments.m_pieces.size()), 0};
        appendFoldedDisplay(nameOf(p.folder), segments.m_pieces);
        segments.m_pieces += '/';
        child.pieceLength = std::uint32_t(segments.m_pieces.size() - child.pieceOffset);
        segments.m_children.push_back(child);
        ++segments.m_childStart[std::size_t(p.group) + 1];
    }
    for (std::size_t g = 1; g < segments.m_childStart.size(); ++g)
        segments.m_childStart[g] += segments.m_childStart[g - 1];
    return segments;
}
