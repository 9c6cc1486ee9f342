// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/MapRaster.h"

#include <algorithm>
#include <cmath>

namespace {

// Ten colours that stay apart from one another and from the pale ones (rank order).
constexpr std::uint32_t kRankColours[10] = {0xFF2F6FE0, 0xFFE03A3A, 0xFF2FA84F, 0xFFF0B020, 0xFF9B4FD0,
                                            0xFF14B0C0, 0xFFF07818, 0xFFD84CA8, 0xFF8CB820, 0xFF9A6A3A};

// The lamp: up and to the top left of the map, mostly overhead.
constexpr double kLightX = -1.0 / 10.2470;
constexpr double kLightY = -2.0 / 10.2470;
constexpr double kLightZ = 10.0 / 10.2470;
constexpr double kAmbient = 80.0 / 255.0;
constexpr double kDirect = 185.0 / 255.0;

std::uint32_t paleColour(const std::string& extension) {
    // FNV-1a of the extension chooses a hue; low saturation keeps these apart from the legend's.
    std::uint32_t h = 2166136261u;
    for (unsigned char c : extension)
        h = (h ^ c) * 16777619u;
    const double hue = (h % 360) / 60.0;
    const double s = 0.30, v = 0.85;
    const double c = v * s;
    const double x = c * (1 - std::fabs(std::fmod(hue, 2.0) - 1));
    double r = 0, g = 0, b = 0;
    switch (int(hue)) {
    case 0: r = c, g = x; break;
    case 1: r = x, g = c; break;
    case 2: g = c, b = x; break;
    case 3: g = x, b = c; break;
    case 4: r = x, b = c; break;
    default: r = c, b = x; break;
    }
    const double m = v - c;
    auto channel = [m](double value) { return std::uint32_t(std::lround((value + m) * 255)); };
    return 0xFF000000u | channel(r) << 16 | channel(g) << 8 | channel(b);
}

} // namespace

MapPalette MapPalette::of(const MapModel& model, const MapViewTypes& view) {
    MapPalette p;
    p.typeColours.reserve(model.types().size());
    for (std::size_t t = 0; t < model.types().size(); ++t) {
        const int rank = t < view.rank.size() ? view.rank[t] : -1;
        p.typeColours.push_back(rank >= 0 ? rankColour(rank) : paleColour(model.types()[t].extension));
    }
    return p;
}

std::uint32_t MapPalette::rankColour(int rank) {
    return rank >= 0 && rank < 10 ? kRankColours[rank] : RestColour;
}

std::uint32_t MapPalette::colourOf(const MapTile& tile) const {
    if (tile.kind == MapTile::Rest || tile.type >= typeColours.size())
        return RestColour;
    return typeColours[tile.type];
}

double CushionShade(const MapTile& t, double x, double y) {
    const double nx = -(2.0 * t.cx2 * x + t.cx1);
    const double ny = -(2.0 * t.cy2 * y + t.cy1);
    const double cosine = (nx * kLightX + ny * kLightY + kLightZ) / std::sqrt(nx * nx + ny * ny + 1.0);
    return kAmbient + kDirect * std::max(0.0, cosine);
}

void PaintCushions(const MapLayout& layout, const MapPalette& palette, std::uint32_t* pixels, int width, int height,
                   std::size_t stride) {
    for (int y = 0; y < height; ++y)
        std::fill(pixels + std::size_t(y) * stride, pixels + std::size_t(y) * stride + std::size_t(width),
                  MapPalette::Background);
    for (const MapTile& t : layout.tiles()) {
        const int x0 = std::max(0, PixelEdge(t.rect.x0));
        const int x1 = std::min(width, PixelEdge(t.rect.x1));
        const int y0 = std::max(0, PixelEdge(t.rect.y0));
        const int y1 = std::min(height, PixelEdge(t.rect.y1));
        if (x0 >= x1 || y0 >= y1)
            continue;
        const std::uint32_t colour = palette.colourOf(t);
        const float red = float((colour >> 16) & 0xFF), green = float((colour >> 8) & 0xFF),
                    blue = float(colour & 0xFF);
        // Single precision is plenty for a shade of 256 steps, and twice as quick per pixel.
        const float lx = float(kLightX), ly = float(kLightY), lz = float(kLightZ);
        const float ambient = float(kAmbient), direct = float(kDirect);
        for (int y = y0; y < y1; ++y) {
            std::uint32_t* row = pixels + std::size_t(y) * stride;
            const float ny = -(2.0f * t.cy2 * (float(y) + 0.5f) + t.cy1);
            const float nyLight = ny * ly + lz;
            const float ny2 = ny * ny + 1.0f;
            for (int x = x0; x < x1; ++x) {
                const float nx = -(2.0f * t.cx2 * (float(x) + 0.5f) + t.cx1);
                const float cosine = (nx * lx + nyLight) / std::sqrt(nx * nx + ny2);
                const float shade = ambient + direct * std::max(0.0f, cosine);
                auto channel = [shade](float c) { return std::uint32_t(std::min(255.0f, c * shade + 0.5f)); };
                row[x] = 0xFF000000u | channel(red) << 16 | channel(green) << 8 | channel(blue);
            }
        }
    }
}
