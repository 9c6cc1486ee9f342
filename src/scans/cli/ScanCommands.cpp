// SPDX-License-Identifier: GPL-3.0-or-later
#include "scans/cli/ScanCommands.h"

#include "cli/CliText.h"
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

// The arguments after the command: options (each in options, with its value when it takes one) and
// operands; "--" ends the options.
bool splitArguments(int argc, char** argv, const std::vector<std::string>& flags,
                    const std::vector<std::string>& valued,
                    std::vector<std::pair<std::string, std::string>>& options,
                    std::vector<std::string>& operands) {
    bool over = false;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.empty()) {
            CliWarn("an empty argument names nothing");
            return false;
        }
        if (over || a[0] != '-' || a == "-") {
            operands.push_back(a);
        } else if (a == "--") {
            over = true;
        } else if (std::find(flags.begin(), flags.end(), a) != flags.end()) {
            options.emplace_back(a, std::string());
        } else if (std::find(valued.begin(), valued.end(), a) != valued.end()) {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                CliWarn(a + " needs a value");
                return false;
            }
            options.emplace_back(a, argv[++i]);
        } else {
            CliWarn("unknown option '" + a + "' (see --help)");
            return false;
        }
    }
    return true;
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

} // namespace

int RunExportCommand(int argc, char** argv) {
    std::vector<std::pair<std::string, std::string>> options;
    std::vector<std::string> operands;
    if (!splitArguments(argc, argv, {}, {"--output"}, options, operands))
        return 2;
    if (operands.size() != 1) {
        CliWarn(operands.empty() ? "no FOLDER given (see --help)" : "export takes one FOLDER");
        return 2;
    }
    std::string output = "-";
    for (const auto& [option, value] : options)
        output = value;
    const std::string& folder = operands.front();
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
        CliWarn("cannot write " + CliShown(output) + ": " + ScanOutput::reason(failed));
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
                ScanOutput::reason(failed));
        return 2;
    }
    return 0;
}

int RunCompareCommand(int argc, char** argv) {
    std::vector<std::pair<std::string, std::string>> options;
    std::vector<std::string> operands;
    if (!splitArguments(argc, argv, {"--all"}, {}, options, operands))
        return 2;
    if (operands.size() != 2) {
        CliWarn("compare takes OLD and NEW, each a saved scan or a folder (see --help)");
        return 2;
    }
    const bool all = !options.empty();
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
    if (changes.empty()) {
        std::fputs("No changes.\n", stderr);
        return 1;
    }
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
