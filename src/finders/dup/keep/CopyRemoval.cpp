// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dup/keep/CopyRemoval.h"

#include "common/SaturatingSum.h"
#include "delete/KeptCopies.h"
#include "finders/dup/keep/KeepChooser.h"

#include <cerrno>

CopyRemoval::CopyRemoval(const KeepChooser& chooser, bool recycle)
    : m_chooser(chooser), m_recycle(recycle),
      m_journal(JournalWriter::begin(JournalTool::CommandLine, recycle)) {}

void CopyRemoval::removeGroup(const KeepGroupChoice& group, const Done& done) {
    std::vector<ListedEntry> kept;
    for (std::uint32_t k : group.kept)
        kept.push_back(m_chooser.entry(k));
    std::string changed;
    bool keptChanged = false;
    for (std::size_t i = 0; i < group.marked.size(); ++i) {
        if (m_full || m_journalLost) {
            m_notAttempted += std::int64_t(group.marked.size() - i);
            return;
        }
        const std::uint32_t result = group.marked[i];
        const ListedEntry file = m_chooser.entry(result);
        // The copies go only while the one kept still holds what they were compared with.
        keptChanged = keptChanged || !AnyKeptCopyUnchanged(kept, &changed);
        const RemovalOutcome outcome = keptChanged ? RemovalOutcome{ESTALE, KeptCopyChangedReason(changed)}
                                                   : RemoveListedFile(file, m_recycle);
        m_journal.file(file, outcome);
        m_journalLost = m_recycle && m_journal.failed();
        if (outcome.ok()) {
            ++m_files;
            m_bytes = SaturatingAdd(m_bytes, file.size);
        } else {
            ++m_stayed;
            m_full = m_recycle && IsFullDiskError(outcome.error);
        }
        if (done)
            done(result, outcome);
    }
}

void CopyRemoval::end(bool stopped) {
    m_journal.end(m_notAttempted, stopped);
}
