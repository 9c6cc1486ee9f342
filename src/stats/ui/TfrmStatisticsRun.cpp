// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics window at work: the collection on its worker thread, the pages' figures, the
// types grid's ranks and sorts, the deletion totals and the printed page.
#include "stats/ui/TfrmStatistics.h"

#include "common/DisplayText.h"
#include "common/DosDateTime.h"
#include "common/GridSorts.h"
#include "common/MessageService.h"
#include "common/NumberTexts.h"
#include "common/SaturatingSum.h"
#include "common/StringGridModel.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/DpiScale.h"
#include "common/ui/FinderPopupMenu.h"
#include "common/ui/ResultGridView.h"
#include "common/ui/ScreenFit.h"
#include "common/ui/SkippedEntriesPanel.h"
#include "delete/DeletionTotals.h"
#include "platform/AppError.h"
#include "platform/CurrentFolder.h"
#include "platform/FileTypes.h"
#include "stats/ui/StatisticsFigures.h"
#include "stats/ui/StatisticsLabels.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {
const QString kNotAvailable = QStringLiteral("n/a");

bool IsDriveLetter(QChar letter) {
    return letter >= u'A' && letter <= u'Z';
}

QChar DriveLetterOf(const QString& driveText) {
    return driveText.isEmpty() ? QChar() : driveText.at(0).toUpper();
}

// The day counting began, from its day number (day 0 = 30 December 1899); empty for a number that
// is no day a date text can show.
QString SinceText(std::int64_t dayNumber) {
    const QDate origin(1899, 12, 30);
    if (dayNumber < 0 || dayNumber > origin.daysTo(QDate(9999, 12, 31)))
        return {};
    return QStringLiteral("Since ") + QLocale().toString(origin.addDays(dayNumber), FileDateFormat());
}

} // namespace

void TfrmStatistics::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmStatistics::closeEvent(QCloseEvent* event) {
    // The close box hides the window and keeps its figures; a run under way ends with what it has.
    if (m_collecting)
        askStop();
    event->accept();
}

void TfrmStatistics::reject() {
    btCancelClick();
}

void TfrmStatistics::FormShow() {
    if (!m_collecting) {
        ProgressBar1->hide();
        loadDrives();
    }
    {
        const QSignalBlocker quiet(PageControl1);
        PageControl1->setCurrentWidget(TabSheet3);
    }
    doDiskSize();
    updateNotYetPanel();
    // Centred on the screen the first time; after that it comes back where the user left it.
    if (m_centred)
        return;
    m_centred = true;
    CentreOnScreen(this);
}

void TfrmStatistics::PageControl1Change(int index) {
    const QWidget* page = PageControl1->widget(index);
    if (page == TabSheet8)
        showFilesDeleted();
    else if (page == TabSheet3)
        doDiskSize();
    updateNotYetPanel();
}

void TfrmStatistics::updateNotYetPanel() {
    const QWidget* page = PageControl1->currentWidget();
    pnlNotYet->setVisible(!m_collected && page != TabSheet3 && page != TabSheet8);
}

void TfrmStatistics::cbDriveClick() {
    if (PageControl1->currentWidget() == TabSheet3)
        doDiskSize();
}

void TfrmStatistics::doDiskSize() {
    const QChar letter = DriveLetterOf(cbDrive->currentText());
    // A drive that does not answer leaves the page as it was.
    if (!IsDriveLetter(letter) || !DriveReady(letter))
        return;
    if (const std::optional<DriveSpace> space = DriveSpaceOf(letter))
        showDiskSpace(letter, *space);
}

