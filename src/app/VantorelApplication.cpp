// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/VantorelApplication.h"

#include "common/MessageService.h"
#include "platform/AppError.h"

VantorelApplication::VantorelApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void VantorelApplication::setApplicationTitle() {
    QCoreApplication::setApplicationName(QStringLiteral("Vantorel '95"));
}

bool VantorelApplication::notify(QObject* receiver, QEvent* event) { return deliverGuarded(receiver, event); }

bool VantorelApplication::deliverGuarded(QObject* receiver, QEvent* event) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    std::exception_ptr error;
    try {
        // A qualified call, so that a VantorelApplication does not come back here.
        return app->QApplication::notify(receiver, event);
    } catch (...) {
        error = std::current_exception();
    }
    // The box is shown outside the catch block, so its own event loop does not run while the
    // exception is still being handled.
    reportException(error);
    return false;
}

void VantorelApplication::reportException(std::exception_ptr error) {
    if (!error)
        return;
    QString text;
    try {
        std::rethrow_exception(error);
    } catch (const AppError& e) {
        text = e.text();
    } catch (const std::exception& e) {
        text = QString::fromLocal8Bit(e.what());
    } catch (...) {
        text = QStringLiteral("An unknown error occurred.");
    }
    ShowErrorMessage(text);
}
