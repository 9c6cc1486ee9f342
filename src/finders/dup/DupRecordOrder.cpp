// SPDX-License-Identifier: GPL-3.0-or-later
// The orders of the records: the candidate list (ascending lines, duplicates layout), its duplicate
// runs and the file-hog order, computed on integer keys that order as the rendered lines would.
#include "finders/dup/DupRecordStore.h"

#include "common/DisplayText.h"
#include "finders/dup/DupLineTexts.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <numeric>

namespace {

using DupLine::compareSizeText;
using DupLine::NameView;
using DupLine::sizeKey;
constexpr std::string_view kMarkerBytes = DupLine::MarkerBytes;

// Lines compare byte by byte in UTF-8 with a-z folded to A-Z. A tab separates fields and sorts below
// every character a field can hold, so comparing field by field, a prefix first, is comparing lines.

std::string foldedUtf8(const QString& text) {
    QByteArray u = text.toUtf8();
    std::string s(u.constData(), std::size_t(u.size()));
    for (char& c : s)
        c = FoldAsciiChar(c);
    return s;
}

std::size_t dateKey(std::uint32_t v) { return FileDateTimeTexts::dateKey(v); }
std::size_t timeKey(std::uint32_t v) { return FileDateTimeTexts::timeKey(v); }
constexpr std::size_t kDateKeys = FileDateTimeTexts::DateKeys;
constexpr std::size_t kTimeKeys = FileDateTimeTexts::TimeKeys;

template <typename T> int cmp(T a, T b) { return a < b ? -1 : (a > b ? 1 : 0); }

// Ranks of texts in folded order; equal texts share a rank. A scan has tens of thousands of distinct
// times: they are sorted on their first eight bytes as one number (most differ there), the texts
// compared only where those are alike.
std::vector<std::uint32_t> rankTexts(const std::vector<std::string>& folded) {
    struct Key {
        std::uint64_t head; // the first eight bytes, big-endian, zeros after a shorter text
        std::uint32_t index;
    };
    std::vector<Key> keys(folded.size());
    for (std::size_t i = 0; i < folded.size(); ++i) {
        std::uint64_t head = 0;
        for (std::size_t k = 0; k < 8; ++k)
            head = (head << 8) | (k < folded[i].size() ? static_cast<unsigned char>(folded[i][k]) : 0u);
        keys[i] = {head, static_cast<std::uint32_t>(i)};
    }
    std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        return a.head != b.head ? a.head < b.head : folded[a.index] < folded[b.index];
    });
    std::vector<std::uint32_t> rank(folded.size());
    std::uint32_t r = 0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i > 0 && (keys[i].head != keys[i - 1].head || folded[keys[i].index] != folded[keys[i - 1].index]))
            ++r;
        rank[keys[i].index] = r;
    }
    return rank;
}

// Sorts record indices by two 64-bit keys that order like the leading fields of the comparison, and
// by the full comparison only where both tie: most comparisons then touch neither records nor texts.
template <typename Less>
std::vector<std::uint32_t> sortByKeys(const std::vector<std::uint64_t>& k1, const std::vector<std::uint64_t>& k2,
                                      Less less) {
    struct Item {
        std::uint64_t k1;
        std::uint64_t k2;
        std::uint32_t index;
    };
    std::vector<Item> items(k1.size());
    for (std::size_t i = 0; i < k1.size(); ++i)
        items[i] = {k1[i], k2[i], static_cast<std::uint32_t>(i)};
    std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
        if (a.k1 != b.k1)
            return a.k1 < b.k1;
        if (a.k2 != b.k2)
            return a.k2 < b.k2;
        return less(a.index, b.index);
    });
    std::vector<std::uint32_t> order(items.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        order[i] = items[i].index;
    return order;
}

int compareRawFolded(std::string_view a, std::string_view b) { return CompareFolded(a, b); }

bool equalFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && FoldAsciiChar(a[i]) != FoldAsciiChar(b[i]))
            return false;
    return true;
}

} // namespace

// Ranks of the field texts that many lines share, so the sort compares numbers for them.
struct DupRecordStore::Ranks {
    std::vector<std::uint32_t> date; // by dateKey
    std::vector<std::uint32_t> time; // by timeKey
    std::vector<std::uint32_t> folderField; // by folder, duplicates layout: text + marker
    std::vector<std::uint32_t> type;
    std::uint32_t dates = 0; // distinct date texts (ranks are below)
    std::uint32_t times = 0;
};

