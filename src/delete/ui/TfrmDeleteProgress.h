// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <cstdint>
#include <string>

class QCloseEvent;
class QLabel;
class QProgressBar;
class QPushButton;
struct FolderDeleteResult;

// Shown over everything while a long folder delete runs: the folder, what went so far, and Cancel,
// which stops the delete after the current file (Esc and the frame's close do the same). It never
// closes itself; its owner closes it when the delete is over.
class TfrmDeleteProgress : public QDialog {
    Q_OBJECT
public:
    TfrmDeleteProgress(QWidget* parent, const std::string& folder, bool recycle);

    void setFigures(const FolderDeleteResult& sofar);
    bool stopAsked() const { return m_stopAsked; }

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool m_recycle;
    bool m_stopAsked = false;
    QLabel* lblFolder = nullptr;
    QLabel* lblFigures = nullptr;
    QProgressBar* bar = nullptr;
    QPushButton* btCancel = nullptr;
};
