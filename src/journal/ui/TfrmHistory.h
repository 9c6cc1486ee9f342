// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "common/StringGridModel.h"
#include "journal/JournalRun.h"

#include <QDialog>
#include <memory>
#include <vector>

class QLabel;
class QPushButton;
class ResultGridView;

// "History of deletes": the runs of the journal of deletes, newest first (gridRuns), the files of
// the selected run with what became of each (gridFiles), and Undo, which puts the files that run
// sent to the recycle bin back where they were (UndoRun) and says what could not come back. The
// window reads the journal; it lists nothing on disk itself. Undo does not lower the running
// totals, which count what was removed; the grids show what was restored.
class TfrmHistory : public QDialog {
    Q_OBJECT
public:
    explicit TfrmHistory(QWidget* parent = nullptr);
    ~TfrmHistory() override;

    // Reads the journal again and shows it, keeping the selected run where it still is.
    void refresh();
    // Makes the run with that id the selected one (nothing when it is not listed).
    void selectRun(std::int64_t id);
    std::int64_t selectedRun() const;

    StringGridModel* runsModel() const { return m_runs; }
    StringGridModel* filesModel() const { return m_files; }

    void btUndoClick();
    void btCopyClick();
    // While an undo runs, Close, Esc and the frame wait for its end.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class FileRows;
    void showRun(int gridRow);
    void updateButtons();

    std::vector<JournalRunSummary> m_list;
    bool m_undoing = false;
    std::unique_ptr<FileRows> m_rows;
    StringGridModel* m_runs = nullptr;
    StringGridModel* m_files = nullptr;

    QLabel* lblRuns = nullptr;
    ResultGridView* gridRuns = nullptr;
    QLabel* lblFiles = nullptr;
    ResultGridView* gridFiles = nullptr;
    QPushButton* btUndo = nullptr;
    QPushButton* btCopy = nullptr;
    QPushButton* btClose = nullptr;
    QLabel* pnlStatus = nullptr;
};

// Opens the History window modally over parent (from the main window and the statistics window).
void OpenHistory(QWidget* parent);
