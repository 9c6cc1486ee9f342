// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/DriveTable.h"
#include "stats/StatisticsCollector.h"

#include <QDate>
#include <QDialog>
#include <QString>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

class FinderPopupMenu;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPrinter;
class QProgressBar;
class QPushButton;
class QStatusBar;
class SkippedEntriesPanel;
class QTabWidget;
class QTimer;
class ResultGridView;
class StringGridModel;

// The statistics window: eight pages on one drive (its space, the file types with their top-ten
// ranks, size classes, the ages of the last access, creation and change, attributes, and the
// cumulative deletion totals). It is created once at start-up and shown without blocking, and it
// keeps its figures while hidden. A collection walks on a worker thread, so this window, its page
// tabs and every other tool stay usable while it counts; the pages are filled when it ends.
class TfrmStatistics : public QDialog {
    Q_OBJECT
public:
    // today: the day the ages are counted from; it is called on the collecting thread.
    explicit TfrmStatistics(std::function<QDate()> today = &QDate::currentDate, QWidget* parent = nullptr);
    ~TfrmStatistics() override;

    bool collecting() const { return m_collecting; }
    bool collected() const { return m_collected; }
    // The engine: its figures after a run; its hooks may be set while no collection runs.
    StatisticsCollector& collector() { return *m_collector; }
    StringGridModel* typesModel() const { return m_model; }

    // Fills the "Disk Space" page from the figures of a drive (doDiskSize asks the drive for them).
    void showDiskSpace(QChar letter, const DriveSpace& space);
    // Prints an image of the window as it is now, with its showing page, on a printer already set up;
    // false (after an error box) when the printer could not be written.
    bool printTo(QPrinter& printer);
    // Where btSort opens the sort menu (global coordinates).
    QPoint sortMenuPosition() const;

    // Handlers, by their control and event.
    void FormShow();
    void PageControl1Change(int index);
    void cbDriveClick();
    void btOKClick();
    void btCancelClick();
    void btPrintClick();
    void btSortClick();
    void SortbyExtensionClick(QAction* item);
    void Button1Click();
    void doDiskSize();
    void doFileTypes(const FileStatistics& stats);
    void doFileSizes(const FileStatistics& stats);
    void doFileAttrs(const FileStatistics& stats);
    void doFileAges(const FileStatistics& stats);
    void showFilesDeleted();

Q_SIGNALS:
    // A collection has ended and its figures are on the pages.
    void collectionEnded();

public Q_SLOTS:
    // Esc: the same as Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // One row of bars: a caption, the share of the files with their count, the share of the bytes
    // with their total.
    struct BarRow {
        QLabel* caption = nullptr;
        QProgressBar* countBar = nullptr;
        QLabel* count = nullptr;
        QProgressBar* bytesBar = nullptr;
        QLabel* bytes = nullptr;
    };
    struct BarColumns;
    // Sets the types grid's columns: the design widths as the least, "# Files" wide enough for ten
    // digits, "Size" for the largest of byteTexts, and Type filling what the grid has left.
    void layOutTypesColumns(const QStringList& byteTexts);

    void buildBottomControls();
    void buildDiskSpacePage();
    void buildTypesPage();
    void buildSizesPage();
    void buildAgePages();
    void buildAttributesPage();
    void buildDeletedPage();
    QWidget* addPage(const char* name, const QString& caption);
    QLabel* addLabel(QWidget* parent, const char* name, const QString& text, int x, int y, int w, int h);
    BarRow addBarRow(QWidget* page, const BarColumns& columns, int top, const QString& caption,
                     const QString& captionName, const QString& countBar, const QString& count,
                     const QString& bytesBar, const QString& bytes);
    void addColumnTitles(QWidget* page, const BarColumns& columns, const QString& namePrefix);
    // Writes the counts and byte totals of the rows with their bars (shares of the rows' own sums).
    void fillBarRows(BarRow* rows, const FileCount* counts, int rowCount);

