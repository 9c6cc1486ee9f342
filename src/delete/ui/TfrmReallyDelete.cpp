// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/ui/TfrmReallyDelete.h"

#include "common/DisplayText.h"
#include "common/MessageService.h"
#include "common/NumberTexts.h"
#include "common/SaturatingSum.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/DpiScale.h"
#include "delete/DeletionTotals.h"
#include "delete/FilesLeft.h"
#include "delete/ListedFileRemoval.h"
#include "delete/ui/DeleteRunPacer.h"
#include "delete/ui/DeleteWindowLayout.h"
#include "delete/ui/FreedSpaceLine.h"
#include "delete/ui/TfrmFilesLeft.h"
#include "journal/JournalWriter.h"
#include "platform/AppError.h"
#include "platform/Trash.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>
#include <set>

namespace {
// Ignoring ASCII case; names that differ only in case keep a fixed order by their bytes.
bool lessIgnoringAsciiCase(const std::string& a, const std::string& b) {
    const int folded = CompareFolded(a, b);
    return folded != 0 ? folded < 0 : a < b;
}

QString couldNotDelete(const std::string& path, const QString& reason) {
    return QStringLiteral("Couldn't delete file - ") + DisplayText(path) + u'\n' + reason;
}

const QString kBinFull =
    QStringLiteral("An error occurred sending files to the recycle bin.  The bin may be full.");

QString filesText(std::int64_t files) {
    return FormatThousands(files) + (files == 1 ? QStringLiteral(" file") : QStringLiteral(" files"));
}

// The caller's figure is a double holding a whole number; a total that reached the 64-bit limit
// shows as that limit, and what is no number at all as 0.
qint64 wholeBytes(double value) {
    constexpr double limit = 9223372036854775808.0; // 2^63, the first value beyond the range
    if (!std::isfinite(value))
        return 0;
    if (value >= limit)
        return std::numeric_limits<qint64>::max();
    if (value <= -limit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(std::trunc(value));
}
} // namespace

QString recycleWarningText() {
    return QStringLiteral(
               "Note that the recycle bin may be full, or that some filesystems (RAM disks, some "
               "network shares and removable disks) have no recycle bin: files that cannot be sent "
               "there stay where they are. Files in the recycle bin still take up disk space until "
               "the bin is emptied. ") +
           QStringLiteral("\n\nSend to the recycle bin anyway?");
}

// What a run did and what it left.
struct TfrmReallyDelete::Run {
    std::int64_t files = 0;        // files that went
    std::int64_t bytes = 0;        // their listed sizes
    FilesLeft left;                // files that failed, with their reasons
    std::int64_t notAttempted = 0; // files after a stop
    bool stopped = false;          // the user stopped the run
    bool binFull = false;          // the trash or its disk was full
    bool journalStopped = false;   // a trash run stopped when its journal could not be written
    QString journalFailure;        // why the run is not in the journal
};

TfrmReallyDelete::TfrmReallyDelete(QWidget* parent) : QDialog(parent) {
    const double scale = setUpDeleteWindow(
        this, "frmReallyDelete", QStringLiteral("Delete/rename the following files:"), true, 622, 400);
    auto s = [scale](int designPixels) { return Scaled(designPixels, scale); };

    auto* Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setGeometry(0, 0, s(622), s(321));

    lblDelete = makeLabel(Panel2, "lblDelete", QStringLiteral("The following files will be deleted:"));
    lblDelete->move(s(6), s(7));
    Label3 = makeLabel(Panel2, "Label3", QStringLiteral("Potential savings of "));
    Label3->move(s(327), s(7));
    lblSavings = makeLabel(Panel2, "lblSavings", QStringLiteral("9,999,999,999 bytes"));
    lblSavings->move(s(477), s(7));

    lb1 = new QListWidget(Panel2);
    lb1->setObjectName(QStringLiteral("lb1"));
    lb1->setGeometry(s(7), s(32), s(606), s(241));
    lb1->setSelectionMode(QAbstractItemView::SingleSelection);
    lb1->setFocusPolicy(Qt::NoFocus);
    lb1->setUniformItemSizes(true);
    QPalette listPalette = lb1->palette();
    listPalette.setColor(QPalette::Base, listPalette.color(QPalette::Button));
    lb1->setPalette(listPalette);

    btDelete = makeButton(Panel2, "btDelete", QStringLiteral("&Delete all files"),
                          QStringLiteral("Delete the files shown above permanently.  Cannot be undeleted."));
    btDelete->setGeometry(s(206), s(282), s(195), s(30));
    btRecycle = makeButton(Panel2, "btRecycle", QStringLiteral("&Send to recycle bin"),
                           QStringLiteral("Send to recycle bin.  Recycle bin can be emptied later."));
    btRecycle->setGeometry(s(418), s(282), s(195), s(30));
    // The space the delete really frees, in the free place left of the buttons.
    lblFreed = makeLabel(Panel2, "lblFreed", QString());
    lblFreed->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setDeleteWindowFont(lblFreed, 7, false);
    lblFreed->setGeometry(s(7), s(275), s(193), s(45));
    m_freed = new FreedSpaceLine(lblFreed, true, true);

    Label2 = makeLabel(this, "Label2",
                       QStringLiteral("WARNING: The file(s) that you selected to delete may belong to working "
                                      "applications.  Vantorel cannot determine if they are needed for proper "
                                      "operation of other applications.  If in doubt do not delete these files. "));
    Label2->setWordWrap(true);
    // Wider fonts than the original's need a third line; the space above the bar allows it.
    Label2->setGeometry(s(5), s(327), s(614), std::clamp(Label2->heightForWidth(s(614)), s(32), s(41)));
    Label2->setStyleSheet(QStringLiteral("color: blue;"));

    bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("bar"));
    bar->setGeometry(s(8), s(369), s(433), s(20));
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setToolTip(QStringLiteral("Progress bar"));

