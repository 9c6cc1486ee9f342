// SPDX-License-Identifier: GPL-3.0-or-later
// The orders of the records: the candidate list (ascending lines, duplicates layout), its duplicate
// runs and the file-hog order, computed on numbers that order as the lines' values do (sizes as
// numbers, dates and times as points in time, names and paths as texts), never on the lines.
#include "finders/dup/DupRecordStore.h"

#include "common/DisplayText.h"
#include "common/PathOrder.h"
#include "common/RowOrder.h"
#include "finders/dup/DupLineTexts.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <numeric>

namespace {

using DupLine::sizeKey;

bool equalFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && FoldAsciiChar(a[i]) != FoldAsciiChar(b[i]))
            return false;
    return true;
}

unsigned bitsFor(std::size_t values) { return values <= 1 ? 0 : unsigned(std::bit_width(values - 1)); }

// Eight bytes with a-z as A-Z, all at once: the bytes from 'a' to 'z' lose their 0x20 bit.
std::uint64_t foldWord(std::uint64_t w) {
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    const std::uint64_t low7 = w & (0x7F * ones);
    const std::uint64_t fromA = low7 + (0x80 - 'a') * ones; // top bit set where the byte is 'a' or above
    const std::uint64_t pastZ = low7 + (0x80 - 'z' - 1) * ones; // ... where it is above 'z'
    const std::uint64_t lower = fromA & ~pastZ & ~w & (0x80 * ones); // not bytes of 0x80 and above
    return w ^ (lower >> 2);
}

// Every distinct name, ASCII case ignored, numbered in order of first appearance. The table keeps a
// folded copy of each name, so a lookup reads no earlier record's name (those lie all over memory).
class FoldedNames {
public:
    std::uint32_t idOf(std::string_view name) {
        fold(name);
        if (m_count * 2 >= m_slots.size())
            grow();
        const std::size_t mask = m_slots.size() - 1;
        const auto tag = static_cast<std::uint32_t>(m_hash >> 32);
        for (std::size_t at = m_hash & mask;; at = (at + 1) & mask) {
            Slot& slot = m_slots[at];
            if (slot.id == 0) {
                slot = {tag, static_cast<std::uint32_t>(++m_count)};
                m_names.push_back({static_cast<std::uint32_t>(m_text.size()), static_cast<std::uint32_t>(name.size())});
                m_text += m_folded;
                return slot.id - 1;
            }
            if (slot.tag == tag) {
                const Text& t = m_names[slot.id - 1];
                if (t.length == name.size() && std::memcmp(m_text.data() + t.offset, m_folded.data(), t.length) == 0)
                    return slot.id - 1;
            }
        }
    }

private:
    // Slots are small, so that the table of a scan with many names stays in the processor's cache.
    struct Slot {
        std::uint32_t tag = 0; // the hash's upper half
        std::uint32_t id = 0;  // id + 1; 0 is a free slot
    };
    struct Text {
        std::uint32_t offset; // into m_text
        std::uint32_t length;
    };

    // Folds name into m_folded and hashes the folded bytes into m_hash.
    void fold(std::string_view name) {
        m_folded.resize(name.size());
        std::size_t at = 0;
        for (; at + 8 <= name.size(); at += 8) {
            std::uint64_t w;
            std::memcpy(&w, name.data() + at, 8);
            w = foldWord(w);
            std::memcpy(m_folded.data() + at, &w, 8);
        }
        if (at < name.size()) {
            std::uint64_t w = 0;
            std::memcpy(&w, name.data() + at, name.size() - at);
            w = foldWord(w);
            std::memcpy(m_folded.data() + at, &w, name.size() - at);
        }
        m_hash = hashOf(m_folded);
    }
    static std::uint64_t hashOf(std::string_view folded) {
        std::uint64_t h = 0x9E3779B97F4A7C15ull ^ folded.size();
        std::size_t at = 0;
        auto mix = [&h](std::uint64_t w) {
            h = (h ^ w) * 0xFF51AFD7ED558CCDull;
            h ^= h >> 32;
        };
        for (; at + 8 <= folded.size(); at += 8) {
            std::uint64_t w;
            std::memcpy(&w, folded.data() + at, 8);
            mix(w);
        }
        if (at < folded.size()) {
            std::uint64_t w = 0;
            std::memcpy(&w, folded.data() + at, folded.size() - at);
            mix(w);
        }
        return h;
    }
    void grow() {
        std::vector<Slot> slots(std::max<std::size_t>(1024, m_slots.size() * 2));
        for (std::size_t id = 0; id < m_names.size(); ++id) {
            const std::uint64_t h = hashOf(std::string_view(m_text.data() + m_names[id].offset, m_names[id].length));
            std::size_t at = h & (slots.size() - 1);
            while (slots[at].id != 0)
                at = (at + 1) & (slots.size() - 1);
            slots[at] = {static_cast<std::uint32_t>(h >> 32), static_cast<std::uint32_t>(id + 1)};
        }
        m_slots = std::move(slots);
    }

