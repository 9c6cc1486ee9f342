// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QComboBox>
#include <QString>

class QFontMetrics;

// A drive item's text fitted into width pixels: the letter and colon stay, and what follows them
// (label and mount point) loses characters in its middle, so both ends of a long mount point show.
QString ElideDriveText(const QString& itemText, const QFontMetrics& metrics, int width);

// A drive combo (the browser's and the statistics window's): items as the drive table writes them,
// "C: [label] /mount/point". The closed box shows the current item elided in the middle where it is
// too long for the box; the tooltip that shows is the hint (toolTip()) followed by the whole current
// item on a line of its own.
class DriveCombo : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    // The tooltip text shown now.
    QString shownTip() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
