// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QCoreApplication>
#include <QElapsedTimer>

// Lets the event loop run during a delete run at most every interval milliseconds, as the scanning
// windows do: the window repaints and Cancel answers at once, without slowing the run down.
class DeleteRunPacer {
public:
    explicit DeleteRunPacer(int intervalMs) : m_intervalMs(intervalMs) {
        m_sinceStart.start();
        m_sinceYield.start();
    }
    // Runs the event loop when the interval has passed; true when it did.
    bool yield() {
        if (m_sinceYield.elapsed() < m_intervalMs)
            return false;
        m_sinceYield.restart();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return true;
    }
    qint64 elapsedMs() const { return m_sinceStart.elapsed(); }

private:
    int m_intervalMs;
    QElapsedTimer m_sinceStart;
    QElapsedTimer m_sinceYield;
};
