// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MountInfo.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start <= line.size()) {
        std::size_t end = line.find(' ', start);
        if (end == std::string_view::npos)
            end = line.size();
        if (end > start)
            fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

// The kernel writes a space, tab, line break or backslash in a path as "\" and three octal digits.
std::string UnescapeOctal(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && IsOctal(text[i + 1]) && IsOctal(text[i + 2]) &&
            IsOctal(text[i + 3])) {
            out += char(((text[i + 1] - '0') << 6) | ((text[i + 2] - '0') << 3) | (text[i + 3] - '0'));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> mounts;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::vector<std::string_view> f = SplitFields(text.substr(start, end - start));
        start = end + 1;
        // id parent major:minor root mount-point options [optional fields...] - type source options
        const auto dash = std::find(f.begin(), f.end(), std::string_view("-"));
        if (f.size() < 6 || dash == f.end() || dash - f.begin() < 6 || f.end() - dash < 3)
            continue;
        MountEntry m{std::atoi(std::string(f[0]).c_str()), std::string(f[2]), UnescapeOctal(f[3]),
                     UnescapeOctal(f[4]), UnescapeOctal(dash[1]), UnescapeOctal(dash[2])};
        // A later mount on the same folder hides the earlier one.
        auto same = std::find_if(mounts.begin(), mounts.end(),
                                 [&](const MountEntry& o) { return o.mountPoint == m.mountPoint; });
        if (same != mounts.end())
            mounts.erase(same);
        mounts.push_back(std::move(m));
    }
    return mounts;
}

std::vector<MountEntry> ReadMountInfo() {
    std::ifstream file("/proc/self/mountinfo");
    std::stringstream text;
    text << file.rdbuf();
    return ParseMountInfo(text.str());
}

std::optional<MountEntry> MountWithId(int id) {
    for (MountEntry& m : ReadMountInfo())
        if (m.id == id)
            return std::move(m);
    return std::nullopt;
}

bool IsRealFilesystem(const MountEntry& m) {
    static const char* const pseudo[] = {"proc",  "sysfs",   "tmpfs",   "devtmpfs", "cgroup", "cgroup2",
                                         "devpts", "mqueue", "overlay", "squashfs", "ramfs",  "autofs"};
    static const char* const network[] = {"nfs", "nfs4", "cifs", "smb3", "sshfs", "fuse.sshfs"};
    // squashfs is left out too: read-only images (snaps, live media) on loop devices, nothing to free.
    for (const char* type : pseudo)
        if (m.fsType == type)
            return false;
    for (const char* type : network)
        if (m.fsType == type)
            return true;
    return m.source.rfind("/dev/", 0) == 0;
}
