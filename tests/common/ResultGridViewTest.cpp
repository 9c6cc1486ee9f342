// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/StringGridModel.h"
#include "common/ui/ResultGridView.h"

#include <QDir>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QStyle>
#include <QTest>
#include <atomic>
#include <gtest/gtest.h>

namespace {

// Counts how often the view asks for a cell, to show that rows are not measured one by one.
class CountingSource : public GridRowSource {
public:
    QString cellText(std::uint32_t key, int column) const override {
        ++calls;
        return column == 0 ? QStringLiteral("%1 K").arg(key, 7) : QStringLiteral("/home/user/file%1.txt").arg(key);
    }
    mutable std::atomic<long> calls{0};
};

bool Reddish(QRgb p) { return qRed(p) > 150 && qGreen(p) < 110 && qBlue(p) < 110; }

// Red pixels inside a cell's glyph square (16 x 16 from (2, 2) of the cell), in grab() coordinates.
int RedPixelsInGlyphSquare(const ResultGridView& view, const QImage& image, int row, int column) {
    const QRect cell = view.visualRect(view.model()->index(row, column));
    const QPoint origin = view.viewport()->mapTo(&view, cell.topLeft());
    int red = 0;
    for (int y = 2; y < 18; ++y)
        for (int x = 2; x < 18; ++x)
            red += Reddish(image.pixel(origin.x() + x, origin.y() + y)) ? 1 : 0;
    return red;
}

} // namespace

TEST(ResultGridView, DrawsTheMarkGlyphInTheMarkColumnOfMarkedRowsOnly) {
    CountingSource source;
    StringGridModel model;
    model.setTitles({"Size in K", "FileName"});
    model.setRowSource(&source);
    model.appendKeyRows({250, 12, 100000, 7});
    ResultGridView view;
    view.setModel(&model);
    view.setMarkColumn(1);
    view.setColumnWidth(0, 54);
    view.setColumnWidth(1, 296);
    view.resize(380, 140);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    model.setMarked(2, true);
    model.setMarked(4, true);
    view.setCurrentGridRow(3);
    QApplication::processEvents();

    const QImage image = view.grab().toImage();
    QDir().mkpath(VANTOREL_SCREENSHOT_DIR);
    image.save(QStringLiteral(VANTOREL_SCREENSHOT_DIR "/result-grid-marks.png"));

    EXPECT_GT(RedPixelsInGlyphSquare(view, image, 1, 1), 10) << "marked row, mark column";
    EXPECT_GT(RedPixelsInGlyphSquare(view, image, 3, 1), 10);
    EXPECT_EQ(RedPixelsInGlyphSquare(view, image, 0, 1), 0) << "unmarked row";
    EXPECT_EQ(RedPixelsInGlyphSquare(view, image, 1, 0), 0) << "other column of a marked row";
    EXPECT_EQ(RedPixelsInGlyphSquare(view, image, 2, 1), 0) << "selected, unmarked row";

    // Unmarking takes the glyph away at the next paint.
    model.setMarked(2, false);
    QApplication::processEvents();
    EXPECT_EQ(RedPixelsInGlyphSquare(view, view.grab().toImage(), 1, 1), 0);
}

