// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/RecordingMessageService.h"
#include "support/TempTree.h"
#include "viewer/StringsExtractor.h"
#include "viewer/ui/TfrmStrings.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>

namespace {
std::vector<std::string> stringsOf(const std::string& path) {
    std::vector<std::string> runs;
    EXPECT_TRUE(StringsExtractor::extract(path, [&](std::string_view r) { runs.emplace_back(r); }).done());
    return runs;
}
std::string writeFile(TempTree& t, const std::string& name, const std::string& bytes) {
    const std::string path = t.path(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}
} // namespace

TEST(Strings, RunsOfLettersDigitsAndSpacesWithinTheBounds) {
    TempTree t;
    using V = std::vector<std::string>;
    EXPECT_EQ(stringsOf(writeFile(t, "hello", std::string("HELLO\0HELLO1\0", 13))), V({"HELLO1"}));
    EXPECT_EQ(stringsOf(writeFile(t, "path", "C:\\WINDOWS\\SYSTEM.INI")), V({"WINDOWS", "SYSTEM"}));
    EXPECT_EQ(stringsOf(writeFile(t, "words", "two words here\n")), V({"two words here"}));
    const std::string r101(101, 'a'), r102(102, 'b');
    EXPECT_EQ(stringsOf(writeFile(t, "bounds", r101 + "\n" + r102 + "\nshort\nat the end")),
              V({r101, "at the end"})); // 102 is dropped whole; a run at the end counts
    // A run across a 2048-byte block, and across the reads' own boundary, is judged whole.
    std::string across(2045, '\n');
    across += "straddle\n";
    std::string big(1 << 20, '\n');
    big.replace((1 << 20) - 4, 4, "wide");
    EXPECT_EQ(stringsOf(writeFile(t, "across", across)), V({"straddle"}));
    EXPECT_EQ(stringsOf(writeFile(t, "reads", big + "open\n")), V({"wideopen"}));
    EXPECT_TRUE(stringsOf(writeFile(t, "empty", "")).empty());
}

TEST(Strings, TheWindowListsAndCountsOrSaysItCouldNotOpen) {
    TempTree t;
    RecordingMessageService messages;
    TfrmStrings w;
    w.setFileName(writeFile(t, "some", "first string\x01second string\x02no"));
    w.setWindowTitle("ASCII strings for : some");
    w.show();
    EXPECT_EQ(w.findChild<QPlainTextEdit*>("Memo1")->toPlainText(), "first string\nsecond string");
    EXPECT_EQ(w.findChild<QLabel*>("lblCount")->text(), "2");
    EXPECT_EQ(w.findChild<QLabel*>("Label1")->text(), "Number of ASCII lines found : ");

    TfrmStrings missing;
    missing.setFileName(t.path("missing"));
    missing.show();
    EXPECT_EQ(messages.texts(), QStringList({"Could not open file " + QString::fromStdString(t.path("missing"))}));
    EXPECT_EQ(missing.findChild<QLabel*>("lblCount")->text(), "0");
}

// /proc/self/mem is a regular file whose first page is never mapped: its first read fails with EIO.
TEST(Strings, AReadErrorIsNoEndOfTheFile) {
    RecordingMessageService messages;
    const StringsExtractor::Result engine =
        StringsExtractor::extract("/proc/self/mem", [](std::string_view) {});
    EXPECT_EQ(engine.kind, StringsExtractor::Result::ReadFailed);
    EXPECT_EQ(engine.error, EIO);

    // The window says so in a box after the strings found before the failure are in view.
    TfrmStrings w;
    auto* memo = w.findChild<QPlainTextEdit*>("Memo1");
    memo->setPlainText("from before");
    w.setFileName("/proc/self/mem");
    w.show();
    ASSERT_EQ(messages.texts(),
              QStringList({"/proc/self/mem: " + QString::fromLocal8Bit(std::strerror(EIO))}));
    EXPECT_EQ(messages.records().front().kind, MessageKind::Error);
    EXPECT_EQ(memo->toPlainText(), ""); // what this file gave, not what the memo held
    EXPECT_EQ(w.findChild<QLabel*>("lblCount")->text(), "0");
}
