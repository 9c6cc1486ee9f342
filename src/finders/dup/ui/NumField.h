// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "common/ui/UpDownSpinner.h"

#include <QLineEdit>
#include <QWidget>
#include <cstdint>
#include <optional>

// A whole-number field (num1, num2): digits only, up to ten typed. Range checks are the window's,
// done when the field is left (exited) and when a scan starts.
class NumField : public QLineEdit {
    Q_OBJECT
public:
    explicit NumField(QWidget* parent = nullptr);

    // The typed number; nullopt when the text is empty or not a number.
    std::optional<std::int64_t> number() const;
    void setNumber(std::int64_t value);
    // The size label beside the field for the number as it stands, typed or stepped, in range or
    // not (the range is checked on leaving): KiloToMega of it, "KB" while there is no number.
    QString kiloText() const;

Q_SIGNALS:
    void exited(); // the field lost the keyboard focus

protected:
    void focusOutEvent(QFocusEvent* event) override;
};
