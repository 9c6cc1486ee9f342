// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/ListedEntry.h"

// Folders that no folder delete may take, however it is reached.
enum class FolderProtection {
    None,
    DriveRoot,    // "/" or a drive's root folder (the drive table, VANTOREL_DRIVES included)
    SystemFolder, // a folder directly under "/" (/usr, /etc, /home, ...), or one named windows
                  // (letter case ignored) directly under a drive's root
};

// What protects the folder with that identity, whose parent folder has parentIdentity and whose name
// is name. Compared by identity, so no link or second mount leads around it.
FolderProtection ProtectionOf(const EntryIdentity& folder, const EntryIdentity& parent, const std::string& name);
