// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SharedExtents.h"

#include <cstring>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>

namespace {
constexpr unsigned long kBtrfs = 0x9123683E;
constexpr unsigned long kXfs = 0x58465342;
constexpr unsigned long kOcfs2 = 0x7461636F;
constexpr unsigned long kBcachefs = 0xCA451A4E;
constexpr unsigned kBatch = 64;   // extents asked for at a time
constexpr int kMostRounds = 4096; // the bound on one file's questions
} // namespace

bool CanShareExtents(int fd) {
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0)
        return false;
    const unsigned long type = static_cast<unsigned long>(fs.f_type) & 0xFFFFFFFFul;
    return type == kBtrfs || type == kXfs || type == kOcfs2 || type == kBcachefs;
}

std::int64_t SharedExtentBytes(int fd) {
    // The request and the extents the kernel fills in after it, in one buffer.
    alignas(
        struct fiemap) unsigned char buffer[sizeof(struct fiemap) + kBatch * sizeof(struct fiemap_extent)];
    auto* map = reinterpret_cast<struct fiemap*>(buffer);
    const auto* extents = reinterpret_cast<const struct fiemap_extent*>(buffer + sizeof(struct fiemap));
    std::int64_t shared = 0;
    std::uint64_t start = 0;
    for (int round = 0; round < kMostRounds; ++round) {
        std::memset(buffer, 0, sizeof buffer);
        map->fm_start = start;
        map->fm_length = FIEMAP_MAX_OFFSET - start;
        map->fm_extent_count = kBatch;
        if (::ioctl(fd, FS_IOC_FIEMAP, map) != 0)
            return -1;
        const unsigned mapped = map->fm_mapped_extents;
        if (mapped == 0)
            break;
        bool last = false;
        for (unsigned i = 0; i < mapped && i < kBatch; ++i) {
            const struct fiemap_extent& e = extents[i];
            if (e.fe_flags & FIEMAP_EXTENT_SHARED)
                shared += std::int64_t(e.fe_length);
            last = last || (e.fe_flags & FIEMAP_EXTENT_LAST);
            start = e.fe_logical + e.fe_length;
        }
        if (last)
            break;
    }
    return shared;
}
