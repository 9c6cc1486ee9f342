// SPDX-License-Identifier: GPL-3.0-or-later
// vantorel-cli: the duplicate, file-hog and folder size scans without windows, for scripts and
// measurements.
// Standard output carries exactly the result lines; everything else goes to standard error.
#include "cli/CliOptions.h"
#include "cli/JsonResults.h"
#include "cli/KeepCommand.h"
#include "cli/ResultOutput.h"
#include "common/DisplayText.h"
#include "common/JsonText.h"
#include "common/MessageService.h"
#include "common/SearchPathList.h"
#include "finders/daterange/DateRangeEngine.h"
#include "finders/dup/DupContentCheck.h"
#include "finders/dup/DupScanEngine.h"
#include "finders/dup/keep/ReferenceFolders.h"
#include "journal/cli/JournalCommand.h"
#include "finders/dupfolders/DupFolderEngine.h"
#include "map/cli/MapCommand.h"
#include "folderhogs/FolderSizeEngine.h"
#include "platform/DriveTable.h"
#include "stats/StatisticsCollector.h"
#include "viewer/PagedFileModel.h"
#include "viewer/StringsExtractor.h"
#include "platform/FolderHandle.h"
#include "platform/WalkThreads.h"
#include "scans/SavedScan.h"
#include "scans/cli/ScanCommands.h"

#include <QCoreApplication>
#include <QLocale>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

void warn(const std::string& text) { std::fprintf(stderr, "vantorel-cli: %s\n", text.c_str()); }

// A path in a message: control characters must not break the message's line.
std::string shown(const std::string& path) { return DisplayText(path).toLocal8Bit().toStdString(); }

// A standard descriptor that the caller closed would be taken by the first folder the walk opens,
// and output or messages would go there. It gets /dev/null instead; false tells that it was closed.
bool keepOpen(int fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
        return true;
    const int null = ::open("/dev/null", (fd == STDIN_FILENO ? O_RDONLY : O_WRONLY) | O_CLOEXEC);
    if (null >= 0 && null != fd) {
        ::dup2(null, fd);
        ::close(null);
    }
    return false;
}

int writeFailed(int error) {
    warn(std::string("cannot write to standard output: ") + std::strerror(error));
    return 2;
}

// Boxes have no place here: their texts go to standard error.
class StderrMessages : public MessageService {
public:
    void showMessage(MessageKind, const QString& text, bool) override {
        std::fprintf(stderr, "vantorel-cli: %s\n", text.toLocal8Bit().constData());
    }
    MessageAnswer ask(const QString& text, bool) override {
        std::fprintf(stderr, "vantorel-cli: %s (answered No)\n", text.toLocal8Bit().constData());
        return MessageAnswer::No;
    }
};

// Live progress on a terminal: entries seen and the folder being walked, at most ten times a second.
// The walk's yield hook ticks it; the folder's text is made only when a line is shown.
class Progress {
public:
    Progress(std::function<std::int64_t()> seen, std::function<QString()> folder, QString unit)
        : m_seen(std::move(seen)), m_folder(std::move(folder)), m_unit(std::move(unit)),
          m_on(::isatty(STDERR_FILENO) == 1) {
        struct winsize ws {};
        if (m_on && ::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 20)
            m_width = ws.ws_col;
    }
    bool on() const { return m_on; }
    void tick() {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
        const long long ms = now.tv_sec * 1000LL + now.tv_nsec / 1000000;
        if (ms - m_lastMs < 100)
            return;
        m_lastMs = ms;
        QString line = QString::number(m_seen()) + m_unit + m_folder();
        if (line.size() > m_width - 1)
            line = line.left(m_width - 2) + QChar(0x2026);
        std::fprintf(stderr, "\r\033[K%s", line.toLocal8Bit().constData());
        std::fflush(stderr);
        m_shown = true;
    }
    void clear() {
        if (m_shown)
            std::fputs("\r\033[K", stderr);
        m_shown = false;
    }

private:
    std::function<std::int64_t()> m_seen;
    std::function<QString()> m_folder;
    QString m_unit;
    bool m_on;
    bool m_shown = false;
    int m_width = 80;
    long long m_lastMs = -1000;
};

// As find and du do: a folder that cannot be read, or an entry whose statistics cannot be, is named
// and left out, and the walk goes on. (A mount point is not entered by design: no failure.)
std::function<void(const std::string&, int)> skippedWarning(Progress& progress) {
    return [&progress](const std::string& path, int failure) {
        progress.clear();
        warn("cannot read " + shown(path) + ": " + std::strerror(failure));
    };
}

