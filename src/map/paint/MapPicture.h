// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "map/MapLayout.h"
#include "map/MapModel.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QSize>
#include <cstdint>

class QPainter;

// The map as one picture, the same in the window and from the command line: the cushioned tiles of
// a folder on the left and the legend of the ten largest type groups on the right. Sizes are in
// logical pixels; the picture itself has dpr device pixels to each, so a high-density screen gets
// every one of its pixels drawn.
class MapPicture {
public:
    // The legend's strip at the right of a picture of that size; empty when the picture is too narrow
    // to spare it (the map then takes the whole picture).
    static QRect legendArea(const QSize& size, const QFont& font);
    // Where the tiles go.
    static QRect mapArea(const QSize& size, const QFont& font);

    // Lays the view folder out into layout (in device pixels, from the map area's corner) and paints
    // the picture: cushions and legend, both of what the view folder holds. The image carries dpr as
    // its device pixel ratio.
    static QImage render(const MapModel& model, std::uint32_t view, const QSize& size, qreal dpr, const QFont& font,
                         MapLayout& layout);

    // The legend of the folder shown: a swatch, the extension and the size of each of its ten largest
    // type groups, the grey of merged small items, and the folder's total.
    static void drawLegend(QPainter& painter, const QRect& area, const MapModel& model, const MapViewTypes& view,
                           const QFont& font);
    // A frame of the given logical width just inside a rectangle of the layout (device pixels),
    // drawn on a painter of logical pixels whose map area begins at origin.
    static void drawFrame(QPainter& painter, const MapRect& rect, qreal dpr, const QPoint& origin, const QColor& colour,
                          int width);
};
