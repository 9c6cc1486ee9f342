// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QApplication>
#include <exception>

// The desktop program's application object. Its one addition is the general error handler: an
// exception that escapes an event handler is shown in an error box and the event loop goes on, so
// a failed action never ends the program nor closes the window that was being shown.
class VantorelApplication : public QApplication {
    Q_OBJECT

public:
    VantorelApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Start-up's application title: the program's name becomes "Vantorel '95". No display name is
    // set, since the desktop would append one to every window and box caption.
    static void setApplicationTitle();

    // Delivers an event through the plain QApplication dispatch with the general error handler
    // around it; false when the handler had to step in. Usable under any QApplication.
    static bool deliverGuarded(QObject* receiver, QEvent* event);

    // Shows the text of an exception through ShowErrorMessage.
    static void reportException(std::exception_ptr error);
};
