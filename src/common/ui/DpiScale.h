// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QRect>
#include <QWidget>
#include <cmath>

// Layouts are designed at 96 pixels per inch; these turn design pixels into the screen's pixels.
inline double DpiScale(const QWidget* widget) {
    const int dpi = widget ? widget->logicalDpiX() : 96;
    return dpi > 0 ? dpi / 96.0 : 1.0;
}

inline int Scaled(int designPixels, double scale) { return int(std::lround(designPixels * scale)); }

inline QRect ScaledRect(int x, int y, int w, int h, double scale) {
    return QRect(Scaled(x, scale), Scaled(y, scale), Scaled(w, scale), Scaled(h, scale));
}
