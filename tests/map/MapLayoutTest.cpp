// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/MapLayout.h"
#include "map/MapRaster.h"
#include "map/MapTexts.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <random>

namespace {

double area(const MapRect& r) { return double(r.width()) * double(r.height()); }

// How often each pixel of the layout is drawn: every pixel of a non-empty map exactly once.
struct Coverage {
    std::int64_t twice = 0;
    std::int64_t never = 0;
};
Coverage coverageOf(const MapLayout& layout) {
    const int w = int(layout.width()), h = int(layout.height());
    std::vector<std::uint8_t> drawn(std::size_t(w) * std::size_t(h), 0);
    Coverage c;
    for (const MapTile& t : layout.tiles())
        for (int y = std::max(0, PixelEdge(t.rect.y0)); y < std::min(h, PixelEdge(t.rect.y1)); ++y)
            for (int x = std::max(0, PixelEdge(t.rect.x0)); x < std::min(w, PixelEdge(t.rect.x1)); ++x)
                if (drawn[std::size_t(y) * std::size_t(w) + std::size_t(x)]++ == 1)
                    ++c.twice;
    c.never = std::count(drawn.begin(), drawn.end(), 0);
    return c;
}

// Every tile's area over its bytes, against the map's area over the view's bytes.
double worstAreaError(const MapLayout& layout, const MapModel& model) {
    const double perByte = layout.width() * layout.height() / double(model.folder(layout.viewFolder()).bytes);
    double worst = 0;
    for (const MapTile& t : layout.tiles())
        if (area(t.rect) >= 4)
            worst = std::max(worst, std::fabs(area(t.rect) / (double(t.bytes) * perByte) - 1));
    return worst;
}

double aspect(const MapRect& r) { return std::max(r.width() / r.height(), r.height() / r.width()); }

// A root of files of the given sizes, and a sub-folder holding the same again.
MapModel nestedModel(const std::vector<std::int64_t>& sizes) {
    MapModel m;
    m.beginRoot("/r", 0);
    m.enterFolder("sub", 0);
    for (std::size_t i = 0; i < sizes.size(); ++i)
        m.addFile("s" + std::to_string(i) + ".dat", sizes[i]);
    m.leaveFolder();
    for (std::size_t i = 0; i < sizes.size(); ++i)
        m.addFile("f" + std::to_string(i) + (i % 2 ? ".jpg" : ".txt"), sizes[i]);
    m.finish();
    return m;
}

std::vector<std::int64_t> mixedSizes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> exponent(0, 7);
    std::vector<std::int64_t> sizes;
    for (std::size_t i = 0; i < n; ++i)
        sizes.push_back(std::int64_t(std::pow(10.0, exponent(rng))));
    return sizes;
}

} // namespace

TEST(MapLayout, TilesFillTheMapOnceWithAreasProportionalToBytes) {
    const MapModel model = nestedModel(mixedSizes(3000, 7));
    MapLayout layout;
    for (const auto& [w, h] : {std::pair{1600, 1000}, {300, 700}, {37, 23}}) {
        layout.build(model, model.top(), w, h);
        double sum = 0;
        for (const MapTile& t : layout.tiles())
            sum += area(t.rect);
        EXPECT_NEAR(sum, double(w) * h, 1e-3 * w * h) << w << "x" << h;
        const Coverage c = coverageOf(layout);
        EXPECT_EQ(c.twice, 0) << w << "x" << h;
        EXPECT_EQ(c.never, 0) << w << "x" << h;
        EXPECT_LT(worstAreaError(layout, model), 1e-3) << w << "x" << h;
        // Each folder's tiles lie inside the folder's rectangle.
        for (const MapTile& t : layout.tiles()) {
            const MapRect& f = layout.folders()[std::size_t(layout.folderTileOf(t.folder))].rect;
            EXPECT_TRUE(t.rect.x0 >= f.x0 && t.rect.x1 <= f.x1 && t.rect.y0 >= f.y0 && t.rect.y1 <= f.y1);
        }
    }
}

