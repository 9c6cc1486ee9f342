// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <sys/mount.h>

// Mounts a filesystem (or binds a folder) for one test and always takes it away again. Tests that
// need it skip when mounted is false (no right to mount here).
struct ScopedMount {
    std::string target;
    bool mounted = false;
    ScopedMount(const char* source, const std::string& where, const char* type, unsigned long flags)
        : target(where), mounted(::mount(source, where.c_str(), type, flags, nullptr) == 0) {}
    ~ScopedMount() {
        if (mounted)
            ::umount2(target.c_str(), MNT_DETACH);
    }
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;
};
