// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/ui/DeleteWindowLayout.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

#include <cmath>

DpiScale::DpiScale(const QWidget* widget) {
    const int dpi = widget->logicalDpiY();
    m_factor = dpi > 0 ? dpi / 96.0 : 1.0;
}

int DpiScale::operator()(int length96) const { return static_cast<int>(std::lround(length96 * m_factor)); }

void setDeleteWindowFont(QWidget* widget, int pointSize, bool bold) {
    QFont font = widget->font();
    font.setPointSize(pointSize);
    font.setBold(bold);
    widget->setFont(font);
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->adjustSize();
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, const QString& hint) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setAutoDefault(false);
    return button;
}

void centreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    window->move(area.center() - window->rect().center());
}

BusyCursorGuard::BusyCursorGuard() { QApplication::setOverrideCursor(Qt::WaitCursor); }
BusyCursorGuard::~BusyCursorGuard() { QApplication::restoreOverrideCursor(); }
