// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/FolderHandle.h"
#include "platform/ListedEntry.h"

#include <functional>

// Visits the identities of an open folder and of every folder above it, nearest first, up to the
// top of the file-system tree, through "..": the folders the kernel really has above this one,
// whatever path named it (links in that path count for nothing). visit returns false to stop.
// Returns 0 when the top was reached or visit stopped the walk, else the errno of the ".." that
// failed (the folders above that one stay unknown). At most mostLevels folders are visited (ELOOP
// beyond).
int VisitFoldersUp(const FolderHandle& folder, const std::function<bool(const EntryIdentity&)>& visit,
                   std::size_t mostLevels = 1'000'000);
