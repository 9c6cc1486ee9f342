// SPDX-License-Identifier: GPL-3.0-or-later
// Orders on numbers and name bytes must be the orders of the texts the lines show.
#include "common/DisplayText.h"
#include "common/DosDateTime.h"
#include "common/PathOrder.h"
#include "common/RowOrder.h"
#include "common/ScanPlaces.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>
#include <random>

namespace {

std::string foldedShown(std::string_view bytes) {
    std::string out;
    ScanPlaces::appendFoldedDisplay(bytes, out);
    return out;
}

int sign(int c) { return c < 0 ? -1 : c > 0 ? 1 : 0; }

// Names that meet at every edge: prefixes, bytes around "/" and "*", letter case, bad and control
// bytes, names that show alike.
const std::vector<std::string> kNames = {
    "a", "A",  "a b", "a.b", "a0",  "a!",  "ab",        "a*",      "b",    "\xff", "\xfe", "\x01", "\t",
    "x", "X0", "a\tb", "a\nb", "a?b", "\xc3\xa9", "longer name.txt", "LONGER NAME.TXT", "longer name.tx",
    "z", "Z a"};

} // namespace

TEST(RowOrder, PackedTimesOrderAsTheirTextsShowThem) {
    const std::uint32_t noon1980 = PackDosDateTime(1980, 1, 1, 12, 0, 0);
    const std::uint32_t early = PackDosDateTime(1980, 1, 1, 0, 0, 0);
    const std::uint32_t later = PackDosDateTime(2026, 11, 9, 3, 25, 0);
    const std::uint32_t sameDayEarlier = PackDosDateTime(2026, 11, 9, 2, 6, 0);
    const std::uint32_t past2044 = PackDosDateTime(2050, 1, 1, 0, 0, 0); // top bit set
    const std::uint32_t badMonth = (std::uint32_t(30) << 25) | (std::uint32_t(13) << 21) | (1u << 16);
    EXPECT_EQ(PackedTimeOrder(0), 0u);
    EXPECT_EQ(PackedTimeOrder(badMonth), noon1980); // shown as 1 January 1980 12:00:00
    EXPECT_LT(PackedTimeOrder(early), PackedTimeOrder(badMonth));
    EXPECT_LT(PackedTimeOrder(sameDayEarlier), PackedTimeOrder(later)); // the time counts
    EXPECT_EQ(PackedDateOrder(sameDayEarlier), PackedDateOrder(later)); // not for a date alone
    EXPECT_LT(PackedTimeOrder(later), PackedTimeOrder(past2044));
    EXPECT_LT(PackedDateOrder(0), PackedDateOrder(early));
}

TEST(RowOrder, ShownNamesCompareAsTheirTextsWithTheSuffix) {
    for (const std::string_view suffix : {std::string_view(), std::string_view("*(SEARCHPATH)*")}) {
        for (const std::string& a : kNames) {
            for (const std::string& b : kNames) {
                const std::string ta = foldedShown(a) + std::string(suffix);
                const std::string tb = foldedShown(b) + std::string(suffix);
                int want = sign(ta.compare(tb));
                if (want == 0)
                    want = sign(CompareFolded(a, b) != 0 ? CompareFolded(a, b) : a.compare(b));
                EXPECT_EQ(CompareShownNames(a, b, suffix), want) << a << " / " << b;
                const std::uint64_t ka = ShownNameKey(a, suffix), kb = ShownNameKey(b, suffix);
                if (ka != kb) {
                    EXPECT_EQ(ka < kb ? -1 : 1, want) << a << " / " << b;
                }
                for (const std::string& piece : {foldedShown(b) + "/", std::string("A/"), std::string("A0/")})
                    EXPECT_EQ(ShownNameBefore(a, suffix, piece), ta < piece) << a << " / " << piece;
            }
        }
    }
}

