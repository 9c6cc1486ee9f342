// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Orders of result rows worked out on numbers and name bytes, never on the lines' texts: the order
// of packed date-times as their texts show them, compact keys and comparisons of shown names, and a
// stable radix sort of row indices whose cost does not depend on how many keys tie.

// The order of a packed date-time as its date and time texts show it, as a number: 0 (no date)
// before every date; a value that is not a real date and time shows, and so orders, as 1 January
// 1980 12:00:00. Later times give larger numbers (years from 2044 on too).
std::uint32_t PackedTimeOrder(std::uint32_t packed);
// The same for a column that shows the date alone: the day as a number, 0 for no date.
inline std::uint32_t PackedDateOrder(std::uint32_t packed) { return PackedTimeOrder(packed) >> 16; }

// Name bytes with whether they show as they are (IsCleanName): callers that keep that answer per
// name spare the check on every comparison.
struct NameBytes {
    std::string_view bytes;
    bool clean;
    NameBytes(std::string_view b); // checks
    NameBytes(const std::string& b) : NameBytes(std::string_view(b)) {}
    NameBytes(const char* b) : NameBytes(std::string_view(b)) {}
    NameBytes(std::string_view b, bool isClean) : bytes(b), clean(isClean) {}
};

// A name as a line shows it, for comparing: the bytes themselves when they are shown as they are,
// else their display text (bad bytes as U+FFFD, control characters as "?"), in UTF-8.
class ShownName {
public:
    explicit ShownName(NameBytes name);
    std::string_view text() const { return m_text; }

private:
    std::string_view m_text;
    std::string m_storage;
};

// The first eight bytes of (shown name + suffix) with a-z as A-Z, big-endian, zeros after a shorter
// text: two names whose keys differ order as their keys; equal keys need CompareShownNames.
std::uint64_t ShownNameKey(NameBytes name, std::string_view suffix = {});
// Compares (shown name + suffix) of two names as the lines' texts compare, ASCII letters folded,
// byte by byte as UTF-8, a prefix first; names that show alike then by their bytes folded, then as
// bytes, so only equal names compare equal. suffix (the same for both) must hold no letter a-z.
int CompareShownNames(NameBytes a, NameBytes b, std::string_view suffix = {});
// Whether (shown name + suffix) sorts before piece, a folded text (a sub-folder's name and "/").
bool ShownNameBefore(NameBytes name, std::string_view suffix, std::string_view piece);

// Ranks of texts in byte order: equal texts share a rank, ranks run 0, 1, 2, ... without gaps.
std::vector<std::uint32_t> RankTexts(const std::vector<std::string>& texts);
// For the grid's sorts: the position of each key (each below space) in keys, by key; none when a key
// lies outside the space or comes twice.
std::optional<std::vector<std::uint32_t>> PositionsOfKeys(const std::vector<std::uint32_t>& keys,
                                                          std::size_t space);

// Row indices put in order by one key after another, least significant key first: each pass is a
// stable radix sort (16 bits a step), so rows whose key ties keep the order the passes before gave
// them, and the cost is the same whether keys tie or not. A step whose digit is the same for every
// row moves nothing. Holds ten bytes per index of the space besides the rows.
class RadixOrder {
public:
    // rows: the indices to order, each below space (the indices keyOf is asked for).
    RadixOrder(std::vector<std::uint32_t> rows, std::size_t space);

    // Orders by keyOf(index) (an unsigned number of at most `bits` bits), ascending or descending;
    // ties keep their order. keyOf is called for every index 0 .. space-1 in increasing order, once
    // per 16 bits, so it may follow a cursor (the folder runs of files in walk order).
    template <class KeyOf> void sortBy(unsigned bits, bool descending, KeyOf&& keyOf) {
        for (unsigned shift = 0; shift < bits; shift += 16) {
            for (std::size_t i = 0; i < m_space; ++i)
                m_digits[i] = static_cast<std::uint16_t>(std::uint64_t(keyOf(static_cast<std::uint32_t>(i))) >> shift);
            pass(descending);
        }
    }

    const std::vector<std::uint32_t>& rows() const { return m_rows; }
    std::vector<std::uint32_t> take() { return std::move(m_rows); }

private:
    void pass(bool descending);

    std::vector<std::uint32_t> m_rows;
    std::vector<std::uint32_t> m_scratch;
    std::vector<std::uint16_t> m_digits; // by index of the space
    std::size_t m_space;
};

// Sorts rows (indices below space) stably by their shown names (CompareShownNames), ascending or
// descending, with an eight-byte key per index so that the names' bytes are read only where keys tie.
template <class NameOf>
void SortByShownNames(std::vector<std::uint32_t>& rows, std::size_t space, const NameOf& nameOf,
                      bool descending = false) {
    std::vector<std::uint64_t> keys(space);
    for (std::uint32_t r : rows)
        keys[r] = ShownNameKey(nameOf(r));
    std::stable_sort(rows.begin(), rows.end(), [&](std::uint32_t a, std::uint32_t b) {
        if (keys[a] != keys[b])
            return (keys[a] < keys[b]) != descending;
        const int c = CompareShownNames(nameOf(a), nameOf(b));
        return descending ? c > 0 : c < 0;
    });
}
