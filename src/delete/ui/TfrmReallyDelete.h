// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
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

// The confirmation of a marked-file deletion. The caller hands over the marked paths and their
// total size, runs exec() and reads only the result: Accepted (OK) after a delete or recycle run,
// also one in which some files failed to go; Rejected (Cancel) when the user closed the window.
// The run records what really left the disk in the cumulative deletion totals; a failure to write
// them throws AppError out of the click, and the window then stays open.
class TfrmReallyDelete : public QDialog {
    Q_OBJECT
public:
    explicit TfrmReallyDelete(QWidget* parent);

    // The marked files as exact path bytes; shown and processed sorted ignoring ASCII case.
    void setFileList(const std::vector<std::string>& paths);
    // The caller's marked total in bytes (a whole number).
    void setSavings(double bytes);

    // The listed paths in list order.
    const std::vector<std::string>& fileList() const { return m_paths; }

    void FormShow();
    void UpdateHeaders();
    void btDeleteAllClick();
    void btRecycleClick();
    // One path to the trash, no questions; true when it went.
    static bool sendToRecycleBin(const std::string& path);

protected:
    void showEvent(QShowEvent* event) override;

private:
    enum class Removal { Gone, FailedGoOn, FailedStop };
    struct RunFigures {
        std::int64_t files = 0;
        std::int64_t bytes = 0;
    };
    // Removes the listed files in list order under the hourglass with the progress bar, counting only
    // the files that really went, with their sizes taken before removal.
    RunFigures removeListedFiles(const std::function<Removal(const std::string&)>& remove);
    void clearList();

    std::vector<std::string> m_paths;
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
