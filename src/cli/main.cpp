// SPDX-License-Identifier: GPL-3.0-or-later
// vantorel-cli: the duplicate and file-hog scan without windows, for scripts and measurements.
// Standard output carries exactly the result lines; everything else goes to standard error.
#include "cli/CliOptions.h"
#include "common/DisplayText.h"
#include "common/MessageService.h"
#include "common/SearchPathList.h"
#include "finders/dup/DupScanEngine.h"
#include "platform/FolderHandle.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

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

// Live progress on a terminal: files seen and the folder being walked, at most ten times a second.
class Progress {
public:
    explicit Progress(const DupScanEngine& engine) : m_engine(engine), m_on(::isatty(STDERR_FILENO) == 1) {
        struct winsize ws {};
        if (m_on && ::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 20)
            m_width = ws.ws_col;
    }
    bool on() const { return m_on; }
    void folder(const QString& text) {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
        const long long ms = now.tv_sec * 1000LL + now.tv_nsec / 1000000;
        if (ms - m_lastMs < 100)
            return;
        m_lastMs = ms;
        QString line = QString::number(m_engine.filesSeen()) + QStringLiteral(" files  ") + text;
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
    const DupScanEngine& m_engine;
    bool m_on;
    bool m_shown = false;
    int m_width = 80;
    long long m_lastMs = -1000;
};

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    CliOptions options;
    std::string error;
    if (!ParseCliOptions(args, options, error)) {
        std::fprintf(stderr, "vantorel-cli: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(CliUsage(), stdout);
        return 0;
    }
    // Every folder is checked first, so a mistake never leaves half a result behind.
    for (const std::string& folder : options.folders) {
        FolderHandle h = FolderHandle::open(folder);
        if (!h.valid()) {
            std::fprintf(stderr, "vantorel-cli: cannot open folder %s: %s\n",
                         DisplayText(folder).toLocal8Bit().constData(), std::strerror(h.error()));
            return 2;
        }
    }

    QCoreApplication app(argc, argv); // the file-type names need the application's data paths
    StderrMessages messages;
    MessageService::install(&messages);
    SearchPathList::global().GetSearchPath();

    DupScanEngine engine;
    Progress progress(engine);
    if (progress.on())
        engine.setStatusHook([&](const QString& folder) { progress.folder(folder); });
    engine.begin(options.criteria);
    for (const std::string& folder : options.folders) {
        if (!engine.scanDrive(folder))
            std::fprintf(stderr, "vantorel-cli: cannot read folder %s\n", DisplayText(folder).toLocal8Bit().constData());
    }
    engine.finish(options.exact);
    progress.clear();
    MessageService::install(nullptr);

    if (engine.resultCount() == 0) {
        std::fputs("No files found.\n", stderr);
        return 1;
    }
    // Lines are gathered in a large buffer and written in big blocks.
    std::string block;
    block.reserve(1 << 20);
    for (std::size_t i = 0; i < engine.resultCount(); ++i) {
        engine.appendResultLineUtf8(i, block);
        block += '\n';
        if (block.size() >= (1u << 20) - 4096 || i + 1 == engine.resultCount()) {
            std::fwrite(block.data(), 1, block.size(), stdout);
            block.clear();
        }
    }
    if (std::fflush(stdout) != 0) {
        std::perror("vantorel-cli: writing the result");
        return 2;
    }
    return 0;
}
