// SPDX-License-Identifier: GPL-3.0-or-later
// The tree of a scan's folders gives the same paths and orders as the whole path texts would.
#include "common/ScanPlaces.h"
#include "common/DisplayText.h"

#include <gtest/gtest.h>
#include <random>

namespace {

std::string folded(std::string_view bytes) {
    std::string out;
    ScanPlaces::appendFoldedDisplay(bytes, out);
    return out;
}

} // namespace

TEST(ScanPlaces, FollowsTheWalkAndMakesPathsAndEntries) {
    ScanPlaces places;
    EXPECT_EQ(places.current(), ScanPlaces::None); // no root yet
    ASSERT_TRUE(places.addRoot("/r/s", {1, 2}));
    places.enter("a", {1, 3});
    places.enter("b", {1, 4});
    const std::size_t before = places.folderCount();
    const std::uint32_t b = places.current();
    EXPECT_EQ(places.folderCount(), before + 2); // a and b, added only now
    EXPECT_EQ(places.folderPath(b), "/r/s/a/b");
    EXPECT_EQ(places.path(b, "f"), "/r/s/a/b/f");
    EXPECT_EQ(places.current(), b); // once
    places.leave();
    places.enter("c\xff", {1, 5});
    const std::uint32_t c = places.current();
    EXPECT_EQ(places.folderPath(c), "/r/s/a/c\xff");
    std::string shown;
    places.appendDisplayPath(c, shown);
    EXPECT_EQ(shown, "/r/s/a/c\xef\xbf\xbd");
    shown.clear();
    places.appendDisplayPath(b, shown); // made from the last one's shared part
    EXPECT_EQ(shown, "/r/s/a/b");

    const ListedEntry e = places.entry(c, "file", 9);
    EXPECT_EQ(e.root, "/r/s");
    EXPECT_EQ(e.folder, "a/c\xff");
    EXPECT_EQ(e.folderIdentity, (EntryIdentity{1, 5}));
    EXPECT_EQ(e.identity, (EntryIdentity{1, 9}));
    const ListedEntry self = places.folderEntry(c);
    EXPECT_EQ(self.path(), "/r/s/a/c\xff");
    EXPECT_EQ(self.folderIdentity, (EntryIdentity{1, 3}));
    places.leave();
    places.leave();
    EXPECT_TRUE(places.isRoot(places.current()));
    EXPECT_EQ(places.folderEntry(places.current()).path(), "/r/s");

    ASSERT_TRUE(places.addRoot("/", {7, 1}));
    EXPECT_EQ(places.folderPath(places.current()), "/");
    EXPECT_EQ(places.path(places.current(), "x"), "/x");
    EXPECT_EQ(places.addFolderPath("/", {7, 1}), places.folderCount() - 1);
    EXPECT_EQ(places.folderPath(places.addFolderPath("/u/v", {7, 3})), "/u/v");
}

// Ranks from the tree against the sort of the whole texts, on names made to meet at every edge:
// prefixes of each other, bytes just below and above "/", letter case, bad and control bytes,
// names that show alike, tails equal to a folder's name, marker-like tails, roots inside roots.
TEST(ScanPlaces, RanksOrderAsTheWholeTexts) {
    const std::vector<std::string> names = {
        "a", "A",    "a b",  "a.b", "a0",   "a!",   "ab",       "a/",
        "b", "\xff", "\x01", "\t",  "a\tb", "a\nb", "\xc3\xa9", "*(SEARCHPATH)*",
        "z", "Z a"};
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        std::mt19937 rng(seed);
        ScanPlaces places;
        std::vector<std::uint32_t> folders;
        for (const char* root : {"/", "/a", "/a b/c", "/A"}) {
            ASSERT_TRUE(places.addRoot(root, {}));
            folders.push_back(places.current());
            for (int i = 0; i < 60; ++i) {
                const int action = int(rng() % 3);
                if (action == 0) {
                    places.leave();
                } else {
                    std::string name = names[rng() % names.size()];
                    if (name.find('/') != std::string::npos)
                        name = "slash";
                    places.enter(name, {});
                    folders.push_back(places.current());
                }
            }
        }
        std::vector<ScanPlaces::RankItem> items;
        std::vector<std::string> texts;
        for (int i = 0; i < 400; ++i) {
            ScanPlaces::RankItem item{folders[rng() % folders.size()], {}};
            const int kind = int(rng() % 4);
            if (kind == 1) {
                item.tail = folded(names[rng() % names.size()]);
            } else if (kind == 2) {
                item.tail = "*(SEARCHPATH)*";
            } else if (kind == 3) {
                // A folder's own path text, without a "/" after it: its name under its parent ("/"
                // itself is the top with nothing after it).
                const std::uint32_t f = item.folder;
                if (places.parentOf(f) != ScanPlaces::None || !places.nameOf(f).empty()) {
                    item.folder = places.parentOf(f);
                    item.tail = folded(places.nameOf(f));
                }
            }
            if (item.tail.find('/') != std::string::npos)
                continue;
            std::string text;
            if (item.folder != ScanPlaces::None) {
                places.appendDisplayPath(item.folder, text);
                if (text.back() != '/')
                    text += '/';
                for (char& ch : text)
                    ch = FoldAsciiChar(ch);
            }
            text += item.tail;
            items.push_back(item);
            texts.push_back(text);
        }
        const std::vector<std::uint32_t> ranks = places.rankTexts(items);
        ASSERT_EQ(ranks.size(), items.size());
        for (std::size_t i = 0; i < items.size(); ++i)
            for (std::size_t j = 0; j < items.size(); ++j) {
                const int byText = texts[i].compare(texts[j]);
                const int byRank = ranks[i] < ranks[j] ? -1 : ranks[i] > ranks[j] ? 1 : 0;
                ASSERT_EQ(byText < 0   ? -1
                          : byText > 0 ? 1
                                       : 0,
                          byRank)
                    << "seed " << seed << ": \"" << texts[i] << "\" against \"" << texts[j] << "\"";
            }
    }
}
