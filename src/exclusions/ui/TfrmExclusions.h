// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "exclusions/ExclusionSetting.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// "Exclusions": what every scan of the windows leaves out, kept in the user's settings. The
// patterns in a list (Add takes the pattern typed in the field and refuses a bad one with its
// reason, Remove drops the selected one), and the box for cache folders. OK keeps them and makes
// them the rules of the next walks; Cancel changes nothing.
class TfrmExclusions : public QDialog {
    Q_OBJECT
public:
    explicit TfrmExclusions(QWidget* parent = nullptr);

    // What the window shows now.
    ExclusionSetting setting() const;

    void btAddClick();
    void btRemoveClick();
    void btOKClick();

private:
    QLabel* lblExplain = nullptr;
    QLabel* lblPattern = nullptr;
    QLineEdit* edPattern = nullptr;
    QListWidget* lbPatterns = nullptr;
    QPushButton* btAdd = nullptr;
    QPushButton* btRemove = nullptr;
    QCheckBox* cbCaches = nullptr;
    QPushButton* btOK = nullptr;
    QPushButton* btCancel = nullptr;
};
