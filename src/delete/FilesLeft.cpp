// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/FilesLeft.h"

#include "common/DisplayText.h"
#include "common/NumberTexts.h"

#include <QStringList>

void FilesLeft::add(std::string path, QString reason) {
    ++m_count;
    // The first is always kept, so a report can name one.
    if (!m_kept.empty() && (m_kept.size() >= MaxKept || m_keptBytes + path.size() > MaxKeptPathBytes))
        return;
    m_keptBytes += path.size();
    m_kept.push_back({std::move(path), std::move(reason)});
}

QString FilesStayedText(std::int64_t files, bool recycle) {
    const bool one = files == 1;
    return FormatThousands(files) + (one ? QStringLiteral(" file") : QStringLiteral(" files")) +
           (recycle ? QStringLiteral(" could not be sent to the recycle bin and ")
                    : QStringLiteral(" could not be deleted and ")) +
           (one ? QStringLiteral("stayed where it was.") : QStringLiteral("stayed where they were."));
}

QStringList FilesLeft::lines() const {
    QStringList out;
    out.reserve(int(m_kept.size()) + 1);
    for (const Item& item : m_kept)
        out << DisplayText(item.path) + u'\t' + item.reason;
    if (const std::int64_t more = m_count - std::int64_t(m_kept.size()); more > 0)
        out << QStringLiteral("... and ") + FormatThousands(more) + QStringLiteral(" more");
    return out;
}
