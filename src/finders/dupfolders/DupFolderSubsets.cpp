// SPDX-License-Identifier: GPL-3.0-or-later
// DupFolderMatcher: folders whose files all lie in another folder too, at the same places below it.
#include "finders/dupfolders/DupFolderMatcher.h"

#include "finders/dup/ContentCompare.h"

#include <algorithm>

namespace {

// The entries of one class and name lie together, for finding a file's twins.
struct Twin {
    std::uint32_t cls;
    std::uint32_t entry;
};

} // namespace

void DupFolderMatcher::subsetGroups(std::vector<DupFolderGroup>& out) {
    const std::uint32_t n = std::uint32_t(m_tree.folderCount());
    // How many files share each content: the fewer twins an anchor has, the fewer places to try.
    std::vector<std::uint32_t> members(m_nextClass, 0);
    for (std::uint32_t e = 0; e < m_tree.entryCount(); ++e)
        if (m_tree.entry(e).kind == DupFolderTree::Regular)
            ++members[m_class[e]];
    // Per folder: whether a file below it has no twin anywhere (then it is no subset), and the file
    // below it with the fewest twins, not empty, whose twins tell where a folder holding it could be.
    std::vector<bool> lonely(n, false);
    std::vector<std::uint32_t> anchor(n, DupFolderTree::None);
    auto better = [&](std::uint32_t e, std::uint32_t than) {
        return than == DupFolderTree::None || members[m_class[e]] < members[m_class[than]];
    };
    for (std::uint32_t i = n; i-- > 0;) {
        const DupFolderTree::Folder& f = m_tree.folder(i);
        for (std::uint32_t e = f.ownEntry; e < f.endEntry; ++e) {
            const DupFolderTree::Entry& entry = m_tree.entry(e);
            if (entry.kind != DupFolderTree::Regular)
                continue;
            if (m_class[e] == Unknown)
                lonely[i] = true;
            else if (entry.size > 0 && better(e, anchor[i]))
                anchor[i] = e;
        }
        if (f.parent != DupFolderTree::None) {
            if (lonely[i])
                lonely[f.parent] = true;
            if (anchor[i] != DupFolderTree::None && better(anchor[i], anchor[f.parent]))
                anchor[f.parent] = anchor[i];
        }
    }
    std::vector<Twin> twins;
    for (std::uint32_t e = 0; e < m_tree.entryCount(); ++e)
        if (m_tree.entry(e).kind == DupFolderTree::Regular && m_class[e] != Unknown)
            twins.push_back({m_class[e], e});
    auto twinLess = [&](const Twin& a, const Twin& b) {
        if (a.cls != b.cls)
            return a.cls < b.cls;
        const int names = m_tree.entryName(a.entry).compare(m_tree.entryName(b.entry));
        return names != 0 ? names < 0 : a.entry < b.entry;
    };
    std::sort(twins.begin(), twins.end(), twinLess);

    std::vector<std::uint32_t> order;
    for (std::uint32_t f = 0; f < n; ++f)
        if (complete(f) && !lonely[f] && anchor[f] != DupFolderTree::None && m_tree.folder(f).entries > 0 &&
            (!m_eligible || m_eligible(f)))
            order.push_back(f);
    // Largest first, so a folder is settled before the folders inside it.
    std::sort(order.begin(), order.end(),
              [&](std::uint32_t a, std::uint32_t b) { return largerFirst(a, b); });

    std::vector<std::uint32_t> chain;
    for (std::uint32_t s : order) {
        if (m_covered[s] || m_compare.aborted())
            continue;
        const std::uint32_t a = anchor[s];
        // The anchor's folders up to s: a folder holding s holds the twin at the same place.
        chain.clear();
        for (std::uint32_t f = m_tree.entry(a).folder; f != s; f = m_tree.folder(f).parent)
            chain.push_back(f);
        const DupFolderTree::Folder& sf = m_tree.folder(s);
        DupFolderGroup group;
        group.subset = true;
        const Twin key{m_class[a], 0};
        auto twin = std::lower_bound(twins.begin(), twins.end(), key, [&](const Twin& x, const Twin& k) {
            return x.cls != k.cls ? x.cls < k.cls : m_tree.entryName(x.entry) < m_tree.entryName(a);
        });
        for (; twin != twins.end() && twin->cls == m_class[a] &&
               m_tree.entryName(twin->entry) == m_tree.entryName(a);
             ++twin) {
            std::uint32_t t = m_tree.entry(twin->entry).folder;
            bool placed = true;
            for (std::uint32_t c : chain) {
                if (t == DupFolderTree::None || m_tree.folderName(t) != m_tree.folderName(c)) {
                    placed = false;
                    break;
                }
                t = m_tree.folder(t).parent;
            }
            if (!placed || t == DupFolderTree::None || t == s || !complete(t))
                continue;
            const DupFolderTree::Folder& tf = m_tree.folder(t);
            // One inside the other is no copy; the same files and no more is an identical folder.
            if ((t > s && t <= sf.last) || (s > t && s <= tf.last))
                continue;
            if (tf.bytes <= sf.bytes && tf.entries <= sf.entries)
                continue;
            if (!contained(s, t) || !stillAsWalked(t))
                continue;
            DupFolderMember m;
            m.folder = t;
            m.freed = tf.bytes;
            m.share = tf.bytes > 0 ? std::uint32_t(double(sf.bytes) / double(tf.bytes) * 10000.0) : 10000;
            group.members.push_back(m);
        }
        if (group.members.empty() || !stillAsWalked(s))
            continue;
        std::sort(group.members.begin(), group.members.end(),
                  [](const DupFolderMember& x, const DupFolderMember& y) {
                      return x.share != y.share ? x.share > y.share : x.folder < y.folder;
                  });
        DupFolderMember subset;
        subset.folder = s;
        subset.freed = sf.bytes; // every file of it lies in the others too
        group.members.insert(group.members.begin(), subset);
        for (std::uint32_t inside = s + 1; inside <= sf.last; ++inside)
            m_covered[inside] = true;
        out.push_back(std::move(group));
    }
}