// The saved scans of --scan, opened and checked before any scan starts.
using SavedScans = std::vector<std::unique_ptr<SavedScan>>;
SavedScans g_scans;

// Walks the FOLDERs, or reads the saved scans, through scanFolder and scanSaved. False when a saved
// scan turned out to be no valid scan (said here): its results are not written.
template <class Walk, class Read> bool scanRoots(const CliOptions& options, Walk scanFolder, Read scanSaved) {
    for (const std::string& folder : options.folders)
        scanFolder(folder); // a root that cannot be read was reported by the hook
    for (const std::unique_ptr<SavedScan>& scan : g_scans) {
        scanSaved(scan->replay());
        if (scan->failed()) {
            warn(shown(scan->error()));
            return false;
        }
    }
    return true;
}

// The progress line and the warnings of a scan engine's walk.
template <class Engine> void reportWalk(Engine& engine, Progress& progress) {
    if (progress.on())
        engine.setYieldHook([&progress] { progress.tick(); });
    engine.skipped().setReporter(skippedWarning(progress));
}

int writeJson(const DupScanEngine& engine) { return WriteDupScanJson(engine, STDOUT_FILENO); }
int writeJson(const FolderSizeEngine& engine) { return WriteFoldersJson(engine, STDOUT_FILENO); }
int writeJson(const DateRangeEngine& engine) { return WriteDatesJson(engine, STDOUT_FILENO); }

// The scan, then its lines (or JSON Lines) on standard output. 0, 1 (no result) or 2 (the output
// failed). --json writes its summary even when nothing was found.
template <class Engine> int writeOut(const Engine& engine, const CliOptions& options) {
    const bool none = engine.resultCount() == 0;
    if (none)
        std::fputs("No files found.\n", stderr);
    if (options.json) {
        if (int failed = writeJson(engine))
            return writeFailed(failed);
        return none ? 1 : 0;
    }
    if (none)
        return 1;
    if (int failed = WriteResults(engine, options.nullSeparated, STDOUT_FILENO))
        return writeFailed(failed);
    return 0;
}

int runFiles(const CliOptions& options) {
    // Reference folders are refused before a scan that could take minutes.
    ReferenceFolders references;
    std::string refused;
    if (!OpenReferenceFolders(options, references, refused)) {
        warn(refused);
        return 2;
    }
    SearchPathList::global().GetSearchPath();
    DupScanEngine engine;
    Progress progress([&engine] { return engine.filesSeen(); }, [&engine] { return engine.walkStatus(); },
                      QStringLiteral(" files  "));
    reportWalk(engine, progress);
    engine.begin(options.criteria);
    if (!scanRoots(
            options, [&](const std::string& f) { engine.scanDrive(f); },
            [&](ScanReplay& s) { engine.scanSaved(s); }))
        return 2;
    engine.finish(options.exact);
    progress.clear();
    if (!options.content)
        return writeOut(engine, options);
    DupContentCheck check(engine);
    check.run();
    if (check.unreadableFiles() > 0)
        warn(std::to_string(check.unreadableFiles()) +
             " files could not be read, or changed since they were listed; they are left out");
    if (check.groupCount() == 0) {
        std::fputs("No files found.\n", stderr);
        if (options.json)
            if (int failed = WriteContentGroupsJson(engine, check, STDOUT_FILENO))
                return writeFailed(failed);
        return 1;
    }
    if (options.keep)
        return RunKeep(options, engine, check, references);
    if (int failed = options.json ? WriteContentGroupsJson(engine, check, STDOUT_FILENO)
                                  : WriteContentGroups(engine, check, options.nullSeparated, STDOUT_FILENO))
        return writeFailed(failed);
    return 0;
}

int runFolders(const CliOptions& options) {
    FolderSizeEngine engine;
    Progress progress([&engine] { return engine.foldersSeen(); }, [&engine] { return engine.walkStatus(); },
                      QStringLiteral(" folders  "));
    reportWalk(engine, progress);
    engine.begin(options.allFolders ? FolderScanMode::All : FolderScanMode::Main);
    if (!scanRoots(
            options, [&](const std::string& f) { engine.scanDrive(f); },
            [&](ScanReplay& s) { engine.scanSaved(s); }))
        return 2;
    engine.finish();
    progress.clear();
    return writeOut(engine, options);
}