    std::vector<Slot> m_slots;
    std::vector<Text> m_names;
    std::string m_text;   // the folded names, one after the other
    std::string m_folded; // the name being looked up, folded
    std::uint64_t m_hash = 0;
    std::size_t m_count = 0;
};

} // namespace

std::vector<std::uint32_t> DupRecordStore::typeRanks() const {
    std::vector<std::string> texts;
    texts.reserve(m_typeUtf8.size());
    for (const std::string& t : m_typeUtf8)
        texts.push_back(FoldAscii(t));
    return RankTexts(texts);
}

std::vector<std::uint32_t> DupRecordStore::pathOrder() const {
    return OrderFilesByPath(
        m_places, m_runs, m_records.size(), [this](std::uint32_t i) { return nameBytes(i); },
        [this](std::uint32_t folder) { return suffixOf(folder); });
}

std::vector<std::uint32_t> DupRecordStore::candidateOrder() const { return nameOrder(false, false); }

std::vector<std::uint32_t> DupRecordStore::duplicateOrder(bool exact) const { return nameOrder(true, exact); }

std::vector<std::uint32_t> DupRecordStore::nameOrder(bool duplicatesOnly, bool exact) const {
    const std::size_t n = m_records.size();
    // Each name once (ASCII case folded), with the number of records that bear it.
    std::vector<std::uint32_t> nameRank(n), firstOf, count;
    {
        FoldedNames names;
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint32_t id = names.idOf(name(i));
            if (id == firstOf.size()) {
                firstOf.push_back(static_cast<std::uint32_t>(i));
                count.push_back(0);
            }
            ++count[id];
            nameRank[i] = id;
        }
    }
    // The names that can be in the result, in the order of their name fields; names that only look
    // alike stay apart, so each run is one name.
    constexpr std::uint32_t kLeftOut = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> rankOfId(firstOf.size(), kLeftOut);
    {
        const std::uint32_t least = duplicatesOnly ? 2 : 1;
        std::vector<std::uint32_t> byName;
        for (std::uint32_t id = 0; id < firstOf.size(); ++id)
            if (count[id] >= least)
                byName.push_back(id);
        std::vector<std::uint64_t> keys(firstOf.size());
        for (std::uint32_t id : byName)
            keys[id] = ShownNameKey(nameBytes(firstOf[id]));
        std::sort(byName.begin(), byName.end(), [&](std::uint32_t a, std::uint32_t b) {
            if (keys[a] != keys[b])
                return keys[a] < keys[b];
            return CompareShownNames(nameBytes(firstOf[a]), nameBytes(firstOf[b])) < 0;
        });
        for (std::size_t r = 0; r < byName.size(); ++r)
            rankOfId[byName[r]] = static_cast<std::uint32_t>(r);
    }
    std::vector<std::uint32_t> kept;
    for (std::size_t i = 0; i < n; ++i) {
        nameRank[i] = rankOfId[nameRank[i]];
        if (nameRank[i] != kLeftOut)
            kept.push_back(static_cast<std::uint32_t>(i));
    }
    rankOfId = {};
    firstOf = {};
    count = {};

    // The line's fields from the last to the first, each pass keeping the order of the ties.
    RadixOrder order(std::move(kept), n);
    {
        const std::vector<std::uint32_t> types = typeRanks();
        order.sortBy(bitsFor(types.size()), false, [&](std::uint32_t i) { return types[typeIndex(name(i))]; });
    }
    {
        std::vector<ScanPlaces::RankItem> folders;
        for (const FolderRuns::Run& run : m_runs.runs())
            folders.push_back({run.folder, std::string(suffixOf(run.folder))});
        const std::vector<std::uint32_t> ranks = m_places.rankTexts(folders);
        std::vector<std::uint32_t> folderRank(m_places.folderCount(), 0);
        for (std::size_t k = 0; k < folders.size(); ++k)
            folderRank[folders[k].folder] = ranks[k];
        FolderRuns::Cursor cursor(m_runs);
        order.sortBy(bitsFor(folders.size()), false, [&](std::uint32_t i) { return folderRank[cursor.folderOf(i)]; });
    }
    order.sortBy(16, false, [this](std::uint32_t i) { return PackedDateOrder(std::uint32_t(accessedDate(i)) << 16); });
    order.sortBy(32, false, [this](std::uint32_t i) { return PackedTimeOrder(m_records[i].modified); });
    order.sortBy(64, false, [this](std::uint32_t i) { return std::uint64_t(sizeKey(fileSize(i))); });
    order.sortBy(32, false, [&](std::uint32_t i) { return nameRank[i] == kLeftOut ? 0 : nameRank[i]; });
    std::vector<std::uint32_t> rows = order.take();
    if (!duplicatesOnly || !exact)
        return rows;

    // With exact, a size text that only one file of the name has is no duplicate.
    std::vector<std::uint32_t> result;
    for (std::size_t k = 0; k < rows.size();) {
        std::size_t end = k + 1;
        while (end < rows.size() && sameKey(rows[k], rows[end], true))
            ++end;
        if (end - k >= 2)
            result.insert(result.end(), rows.begin() + std::ptrdiff_t(k), rows.begin() + std::ptrdiff_t(end));
        k = end;
    }
    return result;
}

