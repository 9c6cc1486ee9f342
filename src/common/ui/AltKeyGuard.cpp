// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/AltKeyGuard.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

AltKeyGuard::AltKeyGuard(QWidget* window) : QObject(window), m_window(window) {
    // Key presses go straight to the focus widget, whichever it is: only the application sees
    // them all first.
    QCoreApplication::instance()->installEventFilter(this);
}

AltKeyGuard::~AltKeyGuard() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool AltKeyGuard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType() || !m_window)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    // AltGr, which types characters on many keyboards, does not come as the Alt modifier.
    const Qt::KeyboardModifiers mods = key->modifiers();
    if (!(mods & Qt::AltModifier) || (mods & (Qt::ControlModifier | Qt::MetaModifier)))
        return false;
    if (key->text().isEmpty() || !key->text().at(0).isPrint())
        return false;
    return static_cast<QWidget*>(watched)->window() == m_window;
}
