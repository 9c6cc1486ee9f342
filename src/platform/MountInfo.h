// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One line of the kernel's mount table (/proc/self/mountinfo).
struct MountEntry {
    int id = -1;            // the mount's id, as statx's STATX_MNT_ID gives it
    std::string device;     // "major:minor": one per filesystem, shared by its bind mounts
    std::string root;       // the folder of the filesystem that is mounted ("/" for the whole of it)
    std::string mountPoint; // exact bytes
    std::string fsType;
    std::string source;
};

// The mounts of a mountinfo text; a later mount on the same folder hides the earlier one.
std::vector<MountEntry> ParseMountInfo(std::string_view text);
// The mounts of this process now.
std::vector<MountEntry> ReadMountInfo();
// The visible mount with that id; nullopt when none.
std::optional<MountEntry> MountWithId(int id);
// True for filesystems that hold the user's files: block devices and network filesystems, never
// pseudo filesystems (proc, tmpfs, overlay, ...) nor read-only images (squashfs).
bool IsRealFilesystem(const MountEntry& mount);
