// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/KeepCommand.h"

#include "cli/CliOptions.h"
#include "cli/JsonResults.h"
#include "cli/ResultOutput.h"
#include "common/DisplayText.h"
#include "common/JsonText.h"
#include "common/SaturatingSum.h"
#include "delete/DeletionTotals.h"
#include "delete/FreedSpace.h"
#include "finders/dup/DupContentCheck.h"
#include "finders/dup/DupScanEngine.h"
#include "finders/dup/keep/CopyRemoval.h"
#include "finders/dup/keep/KeepChooser.h"
#include "finders/dup/keep/ReferenceFolders.h"
#include "platform/AppError.h"
#include "platform/FolderHandle.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stopAsked = 0;
extern "C" void askStop(int) {
    g_stopAsked = 1;
}

// A path in a message: control characters must not break the message's line.
std::string shown(const std::string& path) {
    return DisplayText(path).toLocal8Bit().toStdString();
}

void say(const std::string& line) {
    std::fputs(line.c_str(), stderr);
    std::fputc('\n', stderr);
}

// Lets the first SIGINT or SIGTERM stop the run between two files instead of in the middle of one.
class StopOnSignal {
public:
    StopOnSignal() {
        struct sigaction action {};
        action.sa_handler = askStop;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &m_int);
        ::sigaction(SIGTERM, &action, &m_term);
    }
    ~StopOnSignal() {
        ::sigaction(SIGINT, &m_int, nullptr);
        ::sigaction(SIGTERM, &m_term, nullptr);
    }
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;

private:
    struct sigaction m_int {};
    struct sigaction m_term {};
};

// Adds what a removal run took off the disk to the running totals, as the windows do; the files
// are gone whatever the totals file does, so a failed write is only said.
void recordTotals(const CopyRemoval& removal, bool recycled) {
    if (removal.removedFiles() == 0)
        return;
    try {
        if (recycled)
            DeletionTotals::addDeletionTotals(0, 0, removal.removedFiles(), removal.removedBytes());
        else
            DeletionTotals::addDeletionTotals(removal.removedFiles(), removal.removedBytes(), 0, 0);
    } catch (const AppError& error) {
        say("vantorel-cli: the running totals were not updated: " +
            QString(error.text()).replace(u'\n', QStringLiteral(": ")).toLocal8Bit().toStdString());
    }
}

} // namespace

bool OpenReferenceFolders(const CliOptions& options, ReferenceFolders& references, std::string& error) {
    std::vector<EntryIdentity> roots;
    for (const std::string& folder : options.folders) {
        const FolderHandle root = FolderHandle::open(folder);
        if (root.valid())
            roots.push_back(root.identity());
    }
    for (const std::string& path : options.references) {
        const std::size_t before = references.folders().size();
        if (const int failed = references.add(path)) {
            error = "cannot open reference folder " + shown(path) + ": " + std::strerror(failed);
            return false;
        }
        // The same folder named twice is one reference.
        if (references.folders().size() > before && !references.liesWithin(before, roots)) {
            error = "reference folder " + shown(path) + " lies outside every FOLDER";
            return false;
        }
    }
    return true;
}

