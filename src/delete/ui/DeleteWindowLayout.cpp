// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/ui/DeleteWindowLayout.h"

#include "common/ui/DpiScale.h"
#include "common/ui/ScreenFit.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

void setDeleteWindowFont(QWidget* widget, int pointSize, bool bold) {
    QFont font = widget->font();
    font.setPointSize(pointSize);
    font.setBold(bold);
    widget->setFont(font);
}

double setUpDeleteWindow(QWidget* window, const char* name, const QString& caption, bool bold, int width,
                         int height) {
    window->setObjectName(QString::fromLatin1(name));
    window->setWindowTitle(caption);
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint);
    setDeleteWindowFont(window, 8, bold);
    const double scale = DpiScale(window);
    window->setFixedSize(Scaled(width, scale), Scaled(height, scale));
    return scale;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->adjustSize();
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, const QString& hint) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setAutoDefault(false);
    return button;
}

void centreOnScreen(QWidget* window) { CentreOnScreen(window); }