void TfrmStatistics::showDiskSpace(QChar letter, const DriveSpace& space) {
    // Used is what the files take, free what the user may still write; the blocks kept for root
    // are neither and have their own row.
    const std::int64_t total = std::max<std::int64_t>(space.totalBytes, 0);
    const std::int64_t free = std::clamp<std::int64_t>(space.freeBytes, 0, total);
    const std::int64_t reserved = std::clamp<std::int64_t>(space.reservedBytes, 0, total - free);
    const std::int64_t used = std::clamp<std::int64_t>(space.usedBytes, 0, total - free - reserved);
    m_usedSpace = used;
    const int freePercent = PercentOf(free, total);
    const int reservedPercent = PercentOf(reserved, total);
    const int usedPercent = std::max(100 - freePercent - reservedPercent, 0);
    Gauge1->setValue(usedPercent);
    const QRect gauge = Gauge1->geometry();
    const int reservedWidth =
        total > 0 ? int(std::lround(double(gauge.width()) * double(reserved) / double(total))) : 0;
    gaReserved->setGeometry(gauge.right() + 1 - reservedWidth, gauge.y(), reservedWidth, gauge.height());
    auto percentText = [](int percent) {
        return QStringLiteral("bytes (") + QString::number(percent) + QStringLiteral(" %) ");
    };
    SetFittedText(lblTotal, FormatThousands(total));
    SetFittedText(lblFree, FormatThousands(free));
    SetFittedText(lblUsed, FormatThousands(used));
    SetFittedText(lblReserved, FormatThousands(reserved));
    SetFittedText(lblPct, percentText(freePercent));
    SetFittedText(lblPct2, percentText(usedPercent));
    SetFittedText(lblPct3, percentText(reservedPercent));
    SetFittedText(lblFreeC, QStringLiteral("Free Space on Drive ") + letter + QStringLiteral(": "));
    SetFittedText(Label26, QStringLiteral("Used Space on Drive ") + letter + QStringLiteral(": "));
    SetFittedText(lblReservedC, QStringLiteral("Reserved Space on Drive ") + letter + QStringLiteral(": "));
    const QColor colour = freePercent <= 5 ? QColor(Qt::red) : QColor(Qt::black);
    SetTextColour(lblFree, colour);
    SetTextColour(lblPct, colour);
}

void TfrmStatistics::btOKClick() {
    if (m_collecting)
        return;
    lblCluster->clear();
    lblAllocated->clear();
    const QString driveText = cbDrive->currentText();
    const QChar letter = DriveLetterOf(driveText);
    const std::string root = cbDrive->currentData().toByteArray().toStdString();
    const QString noDisk = QStringLiteral("There is no disk in drive ") + driveText;
    if (!IsDriveLetter(letter) || root.empty() || !DriveReady(letter)) {
        ShowErrorMessage(noDisk);
        updateNotYetPanel();
        return;
    }
    ShowInfoMessage(
        QStringLiteral("Drive \"") + driveText +
        QStringLiteral("\" will be scanned.  The analysis may take some time.  You may quit at any "
                       "time by clicking CANCEL or pressing ESC."));
    const std::optional<DriveSpace> space = DriveSpaceOf(letter);
    if (!space) { // it stopped answering while the message was up
        ShowErrorMessage(noDisk);
        updateNotYetPanel();
        return;
    }
    const QString cluster = QString::number(space->clusterBytes);
    lblCluster->setText(
        QStringLiteral("Since drive ") + letter + QStringLiteral(" is partitioned into ") + cluster +
        QStringLiteral(" bytes per cluster, the smallest file of only 1 byte will consume ") + cluster +
        QStringLiteral(" bytes.  The actual space that each file uses will be rounded up to the "
                       "next multiple of ") +
        cluster + QStringLiteral(" bytes."));
    m_usedSpace = std::max<std::int64_t>(space->usedBytes, 0);
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    pnlNotYet->setText(QStringLiteral("Collecting statistics.  Standby."));
    m_runDriveText = driveText;
    // The caption names the drive being counted, not the one the pages still show.
    setWindowTitle(QStringLiteral("Collecting statistics for drive ") + driveText);
    scan(root);
}

