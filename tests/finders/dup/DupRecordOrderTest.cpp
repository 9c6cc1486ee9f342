// SPDX-License-Identifier: GPL-3.0-or-later
// The record order computed from compact records must be the order of the rendered lines.
#include "common/DisplayText.h"
#include "common/DosDateTime.h"
#include "common/RecordField.h"
#include "common/RowOrder.h"
#include "finders/dup/DupLineTexts.h"
#include "finders/dup/DupRecordStore.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <numeric>
#include <random>

namespace {

int sign(int c) { return c < 0 ? -1 : c > 0 ? 1 : 0; }

std::string foldedUtf8(const QString& text) { return FoldAscii(text.toStdString()); }

// What a test added, to order by the values themselves.
struct Added {
    std::int64_t size;
    std::uint32_t modified;
    std::uint32_t accessed;
};

// A store full of near misses: case variants, prefixes, padding edges, odd bytes, big sizes, no dates,
// times of one day, dates whose texts order otherwise than the days.
DupRecordStore makeStore(unsigned seed, std::vector<Added>& added) {
    const std::vector<std::string> names = {
        "abc", "ABC", "abcd", "abc d", "abc.d", "abc-", "abc_", "abc~", "Readme.txt", "README.TXT", "readme.txt ",
        "exactly14chars", "exactly14chars.x", "thirteen13chr", "a very long file name indeed.dat",
        "\xc3\xa9t\xc3\xa9", "\xc3\xa9", "e", "tab\there", "tab\nhere", "tab?here", "bad\xff", "bad\xfe", "x_y", "x[y",
        "Z", "z", "`q", "@q", "abcdefghijklmnopqrstuvwxyz{", "ABCDEFGHIJKLMNOPQRSTUVWXYZ{", "ABCDEFGHIJKLMNOPQRSTUVWXYZ[",
        "\xe1\xe2", "\xc1\xc2", "\xe1\xc2", "\xfa\xfb\xfc\xfd\xfe\xff\xe0\xe1z"};
    const std::vector<std::int64_t> sizes = {0, 1, 50, 103, 205, 206, 1023, 1024, 2047, 10240, 10500, 11264,
                                             10239 * 1024, 10240 * 1024, 99999 * 1024, 100000 * 1024,
                                             123456 * 1024, std::int64_t(5) << 30, std::int64_t(1) << 50};
    const std::vector<std::uint32_t> times = {
        0, PackDosDateTime(2020, 1, 2, 3, 4, 6), PackDosDateTime(2019, 12, 1, 13, 4, 6),
        PackDosDateTime(2020, 1, 2, 23, 59, 58), PackDosDateTime(2001, 11, 30, 9, 0, 0),
        PackDosDateTime(2050, 6, 15, 12, 0, 0), PackDosDateTime(2026, 11, 9, 21, 34, 0),
        PackDosDateTime(2026, 11, 9, 2, 6, 0), PackDosDateTime(2021, 11, 9, 2, 6, 0)};
    std::mt19937 rng(seed);
    DupRecordStore store;
    store.addRoot("/", {});
    const std::vector<std::pair<std::string, bool>> folders = {
        {"/", false}, {"/a", false}, {"/a/b", true}, {"/A", false}, {"/a b", false}, {"/ab", true}, {"/a\x01z", false}};
    for (int f = 0; f < 12; ++f) {
        const auto& folder = folders[rng() % folders.size()];
        store.addFolder(folder.first, folder.second, {});
        for (int i = 0; i < 40; ++i) {
            const Added a{sizes[rng() % sizes.size()], times[rng() % times.size()], times[rng() % times.size()]};
            store.add(names[rng() % names.size()], a.size, std::uint64_t(i), a.modified, a.accessed);
            added.push_back(a);
        }
    }
    return store;
}

std::vector<std::uint32_t> sortedBy(std::size_t n, const std::function<int(std::uint32_t, std::uint32_t)>& compare) {
    std::vector<std::uint32_t> want(n);
    std::iota(want.begin(), want.end(), 0u);
    std::stable_sort(want.begin(), want.end(), [&](std::uint32_t a, std::uint32_t b) { return compare(a, b) < 0; });
    return want;
}

int compareNumbers(std::uint64_t a, std::uint64_t b) { return a < b ? -1 : a > b ? 1 : 0; }

} // namespace

