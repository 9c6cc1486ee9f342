// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "delete/FreedSpace.h"
#include "platform/ListedEntry.h"

#include <QObject>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

class QLabel;
class QTimer;

// The delete windows' line on the space a delete really frees. The count runs on a worker thread
// (a large folder or many marked files take a while), so the window answers at once; the label
// reads "Counting..." with the entries seen until the figures are in. Stopped and joined when a run
// begins (the files are going anyway) and when the window goes.
class FreedSpaceLine : public QObject {
    Q_OBJECT
public:
    // A compact line shows FreedSpaceLines, one per label line, for a narrow place; every line
    // keeps the whole text in its tooltip.
    FreedSpaceLine(QLabel* label, bool trashNote, bool compact = false);
    ~FreedSpaceLine() override;

    void countFiles(std::vector<ListedEntry> files);
    void countFolder(ListedEntry folder);
    // Stops a count that is still going; the label keeps what it last said.
    void stop();
    // Whether the count is still going or its figures are not shown yet.
    bool counting() const;
    // The figures once the count is over.
    const FreedSpace& result() const { return m_result; }

private:
    template <class Count> void start(Count count);
    void poll();
    void show(const QString& text, const QString& whole);

    QLabel* m_label;
    bool m_trashNote;
    bool m_compact;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
    std::unique_ptr<FreedSpaceCounter> m_counter;
    std::thread m_worker;
    QTimer* m_timer = nullptr;
    FreedSpace m_result;
};