TEST(ResultGridView, ShowsTitlesAsTheHeaderWithWholeRowSelectionAndFixedRowHeight) {
    StringGridModel model;
    model.setTitles({"Filename", "Size in K"});
    model.appendTextRow({"a.txt", "    1 K"});
    model.appendTextRow({"b.txt", "    2 K"});
    ResultGridView view;
    view.setModel(&model);
    EXPECT_EQ(view.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(view.showGrid());
    EXPECT_FALSE(view.verticalHeader()->isVisible());
    EXPECT_EQ(view.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    EXPECT_EQ(view.verticalHeader()->defaultSectionSize(), qRound(18 * view.scale()));
    EXPECT_EQ(view.horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
    EXPECT_EQ(view.model()->headerData(1, Qt::Horizontal).toString(), "Size in K");
    EXPECT_EQ(view.font().pointSize(), 8);

    EXPECT_EQ(view.currentGridRow(), 0) << "no current row yet";
    view.setCurrentGridRow(2);
    EXPECT_EQ(view.currentGridRow(), 2);
    view.setCurrentGridRow(3); // beyond the last row: ignored
    EXPECT_EQ(view.currentGridRow(), 2);
    view.setColumnWidth(0, 93);
    EXPECT_EQ(view.columnWidths(), (std::vector<int>{93, view.columnWidth(1)}));
}

TEST(ResultGridView, ScrollsThroughThreeHundredThousandRowsWithoutMeasuringThem) {
    CountingSource source;
    StringGridModel model;
    model.setTitles({"Size in K", "FileName"});
    model.setRowSource(&source);
    std::vector<std::uint32_t> keys(300'000);
    for (std::uint32_t i = 0; i < keys.size(); ++i)
        keys[i] = i;
    model.appendKeyRows(keys);
    ResultGridView view;
    view.setModel(&model);
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.scrollToBottom();
    view.setCurrentGridRow(150'000);
    view.scrollTo(view.currentIndex());
    QApplication::processEvents();
    view.grab();
    EXPECT_LT(source.calls.load(), 5000) << "only visible cells are rendered";
    EXPECT_EQ(view.currentGridRow(), 150'000);
}

TEST(ResultGridView, ColumnWidthForTextsCountsEveryDigitAsTheWidest) {
    ResultGridView view;
    const QFontMetrics fm(view.font());
    const int margins = 2 * (view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1) + 1;
    const QString date = QStringLiteral("1/11/2011");
    EXPECT_GE(view.columnWidthFor({date}), fm.horizontalAdvance(date) + margins);
    // Same shape, other digits: the same width, since any date of this shape must fit.
    EXPECT_EQ(view.columnWidthFor({date}), view.columnWidthFor({QStringLiteral("8/88/8888")}));
    EXPECT_EQ(view.columnWidthFor({QStringLiteral("x"), date}), view.columnWidthFor({date}));
    EXPECT_EQ(ResultGridView::sizeKSample(7), QStringLiteral("9999999 K"));

    // The samples are the locale's own texts: every month, every hour with its AM or PM.
    const QStringList dates = ResultGridView::dateSamples();
    EXPECT_TRUE(dates.contains(QStringLiteral("12/28/2088")));
    EXPECT_TRUE(dates.contains(QStringLiteral("1/22/2088")));
    const QStringList times = ResultGridView::timeSamples();
    EXPECT_EQ(times.size(), 24);
    EXPECT_TRUE(times.contains(QStringLiteral("11:59:58 PM")));
    EXPECT_TRUE(times.contains(QStringLiteral("12:59:58 AM")));
}

TEST(ResultGridView, TheFillColumnTakesTheRoomBeyondTheLeastWidthsAndFollowsTheScrollBar) {
    StringGridModel model;
    model.setTitles({"Size in K", "Folder", "Type"});
    ResultGridView view;
    view.setModel(&model);
    view.resize(600, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.setColumnLayout({60, 150, 80}, 1);
    const auto total = [&] { return view.columnWidth(0) + view.columnWidth(1) + view.columnWidth(2); };
    EXPECT_EQ(view.columnWidth(0), 60);
    EXPECT_EQ(view.columnWidth(2), 80);
    EXPECT_EQ(total(), view.viewport()->width());

    // Rows enough for a vertical scroll bar: the folders give up its room, the others keep theirs.
    const int before = view.viewport()->width();
    for (int i = 0; i < 40; ++i)
        model.appendTextRow({"    1 K", "/home/", "Text"});
    QApplication::processEvents();
    ASSERT_LT(view.viewport()->width(), before);
    EXPECT_EQ(total(), view.viewport()->width());
    EXPECT_EQ(view.columnWidth(2), 80);

    // Narrower than the least widths: each keeps its least, and the grid scrolls sideways.
    view.resize(200, 200);
    QApplication::processEvents();
    EXPECT_EQ(view.columnWidth(1), 150);
}

TEST(ResultGridView, BadgesStandInASlotBeforeTheTextThatWidensTheMarkColumn) {
    StringGridModel model;
    model.setTitles({"Filename", "Folder"});
    model.appendTextRow({"big-installer.iso", "/a/"});
    model.appendTextRow({"big-installer.iso", "/b/"});
    ResultGridView view;
    view.setModel(&model);
    view.setMarkColumn(0);
    view.setRowBadge([](int row) { return row == 1 ? 12 : 0; });
    view.setColumnLayout({93, 184}, 1);
    view.resize(400, 120);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_EQ(view.badgeSlotWidth(), 0) << "no badges before a content check";
    view.setBadgeRange(12);
    ASSERT_GT(view.badgeSlotWidth(), 0);
    EXPECT_EQ(view.columnWidth(0), 93 + view.badgeSlotWidth());
    QApplication::processEvents();

    // The badge's colour lies in the slot only; the end of the cell, where the name ends, has none.
    const QImage image = view.grab().toImage();
    const QRect cell = view.visualRect(model.index(0, 0));
    const QPoint origin = view.viewport()->mapTo(&view, cell.topLeft());
    const QColor colour = ResultGridView::badgeColor(12);
    auto badgePixels = [&](int from, int to) {
        int n = 0;
        for (int x = from; x < to; ++x)
            for (int y = 0; y < cell.height(); ++y)
                n += QColor(image.pixel(origin.x() + x, origin.y() + y)) == colour ? 1 : 0;
        return n;
    };
    EXPECT_GT(badgePixels(0, view.badgeSlotWidth()), 20);
    EXPECT_EQ(badgePixels(view.badgeSlotWidth(), cell.width()), 0);
    image.save(QStringLiteral(VANTOREL_SCREENSHOT_DIR "/result-grid-badges.png"));

    view.setBadgeRange(0);
    EXPECT_EQ(view.columnWidth(0), 93);
}