void TfrmStatistics::setControlsForCollecting(bool collecting) {
    m_collecting = collecting;
    for (QWidget* control :
         {static_cast<QWidget*>(btPrint), static_cast<QWidget*>(cbDrive), static_cast<QWidget*>(btOK)})
        control->setEnabled(!collecting);
    // Over this window only: every other window stays usable while the walk runs.
    if (collecting)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void TfrmStatistics::clearVariables() {
    // The counters are the engine's and start again with each collection.
    m_model->clearRows();
}

void TfrmStatistics::scan(const std::string& root) {
    StatusBar1->clearMessage();
    pnlSkipped->setSource(nullptr); // the collector clears its list on its own thread
    pnlExcluded->setSource(nullptr);
    setControlsForCollecting(true);
    clearVariables();
    CurrentFolder::set(root);
    m_stopAsked = false;
    m_workerDone = false;
    try {
        m_worker = std::thread([this, root] {
            bool opened = false;
            QString failure;
            try {
                opened = m_collector->collect(root);
            } catch (const AppError& e) {
                failure = e.text();
            } catch (const std::exception& e) {
                failure = QString::fromLocal8Bit(e.what());
            }
            // The pages belong to the window's thread: the end is handed over there.
            QMetaObject::invokeMethod(
                this, [this, opened, failure] { finishCollection(opened, failure); }, Qt::QueuedConnection);
            m_workerDone = true;
        });
    } catch (...) {
        m_workerDone = true;
        setControlsForCollecting(false);
        ProgressBar1->hide();
        throw;
    }
    m_progressTimer->start();
}

void TfrmStatistics::pollProgress() {
    if (m_stopAsked)
        m_collector->abort();
    const std::int64_t files = m_collector->filesProcessed();
    if (files > 0) // the status is written every 25 files
        StatusBar1->showMessage(QStringLiteral("Processing files ... standby : ") +
                                QString::number(files / 25 * 25));
    if (m_usedSpace > 0)
        ProgressBar1->setValue(PercentOf(m_collector->bytesSoFar(), m_usedSpace));
}

void TfrmStatistics::finishCollection(bool rootOpened, const QString& failure) {
    if (m_worker.joinable())
        m_worker.join();
    m_progressTimer->stop();
    const FileStatistics& stats = m_collector->statistics();
    doFileTypes(stats);
    doFileSizes(stats);
    doFileAttrs(stats);
    doFileAges(stats);
    lblAllocated->setText(QStringLiteral("Space allocated: ") + FormatThousands(stats.allocatedBytes) +
                          QStringLiteral(" bytes, of which ") + FormatThousands(stats.lostBytes) +
                          QStringLiteral(" bytes are lost to rounding up to whole clusters."));
    QString status = QStringLiteral("Finished - ") + QString::number(stats.filesProcessed) +
                     QStringLiteral(" files processed");
    if (stats.aborted)
        status += QStringLiteral(" INCOMPLETE ... ABORTED");
    StatusBar1->showMessage(status);
    pnlSkipped->setSource(&m_collector->skipped());
    pnlExcluded->setSource(&m_collector->skipped());
    setControlsForCollecting(false);
    m_collected = true;
    setWindowTitle(stats.aborted ? QStringLiteral("File Statistics for drive ") + m_runDriveText +
                                       QStringLiteral(" incomplete ... aborted.")
                                 : QStringLiteral("Statistics for drive ") + m_runDriveText +
                                       QStringLiteral(" completed."));
    ProgressBar1->hide();
    updateNotYetPanel();
    if (!failure.isEmpty())
        ShowErrorMessage(failure);
    else if (!rootOpened)
        ShowPlainErrorBox(QStringLiteral("Can't open drive ") + m_runDriveText);
    Q_EMIT collectionEnded();
}

void TfrmStatistics::askStop() {
    // The walk stops at once; its end comes back through finishCollection.
    m_stopAsked = true;
    m_collector->abort();
}

void TfrmStatistics::btCancelClick() {
    if (m_collecting)
        askStop();
    else
        hide();
}

void TfrmStatistics::doFileTypes(const FileStatistics& stats) {
    m_model->clearRows();
    std::vector<std::int64_t> files;
    std::vector<std::int64_t> bytes;
    for (const TypeCount& type : stats.types) {
        files.push_back(type.count.files);
        bytes.push_back(type.count.bytes);
    }
    const std::vector<int> fileRanks = TopTenRanks(files);
    const std::vector<int> sizeRanks = TopTenRanks(bytes);
    auto rankText = [](int rank) { return rank > 0 ? QString::number(rank) : QString(); };
    QStringList fileTexts;
    QStringList byteTexts;
    for (std::size_t i = 0; i < stats.types.size(); ++i) {
        const TypeCount& type = stats.types[i];
        const QString extension = DisplayText(type.extension);
        const QString typeName = FileTypeName(type.spelling.empty() ? extension : DisplayText(type.spelling));
        fileTexts << FormatThousands(files[i]);
        byteTexts << FormatThousands(bytes[i]);
        m_model->appendTextRow({extension, typeName, fileTexts.back(), rankText(fileRanks[i]),
                                byteTexts.back(), rankText(sizeRanks[i])});
    }
    // The rows are in the order the extensions were met, which no sort item names.
    PopupMenu1->checkSortItem(nullptr);
    layOutTypesColumns(byteTexts);
}

void TfrmStatistics::fillBarRows(BarRow* rows, const FileCount* counts, int rowCount) {
    std::int64_t fileSum = 0;
    std::int64_t byteSum = 0;
    for (int i = 0; i < rowCount; ++i) {
        fileSum = SaturatingAdd(fileSum, counts[i].files);
        byteSum = SaturatingAdd(byteSum, counts[i].bytes);
    }
    for (int i = 0; i < rowCount; ++i) {
        SetFittedText(rows[i].count, FormatThousands(counts[i].files));
        SetFittedText(rows[i].bytes, FormatThousands(counts[i].bytes));
        rows[i].countBar->setValue(PercentOf(counts[i].files, fileSum));
        rows[i].bytesBar->setValue(PercentOf(counts[i].bytes, byteSum));
    }
}

void TfrmStatistics::doFileSizes(const FileStatistics& stats) {
    fillBarRows(&m_sizeRows[1], &stats.sizes[1], 9);
}

void TfrmStatistics::doFileAges(const FileStatistics& stats) {
    fillBarRows(m_ageRows[0].data(), stats.accessed.data(), 10);
    fillBarRows(m_ageRows[1].data(), stats.created.data(), 10);
    fillBarRows(m_ageRows[2].data(), stats.modified.data(), 10);
}

void TfrmStatistics::doFileAttrs(const FileStatistics& stats) {
    // The bars are shares of all attribute occurrences, not of all files.
    const FileCount attributes[] = {stats.hidden, stats.readOnly, stats.system, stats.archive};
    fillBarRows(m_attributeRows.data(), attributes, 4);
}

void TfrmStatistics::SortbyExtensionClick(QAction* item) {
    const int last = m_model->gridRowCount() - 1;
    if (last < 2)
        return;
    PopupMenu1->checkSortItem(nullptr);
    {
        BusyCursor busy;
        // Equal types, counts and sizes by extension in ascending order.
        if (item == SortbyExtension1)
            SortGridByText(*m_model, 1, last, false, 0);
        else if (item == SortbyType1)
            SortGridByText(*m_model, 1, last, false, 1, 0);
        else if (item == SortbyNumber1)
            SortGridByNumber(*m_model, 1, last, true, 2, 0);
        else
            SortGridByNumber(*m_model, 1, last, true, 4, 0);
    }
    PopupMenu1->checkSortItem(item);
}

QPoint TfrmStatistics::sortMenuPosition() const {
    const QRect frame = frameGeometry();
    return {frame.x() + btSort->x(), frame.y() + btSort->y() - 70};
}

void TfrmStatistics::btSortClick() {
    PopupMenu1->popup(sortMenuPosition());
}

void TfrmStatistics::setDeletedFigures(const QString& since, const QString& files, const QString& bytes,
                                       const QString& filesRecycled, const QString& bytesRecycled) {
    lblSince1->setText(since);
    edNdelete->setText(files);
    edSzDelete->setText(bytes);
    edNWaste->setText(filesRecycled);
    edSzWaste->setText(bytesRecycled);
}

void TfrmStatistics::showFilesDeleted() {
    const DeletionTotalsValues totals = DeletionTotals::read();
    // A kind shows its figures once a file of it was recorded; a byte total that was lost or garbled
    // says so rather than showing a negative number.
    auto files = [](std::int64_t n) {
        return n > 0 ? FormatThousands(n) + QStringLiteral(" files") : kNotAvailable;
    };
    auto bytes = [](std::int64_t n, std::int64_t b) {
        return n > 0 && b >= 0 ? FormatThousands(b) + QStringLiteral(" bytes") : kNotAvailable;
    };
    setDeletedFigures(SinceText(totals.delDate), files(totals.filesDeleted),
                      bytes(totals.filesDeleted, totals.bytesDeleted), files(totals.filesRecycled),
                      bytes(totals.filesRecycled, totals.bytesRecycled));
}

void TfrmStatistics::Button1Click() {
    if (AskYesNo(QStringLiteral("Reset cumulative totals?")) != MessageAnswer::Yes)
        return;
    try {
        DeletionTotals::reset();
    } catch (const AppError& e) {
        // The file stays as it was, and so does the page.
        ShowErrorMessage(e.text());
        return;
    }
    setDeletedFigures(QString(), kNotAvailable, kNotAvailable, kNotAvailable, kNotAvailable);
}

void TfrmStatistics::btPrintClick() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    if (dialog.exec() == QDialog::Accepted)
        printTo(printer);
}

bool TfrmStatistics::printTo(QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        ShowPlainErrorBox(QStringLiteral("Error printing report ... quitting"));
        return false;
    }
    // The whole window on the page, as large as the page allows.
    const QRect page = painter.viewport();
    const double scale = std::min(double(page.width()) / width(), double(page.height()) / height());
    painter.scale(scale, scale);
    render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return painter.end();
}
