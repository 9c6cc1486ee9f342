// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ReportText.h"
#include "common/StringGridModel.h"

#include <gtest/gtest.h>

TEST(ReportText, ClipboardTextEndsEveryLineWithCarriageReturnLineFeed) {
    EXPECT_EQ(ClipboardText({"a\tb", "", "c"}), "a\tb\r\n\r\nc\r\n");
    EXPECT_EQ(ClipboardText({}), "");
}

TEST(ReportText, ReportLinesPadEachCellToItsWidthInSixPixelCharacters) {
    StringGridModel grid;
    grid.setTitles({"Size in K", "FileName", "Type"});
    grid.appendTextRow({"  250 K", "/home/a.txt", "Text"});
    grid.appendTextRow({"100000000 K", QString(60, 'x'), ""});
    const QStringList lines = ReportLines(grid, {54, 296}); // no width for "Type": a field of 0
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "Size in K " + QString("FileName").leftJustified(49) + " Type ");
    EXPECT_EQ(lines[1], "  250 K   " + QString("/home/a.txt").leftJustified(49) + " Text ");
    EXPECT_EQ(lines[2], "100000000 K " + QString(60, 'x') + "  ") << "a longer text is written whole";
    EXPECT_EQ(ReportLine(grid, {54, 296, 5}, 1).size(), 10 + 50 + 5);
}

TEST(ReportText, PrintedLineUsesTheFileDateAndTimeTexts) {
    EXPECT_EQ(PrintedLine(QDateTime(QDate(2024, 3, 9), QTime(13, 5, 7))), "Printed : 3/9/2024  1:05:07 PM");
}
