// SPDX-License-Identifier: GPL-3.0-or-later
#include "browse/BrowsedFolder.h"

#include <cerrno>

namespace {

std::vector<std::string> PartsOf(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i < path.size()) {
        std::size_t end = path.find('/', i);
        if (end == std::string::npos)
            end = path.size();
        if (end > i && !(end - i == 1 && path[i] == '.'))
            parts.emplace_back(path, i, end - i);
        i = end + 1;
    }
    return parts;
}

bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

} // namespace

BrowsedFolder OpenBrowsedFolder(const std::string& driveRoot, const std::vector<std::string>& names) {
    BrowsedFolder f;
    f.handle = FolderHandle::open(driveRoot);
    if (!f.handle.valid()) {
        f.error = f.handle.error();
        return f;
    }
    f.rootPath = f.handle.path();
    f.rootIdentity = f.handle.identity();
    f.self.root = f.rootPath;
    f.self.rootIdentity = f.rootIdentity;
    f.self.folderIdentity = f.rootIdentity;
    f.self.identity = f.rootIdentity;
    f.self.isFolder = true;

    std::string relative; // the folder's path below rootPath
    for (const std::string& name : names) {
        if (!IsPlainName(name)) {
            f.error = EINVAL;
            break;
        }
        FolderHandle child = FolderHandle::openChild(f.handle, name);
        if (!child.valid()) {
            f.error = child.error();
            break;
        }
        ListedEntry self;
        self.root = f.rootPath;
        self.rootIdentity = f.rootIdentity;
        self.folder = relative;
        self.folderIdentity = f.handle.identity();
        self.name = name;
        self.identity = child.identity();
        self.isFolder = true;
        if (child.isMountRoot() || child.device() != f.handle.device()) {
            // Entries below a mount are reached from the mount itself.
            f.rootPath = child.path();
            f.rootIdentity = child.identity();
            relative.clear();
        } else {
            relative = relative.empty() ? name : relative + "/" + name;
        }
        f.self = std::move(self);
        f.handle = std::move(child);
        f.names.push_back(name);
    }
    return f;
}

std::optional<std::vector<std::string>> NamesBelow(const std::string& root, const std::string& path) {
    if (root.empty() || root[0] != '/' || path.empty() || path[0] != '/')
        return std::nullopt;
    const std::vector<std::string> rootParts = PartsOf(root);
    std::vector<std::string> parts = PartsOf(path);
    if (parts.size() < rootParts.size())
        return std::nullopt;
    for (std::size_t i = 0; i < rootParts.size(); ++i)
        if (parts[i] != rootParts[i])
            return std::nullopt;
    parts.erase(parts.begin(), parts.begin() + std::ptrdiff_t(rootParts.size()));
    for (const std::string& part : parts)
        if (part == "..")
            return std::nullopt; // by text it could lead anywhere past a link
    return parts;
}
