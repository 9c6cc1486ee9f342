// SPDX-License-Identifier: GPL-3.0-or-later
// TfrmDup: the content check of the duplicate runs, its legend and the guard of the last copy.
#include "finders/dup/ui/TfrmDup.h"

#include "common/MessageService.h"
#include "common/NumberTexts.h"
#include "common/StringGridModel.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/ResultGridView.h"
#include "finders/dup/DupContentCheck.h"
#include "finders/dup/keep/ui/TfrmMarkCopies.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <climits>

void TfrmDup::btContentClick() {
    if (!m_dupMode || m_rowsFilled == 0 || scanning())
        return;
    m_content = std::make_unique<DupContentCheck>(*m_engine);
    setWalkStatusSource([this] {
        return QStringLiteral("Comparing contents ... ") + FormatThousands(m_content->bytesRead() / 1024) +
               QStringLiteral(" K read");
    });
    m_content->setYieldHook([this] { yieldToEvents(pnlSel); });
    m_checking = true;
    setScanningState(true);
    {
        struct LeaveChecking {
            TfrmDup* w;
            ~LeaveChecking() {
                w->m_checking = false;
                w->setScanningState(false);
            }
        } leave{this};
        BusyCursor busy;
        m_content->run();
    }
    btPrint->show();
    btClip->show();
    btBrowse->setVisible(bool(m_browseHandOff));
    btContent->show();
    pnlSel->setText(contentLegend());
    grid->setBadgeRange(int(std::min<std::size_t>(m_content->groupCount(), INT_MAX)));
    grid->viewport()->update();
    MarkCopies1->setEnabled(m_content->groupCount() > 0);
    closeIfAsked();
}

void TfrmDup::MarkCopies1Click() {
    if (!m_content || m_content->groupCount() == 0 || scanning())
        return;
    TfrmMarkCopies window(*m_engine, *m_content, this);
    if (window.exec() != QDialog::Accepted)
        return;
    // Each group's rows get exactly the choice: copies marked, kept and changed files not; rows of
    // no group keep what the user gave them.
    std::vector<int> rowOf(m_engine->resultCount(), 0);
    for (int row = 1; row <= m_rowsFilled; ++row)
        if (m_model->isKeyRow(row) && m_model->keyOf(row) < rowOf.size())
            rowOf[m_model->keyOf(row)] = row;
    auto setMark = [&](std::uint32_t key, bool mark) {
        if (key >= rowOf.size() || rowOf[key] == 0 || m_marked.isMarked(key) == mark)
            return;
        if (mark)
            m_marked.mark(key, window.chooser().entry(key)); // with the times the rule read
        else
            m_marked.unmark(key);
        m_model->setMarked(rowOf[key], mark);
    };
    {
        BusyCursor busy;
        for (const KeepGroupChoice& group : window.choice().groups) {
            for (std::uint32_t key : group.kept)
                setMark(key, false);
            for (std::uint32_t key : group.left)
                setMark(key, false);
            for (std::uint32_t key : group.marked)
                setMark(key, true);
        }
    }
    showMarkedTotals();
    btDelete->setEnabled(m_marked.count() > 0);
}

QString TfrmDup::contentLegend() const {
    if (!m_content)
        return {};
    if (m_content->aborted())
        return QStringLiteral("Content check aborted: the groups shown are those found before.");
    std::int64_t files = 0;
    QStringList oneFile;
    for (std::uint32_t g = 1; g <= m_content->groupCount(); ++g) {
        files += std::int64_t(m_content->members(g).size());
        if (m_content->sameFile(g))
            oneFile << QString::number(g);
    }
    QString text = m_content->groupCount() == 0
                       ? QStringLiteral("No two files of a run have the same contents.")
                       : QStringLiteral("Numbered files have identical contents: ") +
                             FormatThousands(std::int64_t(m_content->groupCount())) + QStringLiteral(" groups, ") +
                             FormatThousands(files) + QStringLiteral(" files.");
    if (!oneFile.isEmpty())
        text += QStringLiteral(" Groups ") + oneFile.join(QStringLiteral(", ")) +
                QStringLiteral(" are names of one file: deleting one frees no space.");
    if (m_content->unreadableFiles() > 0)
        text += QStringLiteral(" ") + FormatThousands(m_content->unreadableFiles()) +
                QStringLiteral(" files could not be read or have changed.");
    return text;
}

bool TfrmDup::lastCopyGuard() {
    if (!m_content || m_content->aborted())
        return true;
    std::int64_t everyCopy = 0;
    for (std::uint32_t g = 1; g <= m_content->groupCount(); ++g) {
        const std::vector<std::uint32_t>& members = m_content->members(g);
        if (std::all_of(members.begin(), members.end(), [this](std::uint32_t key) { return m_marked.isMarked(key); }))
            ++everyCopy;
    }
    if (everyCopy == 0)
        return true;
    return AskYesNo(QStringLiteral("Every copy of ") + QString::number(everyCopy) +
                    QStringLiteral(" file(s) is marked. Delete them all anyway?")) == MessageAnswer::Yes;
}

KeptCopies TfrmDup::keptCopies() const {
    KeptCopies kept;
    if (!m_content || m_content->aborted())
        return kept;
    for (std::uint32_t g = 1; g <= m_content->groupCount(); ++g) {
        std::vector<ListedEntry> unmarked;
        std::vector<EntryIdentity> marked;
        for (std::uint32_t key : m_content->members(g)) {
            if (m_marked.isMarked(key))
                marked.push_back(m_engine->resultEntry(key).identity);
            else
                unmarked.push_back(m_engine->resultEntry(key));
        }
        kept.addGroup(std::move(unmarked), marked);
    }
    return kept;
}
