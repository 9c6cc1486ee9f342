// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ReportText.h"
#include "common/StringGridModel.h"

#include <gtest/gtest.h>

TEST(ReportText, ClipboardTextEndsEveryLineWithALineFeed) {
    EXPECT_EQ(ClipboardText({"a\tb", "", "c"}), "a\tb\n\nc\n");
    EXPECT_EQ(ClipboardText({}), "");
}

TEST(ReportText, FieldsAreTheColumnWidthsInSixPixelCharactersWidenedForLongerTexts) {
    StringGridModel grid;
    grid.setTitles({"Size in K", "FileName", "Type"});
    grid.appendTextRow({"  250 K", "/home/a.txt", "Text"});
    const ReportLayout plain = FitReport(grid, {54, 296}, -1, 0); // no width for "Type": its longest text
    EXPECT_EQ(plain.fields, (std::vector<int>{9, 49, 4}));
    EXPECT_EQ(ReportRowLines(grid, plain, 0),
              QStringList{"Size in K " + QString("FileName").leftJustified(49) + " Type "});
    EXPECT_EQ(ReportRowLines(grid, plain, 1),
              QStringList{"  250 K   " + QString("/home/a.txt").leftJustified(49) + " Text "});

    // A longer size widens its column for every row, so the columns after it stay in line; a type
    // longer than the widest field a column takes goes on in the next line.
    grid.appendTextRow({"100000000 K", "/b", "Microsoft Word 2007 document"});
    const ReportLayout wide = FitReport(grid, {54, 296}, -1, 0);
    EXPECT_EQ(wide.fields, (std::vector<int>{11, 49, WideField}));
    const QStringList row = ReportRowLines(grid, wide, 2);
    ASSERT_EQ(row.size(), 2);
    EXPECT_EQ(row[0], "100000000 K " + QString("/b").leftJustified(49) + " Microsoft Word 2007  ");
    EXPECT_EQ(row[1], QString(11 + 1 + 49 + 1, u' ') + "document");
}

TEST(ReportText, ThePathColumnTakesWhatThePageLeavesAndBreaksAfterAFolder) {
    StringGridModel grid;
    grid.setTitles({"Size in K", "FileName", "Type"});
    const QString path =
        QStringLiteral("/home/user/Downloads/2024/projects/2024-spring-term/final/big-installer.iso");
    grid.appendTextRow({"  400 K", path, "raw CD image"});
    grid.appendTextRow({"    1 K", "/a", "plain text document"});
    // A window this wide gives the path column 1,000 pixels: 166 characters, far beyond the page.
    const ReportLayout page = FitReport(grid, {54, 1000, 73}, 1, 60);
    EXPECT_EQ(page.lineChars(), 60);
    EXPECT_EQ(page.fields, (std::vector<int>{9, 60 - 10 - 20 - 1, 19}));
    const QStringList lines = ReportRowLines(grid, page, 1);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "  400 K   /home/user/Downloads/2024/    raw CD image        ");
    EXPECT_EQ(lines[1], "          projects/2024-spring-term/");
    EXPECT_EQ(lines[2], "          final/big-installer.iso");
    for (const QString& line : lines)
        EXPECT_LE(line.size(), 60);

    // A page too narrow even for the least path field: the layout asks for a smaller font.
    const ReportLayout narrow = FitReport(grid, {54, 1000, 73}, 1, 40);
    EXPECT_EQ(narrow.fields[1], MinWrapField);
    EXPECT_GT(narrow.lineChars(), 40);
}

TEST(ReportText, BreakTextCutsAfterASeparatorNearTheEndOrAtTheWidth) {
    EXPECT_EQ(BreakText("abc", 5), QStringList{"abc"});
    EXPECT_EQ(BreakText("abcdefghij", 4), (QStringList{"abcd", "efgh", "ij"}));
    EXPECT_EQ(BreakText("a/bcdefgh", 6), (QStringList{"a/bcde", "fgh"}))
        << "a '/' in the first half does not count";
    EXPECT_EQ(BreakText("abc/defgh", 6), (QStringList{"abc/", "defgh"}));
    EXPECT_EQ(BreakText("anything", 0), QStringList{"anything"});
    // A character outside the BMP stays whole.
    const QString emoji = QString::fromUtf8("abc\xF0\x9F\x98\x80");
    EXPECT_EQ(BreakText(emoji, 4), (QStringList{"abc", QString::fromUtf8("\xF0\x9F\x98\x80")}));
}

TEST(ReportText, PrintedLineUsesTheFileDateAndTimeTexts) {
    EXPECT_EQ(PrintedLine(QDateTime(QDate(2024, 3, 9), QTime(13, 5, 7))), "Printed : 3/9/2024  1:05:07 PM");
}
