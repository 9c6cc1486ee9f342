// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <ctime>
#include <string>
#include <sys/types.h>

// Attribute bits of a directory entry, with their Linux meaning:
// Folder = a directory (never a link to one); Hidden = the name begins with ".";
// System = neither a regular file nor a directory (links, devices, FIFOs, sockets);
// ReadOnly = the owner's write bit is clear. Archive and VolumeLabel are never set.
enum FileAttribute : std::uint32_t {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSystem = 0x04,
    faVolumeLabel = 0x08,
    faFolder = 0x10,
    faArchive = 0x20,
    faAnyFile = 0x3F,
};

// One directory entry with the statistics of a single fstatat/statx call (links not followed).
struct FsEntry {
    std::string name;            // exact bytes of the name
    std::uint32_t attributes = 0;
    std::int64_t size = 0;       // bytes, 64-bit
    std::int64_t allocated = 0;  // bytes of disk space given to it (512-byte blocks), 0 for a sparse hole
    struct timespec lastWrite {};
    struct timespec lastAccess {};
    struct timespec lastChange {}; // the inode's change time (st_ctime): no call can set it back
    struct timespec creation {}; // valid only when hasCreation
    bool hasCreation = false;
    dev_t device = 0;
    ino_t inode = 0;
    mode_t mode = 0;
    std::uint32_t links = 1; // hard links to the inode
    std::uint32_t owner = 0; // user and group ids
    std::uint32_t group = 0;
    bool mountRoot = false;      // a folder on which a filesystem is mounted (statx's mount-root flag)

    bool isFolder() const { return attributes & faFolder; }
};
