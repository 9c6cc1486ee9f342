// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "map/MapModel.h"

#include <cmath>
#include <cstdint>
#include <vector>

// A rectangle of the map in device pixels, by its edges: neighbours share an edge value exactly,
// so that rounding edges to whole pixels leaves neither gaps nor overlaps.
struct MapRect {
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    float width() const { return x1 - x0; }
    float height() const { return y1 - y0; }
};

// The pixel column or row where an edge falls: pixel p is drawn by the tile whose rounded edges
// enclose it, so what is drawn and what is pointed at agree.
inline int PixelEdge(float edge) { return int(std::floor(edge + 0.5f)); }

// A tile that is drawn: a file, or the part of a folder where its files and sub-folders too small
// for a pixel of their own lie together (their sizes still fill it).
struct MapTile {
    enum Kind : std::uint8_t { File, Rest };
    MapRect rect;
    // The cushion over it: height z = x1*x + x2*x^2 + y1*y + y2*y^2 (device pixels).
    float cx1 = 0, cx2 = 0, cy1 = 0, cy2 = 0;
    std::int64_t bytes = 0;
    std::uint32_t folder = 0; // the folder it lies in (a rest tile: the folder it belongs to)
    std::uint32_t file = 0;   // File: the file
    std::uint16_t type = 0;   // File: its type group
    Kind kind = File;
};

// A folder laid out on the map, drawn by its tiles; kept for outlines and for finding tiles.
struct MapFolderTile {
    MapRect rect;
    std::uint32_t folder = 0;
    std::uint32_t depth = 0; // 0 for the folder in view
};

// The squarified layout (Bruls, Huizing and van Wijk) of one folder of the map into a rectangle of
// width x height device pixels, with the cushions of van Wijk and van de Wetering. Every item's
// area is proportional to its bytes; items are laid out largest first, each row of the shorter
// side chosen so its worst aspect ratio is smallest; once the next item would be smaller than a
// pixel, it and all smaller ones of the folder share the rest of the folder's area as one tile.
// The work is bounded by the pixels, not by the files: a million files lay out as fast as the
// tiles that can be seen.
class MapLayout {
public:
    enum class Direction { Left, Right, Up, Down };
    static constexpr double MinTileArea = 1.0;   // square device pixels
    static constexpr double CushionHeight = 0.5; // of the folder in view
    static constexpr double CushionFactor = 0.75; // each level down

    void build(const MapModel& model, std::uint32_t viewFolder, double width, double height);
    void clear();

    std::uint32_t viewFolder() const { return m_view; }
    double width() const { return m_width; }
    double height() const { return m_height; }
    const std::vector<MapTile>& tiles() const { return m_tiles; }
    const std::vector<MapFolderTile>& folders() const { return m_folders; }

    // The tile drawn at the pixel under (x, y); -1 where no tile is.
    int tileAt(double x, double y) const;
    // The tile of a file, the rest tile of a folder, the laid-out folder; -1 when not on the map.
    int tileOfFile(std::uint32_t file) const;
    int restTileOf(std::uint32_t folder) const;
    int folderTileOf(std::uint32_t folder) const;
    // The tile next to tile in a direction (the one drawn just beyond its edge, across from its
    // middle); -1 at the map's edge.
    int neighbour(int tile, Direction direction) const;

private:
    std::vector<MapTile> m_tiles;
    std::vector<MapFolderTile> m_folders;
    std::uint32_t m_view = 0;
    double m_width = 0;
    double m_height = 0;
};
