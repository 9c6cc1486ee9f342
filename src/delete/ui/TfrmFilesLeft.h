// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <QStringList>

class FilesLeft;
class QLabel;
class QPushButton;
class QTreeWidget;

// The one report at the end of a delete run that left several files behind: what the run did and
// what stayed, then every file that stayed with the reason, in a list that scrolls and can be put
// on the clipboard. In the look of the deletion windows.
class TfrmFilesLeft : public QDialog {
    Q_OBJECT
public:
    TfrmFilesLeft(QWidget* parent, const QString& header, const FilesLeft& left);

    // What Copy puts on the clipboard: the header's lines, an empty line, then one line per file
    // (the path, a tab and the reason).
    const QStringList& copyText() const { return m_copyText; }
    void btCopyClick();

private:
    QStringList m_copyText;
    QLabel* lblHeader = nullptr;
    QTreeWidget* lbLeft = nullptr;
    QPushButton* btCopy = nullptr;
    QPushButton* btOK = nullptr;
};

// Shows the report modally over parent.
void ShowFilesLeft(QWidget* parent, const QString& header, const FilesLeft& left);
