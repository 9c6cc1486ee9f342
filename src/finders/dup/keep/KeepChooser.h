// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "delete/FreedSpace.h"
#include "finders/dup/keep/KeepRule.h"
#include "platform/ListedEntry.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class DupContentCheck;
class DupScanEngine;
class ReferenceFolders;

// What a rule makes of one group of identical files (result indices, in result order).
struct KeepGroupChoice {
    std::uint32_t group = 0;
    std::vector<std::uint32_t> kept;   // the kept file; every reference file when the group has any
    std::vector<std::uint32_t> marked; // the copies to mark or remove
    std::vector<std::uint32_t> left;   // changed since the check, gone or unreadable: neither
    bool tieByPath = false;            // the rule and the birth times left several equal
};

struct KeepChoice {
    std::vector<KeepGroupChoice> groups; // every group of the content check, in its order
    std::int64_t markedFiles = 0;
    std::int64_t markedBytes = 0; // sizes as listed; sums stop at the 64-bit limit
    std::int64_t leftFiles = 0;
    std::int64_t ties = 0; // groups whose kept file the path order chose
};

// Chooses, in each group that a content check found, the file to keep and the copies to mark or
// remove. What a rule needs (modification and birth time to the nanosecond, whether the file is
// still the one listed, whether it lies in a reference folder) is read when look() runs, through
// each file's folder handle from the scanned root, never from a path; a file that changed since the
// check, or cannot be looked at, is left (neither kept nor marked) and counted. A group needs two
// files still alike for anything to be marked.
class KeepChooser {
public:
    KeepChooser(const DupScanEngine& engine, const DupContentCheck& check);
    ~KeepChooser();

    // Called between groups; a window runs its event loop there.
    void setYieldHook(std::function<void()> hook);
    // Looks at every file of every group now; references (may be null) tells which lie in a
    // reference folder. Looking again (references changed) replaces what was seen.
    void look(ReferenceFolders* references);
    // The folders the groups' files were listed under (their roots), by identity, after look().
    const std::vector<EntryIdentity>& roots() const;

    // The choice of every group under rule, from what look() saw. Nothing is read from disk.
    KeepChoice choose(KeepRule rule) const;
    // The file of a result as looked at: as listed, with the modification time look() read, so a
    // removal checks it to the nanosecond. Valid for members of groups after look().
    ListedEntry entry(std::uint32_t result) const;
    // Why a file of choice.left stayed: the errno of looking (ESTALE: it changed since the check).
    int leftReason(std::uint32_t result) const;

    // What removing the marked files of a choice frees (hard links and shared extents apart).
    // Reads the files now; looks at stop (when given) between groups.
    FreedSpace freedSpace(const KeepChoice& choice, const std::atomic<bool>* stop = nullptr) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
