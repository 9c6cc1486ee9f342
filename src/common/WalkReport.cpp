// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/WalkReport.h"

#include "common/DisplayText.h"
#include "common/NumberTexts.h"
#include "platform/FolderHandle.h"

#include <cerrno>
#include <cstring>

QString WalkStatusText(std::string_view path) {
    constexpr std::size_t kShown = 4096;
    if (path.size() <= kShown)
        return DisplayText(path);
    std::size_t cut = kShown;
    // Not inside a UTF-8 sequence: its bytes would show as bad ones.
    for (int back = 0; back < 3 && (static_cast<unsigned char>(path[cut]) & 0xC0) == 0x80; ++back)
        --cut;
    return DisplayText(path.substr(0, cut)) + QChar(0x2026);
}

void SkippedEntries::clear() {
    m_folders = 0;
    m_files = 0;
    m_kept = {};
    m_keptBytes = 0;
    m_excludedFolders = 0;
    m_excludedFiles = 0;
    m_excludedKept = {};
    m_excludedBytes = 0;
}

void SkippedEntries::addExcluded(const FolderHandle& folder, std::string_view name, bool isFolder,
                                 std::string_view rule) {
    ++(isFolder ? m_excludedFolders : m_excludedFiles);
    const std::size_t bytes = folder.path().size() + 1 + name.size() + rule.size();
    if (m_excludedKept.size() >= KeptEntries || m_excludedBytes + bytes > KeptBytes)
        return;
    m_excludedBytes += bytes;
    m_excludedKept.push_back({folder.childPath(name), std::string(rule), isFolder});
}

void SkippedEntries::setReporter(std::function<void(const std::string&, int)> reporter) {
    m_reporter = std::move(reporter);
}

void SkippedEntries::addFolder(const FolderHandle& folder, std::string_view name, int error) {
    if (error != EXDEV)
        add(folder, name, error, true);
}

void SkippedEntries::addEntry(const FolderHandle& folder, std::string_view name, int error) {
    add(folder, name, error, false);
}

void SkippedEntries::add(const FolderHandle& folder, std::string_view name, int error, bool isFolder) {
    ++(isFolder ? m_folders : m_files);
    const std::size_t bytes = folder.path().size() + 1 + name.size();
    const bool keep = m_kept.size() < KeptEntries && m_keptBytes + bytes <= KeptBytes;
    if (!keep && !m_reporter)
        return;
    std::string path = name.empty() ? std::string(folder.path()) : folder.childPath(name);
    if (m_reporter)
        m_reporter(path, error);
    if (keep) {
        m_keptBytes += path.size();
        m_kept.push_back({std::move(path), error, isFolder});
    }
}

QString SkippedSummaryText(const SkippedEntries& skipped) {
    QString text;
    if (skipped.folders() > 0)
        text = CountText(skipped.folders(), "folder", "folders");
    if (skipped.files() > 0) {
        if (!text.isEmpty())
            text += QStringLiteral(" and ");
        text += CountText(skipped.files(), "file", "files");
    }
    if (text.isEmpty())
        return text;
    return text + QStringLiteral(" could not be read");
}

QStringList SkippedLines(const SkippedEntries& skipped) {
    QStringList lines;
    for (const SkippedEntries::Entry& e : skipped.kept()) {
        QString path = DisplayText(e.path);
        if (e.folder && !path.endsWith(u'/'))
            path += u'/';
        lines << path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(e.error));
    }
    if (skipped.notKept() > 0)
        lines << QStringLiteral("... and ") + FormatThousands(skipped.notKept()) + QStringLiteral(" more");
    return lines;
}

QString ExcludedSummaryText(const SkippedEntries& skipped) {
    if (skipped.excluded() == 0)
        return {};
    return FormatThousands(skipped.excluded()) + QStringLiteral(" excluded");
}

QStringList ExcludedLines(const SkippedEntries& skipped) {
    QStringList lines;
    for (const SkippedEntries::Excluded& e : skipped.excludedKept()) {
        QString path = DisplayText(e.path);
        if (e.folder && !path.endsWith(u'/'))
            path += u'/';
        lines << path + (e.rule.empty() ? QStringLiteral(": excluded in the saved scan")
                                        : QStringLiteral(": excluded by ") + DisplayText(e.rule));
    }
    const std::int64_t more = skipped.excluded() - std::int64_t(skipped.excludedKept().size());
    if (more > 0)
        lines << QStringLiteral("... and ") + FormatThousands(more) + QStringLiteral(" more");
    return lines;
}
