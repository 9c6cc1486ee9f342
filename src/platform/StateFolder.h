// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/FolderHandle.h"

#include <string>

// The program's state that is no setting (the journal of deletes, the trash runs under way) lives
// in $XDG_STATE_HOME/vantorel (by the XDG rule an unset, empty or relative XDG_STATE_HOME means
// ~/.local/state).

// The state home folder's path.
std::string StateHomePath();

// Opens $XDG_STATE_HOME/vantorel/<name>, making it (and the folders above it, 0700) when make is
// set, through handles that follow no link below $XDG_STATE_HOME: a link or something that is no
// folder in the place of vantorel or name is refused (EMLINK). Check valid(); error() holds errno.
FolderHandle OpenStateFolder(const char* name, bool make);
