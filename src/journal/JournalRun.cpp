// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/JournalRun.h"

#include "common/SaturatingSum.h"
#include "platform/Trash.h"

#include <algorithm>
#include <cerrno>

namespace {
constexpr std::size_t kMostBrokenKept = 100;
// What a run whose first line is no header of its own is called (no system call fails with it).
constexpr int kNoHeader = -3;
} // namespace

JournalRun JournalRun::read(const DeleteJournal& journal, std::int64_t id) {
    std::string text;
    if (const int error = journal.readRun(id, text)) {
        JournalRun run;
        run.m_id = id;
        run.m_error = error;
        return run;
    }
    return parse(id, std::move(text));
}

JournalRun JournalRun::parse(std::int64_t id, std::string text) {
    JournalRun run;
    run.m_id = id;
    run.m_text = std::move(text);
    std::unordered_map<std::int64_t, std::size_t> bySeq;       // file records
    std::unordered_map<std::int64_t, std::size_t> folderBySeq; // folder records
    std::size_t start = 0;
    std::int64_t number = 0;
    while (start < run.m_text.size()) {
        ++number;
        std::size_t end = run.m_text.find('\n', start);
        // A last line without its line end was cut short: it is broken whatever it says.
        const bool whole = end != std::string::npos;
        if (!whole)
            end = run.m_text.size();
        const Line line{std::uint32_t(start), std::uint32_t(end - start)};
        start = end + 1;
        const std::string_view textOfLine = run.lineText(line);
        const JournalLineKind kind = whole ? JournalLineKindOf(textOfLine) : JournalLineKind::Broken;
        if (number == 1) {
            if (kind != JournalLineKind::Header || !DecodeJournalLine(textOfLine, run.m_header) ||
                run.m_header.id != id) {
                run.m_error = kNoHeader;
                return run;
            }
            continue;
        }
        bool read = false;
        switch (kind) {
        case JournalLineKind::File: {
            JournalFileRecord file;
            if ((read = DecodeJournalLine(textOfLine, file))) {
                bySeq[file.seq] = run.m_files.size();
                run.m_files.push_back(line);
                run.m_restore.push_back(Restore::None);
                if (file.outcome == JournalOutcome::Failed) {
                    ++run.m_filesFailed;
                } else {
                    ++run.m_filesWent;
                    run.m_bytesWent = SaturatingAdd(run.m_bytesWent, file.size);
                    if (file.outcome == JournalOutcome::Trashed)
                        ++run.m_filesTrashed;
                }
            }
            break;
        }
        case JournalLineKind::Folder: {
            JournalFolderRecord folder;
            if ((read = DecodeJournalLine(textOfLine, folder))) {
                folderBySeq[folder.seq] = run.m_folders.size();
                run.m_folders.push_back(line);
                run.m_folderRestore.push_back(Restore::None);
            }
            break;
        }
        case JournalLineKind::Restore: {
            JournalRestoreRecord restore;
            if ((read = DecodeJournalLine(textOfLine, restore))) {
                const Restore state = restore.restored ? Restore::Restored : Restore::Failed;
                if (const auto file = bySeq.find(restore.seq); file != bySeq.end()) {
                    run.m_restore[file->second] = state;
                    run.m_restoreLines[file->second] = line;
                } else if (const auto folder = folderBySeq.find(restore.seq); folder != folderBySeq.end()) {
                    run.m_folderRestore[folder->second] = state;
                } else {
                    read = false;
                }
            }
            break;
        }
        case JournalLineKind::End:
            if ((read = DecodeJournalLine(textOfLine, run.m_end)))
                run.m_finished = true;
            break;
        case JournalLineKind::Header:
        case JournalLineKind::Broken:
            break;
        }
        if (!read && !textOfLine.empty()) {
            ++run.m_brokenCount;
            if (run.m_brokenLines.size() < kMostBrokenKept)
                run.m_brokenLines.push_back(number);
        }
    }
    if (run.m_text.empty())
        run.m_error = kNoHeader;
    for (const Restore state : run.m_restore)
        run.m_filesRestored += state == Restore::Restored;
    return run;
}

QString JournalRun::errorText() const {
    if (m_error == kNoHeader)
        return QStringLiteral("its first line is not the record of this run");
    if (m_error == EFBIG)
        return QStringLiteral("it is larger than a journal file can be");
    return DeleteJournal::JournalErrorText(m_error);
}

JournalFileRecord JournalRun::file(std::size_t index) const {
    JournalFileRecord record;
    DecodeJournalLine(lineText(m_files[index]), record);
    return record;
}

JournalFolderRecord JournalRun::folder(std::size_t index) const {
    JournalFolderRecord record;
    DecodeJournalLine(lineText(m_folders[index]), record);
    return record;
}

std::int64_t JournalRun::foldersToMake() const {
    if (!m_header.recycle)
        return 0;
    return std::int64_t(std::count_if(m_folderRestore.begin(), m_folderRestore.end(),
                                      [](Restore state) { return state != Restore::Restored; }));
}

std::string JournalRun::restoreReason(std::size_t index) const {
    const auto found = m_restoreLines.find(index);
    JournalRestoreRecord record;
    if (found == m_restoreLines.end() || !DecodeJournalLine(lineText(found->second), record))
        return {};
    return record.reason;
}

std::int64_t JournalRun::restorable(TrashLookup& trash) const {
    std::int64_t count = 0;
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        if (m_restore[i] == Restore::Restored)
            continue;
        const JournalFileRecord record = file(i);
        if (record.outcome == JournalOutcome::Trashed &&
            trash.holds(record.trashFolder, record.trashName, record.identity))
            ++count;
    }
    return count;
}

std::vector<JournalRunSummary> ListJournalRuns(const DeleteJournal& journal) {
    std::vector<JournalRunSummary> list;
    TrashLookup trash;
    std::vector<std::int64_t> ids = journal.runIds();
    for (auto id = ids.rbegin(); id != ids.rend(); ++id) {
        const JournalRun run = JournalRun::read(journal, *id);
        JournalRunSummary summary;
        summary.id = *id;
        if (!run.ok()) {
            summary.error = run.error();
            summary.errorText = run.errorText();
            list.push_back(std::move(summary));
            continue;
        }
        summary.header = run.header();
        summary.finished = run.finished();
        summary.files = run.filesWent();
        summary.bytes = run.bytesWent();
        summary.failed = run.filesFailed();
        summary.trashed = run.filesTrashed();
        summary.restored = run.filesRestored();
        summary.restorable = run.restorable(trash);
        summary.foldersToMake = run.foldersToMake();
        summary.brokenLines = run.brokenCount();
        summary.brokenLineNumbers = run.brokenLines();
        list.push_back(std::move(summary));
    }
    return list;
}
