// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// The user's settings beyond the described ones: $XDG_CONFIG_HOME/vantorel/vantorel.conf (an unset,
// empty or relative XDG_CONFIG_HOME means ~/.config), read and written through QSettings.
QString UserSettingsPath();
