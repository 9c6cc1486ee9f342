// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QStringList>

// Puts the lines on the clipboard as plain text, each followed by LF (ClipboardText).
void CopyLinesToClipboard(const QStringList& lines);