TEST(MapLayout, SquarifiedTilesStayNearlySquare) {
    // A hundred equal files in a square: ten rows of ten squares.
    MapModel equal;
    equal.beginRoot("/r", 0);
    for (int i = 0; i < 100; ++i)
        equal.addFile("e" + std::to_string(i), 500);
    equal.finish();
    MapLayout layout;
    layout.build(equal, equal.top(), 1000, 1000);
    ASSERT_EQ(layout.tiles().size(), 100u);
    for (const MapTile& t : layout.tiles())
        EXPECT_LT(aspect(t.rect), 1.3);

    // Mixed sizes: the area-weighted aspect ratio stays low (slicing alone would give hundreds).
    const MapModel mixed = nestedModel(mixedSizes(2000, 11));
    layout.build(mixed, mixed.top(), 1600, 1000);
    double weighted = 0, total = 0;
    for (const MapTile& t : layout.tiles())
        if (t.kind == MapTile::File) {
            weighted += aspect(t.rect) * area(t.rect);
            total += area(t.rect);
        }
    EXPECT_LT(weighted / total, 1.6);
}

TEST(MapLayout, ZeroSizesGetNoTileAndNeverBreakTheLayout) {
    MapModel m;
    m.beginRoot("/r", 0);
    m.enterFolder("empty", 0);
    m.addFile("nothing", 0);
    m.leaveFolder();
    m.addFile("a", 0);
    m.addFile("b", 10);
    m.addFile("c", 0);
    m.finish();
    MapLayout layout;
    layout.build(m, m.top(), 200, 100);
    ASSERT_EQ(layout.tiles().size(), 1u);
    EXPECT_EQ(m.fileName(layout.tiles()[0].file), "b");
    EXPECT_EQ(coverageOf(layout).never, 0);

    MapModel empty;
    empty.beginRoot("/r", 0);
    empty.addFile("z", 0);
    empty.finish();
    layout.build(empty, empty.top(), 200, 100);
    EXPECT_TRUE(layout.tiles().empty());
    EXPECT_EQ(layout.tileAt(50, 50), -1);
    layout.build(empty, empty.top(), 0, 0);
    EXPECT_TRUE(layout.tiles().empty());
}

