// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/ui/TfrmHistory.h"

#include "common/DisplayText.h"
#include "common/DosDateTime.h"
#include "common/MessageService.h"
#include "common/NumberTexts.h"
#include "common/ui/AltKeyGuard.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/CopyLinesToClipboard.h"
#include "common/ui/DpiScale.h"
#include "common/ui/ResultGridView.h"
#include "common/ui/StatusPanel.h"
#include "delete/ui/DeleteRunPacer.h"
#include "delete/ui/TfrmFilesLeft.h"
#include "journal/JournalUndo.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

enum RunColumn { RunId, RunDate, RunTime, RunTool, RunMode, RunFiles, RunBytes, RunRestorable, RunRestored };
enum FileColumn { FileName, FileFolder, FileSize, FileOutcome };

// In the forms of the file dates and times of every list.
QString dateText(std::int64_t seconds) {
    return QLocale().toString(QDateTime::fromSecsSinceEpoch(seconds).date(), FileDateFormat());
}
QString timeText(std::int64_t seconds) {
    return QLocale().toString(QDateTime::fromSecsSinceEpoch(seconds).time(), FileTimeFormat());
}

QString modeText(const JournalRunHeader& header) {
    return header.recycle ? QStringLiteral("Recycle bin") : QStringLiteral("Deleted");
}

} // namespace

// The files of the run shown, rendered from its journal lines only when a row is shown.
class TfrmHistory::FileRows : public GridRowSource {
public:
    explicit FileRows(JournalRun run) : m_run(std::move(run)) {}
    const JournalRun& run() const { return m_run; }

    QString cellText(std::uint32_t key, int column) const override {
        const JournalFileRecord file = m_run.file(key);
        switch (column) {
        case FileName:
            return DisplayText(file.name);
        case FileFolder: {
            JournalFileRecord folder = file;
            folder.name.clear();
            return DisplayText(folder.path());
        }
        case FileSize:
            return FormatThousands(file.size);
        case FileOutcome:
            return outcomeText(key, file);
        default:
            return {};
        }
    }

    QString outcomeText(std::uint32_t key, const JournalFileRecord& file) const {
        switch (file.outcome) {
        case JournalOutcome::Deleted:
            return QStringLiteral("Deleted");
        case JournalOutcome::Failed:
            return QStringLiteral("Stayed: ") + QString::fromStdString(file.reason);
        case JournalOutcome::Trashed:
            break;
        }
        switch (m_run.restoreState(key)) {
        case JournalRun::Restore::Restored:
            return QStringLiteral("Restored");
        case JournalRun::Restore::Failed:
            return QStringLiteral("Not restored: ") + QString::fromStdString(m_run.restoreReason(key));
        case JournalRun::Restore::None:
            break;
        }
        return QStringLiteral("Sent to the recycle bin");
    }

private:
    JournalRun m_run;
};

