// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <QTimer>
#include <QWidget>

class QLabel;
class QPushButton;
class TGradientBack;

// A small looping picture: a disk platter whose lit sector moves round one step per frame.
class TDiskAnimation : public QWidget {
    Q_OBJECT

public:
    static constexpr int FrameCount = 8;
    static constexpr int FrameMs = 120;

    explicit TDiskAnimation(QWidget* parent = nullptr);

    int frame() const { return m_frame; }
    // Moves to the next frame (after the last comes the first) and repaints.
    void step();
    void start() { m_timer.start(); }
    void stop() { m_timer.stop(); }
    bool running() const { return m_timer.isActive(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer m_timer;
    int m_frame = 0;
};

// The About box: the maker's contact details beside the animation, over the blue-to-red gradient.
class TfrmAbout : public QDialog {
    Q_OBJECT

public:
    explicit TfrmAbout(QWidget* parent = nullptr);

    TDiskAnimation* animation() const { return m_animation; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int scaled(int designPixels) const;
    QLabel* addText(const char* name, const QString& text, int top, int pointSize, bool bold);

    TGradientBack* m_back = nullptr;
    TDiskAnimation* m_animation = nullptr;
    QPushButton* m_btOK = nullptr;
};
