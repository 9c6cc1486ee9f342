// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QShowEvent;
class QResizeEvent;

// The printable strings of one file, one per line, with their count. The opener sets the caption
// ("ASCII strings for : " and the file name) and the file, shows it modally and destroys it.
class TfrmStrings : public QDialog {
    Q_OBJECT
public:
    explicit TfrmStrings(QWidget* parent = nullptr);

    // The file's exact path bytes; read when the window is shown.
    void setFileName(const std::string& name) { m_fileName = name; }
    const std::string& fileName() const { return m_fileName; }

    void FormShow();
    void FormResize();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::string m_fileName;
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblCount = nullptr;
    QPushButton* btClose = nullptr;
};
