// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <string>

class QLabel;
class QPushButton;
class QShowEvent;

// Asks how a whole folder is to go: permanently, into the trash, or not at all. The caller sets
// the folder, runs exec() and reads recycleChosen(); the deleting itself is deleteFolderTree's.
// Result Accepted (OK) means delete; Rejected (Cancel) means leave everything alone.
class TfrmDelDirectory : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDelDirectory(QWidget* parent);

    // The folder's exact path bytes (no trailing "/"); shown in lblDirectory.
    void setFolder(const std::string& path);
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
    bool m_recycleChosen = false;

    QLabel* lblDirectory = nullptr;
    QPushButton* btDelete = nullptr;
    QPushButton* btRecycle = nullptr;
    QPushButton* BitBtn3 = nullptr;
};
