// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/HintSettings.h"

#include <QApplication>
#include <QPalette>
#include <QToolTip>

int HintDelayStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                              QStyleHintReturn* returnData) const {
    if (hint == QStyle::SH_ToolTip_WakeUpDelay)
        return HintDelayMs;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void ApplyHintSettings() {
    // Wrap the style in force only once: a second main window must not stack proxies.
    if (!qobject_cast<HintDelayStyle*>(QApplication::style()))
        QApplication::setStyle(new HintDelayStyle(QApplication::style()->name()));
    QPalette palette = QToolTip::palette();
    palette.setColor(QPalette::ToolTipBase, HintColor());
    palette.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(palette);
}
