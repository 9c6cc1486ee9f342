// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/ListedEntry.h"

#include <QDialog>
#include <string>
#include <cstdint>
#include <functional>
#include <vector>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QShowEvent;
struct TrashOutcome;

// The confirmation of a marked-file deletion. The caller hands over the marked files as they were
// listed and their total size, runs exec() and reads only the result: Accepted (OK) after a delete or
// recycle run, also one in which some files failed to go; Rejected (Cancel) when the user closed the
// window. Each file goes only while it is still the file that was listed (ListedFileRemoval). The
// run records what really left the disk in the cumulative deletion totals; when they cannot be
// written, the error says what was not recorded and the run still ends as a run.
class TfrmReallyDelete : public QDialog {
    Q_OBJECT
public:
    explicit TfrmReallyDelete(QWidget* parent);

    // The marked files; shown and processed in the order of their paths, ASCII case ignored.
    void setFileList(const std::vector<ListedEntry>& files);
    // The caller's marked total in bytes (a whole number).
    void setSavings(double bytes);

    // The listed files in list order.
    const std::vector<ListedEntry>& fileList() const { return m_files; }

    void FormShow();
    void UpdateHeaders();
    void btDeleteAllClick();
    void btRecycleClick();
    // One listed file to the trash, no questions.
    static TrashOutcome sendToRecycleBin(const ListedEntry& file);

protected:
    void showEvent(QShowEvent* event) override;

private:
    enum class Removal { Gone, FailedGoOn, FailedStop };
    struct RunFigures {
        std::int64_t files = 0;
        std::int64_t bytes = 0;
    };
    // Removes the listed files in list order under the hourglass with the progress bar, counting only
    // the files that really went, with their listed sizes.
    RunFigures removeListedFiles(const std::function<Removal(const ListedEntry&)>& remove);
    // Adds the run to the totals, clears the list and ends the window as after a run.
    void finishRun(const RunFigures& run, bool recycled);
    void clearList();

    std::vector<ListedEntry> m_files;
    double m_savings = 0;

    QLabel* lblDelete = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblSavings = nullptr;
    QListWidget* lb1 = nullptr;
    QPushButton* btDelete = nullptr;
    QPushButton* btRecycle = nullptr;
    QLabel* Label2 = nullptr;
    QProgressBar* bar = nullptr;
    QPushButton* btClose = nullptr;
};

// The question asked before files go to the trash (also by the folder delete window).
QString recycleWarningText();