DupRecordStore::Ranks DupRecordStore::makeRanks() const {
    Ranks ranks;
    // Dates and times: the texts of the keys that occur.
    std::vector<char> dateSeen(kDateKeys, 0), timeSeen(kTimeKeys, 0);
    for (const DupRecord& r : m_records) {
        dateSeen[dateKey(r.modified)] = 1;
        dateSeen[dateKey(r.accessed)] = 1;
        timeSeen[timeKey(r.modified)] = 1;
    }
    auto rankKeys = [](const std::vector<char>& seen, auto textOf) {
        std::vector<std::size_t> keys;
        std::vector<std::string> texts;
        for (std::size_t k = 0; k < seen.size(); ++k) {
            if (seen[k]) {
                keys.push_back(k);
                std::string_view t = textOf(k);
                texts.emplace_back(t);
                for (char& c : texts.back())
                    c = FoldAsciiChar(c);
            }
        }
        std::vector<std::uint32_t> byKey(seen.size(), 0);
        std::vector<std::uint32_t> r = rankTexts(texts);
        for (std::size_t i = 0; i < keys.size(); ++i)
            byKey[keys[i]] = r[i];
        return byKey;
    };
    ranks.date = rankKeys(dateSeen, [this](std::size_t k) { return m_texts.dateText(k); });
    ranks.time = rankKeys(timeSeen, [this](std::size_t k) { return m_texts.timeText(k); });
    ranks.dates = *std::max_element(ranks.date.begin(), ranks.date.end()) + 1;
    ranks.times = *std::max_element(ranks.time.begin(), ranks.time.end()) + 1;

    // The folders that hold records; their texts are ranked from the tree of folders, never made whole.
    std::vector<std::uint8_t> used(m_places.folderCount(), 0);
    std::vector<ScanPlaces::RankItem> folders;
    for (const DupRecord& r : m_records) {
        if (!used[r.folder]) {
            used[r.folder] = 1;
            folders.push_back({r.folder, isSearchPath(r.folder) ? std::string(kMarkerBytes) : std::string()});
        }
    }
    const std::vector<std::uint32_t> folderRanks = m_places.rankTexts(folders);
    ranks.folderField.assign(m_places.folderCount(), 0);
    for (std::size_t k = 0; k < folders.size(); ++k)
        ranks.folderField[folders[k].folder] = folderRanks[k];
    std::vector<std::string> texts;
    for (const QString& t : m_typeNames)
        texts.push_back(foldedUtf8(t));
    ranks.type = rankTexts(texts);
    return ranks;
}

std::string DupRecordStore::nameFieldKey(std::size_t i) const {
    // The name field as its line shows it, folded: keys compare as the fields (a prefix first, as
    // the tab after a field sorts below every character it can hold).
    NameView nv(name(i), m_records[i].needsCare);
    std::string key(nv.text);
    for (char& c : key)
        c = FoldAsciiChar(c);
    return key;
}

namespace {

// Orders like the size text while both sizes are below 10000 K (right-aligned texts); from there
// on the texts are bare digits in text order, left to the text comparison.
constexpr std::uint64_t kSizeByText = 0xFFFFFFFFull;
std::uint64_t sizeTextOrder(std::int64_t size) {
    std::int64_t key = sizeKey(size);
    return key < 10000 * 10 ? std::uint64_t(key) : kSizeByText;
}

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

std::vector<std::uint32_t> DupRecordStore::candidateOrder() const { return nameOrder(false, false); }

std::vector<std::uint32_t> DupRecordStore::duplicateOrder(bool exact) const { return nameOrder(true, exact); }

std::vector<std::uint32_t> DupRecordStore::nameOrder(bool duplicatesOnly, bool exact) const {
    const std::size_t n = m_records.size();
    // Each name once (ASCII case folded), with the number of records that bear it.
    std::vector<std::uint32_t> nameId(n), firstOf, count;
    {
        FoldedNames names;
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint32_t id = names.idOf(name(i));
            if (id == firstOf.size()) {
                firstOf.push_back(static_cast<std::uint32_t>(i));
                count.push_back(0);
            }
            ++count[id];
            nameId[i] = id;
        }
    }
    // The names that can be in the result, ranked in the order of their name fields.
    const std::uint32_t least = duplicatesOnly ? 2 : 1;
    std::vector<std::uint32_t> byName;
    for (std::uint32_t id = 0; id < firstOf.size(); ++id)
        if (count[id] >= least)
            byName.push_back(id);
    {
        std::vector<std::string> keys(firstOf.size());
        for (std::uint32_t id : byName)
            keys[id] = nameFieldKey(firstOf[id]);
        std::sort(byName.begin(), byName.end(), [&](std::uint32_t a, std::uint32_t b) {
            if (int c = keys[a].compare(keys[b]))
                return c < 0;
            // Names that show alike but differ in their bytes stay apart, so each run is one name.
            return compareRawFolded(name(firstOf[a]), name(firstOf[b])) < 0;
        });
    }
    constexpr std::uint32_t kLeftOut = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> rank(firstOf.size(), kLeftOut);
    std::vector<std::size_t> start(byName.size() + 1, 0);
    for (std::size_t r = 0; r < byName.size(); ++r) {
        rank[byName[r]] = static_cast<std::uint32_t>(r);
        start[r + 1] = start[r] + count[byName[r]];
    }

