// SPDX-License-Identifier: GPL-3.0-or-later
#include "scans/ui/OpenScanFile.h"

#include "common/DisplayText.h"
#include "common/MessageService.h"
#include "scans/SavedScan.h"
#include "scans/SnapshotStore.h"

#include <QFile>
#include <QFileDialog>

QString ChooseScanFile(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Open scan"),
                                        QString::fromStdString(SnapshotStore::defaultFolder()),
                                        QStringLiteral("Saved scans (*.json *.zst);;All files (*)"));
}

std::string ScanFilePath(const QString& chosen) { return QFile::encodeName(chosen).toStdString(); }

bool OpenScanFile(SavedScan& saved, const std::string& path) {
    if (saved.open(path))
        return true;
    ShowScanFileError(saved);
    return false;
}

void ShowScanFileError(const SavedScan& saved) { ShowErrorMessage(DisplayText(saved.error())); }
