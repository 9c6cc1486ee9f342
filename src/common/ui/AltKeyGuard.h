// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <QPointer>

class QWidget;

// Alt with a letter or digit is an accelerator and never typing. An accelerator whose control is
// disabled or hidden takes no key, so Qt hands the key press on to the focus widget, and a text
// field would type the letter. For as long as it lives, the guard drops such key presses in one
// window: only presses that no accelerator took reach it, so working accelerators are untouched.
class AltKeyGuard : public QObject {
public:
    // Guards the window (a top-level widget) and is owned by it.
    explicit AltKeyGuard(QWidget* window);
    ~AltKeyGuard() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
};
