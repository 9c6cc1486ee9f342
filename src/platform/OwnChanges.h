// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/ListedEntry.h"

#include <cstdint>

// The change times this program itself gave files. Renaming a file, or removing one of its names,
// sets its change time; a file with several names (hard links) then looks changed under the names
// it still has, though nothing but this program's own work touched it. Each removal that leaves a
// file with other names says here what its change time was before (the fold of a look that found it
// unchanged) and what it became; a later check of another name accepts exactly that step, or a
// chain of them, and nothing else. Process-wide, for every thread; bounded (when full it forgets,
// and a later check then finds the file changed: it stays, which is the safe side).

// The file identity went from change time before to after by this program's own act.
void NoteOwnChange(const EntryIdentity& identity, std::uint32_t before, std::uint32_t after);
// Whether the file's change time went from listed to now by this program's own acts only.
bool IsOwnChange(const EntryIdentity& identity, std::uint32_t listed, std::uint32_t now);
// Forgets everything noted (tests).
void ForgetOwnChanges();
