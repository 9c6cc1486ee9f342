// SPDX-License-Identifier: GPL-3.0-or-later
#include "scans/cli/ScanCommands.h"

#include "cli/CliOptions.h"
#include "cli/CliText.h"
#include "cli/JsonResults.h"
#include "common/JsonText.h"
#include "cli/ResultOutput.h"
#include "common/WalkReport.h"
#include "platform/FolderHandle.h"
#include "platform/FolderVisitorPair.h"
#include "scans/FolderTotals.h"
#include "scans/SavedScan.h"
#include "scans/ScanExporter.h"
#include "scans/ScanOutput.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Says what a walk could not read, as the other commands do (a mount is not entered by design: no
// failure).
class SkipWarnings : public FolderVisitor {
public:
    SkipWarnings() {
        m_skipped.setReporter([](const std::string& path, int error) {
            CliWarn("cannot read " + CliShown(path) + ": " + std::strerror(error));
        });
    }
    bool wantsEveryEntry() override { return true; }
    void folderSkipped(const FolderHandle& folder, std::string_view name, int error) override {
        m_skipped.addFolder(folder, name, error);
    }
    void entrySkipped(const FolderHandle& folder, std::string_view name, int error) override {
        m_skipped.addEntry(folder, name, error);
    }

private:
    SkippedEntries m_skipped;
};

bool endsWith(const std::string& s, const char* tail) {
    const std::size_t n = std::strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// One side of a comparison: a folder walked now, or a saved scan read. False after a message.
bool totalsOf(const std::string& source, FolderTotals& totals) {
    struct stat st {};
    SkipWarnings warnings;
    if (::stat(source.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        FolderWalker walker;
        FolderVisitorPair both(totals, warnings);
        if (!walker.walk(source, both) && totals.folders().empty()) {
            CliWarn("cannot open folder " + CliShown(source));
            return false;
        }
        return true;
    }
    SavedScan scan;
    if (!scan.open(source)) {
        CliWarn(CliShown(scan.error()));
        return false;
    }
    FolderVisitorPair both(totals, warnings);
    scan.replay().replay(both);
    if (scan.failed()) {
        CliWarn(CliShown(scan.error()));
        return false;
    }
    return true;
}

// compare --json: a line per change, then the summary with the count of each kind.
int writeChangesJson(const std::vector<FolderChange>& changes, const FolderTotals& older,
                     const FolderTotals& newer) {
    JsonLines lines(STDOUT_FILENO);
    std::int64_t kinds[4] = {0, 0, 0, 0};
    for (const FolderChange& c : changes) {
        ++kinds[c.kind];
        JsonObject o(lines.buffer());
        o.string("path", ChangePath(c, older, newer)).number("change", c.change());
        o.number("old_size", c.oldBytes).number("new_size", c.newBytes).string("kind", FolderChange::kindText(c.kind));
        o.end();
        lines.endLine();
    }
    std::string& out = lines.buffer();
    out += "{\"summary\":";
    JsonObject summary(out);
    summary.string("command", "compare").number("changes", std::int64_t(changes.size()));
    summary.number("grown", kinds[FolderChange::Grown]).number("shrunk", kinds[FolderChange::Shrunk]);
    summary.number("added", kinds[FolderChange::Added]).number("removed", kinds[FolderChange::Removed]);
    summary.end();
    out += '}';
    lines.endLine();
    return lines.finish();
}

} // namespace

int RunExportCommand(const CliOptions& options, int argc, char** argv) {
    const std::string& output = options.output;
    const std::string& folder = options.folders.front();
    {
        FolderHandle h = FolderHandle::open(folder);
        if (!h.valid()) {
            CliWarn("cannot open folder " + CliShown(folder) + ": " + std::strerror(h.error()));
            return 2;
        }
    }
    QCoreApplication app(argc, argv);
    ScanOutput out;
    if (int failed = out.open(output, endsWith(output, ".zst"))) {
        CliWarn("cannot write " + CliShown(output) + ": " + std::strerror(failed));
        return 2;
    }
    ScanExporter exporter(out, ScanExporter::Kind::Export);
    SkipWarnings warnings;
    FolderVisitorPair both(exporter, warnings);
    FolderWalker walker;
    exporter.begin();
    walker.walk(folder, both);
    if (!exporter.end()) {
        out.discard();
        return 2; // the root could not be opened after all: said by the warnings
    }
    if (int failed = out.finish()) {
        CliWarn("cannot write " + CliShown(output == "-" ? "standard output" : output) + ": " +
                std::strerror(failed));
        return 2;
    }
    return 0;
}

int RunCompareCommand(const CliOptions& options, int argc, char** argv) {
    const std::vector<std::string>& operands = options.folders;
    const bool all = options.allFolders;
    QCoreApplication app(argc, argv);
    FolderTotals older, newer;
    if (!totalsOf(operands[0], older) || !totalsOf(operands[1], newer))
        return 2;
    if (older.rootPath() != newer.rootPath()) {
        CliWarn("cannot compare scans of different folders: " + CliShown(older.rootPath()) + " and " +
                CliShown(newer.rootPath()));
        return 2;
    }
    const std::vector<FolderChange> changes = CompareFolderTotals(older, newer, all);
    if (changes.empty())
        std::fputs("No changes.\n", stderr);
    if (options.json) {
        if (int failed = writeChangesJson(changes, older, newer)) {
            CliWarn(std::string("cannot write to standard output: ") + std::strerror(failed));
            return 2;
        }
        return changes.empty() ? 1 : 0;
    }
    if (changes.empty())
        return 1;
    std::string block;
    for (const FolderChange& c : changes) {
        block += ChangeLine(c, older, newer);
        block += '\n';
        if (block.size() >= (1 << 16)) {
            if (int failed = WriteAll(STDOUT_FILENO, block)) {
                CliWarn(std::string("cannot write to standard output: ") + std::strerror(failed));
                return 2;
            }
            block.clear();
        }
    }
    if (int failed = WriteAll(STDOUT_FILENO, block)) {
        CliWarn(std::string("cannot write to standard output: ") + std::strerror(failed));
        return 2;
    }
    return 0;
}
