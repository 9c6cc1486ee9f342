// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/ScreenFit.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace {

// What a window system's title bar and border usually take, until the real ones are known.
const QMargins kUsualFrame(4, 36, 4, 4);

QMargins KnownFrame(const QWidget* window) {
    const QWindow* handle = window ? window->windowHandle() : nullptr;
    return handle && handle->isVisible() ? handle->frameMargins() : QMargins();
}

// Fits the window again once its real frame is known, if that differs from the one assumed.
class RefitWhenFramed : public QObject {
public:
    RefitWhenFramed(QWidget* window, QSize wanted, QMargins assumed)
        : QObject(window), m_window(window), m_wanted(wanted), m_assumed(assumed) {
        setObjectName(QStringLiteral("refitWhenFramed"));
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_window)
            return false;
        switch (event->type()) {
        case QEvent::Show:
            // The window system frames a window as it maps it: look again once that is done.
            QTimer::singleShot(0, this, [this] { check(); });
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Paint:
            check();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void check() {
        const QMargins frame = KnownFrame(m_window);
        if (!m_window || frame.isNull() || m_done)
            return;
        m_done = true;
        m_window->removeEventFilter(this);
        deleteLater();
        if (frame != m_assumed)
            m_window->setGeometry(FittedWindowGeometry(m_wanted, AvailableScreenArea(m_window), frame));
    }

    QPointer<QWidget> m_window;
    bool m_done = false;
    QSize m_wanted;
    QMargins m_assumed;
};

} // namespace

QRect AvailableScreenArea(const QWidget* window) {
    const QScreen* screen = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QMargins WindowFrameMargins(const QWidget* window) {
    if (const QMargins own = KnownFrame(window); !own.isNull())
        return own;
    for (const QWidget* other : QApplication::topLevelWidgets())
        if (other != window && other->isVisible())
            if (const QMargins frame = KnownFrame(other); !frame.isNull())
                return frame;
    return kUsualFrame;
}

QRect FittedWindowGeometry(QSize wanted, const QRect& area, const QMargins& frame) {
    const int frameWidth = frame.left() + frame.right();
    const int frameHeight = frame.top() + frame.bottom();
    const QSize size(std::max(1, std::min(wanted.width(), area.width() - frameWidth)),
                     std::max(1, std::min(wanted.height(), area.height() - frameHeight)));
    const int left = area.x() + (area.width() - size.width() - frameWidth) / 2;
    const int top = area.y() + (area.height() - size.height() - frameHeight) / 2;
    return QRect(QPoint(left + frame.left(), top + frame.top()), size);
}

void FitOnScreen(QWidget* window, QSize wanted) {
    const QMargins frame = WindowFrameMargins(window);
    const QRect geometry = FittedWindowGeometry(wanted, AvailableScreenArea(window), frame);
    window->resize(geometry.size());
    // A window's position is its frame's.
    window->move(geometry.topLeft() - QPoint(frame.left(), frame.top()));
    if (QObject* earlier = window->findChild<QObject*>(QStringLiteral("refitWhenFramed"), Qt::FindDirectChildrenOnly))
        delete earlier;
    if (KnownFrame(window).isNull())
        new RefitWhenFramed(window, wanted, frame);
}

void CentreOnScreen(QWidget* window) { FitOnScreen(window, window->size()); }
