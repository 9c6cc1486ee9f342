// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/MarkedFiles.h"

#include "common/NumberTexts.h"
#include "common/SaturatingSum.h"
#include "common/StringGridModel.h"
#include "delete/ListedFileRemoval.h"
#include "delete/ui/TfrmReallyDelete.h"

#include <algorithm>
#include <limits>

void MarkedFiles::mark(std::uint32_t key, const ListedEntry& file) {
    if (isMarked(key))
        return;
    // Only a file that is still the one listed counts towards the total.
    if (const auto size = ListedFileSizeNow(file)) {
        m_counted[key] = *size;
        ++m_count;
        m_bytes = SaturatingAdd(m_bytes, *size);
    }
    m_files.push_back(file);
    m_keys.push_back(key);
    m_marked.insert(key);
}

void MarkedFiles::unmark(std::uint32_t key) {
    const auto at = std::find(m_keys.begin(), m_keys.end(), key);
    if (at == m_keys.end())
        return;
    m_files.erase(m_files.begin() + (at - m_keys.begin()));
    m_keys.erase(at);
    m_marked.erase(key);
    const auto counted = m_counted.find(key);
    if (counted == m_counted.end())
        return;
    --m_count;
    const bool saturated = m_bytes == std::numeric_limits<std::int64_t>::max();
    m_bytes = SaturatingSub(m_bytes, counted->second);
    m_counted.erase(counted);
    // A total that stopped at the limit lost what lay beyond it: count the rest again.
    if (saturated) {
        m_bytes = 0;
        for (const auto& [other, size] : m_counted)
            m_bytes = SaturatingAdd(m_bytes, size);
    }
}

void MarkedFiles::toggle(StringGridModel& model, int row, const std::function<ListedEntry(std::uint32_t)>& entry) {
    if (!model.isKeyRow(row))
        return;
    const std::uint32_t key = model.keyOf(row);
    const bool marking = !model.isMarked(row);
    model.setMarked(row, marking);
    if (marking)
        mark(key, entry(key));
    else
        unmark(key);
}

void MarkedFiles::clear() {
    m_files.clear();
    m_keys.clear();
    m_marked.clear();
    m_counted.clear();
    m_count = 0;
    m_bytes = 0;
}

bool MarkedFiles::isMarked(std::uint32_t key) const {
    return m_marked.count(key) != 0;
}

std::vector<std::string> MarkedFiles::paths() const {
    std::vector<std::string> out;
    out.reserve(m_files.size());
    for (const ListedEntry& file : m_files)
        out.push_back(file.path());
    return out;
}

QString MarkedFiles::totalsText() const {
    return QStringLiteral("%1 files %2 bytes").arg(m_count).arg(FormatThousands(m_bytes));
}

int ConfirmMarkedDelete(QWidget* parent, const MarkedFiles& marked, const DeleteConfirmation& confirmation,
                        JournalTool tool, KeptCopies kept) {
    if (confirmation)
        return confirmation(parent, marked.files(), double(marked.bytes()));
    TfrmReallyDelete window(parent);
    window.setTool(tool);
    window.setKeptCopies(std::move(kept));
    window.setFileList(marked.files());
    window.setSavings(double(marked.bytes()));
    return window.exec();
}
