// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QColor>
#include <QRect>
#include <QWidget>
#include <array>
#include <vector>

// The banded background of the main window (blue fading to black downwards) and of the About box
// (blue fading to red). It paints 256 full-width bands, one per colour table entry, and takes no
// input, so controls placed over it behave as if it were not there.
class TGradientBack : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool isAllBlue READ isAllBlue WRITE setIsAllBlue)

public:
    explicit TGradientBack(QWidget* parent = nullptr);

    bool isAllBlue() const { return m_isAllBlue; }
    void setIsAllBlue(bool allBlue);

    // Entry k of the table in use: blue k = (0, 0, 255 - k); blue-to-red k = (k, 0, 255 - k).
    QColor entry(int k) const;

    // The 256 rectangles painted for a client area of the given size, in painting order (a later
    // band covers an earlier one where they overlap). step = height / 255 in single precision,
    // every band is trunc(step + 1) high, band 0 and band 1 start at 0 and band k starts at
    // trunc((k - 1) * step), so the last band always reaches the bottom edge.
    static std::vector<QRect> bands(int width, int height);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<QColor, 256> m_blue;
    std::array<QColor, 256> m_blueToRed;
    bool m_isAllBlue = true;
};
