// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/paint/MapPicture.h"

#include "map/MapRaster.h"
#include "map/MapTexts.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr QRgb kLegendGround = 0xFFF0F0F0;
constexpr QRgb kLegendText = 0xFF000000;
const char* const kLegendTitle = "Largest types";
const char* const kRestLabel = "smaller items";
const char* const kTotalLabel = "All files";

int rowHeight(const QFontMetrics& metrics) { return metrics.height() + 6; }

} // namespace

QRect MapPicture::legendArea(const QSize& size, const QFont& font) {
    const QFontMetrics metrics(font);
    const int swatch = metrics.height();
    const int width = 8 + swatch + 6 + metrics.horizontalAdvance(QStringLiteral("(no extension)")) + 10 +
                      metrics.horizontalAdvance(QStringLiteral("1,023.9 M")) + 8;
    if (size.width() < 3 * width || size.height() < 15 * rowHeight(metrics))
        return {};
    return QRect(size.width() - width, 0, width, size.height());
}

QRect MapPicture::mapArea(const QSize& size, const QFont& font) {
    const QRect legend = legendArea(size, font);
    return QRect(0, 0, legend.isEmpty() ? size.width() : legend.x(), size.height());
}

QImage MapPicture::render(const MapModel& model, std::uint32_t view, const QSize& size, qreal dpr, const QFont& font,
                          MapLayout& layout) {
    const QSize device(int(std::lround(size.width() * dpr)), int(std::lround(size.height() * dpr)));
    QImage image(device, QImage::Format_RGB32);
    image.fill(kLegendGround);
    const QRect area = mapArea(size, font);
    const int mapWidth = std::min(device.width(), int(std::lround(area.width() * dpr)));
    layout.build(model, view, mapWidth, device.height());
    const MapViewTypes types = model.viewTypes(view);
    if (mapWidth > 0 && device.height() > 0)
        PaintCushions(layout, MapPalette::of(model, types), reinterpret_cast<std::uint32_t*>(image.bits()), mapWidth,
                      device.height(), std::size_t(image.bytesPerLine() / 4));
    image.setDevicePixelRatio(dpr);
    const QRect legend = legendArea(size, font);
    if (!legend.isEmpty()) {
        QPainter painter(&image);
        drawLegend(painter, legend, model, types, font);
    }
    return image;
}

void MapPicture::drawLegend(QPainter& painter, const QRect& area, const MapModel& model, const MapViewTypes& view,
                            const QFont& font) {
    painter.save();
    painter.fillRect(area, QColor::fromRgb(kLegendGround));
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const int row = rowHeight(metrics);
    const int swatch = metrics.height();
    const int left = area.x() + 8;
    const int right = area.right() - 8;
    int y = area.y() + 8;

    QFont bold = font;
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(QColor::fromRgb(kLegendText));
    painter.drawText(QRect(left, y, right - left, row), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromLatin1(kLegendTitle));
    painter.setFont(font);
    y += row;

    auto entry = [&](QRgb colour, const QString& label, const QString& size) {
        const QRect box(left, y + (row - swatch) / 2, swatch, swatch);
        // A swatch lit like a cushion: lighter at the top left.
        QLinearGradient light(box.topLeft(), box.bottomRight());
        light.setColorAt(0, QColor::fromRgb(colour).lighter(125));
        light.setColorAt(1, QColor::fromRgb(colour).darker(140));
        painter.fillRect(box, light);
        painter.setPen(QColor(0x60, 0x60, 0x60));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.setPen(QColor::fromRgb(kLegendText));
        const QRect text(box.right() + 7, y, right - box.right() - 7, row);
        const int labelWidth = size.isEmpty() ? text.width() : text.width() - metrics.horizontalAdvance(size) - 6;
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, metrics.elidedText(label, Qt::ElideRight, labelWidth));
        if (!size.isEmpty())
            painter.drawText(text, Qt::AlignRight | Qt::AlignVCenter, size);
        y += row;
    };
    for (std::size_t rank = 0; rank < view.legend.size(); ++rank) {
        const std::uint32_t type = view.legend[rank];
        entry(MapPalette::rankColour(int(rank)), MapTypeLabel(model, std::uint16_t(type)), MapSizeText(view.bytes[type]));
    }
    entry(MapPalette::RestColour, QString::fromLatin1(kRestLabel), QString());
    // What the folder shown holds, below the types.
    y += row / 2;
    const QRect total(left, y, right - left, row);
    painter.drawText(total, Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(kTotalLabel));
    painter.drawText(total, Qt::AlignRight | Qt::AlignVCenter, MapSizeText(view.total));
    painter.restore();
}

void MapPicture::drawFrame(QPainter& painter, const MapRect& rect, qreal dpr, const QPoint& origin,
                           const QColor& colour, int width) {
    const QRectF r(origin.x() + PixelEdge(rect.x0) / dpr, origin.y() + PixelEdge(rect.y0) / dpr,
                   (PixelEdge(rect.x1) - PixelEdge(rect.x0)) / dpr, (PixelEdge(rect.y1) - PixelEdge(rect.y0)) / dpr);
    if (r.width() <= 0 || r.height() <= 0)
        return;
    painter.save();
    QPen pen(colour, width);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const qreal inset = width / 2.0;
    painter.drawRect(r.adjusted(inset, inset, -inset, -inset));
    painter.restore();
}
