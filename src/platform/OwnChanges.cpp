// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/OwnChanges.h"

#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// Files remembered at most; a run removing more multi-name files than this forgets and starts over.
constexpr std::size_t kMostFiles = 65536;


// Per file, the steps as (first change time, latest change time): one step grows while each act
// starts where the last one ended.
struct Registry {
    std::mutex mutex;
    std::unordered_map<EntryIdentity, std::vector<std::pair<std::uint32_t, std::uint32_t>>, EntryIdentityHash>
        steps;
};

Registry& registry() {
    static Registry r;
    return r;
}

} // namespace

void NoteOwnChange(const EntryIdentity& identity, std::uint32_t before, std::uint32_t after) {
    if (before == 0 || after == 0 || before == after)
        return;
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    if (r.steps.size() >= kMostFiles && !r.steps.count(identity))
        r.steps.clear();
    auto& chain = r.steps[identity];
    for (auto& step : chain) {
        if (step.second == before) {
            step.second = after;
            return;
        }
    }
    // A few starting points per file: names listed at different times.
    if (chain.size() >= 8)
        chain.erase(chain.begin());
    chain.emplace_back(before, after);
}

bool IsOwnChange(const EntryIdentity& identity, std::uint32_t listed, std::uint32_t now) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    const auto found = r.steps.find(identity);
    if (found == r.steps.end())
        return false;
    for (const auto& step : found->second)
        if (step.first == listed && step.second == now)
            return true;
    return false;
}

void ForgetOwnChanges() {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.steps.clear();
}
