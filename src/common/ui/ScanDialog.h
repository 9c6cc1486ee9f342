// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <functional>

class QCloseEvent;
class QKeyEvent;
class QShowEvent;
class QLabel;
class QPushButton;
class QRect;
class SkippedEntries;
class SkippedEntriesPanel;

// A tool window that walks folders on the user-interface thread. While a scan runs nothing closes
// the window: a close asked for meanwhile (Close, the frame, Esc) happens when the scan is over. The
// walk's yield hook runs the event loop at most every yieldInterval milliseconds, so repainting does
// not slow the walk while Abort still answers at once, and shows the folder being walked (its text
// is asked for only then). Beside the status line, the count of what the walk could not read
// (SkippedEntriesPanel). It is resizable with a maximise box and no minimise box.
class ScanDialog : public QDialog {
    Q_OBJECT
public:
    explicit ScanDialog(QWidget* parent = nullptr);

    bool scanning() const { return m_scanning; }
    // How often the running scan lets the event loop run, in milliseconds (~15 by default).
    void setYieldInterval(int milliseconds) { m_yieldIntervalMs = milliseconds; }

    void reject() override;

protected:
    // The window's layout: the top panel, the list taking what height is left, the bottom panel
    // with the panel of what could not be read at its right.
    void stackPanels(QWidget* top, QWidget* list, QWidget* bottom);
    // A label of the top panel at a design rectangle (96 pixels per inch, scaled), top left aligned.
    static QLabel* addPanelLabel(QWidget* panel, const char* name, const char* text, const QRect& design,
                                 double scale);
    // A button of the top panel's button row (placed by the window), which Enter does not press.
    static QPushButton* addPanelButton(QWidget* panel, const char* name, const char* text, const char* hint);
    // The drive panel 10 design pixels from the right of a client area that wide, its label 10 left of it.
    static void placeDrivePanel(QWidget* drives, QWidget* label, int clientWidth, double scale);
    // The screen the window is on (its available area), and the window put in its middle, frame
    // included, no larger than that area.
    QRect screenArea() const;
    void centreOnScreen();
    // What could not be read in the engine's walks: shown while a scan runs and after it.
    void setSkippedEntries(const SkippedEntries* skipped);
    SkippedEntriesPanel* skippedPanel() const { return m_skippedPanel; }
    SkippedEntriesPanel* excludedPanel() const { return m_excludedPanel; }
    // Shows the counts of both panels as they are now.
    void refreshSkippedPanels();
    // The scan starts (the walk status is cleared) or is over.
    void setScanning(bool scanning);
    // After a scan: the close that the user asked for while it ran.
    void closeIfAsked();
    // The status shown at each yield: made by source when it is time to show it (the engine's
    // folder being walked, or another running task's figures).
    void setWalkStatusSource(std::function<QString()> source) { m_walkStatus = std::move(source); }
    // The engine's yield hook: shows the walk status in status and runs the event loop, at most
    // every yieldInterval milliseconds.
    void yieldToEvents(QLabel* status);
    // Runs in yieldToEvents just before the event loop does: the moment to hand the view what the
    // walk found since the last time, so it is painted in one step.
    virtual void aboutToYield() {}

    // Each time the program shows the window (not when the desktop restores it).
    virtual void FormShow() {}

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_scanning = false;
    bool m_closeRequested = false;
    int m_yieldIntervalMs = 15;
    QElapsedTimer m_sinceYield;
    std::function<QString()> m_walkStatus;
    void makeSkippedPanels();
    SkippedEntriesPanel* m_skippedPanel = nullptr;
    SkippedEntriesPanel* m_excludedPanel = nullptr; // what the exclusion rules left out, beside it
};
