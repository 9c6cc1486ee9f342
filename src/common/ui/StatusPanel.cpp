// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/StatusPanel.h"

#include <QLabel>

QLabel* NewStatusPanel(const char* name, const QFont& font, QWidget* parent) {
    auto* panel = new QLabel(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panel->setTextFormat(Qt::PlainText);
    panel->setFont(font);
    return panel;
}

QFont FinderStatusFont() {
    QFont font(QStringLiteral("Arial"), 9);
    font.setStyleHint(QFont::SansSerif);
    return font;
}