TfrmHistory::TfrmHistory(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(QStringLiteral("History of deletes"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    const double s = DpiScale(this);

    lblRuns =
        new QLabel(QStringLiteral("Every delete run of every window, newest first. Select a run to see its "
                                  "files; Undo puts the files it sent to the recycle bin back where they "
                                  "were."),
                   this);
    lblRuns->setObjectName(QStringLiteral("lblRuns"));
    lblRuns->setWordWrap(true);

    m_runs = new StringGridModel(this);
    m_runs->setTitles({QStringLiteral("Run"), QStringLiteral("Date"), QStringLiteral("Time"),
                       QStringLiteral("Tool"), QStringLiteral("Mode"), QStringLiteral("Files"),
                       QStringLiteral("Bytes"), QStringLiteral("In the bin"), QStringLiteral("Restored")});
    gridRuns = new ResultGridView(this);
    gridRuns->setObjectName(QStringLiteral("gridRuns"));
    gridRuns->setModel(m_runs);
    gridRuns->setToolTip(QStringLiteral("Select a run to see its files"));

    lblFiles = new QLabel(this);
    lblFiles->setObjectName(QStringLiteral("lblFiles"));
    lblFiles->setTextFormat(Qt::PlainText);
    QFont bold = lblFiles->font();
    bold.setBold(true);
    lblFiles->setFont(bold);

    m_files = new StringGridModel(this);
    m_files->setTitles({QStringLiteral("Name"), QStringLiteral("Folder"), QStringLiteral("Size"),
                        QStringLiteral("What became of it")});
    gridFiles = new ResultGridView(this);
    gridFiles->setObjectName(QStringLiteral("gridFiles"));
    gridFiles->setModel(m_files);

    auto* Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    auto* buttons = new QHBoxLayout(Panel2);
    buttons->setContentsMargins(Scaled(8, s), Scaled(3, s), Scaled(8, s), Scaled(3, s));
    auto button = [&](const char* name, const QString& text, const QString& hint, int width) {
        auto* b = new QPushButton(text, Panel2);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setAutoDefault(false);
        b->setFixedSize(Scaled(width, s), Scaled(28, s));
        return b;
    };
    btUndo =
        button("btUndo", QStringLiteral("&Undo"),
               QStringLiteral("Put the files this run sent to the recycle bin back where they were"), 97);
    btCopy = button("btCopy", QStringLiteral("&Clipboard"),
                    QStringLiteral("Copy the run's files to the clipboard"), 97);
    btClose = button("btClose", QStringLiteral("Close"), QString(), 75);
    btClose->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    buttons->addWidget(btUndo);
    buttons->addWidget(btCopy);
    buttons->addStretch(1);
    buttons->addWidget(btClose);

    pnlStatus = NewStatusPanel("pnlStatus", FinderStatusFont(), this);
    pnlStatus->setFixedHeight(Scaled(23, s));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, Scaled(6, s), 0, 0);
    layout->setSpacing(Scaled(4, s));
    auto* top = new QVBoxLayout;
    top->setContentsMargins(Scaled(8, s), 0, Scaled(8, s), 0);
    top->addWidget(lblRuns);
    layout->addLayout(top);
    layout->addWidget(gridRuns, 2);
    auto* middle = new QVBoxLayout;
    middle->setContentsMargins(Scaled(8, s), 0, Scaled(8, s), 0);
    middle->addWidget(lblFiles);
    layout->addLayout(middle);
    layout->addWidget(gridFiles, 3);
    layout->addWidget(Panel2);
    layout->addWidget(pnlStatus);

    const int date = gridRuns->columnWidthFor(ResultGridView::dateSamples());
    const int time = gridRuns->columnWidthFor(ResultGridView::timeSamples());
    const int bytes = gridRuns->columnWidthFor({QStringLiteral("999,999,999,999")});
    const int count = gridRuns->columnWidthFor({QStringLiteral("In the bin"), QStringLiteral("999,999")});
    const int tool = gridRuns->columnWidthFor({JournalToolText(JournalTool::Browser)});
    const int mode = gridRuns->columnWidthFor({QStringLiteral("Recycle bin")});
    const int widths[] = {Scaled(40, s), date, time, tool, mode, count, bytes, count, count};
    for (int c = 0; c < int(std::size(widths)); ++c)
        gridRuns->setColumnWidth(c, widths[c]);
    gridRuns->horizontalHeader()->setStretchLastSection(true);
    gridFiles->setColumnWidth(FileName, Scaled(180, s));
    gridFiles->setColumnWidth(FileSize, bytes);
    gridFiles->setColumnWidth(FileOutcome, Scaled(190, s));

    new AltKeyGuard(this);
    gridFiles->viewport()->installEventFilter(this);
    connect(gridRuns->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { showRun(current.row() + 1); });
    connect(btUndo, &QPushButton::clicked, this, &TfrmHistory::btUndoClick);
    connect(btCopy, &QPushButton::clicked, this, &TfrmHistory::btCopyClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);

    resize(Scaled(720, s), Scaled(480, s));
    refresh();
}

bool TfrmHistory::eventFilter(QObject* watched, QEvent* event) {
    if (watched == gridFiles->viewport() && event->type() == QEvent::Resize) {
        // The folder column takes what the window gives beyond the others.
        int others = 0;
        for (int c : {FileName, FileSize, FileOutcome})
            others += gridFiles->columnWidth(c);
        gridFiles->setColumnWidth(
            FileFolder, std::max(Scaled(150, DpiScale(this)), gridFiles->viewport()->width() - others));
    }
    return QDialog::eventFilter(watched, event);
}

TfrmHistory::~TfrmHistory() {
    // The files grid renders from the run: drop its rows before the run goes.
    m_files->clearRows();
}

void TfrmHistory::refresh() {
    BusyCursor busy;
    const std::int64_t selected = selectedRun();
    const DeleteJournal journal = DeleteJournal::open(false);
    m_list = journal.valid() ? ListJournalRuns(journal) : std::vector<JournalRunSummary>();
    m_runs->clearRows();
    std::int64_t damaged = 0;
    QStringList unreadable;
    for (const JournalRunSummary& r : m_list) {
        if (r.error != 0) {
            unreadable << QStringLiteral("Run %1 cannot be read: ").arg(r.id) + r.errorText;
            m_runs->appendTextRow({QString::number(r.id), QString(), QString(), QString(), QString(),
                                   QString(), QString(), QString(), QString()});
            continue;
        }
        damaged += r.brokenLines;
        if (r.brokenLines > 0)
            unreadable
                << QStringLiteral("Run %1: %2 damaged lines were skipped").arg(r.id).arg(r.brokenLines);
        QString mode = modeText(r.header);
        if (!r.finished)
            mode += QStringLiteral(" (cut short)");
        m_runs->appendTextRow({QString::number(r.id), dateText(r.header.startTime),
                               timeText(r.header.startTime), JournalToolText(r.header.tool), mode,
                               FormatThousands(r.files), FormatThousands(r.bytes),
                               r.header.recycle ? FormatThousands(r.restorable) : QString(),
                               r.header.recycle ? FormatThousands(r.restored) : QString()});
    }
    QString status = m_list.empty()
                         ? QStringLiteral("No delete runs in the journal")
                         : FormatThousands(std::int64_t(m_list.size())) +
                               (m_list.size() == 1 ? QStringLiteral(" run") : QStringLiteral(" runs")) +
                               QStringLiteral(" in the journal");
    if (!unreadable.isEmpty())
        status += QStringLiteral("; some of it could not be read (point here to see which)");
    pnlStatus->setText(status);
    pnlStatus->setToolTip(QString::fromStdString(DeleteJournal::folderPath()) +
                          (unreadable.isEmpty() ? QString() : u'\n' + unreadable.join(u'\n')));
    if (!journal.valid() && journal.error() != ENOENT)
        pnlStatus->setText(QStringLiteral("The journal cannot be read: ") + journal.reason());
    selectRun(selected);
    if (m_runs->gridRowCount() > 1 && gridRuns->currentGridRow() == 0)
        gridRuns->setCurrentGridRow(1);
    showRun(gridRuns->currentGridRow());
}

void TfrmHistory::selectRun(std::int64_t id) {
    for (std::size_t i = 0; i < m_list.size(); ++i)
        if (m_list[i].id == id)
            gridRuns->setCurrentGridRow(int(i) + 1);
}

std::int64_t TfrmHistory::selectedRun() const {
    const int row = gridRuns->currentGridRow();
    return row >= 1 && std::size_t(row) <= m_list.size() ? m_list[std::size_t(row) - 1].id : 0;
}

void TfrmHistory::showRun(int gridRow) {
    m_files->clearRows();
    m_rows.reset();
    if (gridRow < 1 || std::size_t(gridRow) > m_list.size()) {
        lblFiles->setText(QString());
        updateButtons();
        return;
    }
    const JournalRunSummary& summary = m_list[std::size_t(gridRow) - 1];
    m_rows = std::make_unique<FileRows>(JournalRun::read(DeleteJournal::open(false), summary.id));
    m_files->setRowSource(m_rows.get());
    std::vector<std::uint32_t> keys(m_rows->run().fileCount());
    for (std::uint32_t i = 0; i < keys.size(); ++i)
        keys[i] = i;
    m_files->appendKeyRows(keys);
    QString title = QStringLiteral("Run %1: ").arg(summary.id);
    if (summary.error != 0)
        title += summary.errorText;
    else if (!summary.header.subject.empty())
        title += QStringLiteral("the folder ") + DisplayText(summary.header.subject);
    else
        title += QStringLiteral("marked files");
    lblFiles->setText(title);
    updateButtons();
}

void TfrmHistory::updateButtons() {
    const int row = gridRuns->currentGridRow();
    const bool any = row >= 1 && std::size_t(row) <= m_list.size();
    const JournalRunSummary* run = any ? &m_list[std::size_t(row) - 1] : nullptr;
    btUndo->setEnabled(run && run->error == 0 && run->header.recycle &&
                       (run->restorable > 0 || run->foldersToMake > 0));
    btCopy->setEnabled(m_rows && m_rows->run().fileCount() > 0);
}

void TfrmHistory::btUndoClick() {
    const std::int64_t id = selectedRun();
    if (id == 0 || !btUndo->isEnabled())
        return;
    if (AskYesNo(QStringLiteral("Put the files of run %1 back where they were?").arg(id)) !=
        MessageAnswer::Yes)
        return;
    UndoReport report;
    {
        // The window repaints while files come back, but nothing else starts meanwhile.
        BusyCursor busy;
        m_undoing = true;
        for (QPushButton* b : {btUndo, btCopy, btClose})
            b->setEnabled(false);
        gridRuns->setEnabled(false);
        DeleteRunPacer pacer(15);
        report = UndoRun(id, [&](std::int64_t, std::int64_t) {
            pacer.yield();
            return true;
        });
        m_undoing = false;
        gridRuns->setEnabled(true);
        btClose->setEnabled(true);
    }
    refresh();
    selectRun(id);
    const QString summary = UndoSummary(report);
    if (report.left.count() > 1)
        ShowFilesLeft(this, summary, report.left);
    else if (report.left.count() == 1)
        ShowErrorMessage(summary + QStringLiteral("\n\n") + DisplayText(report.left.kept().front().path) +
                         u'\n' + report.left.kept().front().reason);
    else if (report.allBack())
        ShowInfoMessage(summary);
    else
        ShowWarningMessage(summary);
}

void TfrmHistory::reject() {
    if (!m_undoing)
        QDialog::reject();
}

void TfrmHistory::closeEvent(QCloseEvent* event) {
    if (m_undoing) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrmHistory::btCopyClick() {
    QStringList lines;
    lines << m_files->titles().join(u'\t');
    for (int row = 1; row < m_files->gridRowCount(); ++row) {
        QStringList cells;
        for (int c = 0; c < m_files->columnCountAll(); ++c)
            cells << m_files->cellText(row, c);
        lines << cells.join(u'\t');
    }
    CopyLinesToClipboard(lines);
}

void OpenHistory(QWidget* parent) {
    TfrmHistory history(parent);
    history.exec();
}
