// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/ui/FreedSpaceLine.h"

#include "common/NumberTexts.h"

#include <QLabel>
#include <QTimer>

FreedSpaceLine::FreedSpaceLine(QLabel* label, bool trashNote, bool compact)
    : QObject(label), m_label(label), m_trashNote(trashNote), m_compact(compact), m_timer(new QTimer(this)) {
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, &FreedSpaceLine::poll);
}

FreedSpaceLine::~FreedSpaceLine() {
    m_stop = true;
    if (m_worker.joinable())
        m_worker.join();
}

template <class Count> void FreedSpaceLine::start(Count count) {
    stop();
    m_stop = false;
    m_done = false;
    m_counter = std::make_unique<FreedSpaceCounter>(&m_stop);
    const QString counting = QStringLiteral("Counting the disk space this frees...");
    show(counting, counting);
    m_worker = std::thread([this, count = std::move(count)] {
        count(*m_counter);
        m_done = true;
    });
    m_timer->start();
}

void FreedSpaceLine::countFiles(std::vector<ListedEntry> files) {
    start([files = std::move(files)](FreedSpaceCounter& counter) { counter.countFiles(files); });
}

void FreedSpaceLine::countFolder(ListedEntry folder) {
    start([folder = std::move(folder)](FreedSpaceCounter& counter) { counter.countFolder(folder); });
}

void FreedSpaceLine::stop() {
    m_stop = true;
    if (m_worker.joinable())
        m_worker.join();
    m_timer->stop();
}

bool FreedSpaceLine::counting() const {
    return m_timer->isActive();
}

void FreedSpaceLine::poll() {
    if (!m_done) {
        const QString seen = CountText(m_counter->entriesSeen(), "file", "files") + QStringLiteral(" so far");
        show(QStringLiteral("Counting the disk space this frees...") + (m_compact ? u'\n' : u' ') + seen,
             QStringLiteral("Counting the disk space this frees... ") + seen);
        return;
    }
    m_worker.join();
    m_timer->stop();
    m_result = m_counter->result();
    const QString whole = FreedSpaceText(m_result, m_trashNote);
    show(m_compact ? FreedSpaceLines(m_result, m_trashNote).join(u'\n') : whole, whole);
}

void FreedSpaceLine::show(const QString& text, const QString& whole) {
    m_label->setText(text);
    m_label->setToolTip(whole);
}
