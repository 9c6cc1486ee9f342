// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "map/MapLayout.h"
#include "map/MapModel.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The colour of each type group, as 0xFFRRGGBB. The ten largest types of the map (the legend's)
// take ten clearly different colours in rank order; every other type a pale colour of its own,
// worked out from its extension, so it keeps it from one map to the next; tiles of merged small
// items are grey.
struct MapPalette {
    static constexpr std::uint32_t Background = 0xFF202020;
    static constexpr std::uint32_t RestColour = 0xFFA0A0A0;

    std::vector<std::uint32_t> typeColours;

    // The colours of a folder's picture: its own ten largest type groups in rank colours, every other
    // type pale.
    static MapPalette of(const MapModel& model, const MapViewTypes& view);
    // The colour of the legend's rank (0 .. 9).
    static std::uint32_t rankColour(int rank);
    std::uint32_t colourOf(const MapTile& tile) const;
};

// The shade of a cushion at a point, 0 .. 1: a little ambient light and the light of a lamp above
// the top left, falling on the surface's slope there.
double CushionShade(const MapTile& tile, double x, double y);

// Paints every tile with its cushion into a 32-bit 0xAARRGGBB buffer of width x height pixels (rows
// stride pixels apart), the background where no tile is. A pixel takes the tile that encloses its
// middle.
void PaintCushions(const MapLayout& layout, const MapPalette& palette, std::uint32_t* pixels, int width, int height,
                   std::size_t stride);
