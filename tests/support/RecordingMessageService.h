// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "common/MessageService.h"

#include <QString>
#include <deque>
#include <functional>
#include <vector>

// Records every message and question and answers questions from a script (No when it runs dry).
// Installs itself for its lifetime.
class RecordingMessageService : public MessageService {
public:
    struct Record {
        MessageKind kind;      // Information for questions
        QString text;
        bool beep = false;
        bool question = false;
    };

    RecordingMessageService();
    ~RecordingMessageService() override;

    void showMessage(MessageKind kind, const QString& text, bool beep) override;
    MessageAnswer ask(const QString& text, bool withCancel) override;

    void scriptAnswers(std::initializer_list<MessageAnswer> answers);
    // Runs before each question is answered, with its text: the moment a test changes the world
    // while the user is still thinking.
    void whileAsking(std::function<void(const QString&)> action) { m_whileAsking = std::move(action); }
    const std::vector<Record>& records() const { return m_records; }
    QStringList texts() const;
    bool saw(const QString& text) const;
    void clear() { m_records.clear(); }

private:
    std::vector<Record> m_records;
    std::deque<MessageAnswer> m_answers;
    std::function<void(const QString&)> m_whileAsking;
    MessageService* m_previous = nullptr;
};