    void loadDrives();
    void scan(const std::string& root);
    void clearVariables();
    void pollProgress();
    void askStop();
    // Back on this thread once the worker has ended: joins it, fills the pages and reports.
    void finishCollection(bool rootOpened, const QString& failure);
    void setControlsForCollecting(bool collecting);
    // pnlNotYet covers the data pages until the first collection has ended.
    void updateNotYetPanel();
    void setDeletedFigures(const QString& since, const QString& files, const QString& bytes,
                           const QString& filesRecycled, const QString& bytesRecycled);

    std::unique_ptr<StatisticsCollector> m_collector;
    std::thread m_worker;
    // The engine clears its abort request as a walk starts, so a stop asked for in that instant
    // would be lost: it is asked again until the walk is over.
    bool m_stopAsked = false;
    std::atomic<bool> m_workerDone{true};
    QTimer* m_progressTimer = nullptr;
    bool m_collecting = false;
    bool m_collected = false;
    QString m_runDriveText;       // the drive text of the run under way or last run
    std::int64_t m_usedSpace = 0; // the progress bar's 100 %
    double m_scale = 1.0;
    bool m_centred = false;

    StringGridModel* m_model = nullptr;

    // Below the pages
    QLabel* Label24 = nullptr;
    QComboBox* cbDrive = nullptr;
    QPushButton* btOK = nullptr;
    QPushButton* btPrint = nullptr;
    QPushButton* btCancel = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    SkippedEntriesPanel* pnlSkipped = nullptr; // what the last collection could not read
    SkippedEntriesPanel* pnlExcluded = nullptr; // what the exclusion rules left out of it
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* pnlNotYet = nullptr;
    QTabWidget* PageControl1 = nullptr;

    QWidget* TabSheet3 = nullptr; // Disk Space
    QWidget* TabSheet1 = nullptr; // Types
    QWidget* TabSheet2 = nullptr; // Sizes
    QWidget* TabSheet4 = nullptr; // Accessed
    QWidget* TabSheet5 = nullptr; // Created
    QWidget* TabSheet6 = nullptr; // Modified
    QWidget* TabSheet7 = nullptr; // Attributes
    QWidget* TabSheet8 = nullptr; // Deleted

    // Disk Space
    QLabel* lblTotalC = nullptr;
    QLabel* lblTotal = nullptr;
    QLabel* Label25 = nullptr;
    QLabel* lblFreeC = nullptr;
    QLabel* lblFree = nullptr;
    QLabel* lblPct = nullptr;
    QLabel* Label26 = nullptr;
    QLabel* lblUsed = nullptr;
    QLabel* lblPct2 = nullptr;
    QLabel* lblReservedC = nullptr; // the blocks kept for root
    QLabel* lblReserved = nullptr;
    QLabel* lblPct3 = nullptr;
    QProgressBar* Gauge1 = nullptr;
    QFrame* gaReserved = nullptr; // behind Gauge1, at its end

    // Types
    ResultGridView* gridTypes = nullptr;
    QLabel* Label22 = nullptr;
    QPushButton* btSort = nullptr;
    FinderPopupMenu* PopupMenu1 = nullptr;
    QAction* SortbyExtension1 = nullptr;
    QAction* SortbyType1 = nullptr;
    QAction* SortbyNumber1 = nullptr;
    QAction* SortbySize1 = nullptr;

    // Sizes (rows 1..9), the three date pages (rows 0..9), attributes (hidden, read-only, system,
    // archive)
    std::array<BarRow, 10> m_sizeRows{};
    std::array<std::array<BarRow, 10>, 3> m_ageRows{};
    std::array<BarRow, 4> m_attributeRows{};
    QLabel* lblCluster = nullptr;
    QLabel* lblAllocated = nullptr;

    // Deleted
    QLabel* Label46 = nullptr;
    QLabel* lblFileDel = nullptr;
    QLabel* lblSince1 = nullptr;
    QLineEdit* edNdelete = nullptr;
    QLineEdit* edSzDelete = nullptr;
    QLabel* lblFileWaste = nullptr;
    QLineEdit* edNWaste = nullptr;
    QLineEdit* edSzWaste = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* btHistory = nullptr;
};
