// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/DriveCombo.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QToolTip>
#include <algorithm>

QString ElideDriveText(const QString& itemText, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(itemText) <= width)
        return itemText;
    // "C:" and the space after it: what the user picks the drive by.
    const qsizetype keep = std::min<qsizetype>(3, itemText.size());
    const QString letter = itemText.left(keep);
    return letter +
           metrics.elidedText(itemText.mid(keep), Qt::ElideMiddle, width - metrics.horizontalAdvance(letter));
}

QString DriveCombo::shownTip() const {
    const QString hint = toolTip();
    const QString item = currentText();
    return hint.isEmpty() ? item : item.isEmpty() ? hint : hint + u'\n' + item;
}

bool DriveCombo::event(QEvent* event) {
    // Made when asked for, so it follows the current item however that was set.
    if (event->type() == QEvent::ToolTip) {
        const QString tip = shownTip();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, this);
        return true;
    }
    return QComboBox::event(event);
}

void DriveCombo::paintEvent(QPaintEvent*) {
    // As the combo paints itself, with the text elided in the middle instead of cut at the right.
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const int iconRoom = option.currentIcon.isNull() ? 0 : option.iconSize.width() + 4;
    option.currentText = ElideDriveText(option.currentText, fontMetrics(), field.width() - iconRoom - 4);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}
