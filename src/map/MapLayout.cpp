// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/MapLayout.h"

#include <algorithm>
#include <limits>

namespace {

struct Cushion {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

// A ridge of height h over [a, b]: the parabola that is 0 at both ends (van Wijk and van de Wetering).
void addRidge(double a, double b, double h, double& s1, double& s2) {
    if (b - a <= 0)
        return;
    s1 += 4 * h * (b + a) / (b - a);
    s2 -= 4 * h / (b - a);
}

Cushion raise(Cushion c, const MapRect& r, double h) {
    addRidge(r.x0, r.x1, h, c.x1, c.x2);
    addRidge(r.y0, r.y1, h, c.y1, c.y2);
    return c;
}

// One item of a folder in the order the layout takes them: the next largest of its sub-folders and
// its files, which the model keeps largest first each.
struct Item {
    double bytes = 0;
    std::uint32_t index = 0;
    bool isFolder = false;
};

class Children {
public:
    Children(const MapModel& model, const MapFolder& folder)
        : m_model(model), m_folder(folder), m_file(folder.firstFile), m_child(0) {}

    bool next(Item& item) {
        skipRemoved();
        const bool haveFile = m_file < m_folder.firstFile + m_folder.fileCount;
        const bool haveChild = m_child < m_folder.childCount;
        if (!haveFile && !haveChild)
            return false;
        const std::uint32_t sub = haveChild ? m_model.child(m_folder.firstChild + m_child) : 0;
        if (haveChild && (!haveFile || m_model.folder(sub).bytes >= m_model.file(m_file).size)) {
            item = {double(m_model.folder(sub).bytes), sub, true};
            ++m_child;
        } else {
            item = {double(m_model.file(m_file).size), m_file, false};
            ++m_file;
        }
        return true;
    }

private:
    void skipRemoved() {
        while (m_file < m_folder.firstFile + m_folder.fileCount && m_model.file(m_file).removed)
            ++m_file;
        while (m_child < m_folder.childCount && m_model.folder(m_model.child(m_folder.firstChild + m_child)).removed)
            ++m_child;
    }

