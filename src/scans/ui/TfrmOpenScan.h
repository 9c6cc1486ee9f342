// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "scans/SnapshotStore.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QPushButton;
class ResultGridView;
class StringGridModel;

// "Open scan": the snapshots of the folder hog scans listed by the folder they scanned and when,
// newest first, so that the user picks a scan by what it is, not by its file name; "Other file..."
// asks for any saved scan (an export, ncdu's or gdu's) with the file dialog.
class TfrmOpenScan : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOpenScan(QWidget* parent = nullptr, std::string snapshotFolder = SnapshotStore::defaultFolder());
    ~TfrmOpenScan() override;

    // The file chosen once the window closed with OK (exact path bytes); empty otherwise.
    const std::string& chosen() const { return m_chosen; }
    const std::vector<SnapshotStore::Snapshot>& snapshots() const { return m_snapshots; }
    StringGridModel* gridModel() const { return m_model; }

    // Asks for another file: the file dialog unless another is set (tests); empty for none.
    using OtherFileChooser = std::function<QString(QWidget* parent)>;
    void setOtherFileChooser(OtherFileChooser chooser) { m_otherFile = std::move(chooser); }

    void btOpenClick();
    void btOtherClick();

private:
    std::vector<SnapshotStore::Snapshot> m_snapshots;
    std::string m_chosen;
    OtherFileChooser m_otherFile;
    StringGridModel* m_model = nullptr;
    ResultGridView* grid = nullptr;
    QPushButton* btOpen = nullptr;
    QPushButton* btOther = nullptr;
    QPushButton* btCancel = nullptr;
};
