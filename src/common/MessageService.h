// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// Every message box and question of the program goes through one service, so that tests can
// replace it with one that records the texts and answers from a script.
enum class MessageKind { Error, Warning, Information };
enum class MessageAnswer { Ok, Yes, No, Cancel };

class MessageService {
public:
    virtual ~MessageService() = default;
    // Shows a box of the kind with one OK button; beep selects the kind's system sound.
    virtual void showMessage(MessageKind kind, const QString& text, bool beep) = 0;
    // Asks a confirmation question with Yes and No (and Cancel when withCancel).
    virtual MessageAnswer ask(const QString& text, bool withCancel) = 0;

    // The service in force; a silent one that answers No until a window service is installed.
    static MessageService& instance();
    // Installs a service (not owned); nullptr restores the silent one. Returns the previous one.
    static MessageService* install(MessageService* service);
};

void ShowErrorMessage(const QString& text);    // error box, exclamation sound
void ShowWarningMessage(const QString& text);  // warning box, critical-stop sound
void ShowInfoMessage(const QString& text);     // information box, no sound
void ShowPlainErrorBox(const QString& text);   // error box without sound ("Can't open drive ", printing)
MessageAnswer AskYesNo(const QString& text);
MessageAnswer AskYesNoCancel(const QString& text);
