// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

// The wildcard picker: the caller sets the combo text to the current pattern, runs exec(), and on
// mrOK takes pattern() as the new one.
class TfrmWildCard : public QDialog {
    Q_OBJECT
public:
    static constexpr int mrOK = 1;
    static constexpr int mrCancel = 2;

    explicit TfrmWildCard(QWidget* parent = nullptr);

    QComboBox* combo() const { return cbWildCard; }
    QString pattern() const;
    void setPattern(const QString& pattern);

    // The picker's label rule: lblWild reads "All files" for exactly "*.*" (empty otherwise);
    // lblType always shows the file type of the pattern's extension (PatternTypeName).
    void cbWildCardChange();

    void reject() override; // Esc and the frame's close give mrCancel

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    QLabel* lblTitle = nullptr;
    QComboBox* cbWildCard = nullptr;
    QLabel* lblWild = nullptr;
    QLabel* lblType = nullptr;
    QPushButton* btOK = nullptr;
    QPushButton* btCancel = nullptr;
};
