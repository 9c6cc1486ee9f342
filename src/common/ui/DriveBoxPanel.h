// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QChar>
#include <QFrame>
#include <QString>
#include <array>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;

// One ticked drive box as a walk root.
struct TickedDrive {
    int box = 0;             // 1 .. 25
    QString caption;         // "C:"
    QChar letter;            // 'C'
    std::string mountPoint;  // the drive's root folder as it was when the boxes were set up
};

// The drive panel shared by the finder windows: pnlDrives (lowered bevel) with the 25 boxes
// cb1 .. cb25 in five columns of five, and the hidden drive combo cbDrive. Box i stands for the
// i-th drive of cbDrive. Emits tickedChanged on every tick change, so the owning window applies
// its scan-button rule (enabled exactly when a box is ticked).
class DriveBoxPanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int BoxCount = 25;

    explicit DriveBoxPanel(QWidget* parent = nullptr);

    QCheckBox* box(int number) const; // 1 .. 25
    QComboBox* driveCombo() const { return m_cbDrive; }

    // Refills cbDrive from the drive table (current item = the drive of the current folder), then
    // SetUpDriveBoxes. Called each time the owning window is shown.
    void loadDrives();
    // Places the boxes for the screen's pixels per inch (design positions times scale).
    void applyScale(double scale);
    // Gives each box of a drive the width up to the next column in use (the last column in use
    // reaches the panel's edge) and its text fitted to it: "C:  /mount/point", the mount point
    // elided in the middle when too long; the tooltip holds the whole drive item.
    void fitBoxTexts();

    bool anyTicked() const;
    // Unticks every box (a list that no drive produced, such as a saved scan's, is shown).
    void untickAll();
    // Visible, ticked boxes in box order (drive-letter order).
    std::vector<TickedDrive> tickedDrives() const;
    // The captions ("C:") of the ticked boxes, each followed by one space ("C: D: "), for report titles.
    QString tickedCaptionList() const;

Q_SIGNALS:
    void tickedChanged(bool anyTicked);

private:
    std::array<QCheckBox*, BoxCount> m_boxes{};
    QComboBox* m_cbDrive = nullptr;
    double m_scale = 1.0;
};

// The text of the box of drive item i: its caption (the first two characters), two spaces and the
// mount point, "C:  /home" (the item's data holds the exact mount point bytes; without it, the
// item's text after its first space).
QString DriveBoxText(const QComboBox* cbDrive, int i);

// Hides cb1 .. cb25 of the window, then gives box i+1 the text of drive item i (DriveBoxText) and
// the whole item as its tooltip, shows it, and ticks the box of the combo's current item. Drives
// past the 25th are not offered.
void SetUpDriveBoxes(QWidget* window, QComboBox* cbDrive);

// The root loop of every finder window: walks the ticked drives in box order. A drive that is not
// ready (any longer) is skipped silently; when walk() returns false the root could not be opened
// and "Can't open drive " + caption is shown. Stops early once stop() answers true. The current
// folder is left on the last drive walked.
void ScanTickedDrives(const DriveBoxPanel& panel, const std::function<bool(const std::string& root)>& walk,
                      const std::function<bool()>& stop);