int runDupFolders(const CliOptions& options) {
    DupFolderEngine engine;
    Progress progress([&engine] { return engine.filesSeen(); },
                      [&engine] {
                          return engine.comparing() ? QStringLiteral("comparing contents: ") +
                                                          QString::number(engine.bytesRead()) +
                                                          QStringLiteral(" bytes read")
                                                    : engine.walkStatus();
                      },
                      QStringLiteral(" files  "));
    reportWalk(engine, progress);
    DupFolderCriteria criteria;
    criteria.range = options.criteria.range;
    criteria.limit1K = options.criteria.limit1K;
    criteria.limit2K = options.criteria.limit2K;
    criteria.subsets = options.subsets;
    engine.begin(criteria);
    for (const std::string& folder : options.folders)
        engine.scanDrive(folder);
    engine.finish();
    progress.clear();
    if (engine.unreadableFiles() > 0)
        warn(std::to_string(engine.unreadableFiles()) +
             " files could not be read, or changed since they were listed; their folders are left out");
    if (engine.changedFolders() > 0)
        warn(std::to_string(engine.changedFolders()) +
             " folders changed while they were compared; they are left out");
    if (engine.groupCount() == 0)
        std::fputs("No duplicate folders found.\n", stderr);
    if (options.json) {
        if (int failed = WriteFolderGroupsJson(engine, STDOUT_FILENO))
            return writeFailed(failed);
    } else if (engine.groupCount() > 0) {
        if (int failed = WriteFolderGroups(engine, options.nullSeparated, STDOUT_FILENO))
            return writeFailed(failed);
    }
    return engine.groupCount() == 0 ? 1 : 0;
}

int runDates(const CliOptions& options) {
    DateRangeEngine engine;
    Progress progress([&engine] { return engine.filesSeen(); }, [&engine] { return engine.walkStatus(); },
                      QStringLiteral(" files  "));
    reportWalk(engine, progress);
    engine.begin(options.dates);
    if (!scanRoots(
            options, [&](const std::string& f) { engine.scanDrive(f); },
            [&](ScanReplay& s) { engine.scanSaved(s); }))
        return 2;
    progress.clear();
    return writeOut(engine, options);
}

// The statistics as records of TAB-joined fields, one per line.
std::string statisticsText(const FileStatistics& s, const std::optional<DriveSpace>& space) {
    std::string out;
    auto line = [&out](std::initializer_list<std::string> fields) {
        bool first = true;
        for (const std::string& f : fields) {
            if (!first)
                out += '\t';
            out += f;
            first = false;
        }
        out += '\n';
    };
    auto n = [](std::int64_t v) { return std::to_string(v); };
    line({"files", n(s.filesProcessed)});
    for (std::size_t c = 1; c <= 9; ++c)
        line({"size", n(std::int64_t(c)), n(s.sizes[c].files), n(s.sizes[c].bytes)});
    const std::pair<const char*, const std::array<FileCount, 10>*> ages[] = {
        {"accessed", &s.accessed}, {"created", &s.created}, {"modified", &s.modified}};
    for (const auto& [kind, counts] : ages)
        for (std::size_t c = 0; c <= 9; ++c)
            line({kind, n(std::int64_t(c)), n((*counts)[c].files), n((*counts)[c].bytes)});
    const std::pair<const char*, const FileCount*> attributes[] = {
        {"hidden", &s.hidden}, {"read-only", &s.readOnly}, {"system", &s.system}, {"archive", &s.archive}};
    for (const auto& [name, count] : attributes)
        line({"attribute", name, n(count->files), n(count->bytes)});
    for (const TypeCount& t : s.types)
        line({"type", t.extension, n(t.count.files), n(t.count.bytes)});
    line({"cluster", n(space ? space->clusterBytes : -1)});
    line({"disk", n(space ? space->totalBytes : -1), n(space ? space->freeBytes : -1),
          n(space ? space->usedBytes : -1), n(space ? space->reservedBytes : -1)});
    line({"allocated", n(s.allocatedBytes), n(s.lostBytes)});
    return out;
}

