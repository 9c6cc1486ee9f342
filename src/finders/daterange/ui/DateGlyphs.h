// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QIcon>

// The pictures of the date-range finder's picture-only buttons, drawn here so that they look the
// same whatever icon theme the desktop has. All 16 x 16 on a transparent ground.

// A calendar page: the calendar buttons beside the date boxes.
QIcon CalendarGlyph();
// A green tick: the picker's OK.
QIcon OkGlyph();
// A red cross: the picker's Cancel.
QIcon CancelGlyph();
