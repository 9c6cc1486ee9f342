// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/ListedEntry.h"

#include <string>

// A move to the trash makes its record (info/NAME.trashinfo, with O_EXCL) first, which reserves the
// name as every trash program does, and only then moves the entry into files/. A program killed in
// between leaves a record of a move that never happened. Writing the record after the move instead
// would give up the reservation another program may be relying on at that moment (and it would
// then move its own file over ours). So each move notes, in a small file of this program's own
// under $XDG_STATE_HOME/vantorel/trashing (locked while the program lives), the record it has just
// made; the note is cleared once the move is made or given up. When a trash run starts, the records
// still noted by programs that are gone (their note file is no longer locked) are removed, each only
// while it is the very record noted (device and inode) and no entry of its name reached files/.
// Records of other programs are never touched. Noting is best effort: a note that cannot be written
// never holds up a move.
namespace TrashUnderway {

// The record infoName (in the info/ folder of the trash at trashFolder), just made, is record.
void noteRecord(const std::string& trashFolder, const std::string& infoName, const EntryIdentity& record);
// The move noted last was made or given up.
void settled();
// Removes the records of moves that never happened, noted by programs that are gone. Returns how
// many it removed.
int clearLeftovers();

} // namespace TrashUnderway
