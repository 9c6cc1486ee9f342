// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "delete/KeptCopies.h"
#include "journal/JournalRecord.h"
#include "journal/JournalWriter.h"
#include "platform/ListedEntry.h"

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QCloseEvent;
class QShowEvent;
class FreedSpaceLine;
struct TrashOutcome;

// The confirmation of a marked-file deletion. The caller hands over the marked files as they were
// listed and their total size, runs exec() and reads only the result: Accepted (OK) after a delete or
// recycle run, also one in which some files failed to go or that was stopped; Rejected (Cancel) when
// the user closed the window. Each file goes only while it is still the file that was listed
// (ListedFileRemoval). A run goes on past every failure that is the file's own; only a full trash or
// disk ends it. It lets the event loop run every few milliseconds, so the bar moves and Cancel
// stops the run after the current file; what stayed is told once at the end. The run records what
// really left the disk in the cumulative deletion totals; when they cannot be written, the error
// says what was not recorded and the run still ends as a run. Every file's outcome goes to the
// journal as it happens (JournalWriter), under the tool that marked the files; the recycle bin is
// refused (with the reason) when the journal cannot be opened, and a recycle run stops when it can
// no longer be written, since what it sends to the bin is to be put back from the journal. While the window
// waits, lblFreed tells the disk space that deleting the files really frees (FreedSpace).
class TfrmReallyDelete : public QDialog {
    Q_OBJECT
public:
    explicit TfrmReallyDelete(QWidget* parent);

    // The marked files; shown and processed in the order of their paths, ASCII case ignored.
    void setFileList(const std::vector<ListedEntry>& files);
    // The caller's marked total in bytes (a whole number).
    void setSavings(double bytes);
    // The tool whose marks these are, for the journal (duplicate files when not set).
    void setTool(JournalTool tool) { m_tool = tool; }
    // The copies the marked duplicates leave to hold their contents: a marked file of a group goes
    // only while one of them is still as compared; after that it stays, and its group with it.
    void setKeptCopies(KeptCopies kept) { m_kept = std::move(kept); }
    // Whether the space they free is still being counted (lblFreed then says so).
    bool countingFreedSpace() const;
    // How often a run lets the event loop run, in milliseconds (~15 by default).
    void setYieldInterval(int milliseconds) { m_yieldIntervalMs = milliseconds; }

    // The listed files in list order.
    const std::vector<ListedEntry>& fileList() const { return m_files; }
    bool running() const { return m_running; }

    void FormShow();
    void UpdateHeaders();
    void btDeleteAllClick();
    void btRecycleClick();
    // One listed file to the trash, no questions.
    static TrashOutcome sendToRecycleBin(const ListedEntry& file);

    // During a run Cancel (and Esc, and closing the window) stops it after the current file.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Run;
    // Removes the listed files in list order under the hourglass with the progress bar, counting only
    // the files that really went, with their listed sizes; each goes to journal. A trash run stops
    // when its journal can no longer be written.
    Run removeListedFiles(bool recycle, JournalWriter journal);
    // Says once what stayed and why, and what was not attempted.
    void reportRun(const Run& run, bool recycled);
    // Adds the run to the totals, clears the list and ends the window as after a run.
    void finishRun(const Run& run, bool recycled);
    void clearList();

    std::vector<ListedEntry> m_files;
    double m_savings = 0;
    JournalTool m_tool = JournalTool::Duplicates;
    KeptCopies m_kept;
    FreedSpaceLine* m_freed = nullptr;
    int m_yieldIntervalMs = 15;
    bool m_running = false;
    bool m_stopAsked = false;

    QLabel* lblDelete = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblSavings = nullptr;
    QListWidget* lb1 = nullptr;
    QPushButton* btDelete = nullptr;
    QPushButton* btRecycle = nullptr;
    QLabel* Label2 = nullptr;
    QProgressBar* bar = nullptr;
    QPushButton* btClose = nullptr;
    QLabel* lblFreed = nullptr;
};

// The question asked before files go to the trash (also by the folder delete window).
QString recycleWarningText();