    const MapModel& m_model;
    const MapFolder& m_folder;
    std::uint32_t m_file;
    std::uint32_t m_child;
};

// The worst aspect ratio of a row of total area sum along a side, its largest and smallest areas given.
double worst(double sum, double largest, double smallest, double side) {
    const double s2 = sum * sum;
    const double w2 = side * side;
    return std::max(w2 * largest / s2, s2 / (w2 * smallest));
}

struct Pending {
    std::uint32_t folder;
    MapRect rect;
    Cushion cushion;
    double height; // of the ridges of its items
    std::uint32_t depth;
};

} // namespace

void MapLayout::clear() {
    m_tiles.clear();
    m_folders.clear();
}

void MapLayout::build(const MapModel& model, std::uint32_t viewFolder, double width, double height) {
    clear();
    m_view = viewFolder;
    m_width = width;
    m_height = height;
    if (width <= 0 || height <= 0 || viewFolder >= model.folderCount())
        return;
    // Tiles are at most one a pixel, and one a file or folder: room for them at once (pages that
    // are never written cost nothing).
    m_tiles.reserve(std::min(model.fileCount() + model.folderCount(), std::size_t(width * height / MinTileArea) + 1));
    const MapRect whole{0, 0, float(width), float(height)};
    std::vector<Pending> pending; // no recursion: any depth costs heap, not stack
    pending.push_back({viewFolder, whole, raise({}, whole, CushionHeight), CushionHeight * CushionFactor, 0});
    std::vector<Item> row;

    while (!pending.empty()) {
        const Pending p = pending.back();
        pending.pop_back();
        const MapFolder& folder = model.folder(p.folder);
        m_folders.push_back({p.rect, p.folder, p.depth});
        if (folder.bytes <= 0)
            continue;
        MapRect free = p.rect;
        double areaLeft = double(free.width()) * double(free.height());
        double bytesLeft = double(folder.bytes);
        Children children(model, folder);
        Item next;
        bool haveNext = children.next(next);

        auto restTile = [&](const MapRect& r) {
            if (r.width() <= 0 || r.height() <= 0 || bytesLeft <= 0)
                return;
            MapTile t;
            t.rect = r;
            const Cushion c = raise(p.cushion, r, p.height);
            t.cx1 = float(c.x1), t.cx2 = float(c.x2), t.cy1 = float(c.y1), t.cy2 = float(c.y2);
            t.bytes = std::int64_t(bytesLeft);
            t.folder = p.folder;
            t.kind = MapTile::Rest;
            m_tiles.push_back(t);
        };

        while (haveNext) {
            const double scale = bytesLeft > 0 ? areaLeft / bytesLeft : 0;
            if (next.bytes * scale < MinTileArea) {
                restTile(free);
                break;
            }
            // Grow the row along the shorter side while its worst aspect ratio improves.
            const bool across = free.width() >= free.height(); // the row is a column at the left
            const double side = across ? free.height() : free.width();
            row.clear();
            row.push_back(next);
            double rowBytes = next.bytes;
            haveNext = children.next(next);
            while (haveNext && next.bytes * scale >= MinTileArea) {
                const double now = worst(rowBytes * scale, row.front().bytes * scale, row.back().bytes * scale, side);
                const double grown =
                    worst((rowBytes + next.bytes) * scale, row.front().bytes * scale, next.bytes * scale, side);
                if (grown > now)
                    break;
                row.push_back(next);
                rowBytes += next.bytes;
                haveNext = children.next(next);
            }
            // The row takes its share of the free rectangle; the last row (nothing left after it)
            // takes all of it, so rounding leaves no sliver.
            const bool last = rowBytes >= bytesLeft || !haveNext;
            const double thickness = last ? (across ? free.width() : free.height()) : rowBytes * scale / side;
            MapRect band = free;
            if (across)
                band.x1 = last ? free.x1 : float(free.x0 + thickness);
            else
                band.y1 = last ? free.y1 : float(free.y0 + thickness);
            double done = 0;
            float edge = across ? band.y0 : band.x0;
            for (std::size_t i = 0; i < row.size(); ++i) {
                done += row[i].bytes;
                MapRect r = band;
                const float end = i + 1 == row.size()
                                      ? (across ? band.y1 : band.x1)
                                      : float((across ? band.y0 : band.x0) + side * (done / rowBytes));
                if (across)
                    r.y0 = edge, r.y1 = end;
                else
                    r.x0 = edge, r.x1 = end;
                edge = end;
                if (row[i].isFolder) {
                    pending.push_back({row[i].index, r, raise(p.cushion, r, p.height), p.height * CushionFactor,
                                       p.depth + 1});
                    continue;
                }
                MapTile t;
                t.rect = r;
                const Cushion c = raise(p.cushion, r, p.height);
                t.cx1 = float(c.x1), t.cx2 = float(c.x2), t.cy1 = float(c.y1), t.cy2 = float(c.y2);
                t.bytes = std::int64_t(row[i].bytes);
                t.folder = p.folder;
                t.file = row[i].index;
                t.type = model.file(row[i].index).type;
                t.kind = MapTile::File;
                m_tiles.push_back(t);
            }
            bytesLeft -= rowBytes;
            areaLeft = std::max(0.0, areaLeft - rowBytes * scale);
            if (across)
                free.x0 = band.x1;
            else
                free.y0 = band.y1;
            if (last)
                break;
        }
    }
}

int MapLayout::tileAt(double x, double y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return -1;
    const int px = int(std::floor(x));
    const int py = int(std::floor(y));
    for (std::size_t i = 0; i < m_tiles.size(); ++i) {
        const MapRect& r = m_tiles[i].rect;
        if (px >= PixelEdge(r.x0) && px < PixelEdge(r.x1) && py >= PixelEdge(r.y0) && py < PixelEdge(r.y1))
            return int(i);
    }
    return -1;
}

int MapLayout::tileOfFile(std::uint32_t file) const {
    for (std::size_t i = 0; i < m_tiles.size(); ++i)
        if (m_tiles[i].kind == MapTile::File && m_tiles[i].file == file)
            return int(i);
    return -1;
}

int MapLayout::restTileOf(std::uint32_t folder) const {
    for (std::size_t i = 0; i < m_tiles.size(); ++i)
        if (m_tiles[i].kind == MapTile::Rest && m_tiles[i].folder == folder)
            return int(i);
    return -1;
}

int MapLayout::folderTileOf(std::uint32_t folder) const {
    for (std::size_t i = 0; i < m_folders.size(); ++i)
        if (m_folders[i].folder == folder)
            return int(i);
    return -1;
}

int MapLayout::neighbour(int tile, Direction direction) const {
    if (tile < 0 || std::size_t(tile) >= m_tiles.size())
        return -1;
    const MapRect& r = m_tiles[std::size_t(tile)].rect;
    // The pixel just outside the tile's drawn edge, across from the middle of that edge.
    const double mx = (PixelEdge(r.x0) + PixelEdge(r.x1)) / 2.0;
    const double my = (PixelEdge(r.y0) + PixelEdge(r.y1)) / 2.0;
    switch (direction) {
    case Direction::Left:
        return tileAt(PixelEdge(r.x0) - 0.5, my);
    case Direction::Right:
        return tileAt(PixelEdge(r.x1) + 0.5, my);
    case Direction::Up:
        return tileAt(mx, PixelEdge(r.y0) - 0.5);
    case Direction::Down:
        return tileAt(mx, PixelEdge(r.y1) + 0.5);
    }
    return -1;
}
