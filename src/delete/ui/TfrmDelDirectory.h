// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/ListedEntry.h"

#include <QDialog>
#include <optional>
#include <string>

class QLabel;
class QPushButton;
class QShowEvent;
class FreedSpaceLine;

// Asks how a whole folder is to go: permanently, into the trash, or not at all. The caller sets
// the folder, runs exec() and reads recycleChosen(); the deleting itself is deleteFolderTree's.
// Result Accepted (OK) means delete; Rejected (Cancel) means leave everything alone.
class TfrmDelDirectory : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDelDirectory(QWidget* parent);

    // The folder's exact path bytes (no trailing "/"); shown in lblDirectory.
    void setFolder(const std::string& path);
    // The folder as it was listed: its path is shown, and lblFreed tells the disk space that
    // deleting it really frees, counted while the window waits.
    void setListedFolder(const ListedEntry& folder);
    // Whether that space is still being counted.
    bool countingFreedSpace() const;
    const std::string& folder() const { return m_folder; }
    // True when the user chose the trash and confirmed the warning.
    bool recycleChosen() const { return m_recycleChosen; }

    void FormShow();
    void btDeleteClick();
    void btRecycleClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::string m_folder;
    std::optional<ListedEntry> m_listed;
    bool m_recycleChosen = false;
    FreedSpaceLine* m_freed = nullptr;

    QLabel* lblDirectory = nullptr;
    QPushButton* btDelete = nullptr;
    QPushButton* btRecycle = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QLabel* lblFreed = nullptr;
};
