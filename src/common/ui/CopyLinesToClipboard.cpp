// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/CopyLinesToClipboard.h"

#include "common/ReportText.h"

#include <QClipboard>
#include <QGuiApplication>

void CopyLinesToClipboard(const QStringList& lines) { QGuiApplication::clipboard()->setText(ClipboardText(lines)); }
