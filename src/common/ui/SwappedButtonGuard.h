// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

class QPushButton;

// A button that appears in the place of another one (Delete where Abort was when a scan ends) must
// not take a click that was aimed at the one that went. From the moment it appears in its
// predecessor's place, the guard holds the button: it looks disabled and a click or a key pressed on
// it is dropped, for HoldMs milliseconds and until the mouse has moved (or a key is pressed once that
// time is over, for the keyboard user). Its accelerator and programmatic clicks are not held. The
// button's own enabled state is left to its window. Owned by the button.
class SwappedButtonGuard : public QObject {
    Q_OBJECT
public:
    static constexpr int HoldMs = 500;

    SwappedButtonGuard(QPushButton* button, QWidget* predecessor);
    ~SwappedButtonGuard() override;

    bool holding() const { return m_holding; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void hold();
    void release();
    void releaseWhenFree();
    void paintHeld();
    bool aimedAtButton(QObject* watched) const;

    QPointer<QPushButton> m_button;
    QPointer<QWidget> m_predecessor;
    QTimer m_timer;
    QPoint m_cursorAtHold;
    bool m_swapped = false; // the predecessor went since the button was last shown
    bool m_holding = false;
    bool m_timeUp = false;
    bool m_moved = false;
};
