// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class DupScanEngine;

// Which duplicates really are the same file: within each run of equal names that a duplicates scan
// found, the files of equal size in bytes are read side by side, a block at a time, and split apart
// wherever their bytes differ (a fast hash of the first 64 KiB splits most groups at once, a
// 128-bit hash follows the whole content); what stays together to the end is byte for byte the
// same. Each file is read at most once, through folder handles from the scanned root, following no
// link, and only while it is still the file the scan listed (device, inode, size, modification
// time); a file that changes while it is read is left out. Empty files are identical without a
// read; names of one inode (hard links) are identical without comparing them.
class DupContentCheck {
public:
    explicit DupContentCheck(const DupScanEngine& engine);
    ~DupContentCheck();

    // Called after each block read; a window runs its event loop there.
    void setYieldHook(std::function<void()> hook);
    // Compares the contents of every run; a new run replaces the last one's groups.
    void run();
    void abort();
    bool aborted() const;

    // After run(): the identical group of a result (numbered from 1 in result order), 0 for none.
    std::uint32_t groupOf(std::size_t result) const;
    std::size_t groupCount() const;
    // The results of a group, in result order.
    const std::vector<std::uint32_t>& members(std::uint32_t group) const;
    // True when every member of the group is a name of one file (hard links): deleting one of them
    // frees no space.
    bool sameFile(std::uint32_t group) const;
    // Files left out: they could not be read, or changed since the scan or while being read.
    std::int64_t unreadableFiles() const;
    // Progress, from any thread: bytes read so far.
    std::int64_t bytesRead() const;
    bool ran() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
