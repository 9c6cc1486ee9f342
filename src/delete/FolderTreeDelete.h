// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>

// Deletes a folder with all its files and sub-folders, depth-first in listing order: permanently,
// or with every file sent to the trash one by one (the emptied folders are then removed). Before a
// read-only, hidden or system file it asks Yes/No/Cancel; No or Cancel stops the whole walk.
// Symbolic links are removed as links, never followed, and a folder on another filesystem mounted
// inside the tree is neither entered nor removed. A file or folder that cannot go stays where it is.
//
// files and bytes are set to the number and total size of the files that really left the disk (or
// really went to the trash). Returns false only when the user stopped the walk at a question. A
// folder that does not exist gives true with both outputs 0. Afterwards the program's current
// folder is the parent of the folder.
bool deleteFolderTree(const std::string& folder, bool recycle, std::int64_t& files, std::int64_t& bytes);
