// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TGradientBack.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>

namespace {
// The band rule written out independently: band 0 and 1 start at 0, band k at trunc((k-1)*step).
int expectedTop(int k, int height) {
    const float step = static_cast<float>(height) / 255.0f;
    if (k <= 1)
        return 0;
    return static_cast<int>(std::trunc(static_cast<double>(k - 1) * static_cast<double>(step)));
}
} // namespace

TEST(GradientBands, SmallAndOrdinaryHeights) {
    for (int height : {10, 300}) {
        SCOPED_TRACE(height);
        const auto bands = TGradientBack::bands(40, height);
        ASSERT_EQ(bands.size(), 256u);
        const int bandHeight = static_cast<int>(static_cast<float>(height) / 255.0f + 1.0f);
        for (int k = 0; k < 256; ++k) {
            const QRect& r = bands[static_cast<std::size_t>(k)];
            EXPECT_EQ(r.top(), expectedTop(k, height)) << "band " << k;
            EXPECT_EQ(r.left(), 0);
            EXPECT_EQ(r.width(), 40);
            EXPECT_EQ(r.height(), bandHeight);
        }
        EXPECT_EQ(bands[0].top(), 0);
        EXPECT_EQ(bands[1].top(), 0);
        EXPECT_GE(bands[255].top() + bands[255].height(), height);
    }
    // Height 10: each band is one pixel; band 26 is the first to move down (25 * 10/255 = 0.98).
    const auto small = TGradientBack::bands(5, 10);
    EXPECT_EQ(small[26].top(), 0);
    EXPECT_EQ(small[27].top(), 1);
    EXPECT_EQ(small[255].top(), 9);
    // Height 300: bands are two pixels high and the last one ends on the bottom edge.
    const auto tall = TGradientBack::bands(5, 300);
    EXPECT_EQ(tall[2].top(), 1);
    EXPECT_EQ(tall[255].top(), 298);
    EXPECT_EQ(tall[255].bottom(), 299);
}

TEST(GradientBands, NoGapsAtAnyHeight) {
    // Every pixel row is covered, whatever the window height, including one that is not a
    // multiple of 255 and one smaller than the number of bands.
    for (int height : {0, 1, 7, 254, 255, 256, 511, 766, 1080}) {
        SCOPED_TRACE(height);
        const auto bands = TGradientBack::bands(3, height);
        std::vector<bool> covered(static_cast<std::size_t>(height), false);
        for (const QRect& r : bands)
            for (int y = r.top(); y <= r.bottom() && y < height; ++y)
                covered[static_cast<std::size_t>(y)] = true;
        for (int y = 0; y < height; ++y)
            EXPECT_TRUE(covered[static_cast<std::size_t>(y)]) << "row " << y;
    }
}

TEST(GradientBands, ColourTablesAndPainting) {
    TGradientBack back;
    EXPECT_TRUE(back.isAllBlue());
    EXPECT_EQ(back.entry(0), QColor(0, 0, 255));
    EXPECT_EQ(back.entry(255), QColor(0, 0, 0));
    EXPECT_EQ(back.entry(100), QColor(0, 0, 155));
    back.setIsAllBlue(false);
    EXPECT_EQ(back.entry(0), QColor(0, 0, 255));
    EXPECT_EQ(back.entry(255), QColor(255, 0, 0));
    EXPECT_EQ(back.entry(100), QColor(100, 0, 155));

    // At a height of 510 the step is 2 and every band 3 pixels high, so each band overlaps the
    // next by one row and the first row of band k (k >= 2) shows entry k.
    back.resize(20, 510);
    const QImage image = back.grab().toImage();
    const auto bands = TGradientBack::bands(20, 510);
    for (int k : {2, 3, 100, 200, 254, 255}) {
        const int y = bands[static_cast<std::size_t>(k)].top();
        EXPECT_EQ(QColor(image.pixel(10, y)), back.entry(k)) << "band " << k;
    }
    EXPECT_EQ(QColor(image.pixel(10, 509)), QColor(255, 0, 0));
    // Band 1 covers band 0, so the top row shows entry 1.
    EXPECT_EQ(QColor(image.pixel(0, 0)), back.entry(1));
}
