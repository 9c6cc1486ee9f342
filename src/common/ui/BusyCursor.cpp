// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/BusyCursor.h"

#include <QApplication>
#include <QCursor>

BusyCursor::BusyCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

BusyCursor::~BusyCursor() { release(); }

void BusyCursor::release() {
    if (!m_active)
        return;
    m_active = false;
    QApplication::restoreOverrideCursor();
}