    // Records grouped by name in that order (one pass, in stored order), then each group sorted on
    // the rest of the line: every field as a number but large size texts.
    const Ranks ranks = makeRanks();
    struct Item {
        std::uint64_t size;   // sizeTextOrder
        std::uint64_t k2;     // modified date, modified time, access date
        std::uint32_t folder; // folder field rank; the type decides after it, rarely needed
        std::uint32_t index;
    };
    std::vector<Item> items(start.back());
    {
        std::vector<std::size_t> next(start.begin(), start.end() - 1);
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint32_t r = rank[nameId[i]];
            if (r == kLeftOut)
                continue;
            const DupRecord& rec = m_records[i];
            Item& item = items[next[r]++];
            item.size = sizeTextOrder(rec.size);
            item.k2 = (std::uint64_t(ranks.date[dateKey(rec.modified)]) << 35) |
                      (std::uint64_t(ranks.time[timeKey(rec.modified)]) << 18) | ranks.date[dateKey(rec.accessed)];
            item.folder = ranks.folderField[rec.folder];
            item.index = static_cast<std::uint32_t>(i);
        }
    }
    nameId = {};
    const auto less = [&](const Item& a, const Item& b) {
        if (a.size != b.size)
            return a.size < b.size;
        if (a.size == kSizeByText) {
            int c = compareSizeText(m_records[a.index].size, m_records[b.index].size);
            if (c != 0)
                return c < 0;
        }
        if (a.k2 != b.k2)
            return a.k2 < b.k2;
        if (a.folder != b.folder)
            return a.folder < b.folder;
        // One folder holds the name twice, in two letter cases: their types may differ.
        const std::uint32_t ta = ranks.type[typeIndex(name(a.index))], tb = ranks.type[typeIndex(name(b.index))];
        if (ta != tb)
            return ta < tb;
        return a.index < b.index;
    };
    // Same size text: equal size orders, or for large sizes equal sizes in K.
    const auto sameSize = [&](const Item& a, const Item& b) {
        if (a.size != b.size)
            return false;
        return a.size != kSizeByText || sizeKey(m_records[a.index].size) == sizeKey(m_records[b.index].size);
    };
    std::vector<std::uint32_t> order;
    order.reserve(items.size());
    for (std::size_t r = 0; r < byName.size(); ++r) {
        const auto first = items.begin() + std::ptrdiff_t(start[r]);
        const auto last = items.begin() + std::ptrdiff_t(start[r + 1]);
        std::sort(first, last, less);
        for (auto it = first; it != last;) {
            auto end = it + 1;
            if (exact)
                while (end != last && sameSize(*it, *end))
                    ++end;
            else
                end = last;
            // With exact, a size text that only one file of the name has is no duplicate.
            if (!duplicatesOnly || end - it >= 2)
                for (; it != end; ++it)
                    order.push_back(it->index);
            it = end;
        }
    }
    return order;
}

std::vector<std::uint32_t> DupRecordStore::pathRanks(const std::vector<std::uint32_t>& records) const {
    std::vector<ScanPlaces::RankItem> items(records.size());
    for (std::size_t k = 0; k < records.size(); ++k) {
        const DupRecord& r = m_records[records[k]];
        items[k].folder = r.folder;
        NameView nv(name(records[k]), r.needsCare);
        items[k].tail.reserve(nv.text.size() + kMarkerBytes.size());
        for (char c : nv.text)
            items[k].tail += FoldAsciiChar(c);
        if (isSearchPath(r.folder))
            items[k].tail += kMarkerBytes;
    }
    return m_places.rankTexts(items);
}

