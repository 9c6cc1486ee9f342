// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dup/keep/KeepChooser.h"

#include "common/SaturatingSum.h"
#include "delete/ListedFileRemoval.h"
#include "finders/dup/DupContentCheck.h"
#include "finders/dup/DupScanEngine.h"
#include "finders/dup/keep/ReferenceFolders.h"
#include "platform/ListedFolderChain.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <tuple>

namespace {

// Files looked at or counted at once, sorted by folder.
constexpr std::size_t kBatch = 65536;

} // namespace

struct KeepChooser::Impl {
    // One file of a group as it was looked at.
    struct Member {
        std::uint32_t result = 0;
        std::uint32_t pathBytes = 0;
        std::uint64_t modifiedNs = 0;
        std::uint64_t bornNs = 0;
        int error = 0; // not looked at, or no longer the listed file (ESTALE)
        bool bornKnown = false;
        bool reference = false;
    };

    const DupScanEngine& engine;
    const DupContentCheck& check;
    std::function<void()> yieldHook;
    std::vector<Member> members;      // group by group, in result order within each
    std::vector<std::size_t> starts;  // where each group's members begin; one more at the end
    std::vector<EntryIdentity> roots; // distinct roots of the members

    Impl(const DupScanEngine& e, const DupContentCheck& c) : engine(e), check(c) {}

    const Member* find(std::uint32_t result) const {
        const std::uint32_t g = check.groupOf(result);
        if (g == 0 || g >= starts.size())
            return nullptr;
        for (std::size_t i = starts[g - 1]; i < starts[g]; ++i)
            if (members[i].result == result)
                return &members[i];
        return nullptr;
    }

    // Orders two files that both may be kept: true when a is to be kept before b, ignoring paths.
    // "equal" tells that only the path can tell them apart.
    static bool before(KeepRule rule, const Member& a, const Member& b, bool& equal) {
        // An unknown birth time comes after every known one, so the order stays total.
        const auto bornAsc = [](const Member& m) {
            return std::make_tuple(!m.bornKnown, m.bornKnown ? m.bornNs : 0);
        };
        const auto bornDesc = [](const Member& m) {
            return std::make_tuple(!m.bornKnown, m.bornKnown ? ~m.bornNs : 0);
        };
        switch (rule) {
        case KeepRule::First:
            equal = false;
            return a.result < b.result;
        case KeepRule::Oldest: {
            const auto ka = std::tuple_cat(std::make_tuple(a.modifiedNs), bornAsc(a));
            const auto kb = std::tuple_cat(std::make_tuple(b.modifiedNs), bornAsc(b));
            equal = ka == kb;
            return ka < kb;
        }
        case KeepRule::Newest: {
            const auto ka = std::tuple_cat(std::make_tuple(~a.modifiedNs), bornDesc(a));
            const auto kb = std::tuple_cat(std::make_tuple(~b.modifiedNs), bornDesc(b));
            equal = ka == kb;
            return ka < kb;
        }
        case KeepRule::Shortest: {
            const auto ka = std::tuple_cat(std::make_tuple(a.pathBytes), bornAsc(a));
            const auto kb = std::tuple_cat(std::make_tuple(b.pathBytes), bornAsc(b));
            equal = ka == kb;
            return ka < kb;
        }
        }
        equal = false;
        return false;
    }
};

KeepChooser::KeepChooser(const DupScanEngine& engine, const DupContentCheck& check)
    : d(std::make_unique<Impl>(engine, check)) {}

KeepChooser::~KeepChooser() = default;

void KeepChooser::setYieldHook(std::function<void()> hook) {
    d->yieldHook = std::move(hook);
}