std::vector<std::uint32_t> DupRecordStore::hogOrder() const {
    std::vector<std::uint32_t> all(m_records.size());
    std::iota(all.begin(), all.end(), 0u);
    return hogColumnOrder(std::move(all), 0, true);
}

std::vector<std::uint32_t> DupRecordStore::hogColumnOrder(std::vector<std::uint32_t> records, int column,
                                                          bool descending) const {
    const std::size_t n = m_records.size();
    // The ties of every column: by path, then as added.
    std::vector<std::uint32_t> rows = pathOrder();
    if (records.size() < n) {
        std::vector<std::uint8_t> wanted(n, 0);
        for (std::uint32_t i : records)
            wanted[i] = 1;
        std::erase_if(rows, [&](std::uint32_t i) { return !wanted[i]; });
    }
    records = {};
    if (column == 4) {
        if (descending)
            std::reverse(rows.begin(), rows.end());
        return rows;
    }
    RadixOrder order(std::move(rows), n);
    const auto modified = [this](std::uint32_t i) { return PackedTimeOrder(m_records[i].modified); };
    const auto accessed = [this](std::uint32_t i) { return PackedDateOrder(std::uint32_t(accessedDate(i)) << 16); };
    switch (column) {
    case 0:
        // Equal sizes as the scan lists them: newest first.
        order.sortBy(16, true, accessed);
        order.sortBy(32, true, modified);
        order.sortBy(64, descending, [this](std::uint32_t i) { return std::uint64_t(sizeKey(fileSize(i))); });
        break;
    case 1:
    case 2:
        order.sortBy(32, descending, modified);
        break;
    case 3:
        if (descending) // equal days newest first
            order.sortBy(32, true, modified);
        order.sortBy(16, descending, accessed);
        break;
    case 5: {
        const std::vector<std::uint32_t> types = typeRanks();
        order.sortBy(bitsFor(types.size()), descending, [&](std::uint32_t i) { return types[typeIndex(name(i))]; });
        break;
    }
    default:
        break;
    }
    return order.take();
}

bool DupRecordStore::sameKey(std::uint32_t a, std::uint32_t b, bool exact) const {
    if (!equalFolded(name(a), name(b)))
        return false;
    return !exact || sizeKey(fileSize(a)) == sizeKey(fileSize(b));
}
