// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ReachableProgram.h"

#include "support/TempTree.h"

#include <filesystem>
#include <map>
#include <mutex>

const std::string& ReachableProgram(const std::string& path) {
    static std::mutex lock;
    static TempTree folder; // 0755, and /tmp (or TMPDIR) is open to everyone
    static std::map<std::string, std::string> copies;
    const std::lock_guard<std::mutex> hold(lock);
    auto [at, made] = copies.try_emplace(path);
    if (made) {
        const std::filesystem::path from(path);
        const std::string to = folder.path(std::to_string(copies.size()) + "-" + from.filename().string());
        try {
            std::filesystem::copy_file(from, to);
            std::filesystem::permissions(to, std::filesystem::perms(0755));
        } catch (...) {
            copies.erase(at);
            throw;
        }
        at->second = to;
    }
    return at->second;
}
