// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/cli/JournalCommand.h"

#include "cli/CliOptions.h"
#include "cli/ResultOutput.h"
#include "common/DisplayText.h"
#include "common/JsonText.h"
#include "journal/DeleteJournal.h"
#include "journal/JournalRun.h"
#include "journal/JournalUndo.h"

#include <QCoreApplication>
#include <QDateTime>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

void warn(const QString& text) {
    std::fprintf(stderr, "vantorel-cli: %s\n", text.toLocal8Bit().constData());
}

int writeOut(const std::string& text) {
    if (const int failed = WriteAll(STDOUT_FILENO, text)) {
        warn(QStringLiteral("cannot write to standard output: ") +
             QString::fromLocal8Bit(std::strerror(failed)));
        return 2;
    }
    return 0;
}

std::string localTime(std::int64_t seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
        .toStdString();
}

std::string isoTime(std::int64_t seconds) {
    const QDateTime local = QDateTime::fromSecsSinceEpoch(seconds);
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate).toStdString();
}

// A JSON string of a text (names shown as the windows show them: always valid UTF-8).
std::string jsonString(const QString& text) {
    std::string out;
    AppendJsonString(text.toStdString(), out);
    return out;
}

std::string modeOf(const JournalRunHeader& header) {
    return header.recycle ? "trash" : "delete";
}

void warnBroken(const JournalRunSummary& run) {
    if (run.error != 0) {
        warn(QStringLiteral("run %1 cannot be read: ").arg(run.id) + run.errorText);
        return;
    }
    if (run.brokenLines == 0)
        return;
    QStringList lines;
    for (const std::int64_t line : run.brokenLineNumbers)
        lines << QString::number(line);
    warn(QStringLiteral("run %1: %2 damaged lines were skipped (line %3)")
             .arg(run.id)
             .arg(run.brokenLines)
             .arg(lines.join(QStringLiteral(", "))));
}

std::string listingLines(const std::vector<JournalRunSummary>& runs) {
    std::string out;
    for (const JournalRunSummary& r : runs) {
        if (r.error != 0)
            continue;
        out += std::to_string(r.id) + '\t' + localTime(r.header.startTime) + '\t' +
               JournalToolKey(r.header.tool) + '\t' + modeOf(r.header) + '\t' + std::to_string(r.files) +
               '\t' + std::to_string(r.bytes) + '\t' + std::to_string(r.restorable) + '\n';
    }
    return out;
}

std::string listingJson(const std::vector<JournalRunSummary>& runs) {
    std::string out = "[";
    bool first = true;
    for (const JournalRunSummary& r : runs) {
        if (r.error != 0)
            continue;
        out += first ? "\n" : ",\n";
        first = false;
        out += "  {\"id\": " + std::to_string(r.id) + ", \"time\": \"" + isoTime(r.header.startTime) +
               "\", \"tool\": \"" + JournalToolKey(r.header.tool) + "\", \"mode\": \"" + modeOf(r.header) +
               "\", \"files\": " + std::to_string(r.files) + ", \"bytes\": " + std::to_string(r.bytes) +
               ", \"failed\": " + std::to_string(r.failed) +
               ", \"restorable\": " + std::to_string(r.restorable) +
               ", \"restored\": " + std::to_string(r.restored) +
               ", \"finished\": " + (r.finished ? "true" : "false") + ", \"folder\": " +
               (r.header.subject.empty() ? "null" : jsonString(DisplayText(r.header.subject))) +
               ", \"damagedLines\": " + std::to_string(r.brokenLines) + "}";
    }
    return out + (first ? "]\n" : "\n]\n");
}

int runJournal(const CliOptions& options) {
    const DeleteJournal journal = DeleteJournal::open(false);
    if (!journal.valid() && journal.error() != ENOENT) {
        warn(QStringLiteral("cannot read the journal ") +
             QString::fromStdString(DeleteJournal::folderPath()) + QStringLiteral(": ") + journal.reason());
        return 2;
    }
    const std::vector<JournalRunSummary> runs =
        journal.valid() ? ListJournalRuns(journal) : std::vector<JournalRunSummary>();
    for (const JournalRunSummary& run : runs)
        warnBroken(run);
    const bool any =
        std::any_of(runs.begin(), runs.end(), [](const JournalRunSummary& r) { return r.error == 0; });
    if (!any && !options.json) {
        std::fputs("No runs in the journal.\n", stderr);
        return 1;
    }
    if (const int failed = writeOut(options.json ? listingJson(runs) : listingLines(runs)))
        return failed;
    return any ? 0 : 1;
}

int runUndo(const CliOptions& options) {
    std::int64_t id = options.run;
    if (id == 0) {
        const DeleteJournal journal = DeleteJournal::open(false);
        const std::vector<std::int64_t> ids =
            journal.valid() ? journal.runIds() : std::vector<std::int64_t>();
        if (ids.empty()) {
            warn(QStringLiteral("there is no run in the journal to undo"));
            return 2;
        }
        id = ids.back();
    }
    const UndoReport report = UndoRun(id);
    if (report.error != 0) {
        warn(UndoSummary(report));
        return 2;
    }
    for (const FilesLeft::Item& item : report.left.kept())
        warn(DisplayText(item.path) + QStringLiteral(": ") + item.reason);
    if (const std::int64_t more = report.left.count() - std::int64_t(report.left.kept().size()); more > 0)
        warn(QStringLiteral("... and %1 more").arg(more));
    if (const int failed = writeOut(UndoSummary(report).toLocal8Bit().toStdString() + "\n"))
        return failed;
    return report.allBack() ? 0 : 1;
}

} // namespace

int RunJournalCommand(const CliOptions& options, int argc, char** argv) {
    QCoreApplication app(argc, argv); // the locale's texts and the home folder
    return options.command == CliCommand::Undo ? runUndo(options) : runJournal(options);
}
