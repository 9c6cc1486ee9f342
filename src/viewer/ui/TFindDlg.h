// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The find dialog of the viewer windows: the search text and its options, nothing more. One is
// shared by every viewer window, so the text and options carry over from one search and one window
// to the next: the first one made is the shared one for as long as it lives (start-up makes it).
class TFindDlg : public QDialog {
    Q_OBJECT
public:
    explicit TFindDlg(QWidget* parent = nullptr);
    ~TFindDlg() override;

    // The shared dialog, or nullptr while none exists.
    static TFindDlg* shared();

    // The search text as UTF-8 bytes (at most 255 characters can be typed).
    std::string searchText() const;
    QString text() const;
    void setText(const QString& text);
    bool backward() const;
    bool matchCase() const;
    bool global() const;

private:
    QLineEdit* Edit1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
};
