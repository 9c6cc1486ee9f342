// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TempTree.h"
#include "viewer/PagedFileModel.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string writeFile(TempTree& t, const std::string& name, const std::string& bytes) {
    const std::string path = t.path(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// A model opened on path, with every TotalLines change recorded.
struct Opened {
    PagedFileModel model;
    std::vector<std::pair<std::int64_t, bool>> totals;
    explicit Opened(const std::string& path, bool hex = false) {
        model.setTotalLinesHook([this](std::int64_t t, bool reset) { totals.emplace_back(t, reset); });
        model.setHexMode(hex);
        model.setFileName(path);
        model.setOpen(true);
    }
    std::vector<std::string> lines(std::int64_t from, std::int64_t to) {
        std::vector<std::string> out;
        for (std::int64_t n = from; n <= to; ++n)
            out.emplace_back(model.lineText(n));
        return out;
    }
};

} // namespace

TEST(PagedFileModel, LinesEndAtLfCrOrCrLfAndTheEndIsLearnedWhenReached) {
    TempTree t;
    Opened crlf(writeFile(t, "crlf", "A\r\nB\r\n"));
    EXPECT_EQ(crlf.model.totalLines(), PagedFileModel::UnknownLines);
    EXPECT_EQ(crlf.lines(0, 2), (std::vector<std::string>{"A", "B", ""}));
    EXPECT_EQ(crlf.model.checkLine(1000), 2);
    EXPECT_EQ(crlf.model.totalLines(), 3);
    EXPECT_EQ(crlf.totals.back(), (std::pair<std::int64_t, bool>{3, false})); // the view is not reset
    EXPECT_EQ(crlf.model.lineText(3), "");
    EXPECT_EQ(crlf.model.lineText(-1), "");

    Opened mixed(writeFile(t, "mixed", std::string("one\ntwo\rthree\r\n\nfo\0ur\r\rlast", 27)));
    EXPECT_EQ(mixed.lines(0, 6), (std::vector<std::string>{"one", "two", "three", "", "fo ur", "", "last"}));
    // Backwards from the end, and forwards again, give the same lines.
    EXPECT_EQ(mixed.model.checkLine(99), 6);
    EXPECT_EQ(mixed.model.lineText(2), "three");
    EXPECT_EQ(mixed.model.lineText(5), "");
    EXPECT_EQ(mixed.model.lineOffset(4), 16);

    Opened single(writeFile(t, "single", "no break at all"));
    EXPECT_EQ(single.model.checkLine(5), 0);
    EXPECT_EQ(single.model.lineText(0), "no break at all");
    EXPECT_EQ(single.model.totalLines(), 1);

    Opened empty(writeFile(t, "empty", ""));
    EXPECT_EQ(empty.model.fileLength(), 0);
    EXPECT_EQ(empty.model.checkLine(7), 0);
    EXPECT_EQ(empty.model.lineText(0), "");
    // No lines and no rows, known at once: nothing waits for an end that no scan would reach.
    EXPECT_EQ(empty.model.totalLines(), 0);
    EXPECT_EQ(empty.totals.back(), (std::pair<std::int64_t, bool>{0, true}));
    empty.model.setHexMode(true);
    EXPECT_EQ(empty.model.totalLines(), 0);
    EXPECT_EQ(Opened(empty.model.fileName(), true).model.totalLines(), 0);

    // The size now, beside the size when opened, tells that a file shrank.
    const std::string shrinking = writeFile(t, "shrinking", "one\ntwo\n");
    Opened cut(shrinking);
    ASSERT_EQ(::truncate(shrinking.c_str(), 3), 0);
    EXPECT_EQ(cut.model.fileLength(), 8);
    EXPECT_EQ(cut.model.lengthNow(), 3);
    cut.model.setOpen(false);
    EXPECT_EQ(cut.model.lengthNow(), -1);

    // A long line shows its first 1023 characters; the next line starts after its break.
    Opened longLine(writeFile(t, "long", std::string(5000, 'x') + "\nnext\tline"));
    EXPECT_EQ(longLine.model.lineText(0).size(), 1023u);
    EXPECT_EQ(longLine.model.lineText(1), "next\tline");
    EXPECT_EQ(longLine.model.printableLine(1, 100), "next    line");
    EXPECT_EQ(longLine.model.printableLine(1, 6), "next  ");
}