// Ascending line order of the duplicates layout, each field by its value: the name as text, the
// size in K as a number, the modification as a point in time, the access date, the folder and
// the type as texts.
TEST(DupRecordOrder, CandidateOrderIsTheAscendingOrderOfTheFieldsValues) {
    for (unsigned seed : {1u, 2u, 3u}) {
        std::vector<Added> added;
        const DupRecordStore store = makeStore(seed, added);
        const std::vector<std::uint32_t> want = sortedBy(store.size(), [&](std::uint32_t a, std::uint32_t b) {
            if (int c = CompareShownNames(store.name(a), store.name(b)); c != 0 && !store.sameKey(a, b, false))
                return c;
            if (int c = compareNumbers(DupLine::sizeKey(added[a].size), DupLine::sizeKey(added[b].size)))
                return c;
            if (int c = compareNumbers(PackedTimeOrder(added[a].modified), PackedTimeOrder(added[b].modified)))
                return c;
            if (int c = compareNumbers(PackedDateOrder(added[a].accessed), PackedDateOrder(added[b].accessed)))
                return c;
            for (int field : {6, 7})
                if (int c = foldedUtf8(store.field(a, field, true)).compare(foldedUtf8(store.field(b, field, true))))
                    return sign(c);
            return 0;
        });
        EXPECT_EQ(store.candidateOrder(), want) << "seed " << seed;
    }
}

// Largest size in K first; equal sizes newest first, by access date, then by the path field as text.
TEST(DupRecordOrder, HogOrderIsSizeThenNewestFirstThenPath) {
    for (unsigned seed : {4u, 5u}) {
        std::vector<Added> added;
        const DupRecordStore store = makeStore(seed, added);
        const std::vector<std::uint32_t> want = sortedBy(store.size(), [&](std::uint32_t a, std::uint32_t b) {
            if (int c = compareNumbers(DupLine::sizeKey(added[b].size), DupLine::sizeKey(added[a].size)))
                return c;
            if (int c = compareNumbers(PackedTimeOrder(added[b].modified), PackedTimeOrder(added[a].modified)))
                return c;
            if (int c = compareNumbers(PackedDateOrder(added[b].accessed), PackedDateOrder(added[a].accessed)))
                return c;
            if (int c = foldedUtf8(store.field(a, 5, false)).compare(foldedUtf8(store.field(b, 5, false))))
                return sign(c);
            return CompareShownNames(store.name(a), store.name(b));
        });
        EXPECT_EQ(store.hogOrder(), want) << "seed " << seed;
        // The grid's column orders: the column's value, ties by path.
        std::vector<std::uint32_t> some;
        for (std::uint32_t i = 0; i < store.size(); i += 3)
            some.push_back(i);
        const std::vector<std::uint32_t> byDate = store.hogColumnOrder(some, 1, true);
        ASSERT_EQ(byDate.size(), some.size());
        for (std::size_t k = 0; k + 1 < byDate.size(); ++k) {
            const std::uint32_t a = byDate[k], b = byDate[k + 1];
            const int c = compareNumbers(PackedTimeOrder(added[b].modified), PackedTimeOrder(added[a].modified));
            ASSERT_LE(c, 0);
            if (c == 0) {
                ASSERT_LE(foldedUtf8(store.field(a, 5, false)).compare(foldedUtf8(store.field(b, 5, false))), 0);
            }
        }
        // By access day, latest first: equal days by the newest modification first.
        const std::vector<std::uint32_t> byAccess = store.hogColumnOrder(some, 3, true);
        for (std::size_t k = 0; k + 1 < byAccess.size(); ++k) {
            const std::uint32_t a = byAccess[k], b = byAccess[k + 1];
            const int c = compareNumbers(PackedDateOrder(added[b].accessed), PackedDateOrder(added[a].accessed));
            ASSERT_LE(c, 0);
            if (c == 0) {
                ASSERT_LE(compareNumbers(PackedTimeOrder(added[b].modified), PackedTimeOrder(added[a].modified)), 0);
            }
        }
    }
}

TEST(DupRecordOrder, DuplicateOrderIsTheSweepOfTheCandidateList) {
    for (unsigned seed : {6u, 7u, 8u}) {
        std::vector<Added> added;
        DupRecordStore store = makeStore(seed, added);
        const std::vector<std::uint32_t> list = store.candidateOrder();
        for (bool exact : {false, true}) {
            // addDups as written: every run of two or more equal keys, in full, in list order.
            std::vector<std::uint32_t> want;
            for (std::size_t i = 0; i + 1 < list.size();) {
                std::size_t j = i + 1;
                for (; j < list.size() && store.sameKey(list[i], list[j], exact); ++j) {
                    if (j == i + 1)
                        want.push_back(list[i]);
                    want.push_back(list[j]);
                }
                i = j;
            }
            EXPECT_EQ(store.duplicateOrder(exact), want) << "seed " << seed << (exact ? " exact" : "");
            EXPECT_FALSE(want.empty());
        }
    }
    // Bytes from 0x80 on are no letters, whatever their low bits: "\xe1" is not "\xc1" folded.
    DupRecordStore store;
    store.addRoot("/", {});
    store.addFolder("/", false, {});
    for (const char* n : {"\xe1x", "\xc1x", "\xc1X", "longer than eight bytes.e", "LONGER THAN EIGHT BYTES.E"})
        store.add(n, 1, 0, 0, 0);
    EXPECT_EQ(store.duplicateOrder(false).size(), 4u);
    EXPECT_FALSE(store.sameKey(0, 1, false));
    EXPECT_TRUE(store.sameKey(1, 2, false));
}
