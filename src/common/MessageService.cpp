// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/MessageService.h"

namespace {
// Until a window service is installed (the command-line tool never installs one), messages go
// nowhere and questions are declined, so nothing is ever deleted without a real answer.
class SilentMessageService : public MessageService {
public:
    void showMessage(MessageKind, const QString&, bool) override {}
    MessageAnswer ask(const QString&, bool) override { return MessageAnswer::No; }
};
SilentMessageService g_silent;
MessageService* g_current = &g_silent;
} // namespace

MessageService& MessageService::instance() { return *g_current; }

MessageService* MessageService::install(MessageService* service) {
    MessageService* previous = g_current;
    g_current = service ? service : &g_silent;
    return previous == &g_silent ? nullptr : previous;
}

void ShowErrorMessage(const QString& text) { MessageService::instance().showMessage(MessageKind::Error, text, true); }
void ShowWarningMessage(const QString& text) { MessageService::instance().showMessage(MessageKind::Warning, text, true); }
void ShowInfoMessage(const QString& text) { MessageService::instance().showMessage(MessageKind::Information, text, false); }
void ShowPlainErrorBox(const QString& text) { MessageService::instance().showMessage(MessageKind::Error, text, false); }
MessageAnswer AskYesNo(const QString& text) { return MessageService::instance().ask(text, false); }
MessageAnswer AskYesNoCancel(const QString& text) { return MessageService::instance().ask(text, true); }
