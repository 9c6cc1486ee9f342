// SPDX-License-Identifier: GPL-3.0-or-later
#include "stats/ui/StatisticsLabels.h"

#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QVariant>

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
