// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QWidget>

class QLabel;
class QToolButton;

// A pair of arrow buttons that step a value by one per press (repeating while held): up and down
// one above the other, or left and right side by side. Up and right step +1, down and left -1.
// The buttons never take the keyboard focus, so it stays with the control that the spinner
// serves. Reports the release of the mouse button too, when a window refreshes what the steps
// changed.
class UpDownSpinner : public QWidget {
    Q_OBJECT
public:
    explicit UpDownSpinner(QWidget* parent = nullptr, Qt::Orientation orientation = Qt::Vertical);

    // The +1 button (up or right) and the -1 button (down or left); created in that order.
    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

    // A text between the two buttons of a horizontal spinner (the buttons then shrink to squares
    // at its ends); empty for none.
    void setText(const QString& text);
    QString text() const;

Q_SIGNALS:
    void stepped(int delta);
    void mouseUp();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeButtons();

    Qt::Orientation m_orientation;
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
    QLabel* m_text = nullptr;
};
