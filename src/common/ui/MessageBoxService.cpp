// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/MessageBoxService.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

MessageBoxService::MessageBoxService() { m_previous = MessageService::install(this); }

MessageBoxService::~MessageBoxService() {
    if (&MessageService::instance() == this)
        MessageService::install(m_previous);
}

namespace {
// Modal to the whole application; texts shown as they are, since a file name may look like markup.
void Prepare(QMessageBox& box) {
    box.setWindowModality(Qt::ApplicationModal);
    box.setTextFormat(Qt::PlainText);
}
} // namespace

void MessageBoxService::showMessage(MessageKind kind, const QString& text, bool beep) {
    QMessageBox::Icon icon = QMessageBox::Information;
    QString caption = QStringLiteral("Information");
    switch (kind) {
    case MessageKind::Error:
        icon = QMessageBox::Critical;
        caption = QStringLiteral("Error");
        break;
    case MessageKind::Warning:
        icon = QMessageBox::Warning;
        caption = QStringLiteral("Warning");
        break;
    case MessageKind::Information:
        break;
    }
    if (beep)
        QApplication::beep();
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, QApplication::activeWindow());
    Prepare(box);
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

MessageAnswer MessageBoxService::ask(const QString& text, bool withCancel) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    Prepare(box);
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    QPushButton* cancel = withCancel ? box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole) : nullptr;
    box.setDefaultButton(yes);
    // Esc or closing the box is the cautious answer.
    box.setEscapeButton(cancel ? cancel : no);
    box.exec();
    if (box.clickedButton() == yes)
        return MessageAnswer::Yes;
    if (cancel && box.clickedButton() == cancel)
        return MessageAnswer::Cancel;
    return MessageAnswer::No;
}
