// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dupfolders/DupFolderMatcher.h"

#include "common/SaturatingSum.h"
#include "finders/dup/ContentCompare.h"
#include "finders/dupfolders/FolderSignature.h"

#include <algorithm>
#include <unordered_map>

using namespace FolderSignature;

namespace {
constexpr std::uint64_t UnreadTag = 0x554e5244ull;
} // namespace

DupFolderMatcher::DupFolderMatcher(const DupFolderTree& tree, ContentCompare& compare)
    : m_tree(tree), m_compare(compare) {}

DupFolderMatcher::~DupFolderMatcher() = default;

bool DupFolderMatcher::complete(std::uint32_t f) const {
    const DupFolderTree::Folder& folder = m_tree.folder(f);
    return folder.done && !folder.incomplete && !m_failed[f];
}

std::vector<DupFolderGroup> DupFolderMatcher::run(bool subsets) {
    const std::size_t folders = m_tree.folderCount();
    m_class.assign(m_tree.entryCount(), Unknown);
    m_nextClass = Empty + 1;
    m_failed.assign(folders, false);
    m_covered.assign(folders, false);
    m_looked.assign(folders, 0);
    m_unreadableFiles = 0;
    m_changedFolders = 0;

    // Candidates: reportable folders of the same shape.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> byShape;
    for (std::uint32_t f = 0; f < folders; ++f)
        if (complete(f) && m_tree.folder(f).entries > 0 && (!m_eligible || m_eligible(f)))
            byShape.emplace_back(m_tree.folder(f).shape, f);
    std::sort(byShape.begin(), byShape.end());
    std::vector<std::vector<std::uint32_t>> candidates;
    std::vector<std::uint32_t> members;
    for (std::size_t i = 0; i < byShape.size();) {
        std::size_t j = i + 1;
        while (j < byShape.size() && byShape[j].first == byShape[i].first)
            ++j;
        if (j - i >= 2) {
            candidates.emplace_back();
            for (std::size_t k = i; k < j; ++k) {
                candidates.back().push_back(byShape[k].second);
                members.push_back(byShape[k].second);
            }
        }
        i = j;
    }
    byShape = {};
    if (candidates.empty() && !subsets)
        return {};

    readContents(subsets, members);
    if (m_compare.aborted())
        return {};
    contentSignatures();
    std::vector<DupFolderGroup> groups;
    identicalGroups(std::move(candidates), groups);
    if (subsets && !m_compare.aborted())
        subsetGroups(groups);
    if (m_compare.aborted())
        return {};
    return groups;
}

void DupFolderMatcher::readContents(bool everything, const std::vector<std::uint32_t>& candidates) {
    // Every file below a candidate (or every file), unless it is empty: empty files are all alike.
    std::vector<std::uint32_t> need;
    auto take = [&](std::uint32_t begin, std::uint32_t end) {
        for (std::uint32_t e = begin; e < end; ++e) {
            const DupFolderTree::Entry& entry = m_tree.entry(e);
            if (entry.kind != DupFolderTree::Regular)
                continue;
            if (entry.size == 0)
                m_class[e] = Empty;
            else
                need.push_back(e);
        }
    };
    if (everything) {
        take(0, std::uint32_t(m_tree.entryCount()));
    } else {
        std::vector<std::uint32_t> tops = candidates;
        std::sort(tops.begin(), tops.end());
        std::uint32_t coveredTo = 0; // candidates inside the one before are read with it
        bool any = false;
        for (std::uint32_t f : tops) {
            if (any && f <= coveredTo)
                continue;
            any = true;
            coveredTo = m_tree.folder(f).last;
            take(m_tree.folder(f).firstEntry, m_tree.folder(f).endEntry);
        }
    }
    // A copy's file has the same name and size as its twin: only such meetings are read.
    std::sort(need.begin(), need.end(), [&](std::uint32_t a, std::uint32_t b) {
        const std::int64_t sa = m_tree.entry(a).size;
        const std::int64_t sb = m_tree.entry(b).size;
        if (sa != sb)
            return sa < sb;
        const int names = m_tree.entryName(a).compare(m_tree.entryName(b));
        return names != 0 ? names < 0 : a < b;
    });
    std::vector<std::uint32_t> bucket;
    for (std::size_t i = 0; i < need.size() && !m_compare.aborted();) {
        std::size_t j = i + 1;
        while (j < need.size() && m_tree.entry(need[j]).size == m_tree.entry(need[i]).size &&
               m_tree.entryName(need[j]) == m_tree.entryName(need[i]))
            ++j;
        if (j - i >= 2) {
            bucket.assign(need.begin() + std::ptrdiff_t(i), need.begin() + std::ptrdiff_t(j));
            compareBucket(bucket);
        }
        i = j;
    }
}

