// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TGradientBack.h"

#include <QPainter>

TGradientBack::TGradientBack(QWidget* parent) : QWidget(parent) {
    for (int k = 0; k < 256; ++k) {
        m_blue[k] = QColor(0, 0, 255 - k);
        m_blueToRed[k] = QColor(k, 0, 255 - k);
    }
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void TGradientBack::setIsAllBlue(bool allBlue) {
    if (m_isAllBlue == allBlue)
        return;
    m_isAllBlue = allBlue;
    update();
}

QColor TGradientBack::entry(int k) const { return m_isAllBlue ? m_blue.at(k) : m_blueToRed.at(k); }

std::vector<QRect> TGradientBack::bands(int width, int height) {
    std::vector<QRect> result;
    result.reserve(256);
    const float step = static_cast<float>(height) / 255.0f;
    const int bandHeight = static_cast<int>(step + 1.0f);
    int top = 0;
    for (int k = 0; k < 256; ++k) {
        result.emplace_back(0, top, width, bandHeight);
        // The product of a whole number and a single-precision step is exact in double, so the
        // truncation cannot be pushed across a whole pixel by float rounding.
        top = static_cast<int>(static_cast<double>(k) * static_cast<double>(step));
    }
    return result;
}

void TGradientBack::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const std::vector<QRect> rects = bands(width(), height());
    for (int k = 0; k < 256; ++k)
        painter.fillRect(rects[static_cast<std::size_t>(k)], entry(k));
}
