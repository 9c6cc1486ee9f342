// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TempTree.h"
#include "viewer/ByteSearch.h"
#include "viewer/FileSearch.h"
#include "viewer/LineLayout.h"
#include "viewer/PagedFileModel.h"

#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace {

std::string writeFile(TempTree& t, const std::string& name, const std::string& bytes) {
    const std::string path = t.path(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::unique_ptr<PagedFileModel> openModel(const std::string& path, bool hex = false) {
    auto m = std::make_unique<PagedFileModel>();
    m->setHexMode(hex);
    m->setFileName(path);
    m->setOpen(true);
    return m;
}

// Every match of the search, line by line through lineText as the line shows (the reference).
std::vector<TextPlace> matchesLineByLine(const std::string& path, const std::string& text, bool matchCase) {
    auto m = openModel(path);
    const ByteSearch search(text, matchCase);
    std::vector<TextPlace> found;
    for (std::int64_t line = 0;; ++line) {
        const std::string shown(m->lineText(line));
        for (std::size_t at = 0; (at = search.findFirst(shown.data(), shown.size(), at)) != std::string::npos; ++at)
            found.push_back({line, int(at)});
        if (m->checkLine(line + 1) == line)
            return found;
    }
}

std::vector<TextPlace> matchesInBulk(const std::string& path, const std::string& text, bool matchCase) {
    auto m = openModel(path);
    const ByteSearch search(text, matchCase, true);
    std::vector<TextPlace> found;
    TextPlace from{0, 0};
    while (auto at = FindTextForward(*m, search, from.line, from.index)) {
        found.push_back(*at);
        from = {at->line, at->index + 1};
    }
    EXPECT_NE(m->totalLines(), PagedFileModel::UnknownLines); // a search that ran out found the end
    return found;
}

} // namespace

TEST(ByteSearch, FoldsAsciiOnlyWithoutMatchCaseAndFindsFirstAndLast) {
    const std::string text = "xx ABC aBc abc \xc3\xa9\xc3\x89 aab";
    const ByteSearch folded("abc", false), exact("abc", true);
    EXPECT_EQ(folded.findFirst(text.data(), text.size()), 3u);
    EXPECT_EQ(folded.findFirst(text.data(), text.size(), 4), 7u);
    EXPECT_EQ(exact.findFirst(text.data(), text.size()), 11u);
    EXPECT_EQ(folded.findLast(text.data(), text.size()), 11u);
    EXPECT_EQ(folded.findLast(text.data(), 13), 7u); // a match must end by the limit
    EXPECT_EQ(folded.findLast(text.data(), 5), std::string::npos);
    // Beyond ASCII nothing folds: é and É are other bytes.
    EXPECT_EQ(ByteSearch("\xc3\xa9", false).findFirst(text.data(), text.size()), 15u);
    EXPECT_EQ(ByteSearch("\xc3\x89", false).findLast(text.data(), text.size()), 17u);
    // Shifts over repeated bytes must not jump a match.
    const std::string aaab = "aaaab";
    EXPECT_EQ(ByteSearch("aab", true).findFirst(aaab.data(), aaab.size()), 2u);
    EXPECT_EQ(ByteSearch("aaa", true).findLast(aaab.data(), aaab.size()), 1u);
    // Longer texts are cut to 255 bytes; an empty one finds nothing.
    EXPECT_EQ(ByteSearch(std::string(256, 'q'), true).length(), 255u);
    EXPECT_EQ(ByteSearch("", false).findFirst(text.data(), text.size()), std::string::npos);
    // A zero byte counts as a space where the line shows it so.
    const std::string zero("a\0b", 3);
    EXPECT_EQ(ByteSearch("a b", true, true).findFirst(zero.data(), zero.size()), 0u);
    EXPECT_EQ(ByteSearch("a b", true).findFirst(zero.data(), zero.size()), std::string::npos);
}

TEST(FileSearch, BulkTextSearchFindsExactlyWhatTheLinesShow) {
    TempTree t;
    // Over three blocks of the bulk reader: mixed breaks (a CR LF split by a block end among
    // them), zero bytes, long lines with matches before and beyond their 1023rd byte, matches at
    // line starts and ends.
    std::mt19937 random(5);
    std::string text;
    const char* breaks[] = {"\n", "\r", "\r\n"};
    while (text.size() < 3'300'000) {
        const int kind = int(random() % 10);
        if (kind == 0)
            text += std::string(1000 + random() % 3000, 'z') + "Needle" + std::string(random() % 40, 'y');
        else if (kind == 1)
            text += std::string("nee\0dle needle", 14);
        else
            text += std::string(random() % 90, 'a' + char(random() % 26)) + (kind == 2 ? "NEEDLE" : "");
        text += breaks[random() % 3];
    }
    text.replace((1 << 20) - 1, 2, "\r\n");
    text += "needle";
    const std::string path = writeFile(t, "mixed", text);
    const auto reference = matchesLineByLine(path, "needle", false);
    EXPECT_GT(reference.size(), 1000u);
    EXPECT_EQ(matchesInBulk(path, "needle", false), reference);
    EXPECT_EQ(matchesInBulk(path, "nee dle", true), matchesLineByLine(path, "nee dle", true));
    EXPECT_EQ(matchesInBulk(path, "NEEDLE", true), matchesLineByLine(path, "NEEDLE", true));

    // Where the search stopped at a match, the model already knows the way to its line.
    auto m = openModel(path);
    const auto last = FindTextForward(*m, ByteSearch("needle", false, true), reference.back().line, 0);
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(std::string(m->lineText(last->line)).substr(std::size_t(last->index), 6), "needle");
    EXPECT_FALSE(FindTextForward(*m, ByteSearch("absent", false, true), 0, 0).has_value());
    EXPECT_EQ(m->totalLines(), reference.back().line + 1);
}

TEST(FileSearch, BytesForwardAndBackwardAcrossRowsBlocksAndEnds) {
    TempTree t;
    std::string bytes(3 << 20, '\0');
    bytes.replace(30, 2, "AB");                  // straddles rows 1 and 2
    bytes.replace((1 << 20) - 1, 2, "ab");       // straddles the reader's blocks
    bytes.replace(bytes.size() - 2, 2, "AB");    // the file's last bytes
    auto m = openModel(writeFile(t, "bin", bytes), true);
    const ByteSearch ab("ab", false), exact("ab", true);
    EXPECT_EQ(FindBytes(*m, ab, 0, false), 30);
    EXPECT_EQ(FindBytes(*m, ab, 31, false), (1 << 20) - 1);
    EXPECT_EQ(FindBytes(*m, exact, 0, false), (1 << 20) - 1);
    EXPECT_EQ(FindBytes(*m, ab, (1 << 20), false), std::int64_t(bytes.size()) - 2);
    EXPECT_EQ(FindBytes(*m, ab, std::int64_t(bytes.size()) - 1, false), -1);
    EXPECT_EQ(FindBytes(*m, ab, std::int64_t(bytes.size()) - 1, true), std::int64_t(bytes.size()) - 2);
    EXPECT_EQ(FindBytes(*m, ab, std::int64_t(bytes.size()) - 2, true), (1 << 20) - 1);
    EXPECT_EQ(FindBytes(*m, ab, (1 << 20) - 1, true), 30);
    EXPECT_EQ(FindBytes(*m, ab, 30, true), -1);
    EXPECT_EQ(FindBytes(*m, ByteSearch("", false), 0, false), -1);

    // 5 GiB, sparse, with bytes near its end: found backward from the end without reading it all.
    const std::string big = t.file("big", std::int64_t(5) << 30);
    {
        std::fstream f(big, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp((std::int64_t(5) << 30) - 100);
        f << "Tail";
    }
    auto huge = openModel(big, true);
    EXPECT_EQ(FindBytes(*huge, ByteSearch("TAIL", false), huge->fileLength() - 1, true),
              (std::int64_t(5) << 30) - 100);
}

TEST(LineLayout, Utf8CharactersControlBytesAndTabs) {
    // é is one column; a stray continuation byte, a C1 control (two bytes) and an unexpanded tab
    // take a column per byte.
    const LineLayout l("a\xc3\xa9" "b\x80" "c\xc2\x85" "d\t!", false, 8);
    std::u32string shown;
    for (const auto& c : l.cells())
        shown += c.ch;
    EXPECT_EQ(shown, U"a\u00e9b\ufffdc\ufffd\ufffdd\ufffd!");
    EXPECT_EQ(l.columns(), 10);
    EXPECT_EQ(l.columnOf(3), 2);     // b, after the two bytes of é
    EXPECT_EQ(l.next(1), 3);         // over é at once
    EXPECT_EQ(l.previous(3), 1);
    EXPECT_EQ(l.snap(2), 1);
    EXPECT_EQ(l.indexAtColumn(2), 3);
    EXPECT_EQ(l.indexAtColumn(99), l.length());

    // Expanded tabs reach the next stop; a column inside a tab gives the index after it.
    const LineLayout tabs("\tx\ty", true, 8);
    EXPECT_EQ(tabs.columnOf(1), 8);
    EXPECT_EQ(tabs.columnOf(3), 16);
    EXPECT_EQ(tabs.columns(), 17);
    EXPECT_EQ(tabs.indexAtColumn(3), 1);
    EXPECT_EQ(LineLayout("ab\tc", true, 3).columnOf(3), 3);
}