bool DupFolderMatcher::contained(std::uint32_t s, std::uint32_t t) const {
    auto byEntryName = [&](std::uint32_t x, std::uint32_t y) {
        return m_tree.entryName(x) < m_tree.entryName(y);
    };
    auto byFolderName = [&](std::uint32_t x, std::uint32_t y) {
        return m_tree.folderName(x) < m_tree.folderName(y);
    };
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs{{s, t}};
    std::vector<std::uint32_t> held;
    while (!pairs.empty()) {
        const auto [x, y] = pairs.back();
        pairs.pop_back();
        const DupFolderTree::Folder& fx = m_tree.folder(x);
        ownEntries(y, held);
        for (std::uint32_t e = fx.ownEntry; e < fx.endEntry; ++e) {
            if (m_tree.entry(e).kind != DupFolderTree::Regular)
                continue; // only files count
            const auto it = std::lower_bound(held.begin(), held.end(), e, byEntryName);
            if (it == held.end() || m_tree.entryName(*it) != m_tree.entryName(e) ||
                m_tree.entry(*it).kind != DupFolderTree::Regular || m_class[*it] != m_class[e])
                return false;
        }
        children(y, held);
        for (std::uint32_t c = x + 1; c <= fx.last; c = m_tree.nextSibling(c)) {
            const auto it = std::lower_bound(held.begin(), held.end(), c, byFolderName);
            if (it != held.end() && m_tree.folderName(*it) == m_tree.folderName(c))
                pairs.emplace_back(c, *it);
            else if (m_tree.folder(c).entries > 0)
                return false; // files that the other folder does not have at that place
        }
    }
    return true;
}