void DupFolderMatcher::compareBucket(const std::vector<std::uint32_t>& bucket) {
    // The distinct files among the names: names of one inode (hard links) need no compare.
    std::vector<std::uint32_t> byFile = bucket;
    auto identity = [&](std::uint32_t e) {
        return std::pair(std::uint64_t(m_tree.folder(m_tree.entry(e).folder).identity.device),
                         m_tree.entry(e).inode);
    };
    std::sort(byFile.begin(), byFile.end(),
              [&](std::uint32_t a, std::uint32_t b) { return identity(a) < identity(b); });
    std::vector<ListedEntry> files;
    std::vector<std::vector<std::uint32_t>> names;
    std::unordered_map<std::uint32_t, std::string>
        relative; // folder paths below their roots, for this bucket only
    for (std::size_t i = 0; i < byFile.size(); ++i) {
        const std::uint32_t e = byFile[i];
        if (i > 0 && identity(e) == identity(byFile[i - 1])) {
            names.back().push_back(e);
            continue;
        }
        const std::uint32_t folder = m_tree.entry(e).folder;
        auto it = relative.find(folder);
        if (it == relative.end())
            it = relative.emplace(folder, m_tree.relativePath(folder)).first;
        files.push_back(m_tree.listedEntry(e, it->second));
        names.push_back({e});
    }
    std::vector<bool> grouped(files.size(), false);
    std::vector<std::size_t> failed;
    const std::vector<std::vector<std::size_t>> sets =
        m_compare.sameContents(files, m_tree.entry(bucket.front()).size, failed);
    for (const std::vector<std::size_t>& set : sets) {
        const std::uint32_t c = m_nextClass++;
        for (std::size_t i : set) {
            grouped[i] = true;
            for (std::uint32_t e : names[i])
                m_class[e] = c;
        }
    }
    std::sort(failed.begin(), failed.end());
    failed.erase(std::unique(failed.begin(), failed.end()), failed.end());
    std::vector<bool> unread(files.size(), false);
    for (std::size_t i : failed) {
        unread[i] = true;
        m_unreadableFiles += std::int64_t(names[i].size());
        for (std::uint32_t e : names[i]) {
            m_class[e] = Unknown;
            markFailed(m_tree.entry(e).folder);
        }
    }
    // Several names of one file without another twin are still the same content.
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (grouped[i] || unread[i] || names[i].size() < 2)
            continue;
        const std::uint32_t c = m_nextClass++;
        for (std::uint32_t e : names[i])
            m_class[e] = c;
    }
}

void DupFolderMatcher::markFailed(std::uint32_t f) {
    for (; f != DupFolderTree::None && !m_failed[f]; f = m_tree.folder(f).parent)
        m_failed[f] = true;
}

std::uint64_t DupFolderMatcher::contentHolds(std::uint32_t e) const {
    const DupFolderTree::Entry& entry = m_tree.entry(e);
    switch (entry.kind) {
    case DupFolderTree::Regular:
        // A file without a twin makes its folders unlike any other.
        return m_class[e] == Unknown ? Mix(UnreadTag ^ Mix(e)) : Mix(FileTag ^ Mix(m_class[e]));
    case DupFolderTree::Link:
        return Mix(LinkTag ^ Bytes(m_tree.linkTarget(e)));
    default:
        return Mix(OtherTag ^ std::uint64_t(entry.size));
    }
}

void DupFolderMatcher::contentSignatures() {
    // Children are numbered after their parent: backwards, every folder is done before its parent.
    const std::size_t n = m_tree.folderCount();
    std::vector<std::uint64_t> sum(n, 0);
    std::vector<std::uint64_t> terms(n, 0);
    m_content.assign(n, 0);
    for (std::size_t i = n; i-- > 0;) {
        const DupFolderTree::Folder& f = m_tree.folder(std::uint32_t(i));
        for (std::uint32_t e = f.ownEntry; e < f.endEntry; ++e) {
            sum[i] += Term(m_tree.entryName(e), contentHolds(e));
            ++terms[i];
        }
        m_content[i] = Close(sum[i], terms[i]);
        if (f.parent != DupFolderTree::None) {
            sum[f.parent] += Term(m_tree.folderName(std::uint32_t(i)), Mix(FolderTag ^ m_content[i]));
            ++terms[f.parent];
        }
    }
}

