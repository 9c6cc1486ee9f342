// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dup/DupContentCheck.h"

#include "finders/dup/ContentCompare.h"
#include "finders/dup/DupScanEngine.h"

#include <algorithm>
#include <map>

struct DupContentCheck::Impl {
    const DupScanEngine& engine;
    ContentCompare compare;
    bool didRun = false;

    std::vector<std::uint32_t> groupOf;
    struct Group {
        std::vector<std::uint32_t> members;
        bool sameFile = false;
    };
    std::vector<Group> groups;
    std::int64_t unreadable = 0;

    explicit Impl(const DupScanEngine& e) : engine(e) {}

    void addGroup(std::vector<std::uint32_t> members, bool sameFile, std::vector<Group>& found) {
        std::sort(members.begin(), members.end());
        found.push_back({std::move(members), sameFile});
    }

    void checkRun(std::uint32_t begin, std::uint32_t end, std::vector<Group>& found) {
        std::map<std::int64_t, std::vector<std::uint32_t>> bySize;
        for (std::uint32_t i = begin; i < end; ++i)
            bySize[engine.resultSize(i)].push_back(i);
        for (auto& [size, results] : bySize) {
            if (results.size() < 2)
                continue;
            // The distinct files (inodes) among the names, in result order, with their names. What a
            // file was when listed is kept without its path: a run of files deep down would hold a
            // copy of each path, which is made again only to open the file.
            std::vector<ListedEntry> inodes;
            std::vector<std::vector<std::uint32_t>> names;
            for (std::uint32_t r : results) {
                const ListedEntry e = engine.resultEntry(r);
                auto same = std::find_if(inodes.begin(), inodes.end(),
                                         [&](const ListedEntry& in) { return in.identity == e.identity; });
                if (same == inodes.end()) {
                    ListedEntry listed;
                    listed.identity = e.identity;
                    listed.size = e.size;
                    listed.modifiedNs = e.modifiedNs;
                    listed.modifiedKnown = e.modifiedKnown;
                    listed.changeFold = e.changeFold;
                    inodes.push_back(std::move(listed));
                    names.push_back({r});
                } else {
                    names[std::size_t(same - inodes.begin())].push_back(r);
                }
            }
            if (size == 0) {
                // Empty files are all alike: only whether each is still there, still empty, counts.
                std::vector<std::uint32_t> alike;
                bool oneFile = true;
                for (std::size_t i = 0; i < inodes.size(); ++i) {
                    if (!ContentCompare::stillListed(engine.resultEntry(names[i].front()))) {
                        unreadable += std::int64_t(names[i].size());
                        continue;
                    }
                    oneFile = oneFile && (alike.empty() || inodes[i].identity == inodes.front().identity);
                    alike.insert(alike.end(), names[i].begin(), names[i].end());
                }
                if (alike.size() >= 2)
                    addGroup(std::move(alike), oneFile && inodes.size() == 1, found);
                continue;
            }
            std::vector<std::size_t> failed;
            const std::vector<std::vector<std::size_t>> sets = compare.sameContents(
                inodes, size, failed, [&](std::size_t i) { return engine.resultEntry(names[i].front()); });
            for (std::size_t i : failed)
                unreadable += std::int64_t(names[i].size());
            if (compare.aborted())
                return;
            std::vector<bool> grouped(inodes.size(), false);
            for (const std::vector<std::size_t>& set : sets) {
                std::vector<std::uint32_t> members;
                for (std::size_t i : set) {
                    grouped[i] = true;
                    members.insert(members.end(), names[i].begin(), names[i].end());
                }
                addGroup(std::move(members), false, found);
            }
            // Several names of one file with no other twin: the same file, no read needed.
            for (std::size_t i = 0; i < inodes.size(); ++i)
                if (!grouped[i] && names[i].size() >= 2 && ContentCompare::stillListed(engine.resultEntry(names[i].front())))
                    addGroup(names[i], true, found);
        }
    }
};

DupContentCheck::DupContentCheck(const DupScanEngine& engine) : d(std::make_unique<Impl>(engine)) {}
DupContentCheck::~DupContentCheck() = default;

void DupContentCheck::setYieldHook(std::function<void()> hook) {
    d->compare.setYieldHook(std::move(hook));
}

void DupContentCheck::run() {
    d->compare.clear();
    d->unreadable = 0;
    d->groups.clear();
    d->groupOf.assign(d->engine.resultCount(), 0);
    const std::vector<std::uint32_t> starts = d->engine.resultRunStarts();
    for (std::size_t i = 0; i < starts.size() && !d->compare.aborted(); ++i) {
        const std::uint32_t end = i + 1 < starts.size() ? starts[i + 1] : std::uint32_t(d->engine.resultCount());
        std::vector<Impl::Group> found;
        d->checkRun(starts[i], end, found);
        // Groups are numbered in result order: by their first member.
        std::sort(found.begin(), found.end(),
                  [](const Impl::Group& a, const Impl::Group& b) { return a.members.front() < b.members.front(); });
        for (Impl::Group& g : found) {
            d->groups.push_back(std::move(g));
            for (std::uint32_t r : d->groups.back().members)
                d->groupOf[r] = std::uint32_t(d->groups.size());
        }
    }
    d->didRun = true;
}

void DupContentCheck::abort() {
    d->compare.abort();
}
bool DupContentCheck::aborted() const {
    return d->compare.aborted();
}

std::uint32_t DupContentCheck::groupOf(std::size_t result) const {
    return result < d->groupOf.size() ? d->groupOf[result] : 0;
}

std::size_t DupContentCheck::groupCount() const { return d->groups.size(); }

const std::vector<std::uint32_t>& DupContentCheck::members(std::uint32_t group) const {
    static const std::vector<std::uint32_t> none;
    return group >= 1 && group <= d->groups.size() ? d->groups[group - 1].members : none;
}

bool DupContentCheck::sameFile(std::uint32_t group) const {
    return group >= 1 && group <= d->groups.size() && d->groups[group - 1].sameFile;
}

std::int64_t DupContentCheck::unreadableFiles() const { return d->unreadable; }
std::int64_t DupContentCheck::bytesRead() const {
    return d->compare.bytesRead();
}
bool DupContentCheck::ran() const { return d->didRun; }
