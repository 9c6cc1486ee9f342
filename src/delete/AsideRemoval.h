// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/FolderHandle.h"

#include <functional>
#include <string>

// Removing a name removes whatever the name holds at that instant, so a look at the entry followed
// by an unlink would remove an object swapped in between. Instead the entry is first moved aside to
// a fresh, unpredictable name in the same folder (a rename that never replaces anything), looked at
// there through the held folder handle, and only then removed under that fresh name. An object that
// is not the expected one is moved back to its name, never over anything.

enum class AsideKind { File, EmptyFolder };

struct AsideOutcome {
    int error = 0;            // 0 removed; ESTALE not the expected entry; otherwise the errno
    std::string strandedName; // set when the other object could not go back (its name was taken
                              // meanwhile): the fresh name it has now, in the same folder
};

// Removes name of folder when it is what expected accepts: looked at whole right before the move,
// then, moved aside, looked at again for what the move cannot have changed (ListedLook). An empty
// folder that stopped being empty meanwhile goes back (ENOTEMPTY). On a full disk, where even the
// rename may find no room, the entry is looked at whole and removed in place. A file that keeps
// other names tells OwnChanges the change time its removal gave them.
AsideOutcome RemoveAside(const FolderHandle& folder, const std::string& name, AsideKind kind,
                         const EntryCheck& expected);

// Looks at name (whole), then removes it by that name. Only for the emptied folders of a folder
// delete: a rename costs the kernel time in proportion to the entry's depth, which at every level of
// a very deep tree adds up to minutes, while a folder swapped in between can only be an empty one.
AsideOutcome RemoveInPlace(const FolderHandle& folder, const std::string& name, AsideKind kind,
                           const EntryCheck& expected);

// The moments of a removal at which another program could change the folder: after the last look
// before the move, after the move, after the look at the moved entry.
enum class AsideStep { BeforeMove, Moved, Checked };
using AsideStepHook = std::function<void(AsideStep step, const FolderHandle& folder, const std::string& name,
                                         const std::string& fresh)>;
// For tests only: called at each step of every removal, so a test can change the folder at exactly
// that moment. An empty hook (the default) turns it off.
void SetAsideStepHook(AsideStepHook hook);
