// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QPointer>
#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;
class TGradientBack;

// The main window: one row per tool (a button and a line saying what it does) over the blue
// gradient, and About, Help and Exit below. Each tool window is created when its button is
// pressed, shown modally over this window and destroyed when it closes; the statistics window alone
// lives from start-up to exit and is shown beside this one.
class TfrmMain : public QWidget {
    Q_OBJECT

public:
    explicit TfrmMain(QWidget* parent = nullptr);

    // The finder's mode, set immediately before every creation of the finder window so that no
    // opening inherits the mode of the one before.
    bool DupMode = true;

    // The long-lived statistics window that btStatistic brings up (not owned; created at start-up).
    void setStatisticsWindow(QWidget* window) { m_statistics = window; }

    // Design sizes are at 96 pixels per inch; this scales one to the screen.
    int scaled(int designPixels) const;

Q_SIGNALS:
    // The main window was closed: the program ends.
    void closed();

public Q_SLOTS:
    void btDuplicateClick();
    void btFileHogClick();
    void btFilesClick();
    void btDirHogsClick();
    void btDupFoldersClick();
    void btExclusionsClick(); // the Exclusions window
    void btStatisticClick();
    void btBrowseClick();
    void btReachClick();
    void btHelpClick();
    void btCloseClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    QPushButton* addToolRow(int top, const char* buttonName, const QString& caption, const char* labelName,
                            const QString& description);
    QPushButton* addBottomButton(int left, const char* name, const QString& caption);
    void addDupFoldersButton(QPushButton* dirHogs);
    void addExclusionsButton(QPushButton* duplicate);
    void fitLabelFont();

    TGradientBack* m_back = nullptr;
    QList<QLabel*> m_labels;
    QPointer<QWidget> m_statistics;
};
