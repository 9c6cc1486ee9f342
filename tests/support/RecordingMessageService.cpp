// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/RecordingMessageService.h"

#include <QStringList>

RecordingMessageService::RecordingMessageService() { m_previous = MessageService::install(this); }
RecordingMessageService::~RecordingMessageService() { MessageService::install(m_previous); }

void RecordingMessageService::showMessage(MessageKind kind, const QString& text, bool beep) {
    m_records.push_back({kind, text, beep, false});
}

MessageAnswer RecordingMessageService::ask(const QString& text, bool) {
    m_records.push_back({MessageKind::Information, text, false, true});
    if (m_whileAsking)
        m_whileAsking(text);
    if (m_answers.empty())
        return MessageAnswer::No;
    MessageAnswer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void RecordingMessageService::scriptAnswers(std::initializer_list<MessageAnswer> answers) {
    m_answers.insert(m_answers.end(), answers.begin(), answers.end());
}

QStringList RecordingMessageService::texts() const {
    QStringList out;
    for (const Record& r : m_records)
        out << r.text;
    return out;
}

bool RecordingMessageService::saw(const QString& text) const {
    for (const Record& r : m_records)
        if (r.text == text)
            return true;
    return false;
}
