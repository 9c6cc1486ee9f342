// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <QPointer>
#include <QString>

class QTextBrowser;
class QPushButton;

// folder + name, with exactly one "/" between them when the folder does not already end in one.
QString JoinPath(const QString& folder, const QString& name);

// The help file of a program in programFolder: "vantorel.hlp" beside the program when it is there
// (a build tree, or a copy run from anywhere), else in the data folder of an installation (first
// as seen from the program's folder, so a moved or unpacked tree still finds its own, then the
// configured one). When none exists, the one beside the program, so an error names that place.
QString FindHelpFile(const QString& programFolder);

// The program's help viewer: the HTML help file shown in a browser window that does not block the
// other windows. There is at most one; asking again shows the requested topic in the same window.
class THelpWindow : public QDialog {
    Q_OBJECT

public:
    // The help file of the application: FindHelpFile of the program's folder unless set otherwise.
    static QString helpFile();
    // FindHelpFile of the running program's folder.
    static QString programHelpFile();
    static void setHelpFile(const QString& path);

    // Opens the help file at topic number topic (anchor "topic-<n>"; topic 1 is the contents).
    // A help file that cannot be read gives an error box and returns nullptr.
    static THelpWindow* showTopic(int topic, QWidget* parent = nullptr);
    // The open help window, or nullptr.
    static THelpWindow* current();

    QTextBrowser* browser() const { return m_browser; }

private:
    explicit THelpWindow(QWidget* parent);

    QTextBrowser* m_browser = nullptr;
    QPushButton* m_btBack = nullptr;
    QPushButton* m_btContents = nullptr;
    QPushButton* m_btClose = nullptr;
    static QPointer<THelpWindow> s_instance;
    static QString s_helpFile;
};