// The same records as JSON Lines: {"record":"size","class":1,"files":N,"bytes":N} and so on, then the
// summary with the totals and the disk (null for what a saved scan does not tell).
std::string statisticsJson(const FileStatistics& s, const std::optional<DriveSpace>& space) {
    std::string out;
    auto count = [&out](const char* record, const char* key, const std::string& value, const FileCount& c,
                        bool text) {
        JsonObject o(out);
        o.string("record", record);
        if (text)
            o.string(key, value);
        else
            o.member(key) += value;
        o.number("files", c.files).number("bytes", c.bytes);
        o.end();
        out += '\n';
    };
    for (std::size_t c = 1; c <= 9; ++c)
        count("size", "class", std::to_string(c), s.sizes[c], false);
    const std::pair<const char*, const std::array<FileCount, 10>*> ages[] = {
        {"accessed", &s.accessed}, {"created", &s.created}, {"modified", &s.modified}};
    for (const auto& [kind, counts] : ages)
        for (std::size_t c = 0; c <= 9; ++c)
            count(kind, "class", std::to_string(c), (*counts)[c], false);
    const std::pair<const char*, const FileCount*> attributes[] = {
        {"hidden", &s.hidden}, {"read-only", &s.readOnly}, {"system", &s.system}, {"archive", &s.archive}};
    for (const auto& [name, c] : attributes)
        count("attribute", "name", name, *c, true);
    for (const TypeCount& t : s.types)
        count("type", "extension", t.extension, t.count, true);
    out += "{\"summary\":";
    JsonObject summary(out);
    summary.string("command", "stats").number("files", s.filesProcessed);
    const auto figure = [&](const char* key, std::int64_t value) {
        if (space)
            summary.number(key, value);
        else
            summary.null(key);
    };
    figure("cluster", space ? space->clusterBytes : 0);
    figure("disk_total", space ? space->totalBytes : 0);
    figure("disk_free", space ? space->freeBytes : 0);
    figure("disk_used", space ? space->usedBytes : 0);
    figure("disk_reserved", space ? space->reservedBytes : 0);
    summary.number("allocated", s.allocatedBytes).number("lost", s.lostBytes);
    summary.end();
    out += "}\n";
    return out;
}

int runStats(const CliOptions& options) {
    StatisticsCollector collector;
    Progress progress([&collector] { return collector.filesProcessed(); },
                      [&collector] { return collector.walkStatus(); }, QStringLiteral(" files  "));
    reportWalk(collector, progress);
    if (!scanRoots(
            options, [&](const std::string& f) { collector.collect(f); },
            [&](ScanReplay& s) { collector.collectSaved(s); }))
        return 2;
    progress.clear();
    // A saved scan tells nothing of its drive.
    const std::optional<DriveSpace> space =
        options.folders.empty() ? std::nullopt : DriveSpaceOfFolder(FolderHandle::open(options.folders.front()));
    const FileStatistics& figures = collector.statistics();
    if (int failed = WriteAll(STDOUT_FILENO, options.json ? statisticsJson(figures, space) : statisticsText(figures, space)))
        return writeFailed(failed);
    return 0;
}

// What the file tools say of a file they cannot read: in words, never a bare number.
int fileFailed(const std::string& file, const std::string& reason) {
    warn(shown(file) + ": " + reason);
    return 2;
}

// Lines of a file as the viewer shows them, written in blocks.
int runView(const CliOptions& options) {
    const std::string& file = options.folders.front();
    PagedFileModel model;
    model.setFileName(file);
    model.setHexMode(options.hex);
    std::string block;
    try {
        model.setOpen(true);
        if (options.total) {
            model.checkLine(PagedFileModel::UnknownLines - 1); // reaches the end of a text file
            const std::int64_t total = model.fileLength() == 0 ? 0 : model.totalLines();
            std::string text = std::to_string(total) + "\n";
            if (options.json) {
                text = "{\"summary\":";
                JsonObject summary(text);
                summary.string("command", "view").number(options.hex ? "rows" : "lines", total);
                summary.end();
                text += "}\n";
            }
            if (int failed = WriteAll(STDOUT_FILENO, text))
                return writeFailed(failed);
            return 0;
        }
        block.reserve(1 << 16);
        const std::int64_t end = options.count < 0 ? PagedFileModel::UnknownLines : options.from + options.count;
        for (std::int64_t n = options.from; n < end && model.fileLength() > 0; ++n) {
            // A line past a known end is no line: the loop ends there.
            if (model.totalLines() != PagedFileModel::UnknownLines && n >= model.totalLines())
                break;
            const std::string_view text = model.lineText(n);
            if (model.totalLines() != PagedFileModel::UnknownLines && n >= model.totalLines())
                break;
            block += text;
            block += '\n';
            if (block.size() >= (1 << 16)) {
                if (int failed = WriteAll(STDOUT_FILENO, block))
                    return writeFailed(failed);
                block.clear();
            }
        }
        if (int failed = WriteAll(STDOUT_FILENO, block))
            return writeFailed(failed);
    } catch (const ViewerIOError& e) {
        if (e.notRegularFile())
            return fileFailed(file, "not a regular file");
        // The lines read before a failed read stand, as the strings found before one do.
        if (int failed = WriteAll(STDOUT_FILENO, block))
            return writeFailed(failed);
        // The viewer's own texts are kept; the ones it has only as a number get the reason.
        if (ViewerIOError::namedText(e.code()).isEmpty())
            return fileFailed(file, std::strerror(e.code()));
        warn(e.text().toLocal8Bit().toStdString());
        return 2;
    }
    return 0;
}

