// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/FolderHandle.h"
#include "platform/ListedEntry.h"

// Opens the folder that holds a listed entry the only safe way: the root as the user named it,
// then each folder below it relative to the one before, never following a link and never crossing
// into a mount. The handle is valid only when the root and the folder are still the ones that were
// listed. Otherwise the handle is invalid and error() is ESTALE when something on the way changed
// (a folder swapped, replaced by a link or a file, a mount on the way), or the errno of the failure
// (ENOENT when a folder is gone). The handle's path() is the entry's folderPath().
FolderHandle OpenListedFolder(const ListedEntry& entry);

// Opens a listed folder itself to walk it again: its folder as OpenListedFolder does, then the
// folder by its name without following a link. Whatever is there now under that name is taken when
// it is a folder on the same filesystem (a folder put in its place too, as a new walk would); a
// name that is gone, a link, a file or a mount gives an invalid handle (ENOENT, ELOOP or ENOTDIR,
// EXDEV). A root (no name) is opened as the user named it. The handle's path() is entry.path().
FolderHandle OpenListedFolderItself(const ListedEntry& folder);
