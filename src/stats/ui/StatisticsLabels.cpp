// SPDX-License-Identifier: GPL-3.0-or-later
#include "stats/ui/StatisticsLabels.h"

#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QVariant>
#include <algorithm>

namespace {
const char* const kDesignFont = "vantorelDesignFont";
constexpr double kSmallestPointSize = 6.0;

bool Fits(const QLabel* label, const QFont& font, const QString& text) {
    return QFontMetrics(font, label).horizontalAdvance(text) <= label->contentsRect().width();
}
} // namespace

void SetFittedText(QLabel* label, const QString& text) {
    QVariant design = label->property(kDesignFont);
    if (!design.isValid()) {
        design = QVariant::fromValue(label->font());
        label->setProperty(kDesignFont, design);
    }
    QFont font = design.value<QFont>();
    if (!Fits(label, font, text))
        font.setStretch(QFont::Condensed);
    while (!Fits(label, font, text) && font.pointSizeF() > kSmallestPointSize)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);
    label->setText(text);
}

QProgressBar* MakePercentBar(QWidget* parent, const QString& name, const QColor& colour, bool withText) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(withText);
    bar->setFormat(QStringLiteral("%p%"));
    bar->setAlignment(Qt::AlignCenter);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Highlight, colour);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    bar->setPalette(palette);
    return bar;
}

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

QString DiskGaugeStyle(double reservedShare) {
    QString ground = QStringLiteral("#ff00ff");
    if (reservedShare > 0) {
        const double freeEnd = std::clamp(1.0 - reservedShare, 0.001, 1.0);
        ground = QStringLiteral("qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #ff00ff, stop:%1 #ff00ff, "
                                "stop:%2 #c0c0c0, stop:1 #c0c0c0)")
                     .arg(freeEnd - 0.001, 0, 'f', 4)
                     .arg(freeEnd, 0, 'f', 4);
    }
    return QStringLiteral("QProgressBar { background: %1; border: none; }"
                          "QProgressBar::chunk { background: #0000ff; }")
        .arg(ground);
}