TEST(PagedFileModel, ManyLinesAcrossPagesAndStepsAnyOrder) {
    TempTree t;
    std::string text;
    std::vector<std::string> expected;
    for (int i = 0; i < 60000; ++i) {
        expected.push_back("line " + std::to_string(i) + std::string(std::size_t(i % 37), '.'));
        text += expected.back() + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
    }
    expected.push_back("");
    Opened o(writeFile(t, "many", text));
    o.model.setBufferPageCount(2);
    EXPECT_EQ(o.model.bufferPageCount(), 2);
    // Jumps far ahead, back, and to the end: each line is the line, whatever the way there.
    for (std::int64_t n : {59999, 12, 30000, 29999, 30001, 0, 45000, 60000, 17}) {
        EXPECT_EQ(std::string(o.model.lineText(n)), expected[std::size_t(n)]) << n;
    }
    EXPECT_EQ(o.model.totalLines(), 60001);
    for (std::int64_t n = 0; n <= 60000; n += 997)
        EXPECT_EQ(std::string(o.model.lineText(n)), expected[std::size_t(n)]) << n;
    o.model.setBufferPageCount(1000);
    EXPECT_EQ(o.model.bufferPageCount(), 512);
    // Hex mode and back keeps the line count learned.
    o.model.setHexMode(true);
    EXPECT_EQ(o.model.totalLines(), (std::int64_t(text.size()) - 1) / 16 + 1);
    o.model.setHexMode(false);
    EXPECT_EQ(o.model.totalLines(), 60001);
}

TEST(PagedFileModel, HexRowsTheirLayoutAndBigFiles) {
    TempTree t;
    Opened o(writeFile(t, "seventeen", std::string("\x00\tAB\x7f\x80\xff" "0123456789", 17)), true);
    EXPECT_EQ(o.model.totalLines(), 2);
    EXPECT_EQ(o.model.lineText(0), "00000000  00 09 41 42 7F 80 FF 30 31 32 33 34 35 36 37 38  ..AB\x7f..012345678");
    const std::string last(o.model.lineText(1));
    EXPECT_EQ(last.size(), 75u);
    EXPECT_EQ(last.substr(0, 12), "00000010  39");
    EXPECT_EQ(last[59], '9');
    EXPECT_EQ(last.find_last_not_of(' '), 59u);
    EXPECT_EQ(o.model.checkLine(50), 1);
    o.model.setFilterChars(false);
    o.model.setExpandTabs(false);
    EXPECT_EQ(o.model.lineText(0).substr(59, 7), std::string("\x2e\tAB\x7f\x80\xff", 7));

    // 5 GiB, sparse: the first and last rows, and an offset column wide enough for its last offset.
    const std::string big = t.file("big", std::int64_t(5) << 30);
    Opened huge(big, true);
    EXPECT_EQ(huge.model.hexOffsetDigits(), 9);
    EXPECT_EQ(huge.model.totalLines(), (std::int64_t(5) << 30) / 16);
    EXPECT_EQ(std::string(huge.model.lineText(huge.model.totalLines() - 1)).substr(0, 9), "13FFFFFF0");
    EXPECT_EQ(std::string(huge.model.lineText(0)).substr(0, 11), "000000000  ");
    huge.model.setHexMode(false);
    EXPECT_EQ(huge.model.lineText(0).size(), 1023u); // zero bytes show as spaces
}

TEST(PagedFileModel, OpenErrorsNonFilesAndAFileThatShrinks) {
    TempTree t;
    auto openError = [](const std::string& path) {
        PagedFileModel m;
        m.setFileName(path);
        try {
            m.setOpen(true);
        } catch (const ViewerIOError& e) {
            EXPECT_FALSE(m.isOpen());
            return e.text();
        }
        return QString("opened");
    };
    EXPECT_EQ(openError(t.path("missing")), "Viewer: file not found");
    EXPECT_EQ(openError(t.file("plain") + "/below"), "Viewer: path not found or invalid file name");
    EXPECT_EQ(openError(t.folder("folder")), "Viewer triggered I/O error 21");
    ASSERT_EQ(::mkfifo(t.path("fifo").c_str(), 0600), 0);
    EXPECT_EQ(openError(t.path("fifo")), "Viewer triggered I/O error 22"); // refused, never waited on
    const std::string locked = t.file("locked", 10);
    t.setMode("locked", 0600);
    {
        AsUnprivileged nobody;
        EXPECT_EQ(openError(locked), "Viewer: file access denied");
    }
    EXPECT_EQ(ViewerIOError::textFor(EMFILE), "Viewer: too many open files");

    // Truncated while open: reads give what is there, without hanging or showing old bytes.
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "row " + std::to_string(i) + "\n";
    const std::string path = writeFile(t, "shrinks", text);
    Opened o(path);
    EXPECT_EQ(o.model.lineText(10), "row 10");
    ASSERT_EQ(::truncate(path.c_str(), 100), 0);
    EXPECT_EQ(o.model.lineText(2000), "");
    EXPECT_LE(o.model.checkLine(5000), 5000);
    o.model.setOpen(false);
    EXPECT_EQ(o.model.totalLines(), 0);
    EXPECT_EQ(o.model.fileLength(), 0);
}
