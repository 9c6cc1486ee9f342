// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

class QWidget;
class SavedScan;

// "Open scan..." as every window that shows a saved scan offers it: one file dialog, one way to open
// the file, the same messages.

// Chooses the file of a saved scan for parent; an empty text when none was chosen. Tests set another.
using ScanFileChooser = std::function<QString(QWidget* parent)>;
// The snapshots by folder and date (TfrmOpenScan), with the file dialog for any other saved scan.
QString ChooseScanFile(QWidget* parent);
// The date and the time of a scan (seconds since 1970) as the lists show dates and times.
struct ScanTimeTexts {
    QString date;
    QString time;
};
ScanTimeTexts ScanTime(std::int64_t timestamp);
// What a window says of the saved scan it shows: "Saved scan of <folder>, <date> <time>" (no date
// when the file gives none).
QString SavedScanCaption(const std::string& root, std::int64_t timestamp);
// The chooser's answer as exact path bytes (an empty answer gives "").
std::string ScanFilePath(const QString& chosen);

// Opens path as a saved scan: false, after the error box naming what is wrong, when it is none.
bool OpenScanFile(SavedScan& saved, const std::string& path);
// The error box of a scan that cannot be read: at open, or after a replay that found the file to be
// no valid scan (saved.failed(): what was read from it may not be shown).
void ShowScanFileError(const SavedScan& saved);
