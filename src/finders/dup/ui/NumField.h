// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QLineEdit>
#include <QWidget>
#include <cstdint>
#include <optional>

class QToolButton;

// A whole-number field (num1, num2): digits only, up to ten typed. Range checks are the window's,
// done when the field is left (exited) and when a scan starts.
class NumField : public QLineEdit {
    Q_OBJECT
public:
    explicit NumField(QWidget* parent = nullptr);

    // The typed number; nullopt when the text is empty or not a number.
    std::optional<std::int64_t> number() const;
    void setNumber(std::int64_t value);

Q_SIGNALS:
    void exited(); // the field lost the keyboard focus

protected:
    void focusOutEvent(QFocusEvent* event) override;
};

// The up/down spinner beside a number field: steps by one per press (repeating while held) and
// reports the release of the mouse button, when the window refreshes the field's label.
class UpDownSpinner : public QWidget {
    Q_OBJECT
public:
    explicit UpDownSpinner(QWidget* parent = nullptr);
    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

Q_SIGNALS:
    void stepped(int delta);
    void mouseUp();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
};
