// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "common/MessageService.h"

// The message service of the desktop program: application-modal message boxes. Boxes have the
// caption "Error", "Warning" or "Information", that kind's icon and one "OK" button; questions are
// "Confirm" boxes with Yes and No (and Cancel). Installs itself for its lifetime.
class MessageBoxService : public MessageService {
public:
    MessageBoxService();
    ~MessageBoxService() override;
    MessageBoxService(const MessageBoxService&) = delete;
    MessageBoxService& operator=(const MessageBoxService&) = delete;

    void showMessage(MessageKind kind, const QString& text, bool beep) override;
    MessageAnswer ask(const QString& text, bool withCancel) override;

private:
    MessageService* m_previous = nullptr;
};
