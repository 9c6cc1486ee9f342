// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

// Whether files of the filesystem of fd can share their data extents with other files (reflinked
// copies, snapshots: btrfs, XFS, OCFS2, bcachefs). Elsewhere no extent is ever shared, so there is
// nothing to ask the filesystem file by file.
bool CanShareExtents(int fd);

// The bytes of the open file's extents that the filesystem marks as shared with other files
// (FIEMAP_EXTENT_SHARED): space that may stay in use when the file goes. 0 when none; -1 when the
// filesystem cannot tell. A file of very many extents is asked about its first quarter million.
std::int64_t SharedExtentBytes(int fd);