std::vector<std::uint32_t> DupRecordStore::hogOrder() const {
    const Ranks ranks = makeRanks();
    const std::size_t n = m_records.size();
    // Where size, dates and time tie, the path field decides: ranked, for the records that need it,
    // from the tree of folders (paths are never made whole to compare them).
    std::vector<std::uint32_t> pathRank;
    auto rankPaths = [&](const std::vector<std::uint32_t>& records) {
        pathRank.assign(n, 0);
        const std::vector<std::uint32_t> r = pathRanks(records);
        for (std::size_t k = 0; k < records.size(); ++k)
            pathRank[records[k]] = r[k];
    };
    auto before = [&](std::uint32_t ia, std::uint32_t ib) {
        const DupRecord& a = m_records[ia];
        const DupRecord& b = m_records[ib];
        // Every comparison is "b against a": the order is descending throughout.
        int c = cmp(sizeKey(b.size), sizeKey(a.size));
        if (c == 0)
            c = cmp(ranks.date[dateKey(b.modified)], ranks.date[dateKey(a.modified)]);
        if (c == 0)
            c = cmp(ranks.time[timeKey(b.modified)], ranks.time[timeKey(a.modified)]);
        if (c == 0)
            c = cmp(ranks.date[dateKey(b.accessed)], ranks.date[dateKey(a.accessed)]);
        if (c == 0) {
            c = cmp(pathRank[ib], pathRank[ia]);
            if (c == 0 && (a.needsCare || b.needsCare))
                c = compareRawFolded(name(ib), name(ia));
        }
        if (c == 0)
            c = cmp(ranks.type[typeIndex(name(ib))], ranks.type[typeIndex(name(ia))]);
        return c != 0 ? c < 0 : ia > ib;
    };

    // The dates and time as one number of as few bits as the scan's texts need, with the record's
    // index below: items of two words that compare without looking at the records.
    const unsigned dateBits = unsigned(std::bit_width(ranks.dates - 1));
    const unsigned timeBits = unsigned(std::bit_width(ranks.times - 1));
    const unsigned indexBits = unsigned(std::bit_width(n));
    if (2 * dateBits + timeBits + indexBits > 64) {
        std::vector<std::uint64_t> k1(n), k2(n);
        for (std::size_t i = 0; i < n; ++i) {
            const DupRecord& r = m_records[i];
            k1[i] = ~static_cast<std::uint64_t>(sizeKey(r.size));
            k2[i] = ~((std::uint64_t(ranks.date[dateKey(r.modified)]) << 35) |
                      (std::uint64_t(ranks.time[timeKey(r.modified)]) << 18) | ranks.date[dateKey(r.accessed)]);
        }
        std::vector<std::uint32_t> all(n);
        std::iota(all.begin(), all.end(), 0u);
        rankPaths(all);
        return sortByKeys(k1, k2, before);
    }
    struct Item {
        std::uint64_t size; // complemented: largest first
        std::uint64_t rest; // dates and time complemented, then the index
    };
    const std::uint64_t timesMask = (std::uint64_t(1) << (2 * dateBits + timeBits)) - 1;
    std::vector<Item> items(n);
    for (std::size_t i = 0; i < n; ++i) {
        const DupRecord& r = m_records[i];
        const std::uint64_t times = (std::uint64_t(ranks.date[dateKey(r.modified)]) << (timeBits + dateBits)) |
                                    (std::uint64_t(ranks.time[timeKey(r.modified)]) << dateBits) |
                                    ranks.date[dateKey(r.accessed)];
        items[i] = {~static_cast<std::uint64_t>(sizeKey(r.size)), ((timesMask ^ times) << indexBits) | i};
    }
    std::sort(items.begin(), items.end(),
              [](const Item& a, const Item& b) { return a.size != b.size ? a.size < b.size : a.rest < b.rest; });
    std::vector<std::uint32_t> order(n);
    const std::uint64_t indexMask = (std::uint64_t(1) << indexBits) - 1;
    for (std::size_t i = 0; i < n; ++i)
        order[i] = static_cast<std::uint32_t>(items[i].rest & indexMask);
    // Same size, dates and time: the rest of the line decides.
    std::vector<std::pair<std::size_t, std::size_t>> ties;
    std::vector<std::uint32_t> tied;
    for (std::size_t i = 0; i < n;) {
        std::size_t j = i + 1;
        while (j < n && items[j].size == items[i].size && (items[j].rest >> indexBits) == (items[i].rest >> indexBits))
            ++j;
        if (j - i > 1) {
            ties.emplace_back(i, j);
            tied.insert(tied.end(), order.begin() + std::ptrdiff_t(i), order.begin() + std::ptrdiff_t(j));
        }
        i = j;
    }
    if (ties.empty())
        return order;
    rankPaths(tied);
    for (const auto& [i, j] : ties)
        std::sort(order.begin() + std::ptrdiff_t(i), order.begin() + std::ptrdiff_t(j), before);
    return order;
}

bool DupRecordStore::sameKey(std::uint32_t ia, std::uint32_t ib, bool exact) const {
    const DupRecord& a = m_records[ia];
    const DupRecord& b = m_records[ib];
    if (!equalFolded(name(ia), name(ib)))
        return false;
    return !exact || compareSizeText(a.size, b.size) == 0;
}