bool DupFolderMatcher::sameEntry(std::uint32_t a, std::uint32_t b) const {
    const DupFolderTree::Entry& x = m_tree.entry(a);
    const DupFolderTree::Entry& y = m_tree.entry(b);
    if (x.kind != y.kind || x.size != y.size || m_tree.entryName(a) != m_tree.entryName(b))
        return false;
    switch (x.kind) {
    case DupFolderTree::Regular:
        return m_class[a] != Unknown && m_class[a] == m_class[b];
    case DupFolderTree::Link:
        return m_tree.linkTarget(a) == m_tree.linkTarget(b);
    default:
        return true;
    }
}

void DupFolderMatcher::ownEntries(std::uint32_t f, std::vector<std::uint32_t>& out) const {
    out.clear();
    for (std::uint32_t e = m_tree.folder(f).ownEntry; e < m_tree.folder(f).endEntry; ++e)
        out.push_back(e);
    std::sort(out.begin(), out.end(),
              [&](std::uint32_t x, std::uint32_t y) { return m_tree.entryName(x) < m_tree.entryName(y); });
}

void DupFolderMatcher::children(std::uint32_t f, std::vector<std::uint32_t>& out) const {
    out.clear();
    for (std::uint32_t c = f + 1; c <= m_tree.folder(f).last; c = m_tree.nextSibling(c))
        out.push_back(c);
    std::sort(out.begin(), out.end(),
              [&](std::uint32_t x, std::uint32_t y) { return m_tree.folderName(x) < m_tree.folderName(y); });
}

bool DupFolderMatcher::largerFirst(std::uint32_t a, std::uint32_t b) const {
    // A folder comes before every folder inside it: more bytes, more entries, or at least the
    // folder itself more below it.
    const DupFolderTree::Folder& x = m_tree.folder(a);
    const DupFolderTree::Folder& y = m_tree.folder(b);
    const auto ka = std::tuple(x.bytes, x.entries, x.last - a);
    const auto kb = std::tuple(y.bytes, y.entries, y.last - b);
    return ka != kb ? ka > kb : a < b;
}

bool DupFolderMatcher::sameTree(std::uint32_t a, std::uint32_t b) const {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs{{a, b}};
    std::vector<std::uint32_t> xs, ys;
    while (!pairs.empty()) {
        const auto [x, y] = pairs.back();
        pairs.pop_back();
        ownEntries(x, xs);
        ownEntries(y, ys);
        if (xs.size() != ys.size())
            return false;
        for (std::size_t i = 0; i < xs.size(); ++i)
            if (!sameEntry(xs[i], ys[i]))
                return false;
        children(x, xs);
        children(y, ys);
        if (xs.size() != ys.size())
            return false;
        for (std::size_t i = 0; i < xs.size(); ++i) {
            if (m_tree.folderName(xs[i]) != m_tree.folderName(ys[i]))
                return false;
            pairs.emplace_back(xs[i], ys[i]);
        }
    }
    return true;
}

bool DupFolderMatcher::stillAsWalked(std::uint32_t f) {
    if (m_looked[f] == 0) {
        m_looked[f] = !m_unchanged || m_unchanged(f) ? 1 : -1;
        if (m_looked[f] < 0)
            ++m_changedFolders;
    }
    return m_looked[f] > 0;
}

