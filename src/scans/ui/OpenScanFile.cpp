// SPDX-License-Identifier: GPL-3.0-or-later
#include "scans/ui/OpenScanFile.h"

#include "common/DisplayText.h"
#include "common/DosDateTime.h"
#include "common/MessageService.h"
#include "scans/SavedScan.h"
#include "scans/ui/TfrmOpenScan.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>

QString ChooseScanFile(QWidget* parent) {
    TfrmOpenScan chooser(parent);
    if (chooser.exec() != QDialog::Accepted)
        return {};
    return QFile::decodeName(QByteArray::fromStdString(chooser.chosen()));
}

ScanTimeTexts ScanTime(std::int64_t timestamp) {
    if (timestamp <= 0)
        return {};
    const QDateTime when = QDateTime::fromSecsSinceEpoch(timestamp);
    return {QLocale().toString(when.date(), FileDateFormat()), QLocale().toString(when.time(), FileTimeFormat())};
}

QString SavedScanCaption(const std::string& root, std::int64_t timestamp) {
    const ScanTimeTexts when = ScanTime(timestamp);
    QString text = QStringLiteral("Saved scan of ") + DisplayText(root);
    if (!when.date.isEmpty())
        text += QStringLiteral(", ") + when.date + u' ' + when.time;
    return text;
}

std::string ScanFilePath(const QString& chosen) { return QFile::encodeName(chosen).toStdString(); }

bool OpenScanFile(SavedScan& saved, const std::string& path) {
    if (saved.open(path))
        return true;
    ShowScanFileError(saved);
    return false;
}

void ShowScanFileError(const SavedScan& saved) { ShowErrorMessage(DisplayText(saved.error())); }