TEST(RowOrder, RadixPassesSortStablyWhateverTheKeysAndAFewRowsOfAWideSpace) {
    std::mt19937 rng(3);
    std::vector<std::uint64_t> wide(5000), narrow(5000);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        wide[i] = (std::uint64_t(rng()) << 32 | rng()) >> (rng() % 64);
        narrow[i] = rng() % 3; // mostly ties
    }
    std::vector<std::uint32_t> rows;
    for (std::uint32_t i = 0; i < wide.size(); i += 1 + rng() % 3)
        rows.push_back(i);
    std::vector<std::uint32_t> want = rows;
    std::stable_sort(want.begin(), want.end(), [&](std::uint32_t a, std::uint32_t b) { return wide[a] > wide[b]; });
    std::stable_sort(want.begin(), want.end(), [&](std::uint32_t a, std::uint32_t b) { return narrow[a] < narrow[b]; });

    RadixOrder order(rows, wide.size());
    order.sortBy(64, true, [&](std::uint32_t i) { return wide[i]; });
    order.sortBy(2, false, [&](std::uint32_t i) { return narrow[i]; });
    order.sortBy(16, false, [](std::uint32_t) { return 7; }); // one key for all: nothing moves
    EXPECT_EQ(order.take(), want);
}

// The order of files by path, from the tree and the names, against the sort of the whole texts.
TEST(RowOrder, FilesOrderByTheirWholePathTexts) {
    for (unsigned seed : {1u, 2u, 3u}) {
        std::mt19937 rng(seed);
        ScanPlaces places;
        FolderRuns runs;
        std::vector<std::string> names;
        std::vector<std::uint32_t> folderOf;
        std::vector<std::uint8_t> marked;
        for (const char* root : {"/", "/a", "/A", "/a b/c"}) {
            ASSERT_TRUE(places.addRoot(root, {}));
            for (int step = 0; step < 80; ++step) {
                const int action = int(rng() % 4);
                if (action == 0) {
                    places.leave();
                } else if (action == 1) {
                    const std::string& name = kNames[rng() % kNames.size()];
                    places.enter(name.find('/') == std::string::npos ? name : "slash", {});
                } else {
                    const std::uint32_t folder = places.current();
                    if (marked.size() <= folder)
                        marked.resize(folder + 1, 0);
                    // Folders whose paths show alike are marked alike, as the search path does.
                    std::string shown;
                    places.appendDisplayPath(folder, shown);
                    marked[folder] = shown.size() % 3 == 0;
                    for (int k = int(rng() % 4); k > 0; --k) {
                        runs.note(std::uint32_t(names.size()), folder);
                        names.push_back(kNames[rng() % kNames.size()]);
                        folderOf.push_back(folder);
                    }
                }
            }
        }
        const std::string marker = "*(SEARCHPATH)*";
        auto suffixOf = [&](std::uint32_t f) {
            return f < marked.size() && marked[f] ? std::string_view(marker) : std::string_view();
        };
        auto textOf = [&](std::uint32_t i) {
            std::string folder;
            places.appendDisplayPath(folderOf[i], folder);
            if (folder.back() != '/')
                folder += '/';
            return FoldAscii(folder) + foldedShown(names[i]) + std::string(suffixOf(folderOf[i]));
        };
        std::vector<std::uint32_t> want(names.size());
        std::iota(want.begin(), want.end(), 0u);
        std::vector<std::string> texts(names.size());
        for (std::uint32_t i = 0; i < names.size(); ++i)
            texts[i] = textOf(i);
        std::stable_sort(want.begin(), want.end(), [&](std::uint32_t a, std::uint32_t b) {
            if (int c = texts[a].compare(texts[b]))
                return c < 0;
            return CompareShownNames(names[a], names[b]) < 0;
        });
        const std::vector<std::uint32_t> got = OrderFilesByPath(
            places, runs, names.size(), [&](std::uint32_t i) { return std::string_view(names[i]); }, suffixOf);
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t k = 0; k < got.size(); ++k)
            ASSERT_EQ(got[k], want[k]) << "seed " << seed << " at " << k << ": \"" << texts[got[k]] << "\" where \""
                                       << texts[want[k]] << "\" belongs";
    }
}