void KeepChooser::look(ReferenceFolders* references) {
    d->members.clear();
    d->starts.assign(1, 0);
    d->roots.clear();
    const bool anyReference = references && !references->empty();
    ListedFolderChain folders;
    // Members are looked at in batches sorted by folder, so each folder is reached once per batch
    // (the copies of a group lie in different folders); a batch bounds the paths held at once.
    std::vector<std::pair<ListedEntry, std::size_t>> batch;
    auto lookAtBatch = [&] {
        std::sort(batch.begin(), batch.end(), [](const auto& a, const auto& b) {
            return std::tie(a.first.root, a.first.folder) < std::tie(b.first.root, b.first.folder);
        });
        std::size_t done = 0;
        for (const auto& [e, index] : batch) {
            Impl::Member& m = d->members[index];
            const FolderHandle& folder = folders.open(e);
            FsEntry now;
            m.error = folder.valid() ? StatEntry(folder, e.name, now, true) : folder.error();
            if (m.error == 0 && !MatchesListed(now, e))
                m.error = ESTALE;
            if (m.error == 0) {
                m.modifiedNs = NanosecondStamp(now.lastWrite);
                m.bornKnown = now.hasCreation;
                m.bornNs = now.hasCreation ? NanosecondStamp(now.creation) : 0;
                m.reference = anyReference && references->holds(folder);
            }
            if (++done % 256 == 0 && d->yieldHook)
                d->yieldHook();
        }
        batch.clear();
    };
    for (std::uint32_t g = 1; g <= d->check.groupCount(); ++g) {
        for (std::uint32_t r : d->check.members(g)) {
            ListedEntry e = d->engine.resultEntry(r);
            Impl::Member m;
            m.result = r;
            m.pathBytes = std::uint32_t(std::min<std::size_t>(e.path().size(), UINT32_MAX));
            if (std::find(d->roots.begin(), d->roots.end(), e.rootIdentity) == d->roots.end())
                d->roots.push_back(e.rootIdentity);
            batch.emplace_back(std::move(e), d->members.size());
            d->members.push_back(m);
            if (batch.size() >= kBatch)
                lookAtBatch();
        }
        d->starts.push_back(d->members.size());
    }
    lookAtBatch();
}

const std::vector<EntryIdentity>& KeepChooser::roots() const {
    return d->roots;
}

KeepChoice KeepChooser::choose(KeepRule rule) const {
    KeepChoice choice;
    choice.groups.reserve(d->starts.empty() ? 0 : d->starts.size() - 1);
    for (std::size_t g = 1; g < d->starts.size(); ++g) {
        KeepGroupChoice group;
        group.group = std::uint32_t(g);
        const Impl::Member* best = nullptr;
        bool anyReference = false;
        for (std::size_t i = d->starts[g - 1]; i < d->starts[g]; ++i) {
            const Impl::Member& m = d->members[i];
            if (m.error != 0) {
                group.left.push_back(m.result);
                continue;
            }
            anyReference = anyReference || m.reference;
        }
        for (std::size_t i = d->starts[g - 1]; i < d->starts[g]; ++i) {
            const Impl::Member& m = d->members[i];
            if (m.error != 0)
                continue;
            if (anyReference) {
                (m.reference ? group.kept : group.marked).push_back(m.result);
                continue;
            }
            bool equal = false;
            if (!best || Impl::before(rule, m, *best, equal)) {
                best = &m;
                continue;
            }
            // Equal by the rule and birth time: the full path in ascending byte order decides.
            if (equal && d->engine.resultPath(m.result) < d->engine.resultPath(best->result))
                best = &m;
        }
        if (best) {
            group.kept.push_back(best->result);
            for (std::size_t i = d->starts[g - 1]; i < d->starts[g]; ++i) {
                const Impl::Member& m = d->members[i];
                if (m.error != 0 || &m == best)
                    continue;
                group.marked.push_back(m.result);
                bool equal = false;
                Impl::before(rule, m, *best, equal);
                group.tieByPath = group.tieByPath || equal;
            }
        }
        choice.markedFiles += std::int64_t(group.marked.size());
        for (std::uint32_t r : group.marked)
            choice.markedBytes = SaturatingAdd(choice.markedBytes, d->engine.resultSize(r));
        choice.leftFiles += std::int64_t(group.left.size());
        choice.ties += group.tieByPath ? 1 : 0;
        choice.groups.push_back(std::move(group));
    }
    return choice;
}

ListedEntry KeepChooser::entry(std::uint32_t result) const {
    ListedEntry e = d->engine.resultEntry(result);
    if (const Impl::Member* m = d->find(result); m && m->error == 0) {
        e.modifiedNs = m->modifiedNs;
        e.modifiedKnown = true;
    }
    return e;
}

int KeepChooser::leftReason(std::uint32_t result) const {
    const Impl::Member* m = d->find(result);
    return m ? m->error : ENOENT;
}

FreedSpace KeepChooser::freedSpace(const KeepChoice& choice, const std::atomic<bool>* stop) const {
    FreedSpaceCounter counter(stop);
    // Sorted by folder, batch by batch: the counter reaches a folder once for a run of its files.
    std::vector<ListedEntry> files;
    auto count = [&] {
        std::sort(files.begin(), files.end(), [](const ListedEntry& a, const ListedEntry& b) {
            return std::tie(a.root, a.folder, a.name) < std::tie(b.root, b.folder, b.name);
        });
        counter.countFiles(files);
        files.clear();
    };
    for (const KeepGroupChoice& group : choice.groups) {
        for (std::uint32_t r : group.marked)
            files.push_back(entry(r));
        if (files.size() >= kBatch)
            count();
    }
    count();
    return counter.result();
}