    btClose = makeButton(this, "btClose", QStringLiteral("Cancel"),
                         QStringLiteral("Cancel and close.  Do not rename or delete "));
    btClose->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    btClose->setGeometry(s(482), s(365), s(129), s(28));

    connect(btDelete, &QPushButton::clicked, this, &TfrmReallyDelete::btDeleteAllClick);
    connect(btRecycle, &QPushButton::clicked, this, &TfrmReallyDelete::btRecycleClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmReallyDelete::setFileList(const std::vector<ListedEntry>& files) {
    std::vector<std::pair<std::string, const ListedEntry*>> byPath;
    byPath.reserve(files.size());
    for (const ListedEntry& file : files)
        byPath.emplace_back(file.path(), &file);
    std::stable_sort(byPath.begin(), byPath.end(),
                     [](const auto& a, const auto& b) { return lessIgnoringAsciiCase(a.first, b.first); });
    m_files.clear();
    m_files.reserve(files.size());
    lb1->clear();
    const int itemHeight = std::max(Scaled(13, DpiScale(this)), lb1->fontMetrics().height());
    for (const auto& [path, file] : byPath) {
        m_files.push_back(*file);
        auto* item = new QListWidgetItem(DisplayText(path), lb1);
        item->setSizeHint(QSize(0, itemHeight));
    }
}

void TfrmReallyDelete::setSavings(double bytes) { m_savings = bytes; }

void TfrmReallyDelete::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        centreOnScreen(this);
        FormShow();
    }
}

void TfrmReallyDelete::FormShow() {
    lblSavings->setText(FormatThousands(wholeBytes(m_savings)) + QStringLiteral(" bytes"));
    lblSavings->adjustSize();
    UpdateHeaders();
    // Nothing is offered that cannot be done: files that all lie where no trash is kept cannot go
    // there. The filesystem decides, so one file per device tells.
    bool anyTrash = m_files.empty();
    std::set<dev_t> devices;
    for (const ListedEntry& file : m_files) {
        if (anyTrash)
            break;
        if (devices.insert(file.identity.device).second)
            anyTrash = Trash::canTrash(file.folderPath());
    }
    btRecycle->setEnabled(anyTrash);
    btRecycle->setToolTip(anyTrash
                              ? QStringLiteral("Send to recycle bin.  Recycle bin can be emptied later.")
                              : QStringLiteral("These files lie on a filesystem that has no recycle bin."));
    if (!m_files.empty())
        m_freed->countFiles(m_files);
}

bool TfrmReallyDelete::countingFreedSpace() const {
    return m_freed->counting();
}

void TfrmReallyDelete::UpdateHeaders() {
    lblDelete->setText(QStringLiteral("The following ") + QString::number(m_files.size()) +
                       QStringLiteral(" files will be deleted."));
    lblDelete->adjustSize();
}

void TfrmReallyDelete::clearList() {
    m_files.clear();
    lb1->clear();
}

void TfrmReallyDelete::btDeleteAllClick() {
    if (m_files.empty()) {
        ShowWarningMessage(QStringLiteral("There are no files to delete"));
        return;
    }
    if (AskYesNo(QStringLiteral("Really delete?")) != MessageAnswer::Yes) {
        ShowInfoMessage(QStringLiteral("Files not deleted"));
        return;
    }
    finishRun(removeListedFiles(false, JournalWriter::begin(m_tool, false)), false);
}

void TfrmReallyDelete::btRecycleClick() {
    if (AskYesNo(recycleWarningText()) != MessageAnswer::Yes) {
        ShowInfoMessage(QStringLiteral("Files not deleted"));
        return;
    }
    // What goes to the bin is to be put back from the journal: no record, no run.
    JournalWriter journal = JournalWriter::begin(m_tool, true);
    if (!m_files.empty() && !journal.openNow()) {
        ShowErrorMessage(journal.refusal());
        return;
    }
    finishRun(removeListedFiles(true, std::move(journal)), true);
}

