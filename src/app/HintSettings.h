// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QColor>
#include <QProxyStyle>

// The application's hint (tooltip) settings: shown, on an aqua ground, after a pause of 1000 ms.
inline constexpr int HintDelayMs = 1000;
inline QColor HintColor() { return QColor(0, 255, 255); }

// Answers the tooltip wake-up delay; everything else comes from the style it wraps.
class HintDelayStyle : public QProxyStyle {
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};

// Applies the hint settings to the whole application; calling it again changes nothing.
void ApplyHintSettings();