int RunKeep(const CliOptions& options, const DupScanEngine& engine, const DupContentCheck& check,
            ReferenceFolders& references) {
    KeepChooser chooser(engine, check);
    chooser.look(&references);
    const KeepChoice choice = chooser.choose(*options.keep);
    const bool removing = (options.trash || options.remove) && !options.dryRun;
    std::optional<CopyRemoval> removal;
    std::optional<StopOnSignal> signals;
    if (removing) {
        g_stopAsked = 0;
        removal.emplace(chooser, options.trash);
        // A trash run is there to be undone: without its journal record nothing goes.
        if (options.trash && !removal->openJournal()) {
            say("vantorel-cli: " + removal->journalRefusal().toLocal8Bit().toStdString());
            return 2;
        }
        signals.emplace();
    }
    const char end = options.nullSeparated ? '\0' : '\n';
    std::string block;
    int outputError = 0;
    std::int64_t stayed = 0;
    std::int64_t kept = 0;
    std::int64_t copies = 0;
    std::int64_t copyBytes = 0;
    bool stopped = false;
    // --json: a group's object is made as it goes, {"group":N,"kept":[...],"copies":[...],"stayed":[...]}.
    std::string keptJson, copiesJson, stayedJson;
    auto line = [&](std::uint32_t result) {
        ++copies;
        copyBytes = SaturatingAdd(copyBytes, engine.resultSize(result));
        if (options.json) {
            copiesJson += copiesJson.empty() ? "" : ",";
            AppendDupFileJson(engine, result, copiesJson);
            return;
        }
        if (options.nullSeparated)
            engine.appendResultPath(result, block);
        else
            engine.appendResultLineUtf8(result, block);
        block += end;
    };
    auto stays = [&](std::uint32_t result, const std::string& reason) {
        ++stayed;
        say("vantorel-cli: " + shown(engine.resultPath(result)) + " stays: " + reason);
        if (!options.json)
            return;
        stayedJson += stayedJson.empty() ? "{\"file\":" : ",{\"file\":";
        AppendDupFileJson(engine, result, stayedJson);
        stayedJson += ",\"reason\":";
        AppendJsonString(reason, stayedJson);
        stayedJson += '}';
    };
    // Ends a group: its JSON line, or after lines of copies the empty line.
    auto endGroup = [&](const KeepGroupChoice& group, bool any) {
        if (options.json) {
            block += "{\"group\":" + std::to_string(group.group) + ",\"kept\":[" + keptJson + "],\"copies\":[" +
                     copiesJson + "],\"stayed\":[" + stayedJson + "],\"tie_broken_by_path\":" +
                     (group.tieByPath ? "true" : "false") + "}\n";
            keptJson.clear();
            copiesJson.clear();
            stayedJson.clear();
        } else if (any) {
            block += end;
        }
    };
    auto flush = [&](std::size_t atLeast) {
        if (block.size() < atLeast)
            return;
        if (outputError == 0)
            outputError = WriteAll(STDOUT_FILENO, block);
        block.clear();
    };
    for (const KeepGroupChoice& group : choice.groups) {
        for (std::uint32_t k : group.kept) {
            ++kept;
            say("keeping " + shown(engine.resultPath(k)));
            if (options.json) {
                keptJson += keptJson.empty() ? "" : ",";
                AppendDupFileJson(engine, k, keptJson);
            }
        }
        if (group.tieByPath)
            say("tie broken by path order");
        for (std::uint32_t left : group.left)
            stays(left, RemovalReason(chooser.leftReason(left)).toLocal8Bit().toStdString());
        if (group.marked.empty()) {
            endGroup(group, false);
            continue;
        }
        if (!removing) {
            for (std::uint32_t r : group.marked)
                line(r);
            endGroup(group, true);
            flush(1u << 16);
            continue;
        }
        if (g_stopAsked || removal->full() || removal->journalLost()) {
            stopped = stopped || g_stopAsked;
            removal->skip(std::int64_t(group.marked.size()));
            endGroup(group, false);
            continue;
        }
        bool any = false;
        removal->removeGroup(group, [&](std::uint32_t result, const RemovalOutcome& outcome) {
            if (outcome.ok()) {
                line(result);
                any = true;
                return;
            }
            stays(result, outcome.reason.toLocal8Bit().toStdString());
        });
        endGroup(group, any);
        // What went is said at once: a run cut short has printed what it removed.
        flush(1);
    }
    flush(1);
    if (removal) {
        removal->end(stopped);
        signals.reset();
        recordTotals(*removal, options.trash);
        if (removal->full())
            say("vantorel-cli: the recycle bin or the disk is full; " +
                std::to_string(removal->notAttempted()) + " files were not attempted");
        else if (stopped)
            say("vantorel-cli: stopped; " + std::to_string(removal->notAttempted()) +
                " files were not attempted");
        if (removal->journalLost())
            say("vantorel-cli: " + removal->journalStopReason().toLocal8Bit().toStdString() + " " +
                std::to_string(removal->notAttempted()) + " files were not attempted");
        else if (!removal->journalFailure().isEmpty())
            say("vantorel-cli: " + removal->journalFailure().toLocal8Bit().toStdString());
    }
    std::optional<FreedSpace> freed;
    if (options.dryRun) {
        freed = chooser.freedSpace(choice);
        say(FreedSpaceText(*freed, options.trash).toLocal8Bit().toStdString());
    }
    if (options.json) {
        block += "{\"summary\":";
        JsonObject summary(block);
        summary.string("command", "dups").string("keep", KeepRuleKey(*options.keep));
        summary.string("action", options.dryRun ? "dry_run" : options.trash ? "trash" : options.remove ? "delete" : "list");
        summary.number("groups", std::int64_t(choice.groups.size())).number("kept", kept);
        summary.number("copies", copies).number("copy_bytes", copyBytes).number("stayed", stayed);
        summary.number("not_attempted", removal ? removal->notAttempted() : 0).number("ties", choice.ties);
        if (freed)
            summary.number("freed_bytes", freed->freedBytes);
        else
            summary.null("freed_bytes");
        summary.end();
        block += "}\n";
        flush(1);
    }
    if (outputError != 0) {
        say(std::string("vantorel-cli: cannot write to standard output: ") + std::strerror(outputError));
        return 2;
    }
    if (removal && removal->journalLost())
        return 2;
    return stayed > 0 || (removal && removal->notAttempted() > 0) ? 1 : 0;
}