void DupFolderMatcher::identicalGroups(std::vector<std::vector<std::uint32_t>> candidates,
                                       std::vector<DupFolderGroup>& out) {
    // Within each shape, the folders whose contents agree.
    std::vector<std::vector<std::uint32_t>> alike;
    for (std::vector<std::uint32_t>& shape : candidates) {
        std::erase_if(shape, [&](std::uint32_t f) { return !complete(f); });
        std::sort(shape.begin(), shape.end(), [&](std::uint32_t a, std::uint32_t b) {
            return m_content[a] != m_content[b] ? m_content[a] < m_content[b] : a < b;
        });
        for (std::size_t i = 0; i < shape.size();) {
            std::size_t j = i + 1;
            while (j < shape.size() && m_content[shape[j]] == m_content[shape[i]])
                ++j;
            if (j - i >= 2)
                alike.emplace_back(shape.begin() + std::ptrdiff_t(i), shape.begin() + std::ptrdiff_t(j));
            i = j;
        }
    }
    // Largest first, so what lies inside a reported copy is known to be covered.
    std::sort(alike.begin(), alike.end(),
              [&](const auto& a, const auto& b) { return largerFirst(a.front(), b.front()); });
    for (const std::vector<std::uint32_t>& group : alike) {
        // Copies inside reported ones are stood for by one of them, and only when a copy elsewhere
        // makes the group worth telling.
        std::vector<std::uint32_t> members;
        std::vector<std::uint32_t> inside;
        for (std::uint32_t f : group) {
            if (m_covered[f])
                inside.push_back(f);
            else if (stillAsWalked(f))
                members.push_back(f);
        }
        if (members.empty())
            continue;
        if (!inside.empty()) {
            // The one first in path order, so the same tree always gives the same report.
            std::string first;
            std::uint32_t chosen = inside.front();
            for (std::uint32_t f : inside) {
                std::string path = m_tree.folderPath(f);
                if (f == inside.front() || path < first) {
                    first = std::move(path);
                    chosen = f;
                }
            }
            members.insert(members.begin(), chosen);
        }
        // Entry by entry against the first; those that differ (the signatures met by chance) are
        // tried again among themselves.
        while (members.size() >= 2) {
            std::vector<std::uint32_t> same{members.front()};
            std::vector<std::uint32_t> rest;
            for (std::size_t i = 1; i < members.size(); ++i)
                (sameTree(members.front(), members[i]) ? same : rest).push_back(members[i]);
            if (same.size() >= 2 &&
                std::any_of(same.begin(), same.end(), [&](std::uint32_t f) { return !m_covered[f]; }))
                report(std::move(same), out);
            members = std::move(rest);
        }
    }
}

void DupFolderMatcher::report(std::vector<std::uint32_t> members, std::vector<DupFolderGroup>& out) {
    // Each file (device and inode) once: the copy it was met in, or Shared when another copy has
    // it too (hard links), in which case deleting either copy does not free it.
    constexpr std::uint32_t Shared = DupFolderTree::None;
    struct FileKey {
        std::uint64_t device, inode;
        bool operator==(const FileKey&) const = default;
    };
    struct FileKeyHash {
        std::size_t operator()(const FileKey& k) const noexcept {
            return std::size_t(Mix(k.inode ^ Mix(k.device)));
        }
    };
    std::unordered_map<FileKey, std::uint32_t, FileKeyHash> owner;
    std::vector<std::int64_t> freed(members.size(), 0);
    std::int64_t distinct = 0;
    for (std::uint32_t i = 0; i < members.size(); ++i) {
        const DupFolderTree::Folder& f = m_tree.folder(members[i]);
        for (std::uint32_t e = f.firstEntry; e < f.endEntry; ++e) {
            const DupFolderTree::Entry& entry = m_tree.entry(e);
            if (entry.kind != DupFolderTree::Regular)
                continue;
            const FileKey key{std::uint64_t(m_tree.folder(entry.folder).identity.device), entry.inode};
            const auto [it, added] = owner.emplace(key, i);
            if (added) {
                distinct = SaturatingAdd(distinct, entry.size);
                freed[i] = SaturatingAdd(freed[i], entry.size);
            } else if (it->second != i && it->second != Shared) {
                freed[it->second] -= entry.size;
                it->second = Shared;
            }
        }
    }
    DupFolderGroup group;
    // One copy stays: what the others take is every distinct file less one copy's bytes.
    group.waste = std::max<std::int64_t>(0, distinct - m_tree.folder(members.front()).bytes);
    for (std::size_t i = 0; i < members.size(); ++i) {
        DupFolderMember m;
        m.folder = members[i];
        m.freed = freed[i];
        group.members.push_back(m);
    }
    for (std::uint32_t f : members)
        if (!m_covered[f])
            for (std::uint32_t inside = f + 1; inside <= m_tree.folder(f).last; ++inside)
                m_covered[inside] = true;
    out.push_back(std::move(group));
}