TEST(MapLayout, OneHugeFileAmongAMillionSmallOnesKeepsEverySize) {
    MapModel m;
    m.beginRoot("/r", 0);
    m.enterFolder("many", 0);
    for (int i = 0; i < 1'000'000; ++i)
        m.addFile("f" + std::to_string(i), 1000);
    m.leaveFolder();
    m.addFile("huge.iso", 1'000'000'000'000);
    m.finish();
    MapLayout layout;
    layout.build(m, m.top(), 1600, 1000);
    // The small files are far below a pixel each: they share their folder's area, which still
    // measures their billion bytes.
    ASSERT_EQ(layout.tiles().size(), 2u);
    std::int64_t bytes = 0;
    for (const MapTile& t : layout.tiles())
        bytes += t.bytes;
    EXPECT_EQ(bytes, 1'001'000'000'000);
    const int rest = layout.restTileOf(1 + 1); // folder 1 is the root, 2 "many"
    ASSERT_GE(rest, 0);
    EXPECT_EQ(layout.tiles()[std::size_t(rest)].bytes, 1'000'000'000);
    EXPECT_NEAR(area(layout.tiles()[std::size_t(rest)].rect), 1600.0 * 1000 / 1001, 1);
    EXPECT_EQ(coverageOf(layout).never, 0);
}

TEST(MapLayout, DeepTreesLayOutWithoutRecursion) {
    // 20,000 nested folders, each with a one-byte file beside the next; the deepest holds the bulk.
    MapModel m;
    m.beginRoot("/r", 0);
    const int depth = 20'000;
    for (int i = 0; i < depth; ++i)
        m.enterFolder("d", 0);
    m.addFile("bottom.bin", 1'000'000'000);
    for (int i = 0; i < depth; ++i) {
        m.leaveFolder();
        m.addFile("one", 1);
    }
    m.finish();
    MapLayout layout;
    layout.build(m, m.top(), 800, 600);
    const int bottom = layout.tileOfFile(0);
    ASSERT_GE(bottom, 0);
    EXPECT_EQ(layout.tileAt(400, 300), bottom);
    EXPECT_EQ(layout.folders().size(), std::size_t(depth) + 1);
    EXPECT_EQ(coverageOf(layout).twice, 0);
    // The cushion of the deepest tile stays finite.
    EXPECT_TRUE(std::isfinite(CushionShade(layout.tiles()[std::size_t(bottom)], 400, 300)));
}

TEST(MapLayout, PointingAndNeighboursFollowWhatIsDrawn) {
    MapModel m;
    m.beginRoot("/r", 0);
    m.addFile("left", 600);
    m.addFile("right-top", 200);
    m.addFile("right-bottom", 200);
    m.finish();
    MapLayout layout;
    layout.build(m, m.top(), 100, 100);
    ASSERT_EQ(layout.tiles().size(), 3u);
    // The largest is a column of 60 at the left; the two others share the 40 at the right.
    const int left = layout.tileAt(10, 50);
    ASSERT_GE(left, 0);
    EXPECT_EQ(m.fileName(layout.tiles()[std::size_t(left)].file), "left");
    EXPECT_EQ(PixelEdge(layout.tiles()[std::size_t(left)].rect.x1), 60);
    const int rightTop = layout.tileAt(80, 10);
    const int rightBottom = layout.tileAt(80, 90);
    EXPECT_EQ(m.fileName(layout.tiles()[std::size_t(rightTop)].file), "right-top");
    EXPECT_EQ(m.fileName(layout.tiles()[std::size_t(rightBottom)].file), "right-bottom");
    EXPECT_EQ(layout.neighbour(left, MapLayout::Direction::Right), layout.tileAt(61, 50));
    EXPECT_EQ(layout.neighbour(rightTop, MapLayout::Direction::Down), rightBottom);
    EXPECT_EQ(layout.neighbour(rightBottom, MapLayout::Direction::Up), rightTop);
    EXPECT_EQ(layout.neighbour(left, MapLayout::Direction::Left), -1);
    EXPECT_EQ(layout.tileAt(100, 50), -1);
}

TEST(MapTexts, NamesThatAreNotUtf8ShowReplacementsAndKeepTheirBytes) {
    MapModel m;
    m.beginRoot("/r", 0);
    m.enterFolder(std::string("bad\xC3\x28", 5), 0);
    m.addFile(std::string("x\xFF\xFEy.txt", 8), 4096);
    m.leaveFolder();
    m.finish();
    MapLayout layout;
    layout.build(m, m.top(), 100, 100);
    ASSERT_EQ(layout.tiles().size(), 1u);
    const MapTileText text = DescribeTile(m, layout.tiles()[0]);
    EXPECT_EQ(text.path, QStringLiteral("/r/bad\uFFFD(/x\uFFFD\uFFFDy.txt"));
    EXPECT_EQ(text.size, QStringLiteral("4,096 bytes"));
    EXPECT_FALSE(text.type.isEmpty());
    EXPECT_EQ(m.filePath(layout.tiles()[0].folder, layout.tiles()[0].file), std::string("/r/bad\xC3\x28/x\xFF\xFEy.txt", 17));
}

TEST(MapTexts, SizesInTheLargestUnitThatFits) {
    EXPECT_EQ(MapSizeText(0), QStringLiteral("0 bytes"));
    EXPECT_EQ(MapSizeText(1023), QStringLiteral("1023 bytes"));
    EXPECT_EQ(MapSizeText(1536), QStringLiteral("1.5 K"));
    EXPECT_EQ(MapSizeText(3 * 1024 * 1024), QStringLiteral("3.0 M"));
    EXPECT_EQ(MapSizeText(std::int64_t(5) << 40), QStringLiteral("5.0 T"));
}
