// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/SwappedButtonGuard.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>

SwappedButtonGuard::SwappedButtonGuard(QPushButton* button, QWidget* predecessor)
    : QObject(button), m_button(button), m_predecessor(predecessor) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(HoldMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_timeUp = true;
        releaseWhenFree();
    });
    button->installEventFilter(this);
    if (predecessor)
        predecessor->installEventFilter(this);
}

SwappedButtonGuard::~SwappedButtonGuard() {
    if (m_holding)
        if (QCoreApplication* app = QCoreApplication::instance())
            app->removeEventFilter(this);
}

void SwappedButtonGuard::hold() {
    m_holding = true;
    m_timeUp = false;
    m_moved = false;
    m_cursorAtHold = QCursor::pos();
    m_timer.start();
    // Mouse moves reach only widgets that track the mouse; the application sees them all, and every
    // key press before its widget does.
    QCoreApplication::instance()->installEventFilter(this);
    m_button->update();
}

void SwappedButtonGuard::release() {
    if (!m_holding)
        return;
    m_holding = false;
    m_timer.stop();
    QCoreApplication::instance()->removeEventFilter(this);
    if (m_button)
        m_button->update();
}

void SwappedButtonGuard::releaseWhenFree() {
    if (m_timeUp && m_moved)
        release();
}

bool SwappedButtonGuard::aimedAtButton(QObject* watched) const {
    return m_button && (watched == m_button || (watched->isWidgetType() && m_button->isAncestorOf(static_cast<QWidget*>(watched))));
}

void SwappedButtonGuard::paintHeld() {
    // As the button paints itself, only not enabled, not hovered and not pressed.
    QPushButton& b = *m_button;
    QStyleOptionButton option;
    option.initFrom(&b);
    option.state &= ~(QStyle::State_Enabled | QStyle::State_MouseOver | QStyle::State_Sunken | QStyle::State_HasFocus);
    option.state |= QStyle::State_Raised;
    option.palette.setCurrentColorGroup(QPalette::Disabled);
    option.features = QStyleOptionButton::None;
    if (b.isFlat())
        option.features |= QStyleOptionButton::Flat;
    if (b.menu())
        option.features |= QStyleOptionButton::HasMenu;
    if (b.autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    if (b.isDefault())
        option.features |= QStyleOptionButton::DefaultButton;
    option.text = b.text();
    option.icon = b.icon();
    option.iconSize = b.iconSize();
    QStylePainter painter(&b);
    painter.drawControl(QStyle::CE_PushButton, option);
}

bool SwappedButtonGuard::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == m_predecessor && type == QEvent::Hide) {
        m_swapped = true;
        return false;
    }
    if (watched == m_button) {
        if (type == QEvent::Show && m_swapped) {
            m_swapped = false;
            hold();
        } else if (type == QEvent::Hide) {
            release();
        } else if (type == QEvent::Paint && m_holding && m_button->isEnabled()) {
            paintHeld();
            return true;
        }
    }
    if (!m_holding)
        return false;
    switch (type) {
    case QEvent::MouseMove:
        if (static_cast<QMouseEvent*>(event)->globalPosition().toPoint() != m_cursorAtHold) {
            m_moved = true;
            releaseWhenFree();
        }
        break;
    case QEvent::KeyPress:
        // A key pressed once the hold time is over is meant for what now stands there.
        if (m_timeUp) {
            m_moved = true;
            releaseWhenFree();
        }
        break;
    default:
        break;
    }
    if (!m_holding || !aimedAtButton(watched))
        return false;
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return true; // its accelerator is no slip: another letter than Abort's
    default:
        return false;
    }
}