int runStrings(const CliOptions& options) {
    const std::string& file = options.folders.front();
    std::string block;
    int failed = 0;
    const StringsExtractor::Result result = StringsExtractor::extract(file, [&](std::string_view run) {
        if (failed)
            return;
        block += run;
        block += '\n';
        if (block.size() >= (1 << 16)) {
            failed = WriteAll(STDOUT_FILENO, block);
            block.clear();
        }
    });
    switch (result.kind) {
    case StringsExtractor::Result::NotOpened:
        warn("Could not open file " + shown(file) + ": " + std::strerror(result.error));
        return 2;
    case StringsExtractor::Result::NotRegular:
        return fileFailed(file, "not a regular file");
    case StringsExtractor::Result::Done:
    case StringsExtractor::Result::ReadFailed:
        break;
    }
    // What was found before a read error is written first, as the window keeps it in view.
    if (!failed)
        failed = WriteAll(STDOUT_FILENO, block);
    if (failed)
        return writeFailed(failed);
    return result.done() ? 0 : fileFailed(file, std::strerror(result.error));
}

} // namespace

int main(int argc, char** argv) {
    keepOpen(STDIN_FILENO);
    const bool outputOpen = keepOpen(STDOUT_FILENO);
    keepOpen(STDERR_FILENO);
    std::vector<std::string> args(argv + 1, argv + argc);
    CliOptions options;
    std::string error;
    if (!ParseCliOptions(args, options, error)) {
        warn(error);
        return 2;
    }
    // The map writes into a file, the journal's output went to /dev/null as ever; the others'
    // results would go nowhere, which is said before a scan that could take minutes.
    const bool ownOutput = options.command == CliCommand::Map || options.command == CliCommand::Journal ||
                           options.command == CliCommand::Undo;
    if (!outputOpen && (!ownOutput || options.help || options.version))
        return writeFailed(EBADF);
    if (options.help || options.version) {
        if (int failed = WriteAll(STDOUT_FILENO, options.help ? CliHelpText(options) : CliVersion()))
            return writeFailed(failed);
        return 0;
    }
    // Scripts read --json: the type names and everything else in it leave the locale out.
    if (options.json)
        QLocale::setDefault(QLocale::c());
    SetWalkExclusions(options.exclusions);
    switch (options.command) {
    case CliCommand::Map:
        return RunMapCommand(options, argv);
    case CliCommand::Journal:
    case CliCommand::Undo:
        return RunJournalCommand(options, argc, argv);
    case CliCommand::Export:
        return RunExportCommand(options, argc, argv);
    case CliCommand::Compare:
        return RunCompareCommand(options, argc, argv);
    default:
        break;
    }
    if (options.threads > 0)
        SetWalkThreadCount(options.threads);
    // Every folder is checked first, so a mistake never leaves half a result behind.
    const bool takesFiles = options.command == CliCommand::View || options.command == CliCommand::Strings;
    for (const std::string& folder : takesFiles ? std::vector<std::string>() : options.folders) {
        FolderHandle h = FolderHandle::open(folder);
        if (!h.valid()) {
            warn("cannot open folder " + shown(folder) + ": " + std::strerror(h.error()));
            return 2;
        }
    }
    for (const std::string& file : options.scans) {
        g_scans.push_back(std::make_unique<SavedScan>());
        if (!g_scans.back()->open(file)) {
            warn(shown(g_scans.back()->error()));
            return 2;
        }
    }

    QCoreApplication app(argc, argv); // the file-type names need the application's data paths
    StderrMessages messages;
    MessageService::install(&messages);

    const int written = options.command == CliCommand::Folders ? runFolders(options)
                        : options.command == CliCommand::DupFolders ? runDupFolders(options)
                        : options.command == CliCommand::Dates ? runDates(options)
                        : options.command == CliCommand::Stats ? runStats(options)
                        : options.command == CliCommand::View ? runView(options)
                        : options.command == CliCommand::Strings ? runStrings(options)
                                                               : runFiles(options);
    MessageService::install(nullptr);
    if (written != 0)
        return written;
    // Some filesystems report a failed write only when the file is closed.
    if (::close(STDOUT_FILENO) != 0 && errno != EINTR)
        return writeFailed(errno);
    return 0;
}
