// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/JournalWriter.h"

#include "common/SaturatingSum.h"
#include "platform/FolderHandle.h"
#include "platform/TrashUnderway.h"

#include <cerrno>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string joined(const std::string& a, std::string_view b) {
    if (a.empty())
        return std::string(b);
    if (b.empty())
        return a;
    return a + "/" + std::string(b);
}

// The root as an absolute path, so that an undo from another working folder finds it again.
std::string absoluteRoot(const std::string& root) {
    if (!root.empty() && root[0] == '/')
        return root;
    const FolderHandle handle = FolderHandle::open(root);
    return handle.valid() ? std::string(handle.path()) : root;
}

} // namespace

JournalWriter JournalWriter::begin(JournalTool tool, bool recycle, const std::string& subject) {
    JournalWriter writer;
    writer.m_header.startTime = std::int64_t(std::time(nullptr));
    writer.m_header.tool = tool;
    writer.m_header.recycle = recycle;
    writer.m_header.subject = subject;
    writer.m_begun = true;
    return writer;
}

bool JournalWriter::open() {
    if (m_file.valid())
        return true;
    if (!m_begun || m_error != 0 || m_ended)
        return false;
    DeleteJournal journal = DeleteJournal::open(true);
    m_error = journal.valid() ? journal.beginRun(m_header, m_file) : journal.error();
    if (m_error != 0)
        return false;
    struct stat st {};
    m_bytesWritten = ::fstat(m_file.get(), &st) == 0 ? std::int64_t(st.st_size) : 0;
    return true;
}

bool JournalWriter::openNow() {
    // A trash run starts here: records of moves that a killed program never made go first.
    if (m_header.recycle)
        TrashUnderway::clearLeftovers();
    return open();
}

QString JournalWriter::refusal() const {
    if (m_error == 0)
        return {};
    return QStringLiteral("The journal of deletes (") + QString::fromStdString(DeleteJournal::folderPath()) +
           QStringLiteral(") cannot be written: ") + DeleteJournal::JournalErrorText(m_error) +
           QStringLiteral(
               ". Nothing was sent to the recycle bin, since it could not be put back from there.");
}

QString JournalWriter::stoppedReason() const {
    if (m_error == 0)
        return {};
    return QStringLiteral("The journal of deletes (") + QString::fromStdString(DeleteJournal::folderPath()) +
           QStringLiteral(") could not be written any more: ") + DeleteJournal::JournalErrorText(m_error) +
           QStringLiteral(". The run was stopped there: what went before it can be put back from the History "
                          "window, the last file only from the recycle bin itself.");
}

QString JournalWriter::failure() const {
    if (m_error == 0)
        return {};
    return QStringLiteral("The journal of deletes (") + QString::fromStdString(DeleteJournal::folderPath()) +
           QStringLiteral(") could not be written: ") + DeleteJournal::JournalErrorText(m_error) +
           QStringLiteral(". This run cannot be undone from the History window.");
}

void JournalWriter::file(const ListedEntry& entry, const TrashOutcome& outcome) {
    JournalFileRecord record;
    record.error = outcome.error;
    record.size = entry.size;
    record.identity = entry.identity;
    record.modifiedNs = entry.modifiedNs;
    record.rootIdentity = entry.rootIdentity;
    record.root = entry.root;
    record.folder = entry.folder;
    record.name = entry.name;
    if (outcome.ok()) {
        record.outcome = m_header.recycle ? JournalOutcome::Trashed : JournalOutcome::Deleted;
        record.trashFolder = outcome.trashFolder;
        record.trashName = outcome.trashName;
    } else {
        record.reason = outcome.reason.toStdString();
    }
    append(std::move(record));
}

void JournalWriter::file(const ListedEntry& folder, const FolderDeleteFile& file) {
    JournalFileRecord record;
    record.error = file.outcome.error;
    record.size = file.listed.size;
    record.identity = {file.listed.device, file.listed.inode};
    record.modifiedNs = NanosecondStamp(file.listed.lastWrite);
    record.rootIdentity = folder.rootIdentity;
    record.root = folder.root;
    record.folder = joined(folder.folder, file.folder);
    record.name = std::string(file.name);
    if (file.outcome.ok()) {
        record.outcome = m_header.recycle ? JournalOutcome::Trashed : JournalOutcome::Deleted;
        record.trashFolder = file.outcome.trashFolder;
        record.trashName = file.outcome.trashName;
    } else {
        record.reason = file.outcome.reason.toStdString();
    }
    append(std::move(record));
}

void JournalWriter::append(JournalFileRecord record) {
    record.seq = ++m_seq;
    if (record.outcome == JournalOutcome::Failed) {
        ++m_figures.failed;
    } else {
        ++m_figures.files;
        m_figures.bytes = SaturatingAdd(m_figures.bytes, record.size);
    }
    if (!open())
        return;
    record.root = absoluteRoot(record.root);
    const std::string line = EncodeJournalLine(record);
    // A run of millions of files keeps the journal bounded: the rest is only counted.
    if (m_bytesWritten + std::int64_t(line.size()) > DeleteJournal::MostRunBytes - 4096) {
        ++m_figures.omitted;
        return;
    }
    write(line);
}

void JournalWriter::write(const std::string& line) {
    if (const int error = DeleteJournal::appendLine(m_file.get(), line)) {
        m_error = error;
        m_file.reset();
        return;
    }
    m_bytesWritten += std::int64_t(line.size());
}

void JournalWriter::end(std::int64_t notAttempted, bool stopped) {
    if (!open())
        return;
    m_ended = true;
    m_figures.time = std::int64_t(std::time(nullptr));
    m_figures.notAttempted = notAttempted;
    m_figures.stopped = stopped;
    write(EncodeJournalLine(m_figures));
    if (m_file.valid())
        ::fsync(m_file.get());
    m_file.reset();
}