void TfrmReallyDelete::reject() {
    if (m_running) {
        m_stopAsked = true;
        return;
    }
    QDialog::reject();
}

void TfrmReallyDelete::closeEvent(QCloseEvent* event) {
    if (m_running) {
        m_stopAsked = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

TfrmReallyDelete::Run TfrmReallyDelete::removeListedFiles(bool recycle, JournalWriter journal) {
    Run run;
    BusyCursor busy;
    // The files are going now: counting them further would only slow the run.
    m_freed->stop();
    // Only Cancel answers while the run lets the event loop in.
    btDelete->setEnabled(false);
    btRecycle->setEnabled(false);
    m_running = true;
    m_stopAsked = false;
    const std::size_t count = m_files.size();
    bar->setRange(0, static_cast<int>(count) - 1);
    DeleteRunPacer pacer(m_yieldIntervalMs);
    for (std::size_t i = 0; i < count; ++i) {
        if (m_stopAsked) {
            run.stopped = true;
            run.notAttempted = std::int64_t(count - i);
            break;
        }
        bar->setValue(static_cast<int>(i));
        const ListedEntry& file = m_files[i];
        QString keptChanged;
        const RemovalOutcome outcome = !m_kept.mayRemove(file.identity, &keptChanged)
                                           ? RemovalOutcome{ESTALE, keptChanged}
                                       : recycle ? sendToRecycleBin(file)
                                                 : RemoveListedFile(file, false);
        journal.file(file, outcome);
        if (recycle && journal.failed()) {
            // What goes on would go where the journal cannot bring it back from.
            if (outcome.ok()) {
                ++run.files;
                run.bytes = SaturatingAdd(run.bytes, file.size);
            } else {
                run.left.add(file.path(), outcome.reason);
            }
            run.notAttempted = std::int64_t(count - i - 1);
            run.journalStopped = true;
            break;
        }
        if (outcome.ok()) {
            ++run.files;
            run.bytes = SaturatingAdd(run.bytes, file.size);
        } else {
            run.left.add(file.path(), outcome.reason);
            // The next file would not fit either; every other failure is this file's own.
            if (recycle && IsFullDiskError(outcome.error)) {
                run.binFull = true;
                run.notAttempted = std::int64_t(count - i - 1);
                break;
            }
        }
        pacer.yield();
    }
    m_running = false;
    journal.end(run.notAttempted, run.stopped);
    run.journalFailure = run.journalStopped ? journal.stoppedReason() : journal.failure();
    return run;
}

void TfrmReallyDelete::reportRun(const Run& run, bool recycled) {
    const std::int64_t left = run.left.count();
    if (left == 0 && run.notAttempted == 0)
        return;
    const FilesLeft::Item* only = left == 1 ? &run.left.kept().front() : nullptr;
    if (only && run.notAttempted == 0 && !run.binFull) {
        ShowErrorMessage(couldNotDelete(only->path, only->reason));
        return;
    }
    QStringList parts;
    if (run.binFull)
        parts << kBinFull;
    if (left > 0 && !(only && run.binFull))
        parts << FilesStayedText(left, recycled);
    if (run.notAttempted > 0)
        parts << (run.stopped ? QStringLiteral("Stopped: ") : QString()) + FormatThousands(run.notAttempted) +
                     (run.notAttempted == 1
                          ? QStringLiteral(" file was not attempted and stayed where it was.")
                          : QStringLiteral(" files were not attempted and stayed where they were."));
    const QString header = parts.join(QStringLiteral("\n\n"));
    if (left == 0)
        ShowInfoMessage(header);
    else if (only)
        ShowErrorMessage(header + QStringLiteral("\n\n") + DisplayText(only->path) + u'\n' + only->reason);
    else
        ShowFilesLeft(this, header, run.left);
}

void TfrmReallyDelete::finishRun(const Run& run, bool recycled) {
    reportRun(run, recycled);
    if (!run.journalFailure.isEmpty())
        ShowWarningMessage(run.journalFailure);
    // Only what really went is recorded. The files are gone whatever the totals file does, so the
    // window ends as after any run; a failed write only says what it could not record.
    try {
        if (run.files == 0)
            ; // a run that removed nothing has nothing to record
        else if (recycled)
            DeletionTotals::addDeletionTotals(0, 0, run.files, run.bytes);
        else
            DeletionTotals::addDeletionTotals(run.files, run.bytes, 0, 0);
    } catch (const AppError& error) {
        ShowErrorMessage(error.text() + QStringLiteral("\n\nNot recorded in the totals: ") + filesText(run.files) +
                         QStringLiteral(" and ") + FormatThousands(run.bytes) +
                         (recycled ? QStringLiteral(" bytes sent to the recycle bin.")
                                   : QStringLiteral(" bytes deleted.")));
    }
    clearList();
    UpdateHeaders();
    accept();
}

TrashOutcome TfrmReallyDelete::sendToRecycleBin(const ListedEntry& file) { return TrashListedFile(file); }
