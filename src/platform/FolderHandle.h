// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/FsEntry.h"

#include <string>
#include <sys/types.h>
#include <vector>

// An open folder (O_DIRECTORY | O_NOFOLLOW, close-on-exec), addressed by its handle and carrying its
// path text. Walks open a child relative to its parent, so depth and path length never matter and the
// process's working folder is never changed. Move-only; closes on destruction.
class FolderHandle {
public:
    FolderHandle() = default;
    ~FolderHandle();
    FolderHandle(FolderHandle&& other) noexcept;
    FolderHandle& operator=(FolderHandle&& other) noexcept;
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    // Opens a folder by full path (a link as the last part is not followed). On failure the handle
    // is invalid and error() holds errno.
    static FolderHandle open(const std::string& path);
    // Opens the child folder name of parent, never following a link.
    static FolderHandle openChild(const FolderHandle& parent, const std::string& name);

    bool valid() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    int error() const { return m_error; }
    const std::string& path() const { return m_path; } // no trailing "/" except for "/"
    dev_t device() const { return m_device; }
    ino_t inode() const { return m_inode; }

    // The path of a child: path() + "/" + name (one "/" also at the root).
    std::string childPath(const std::string& name) const;

private:
    int m_fd = -1;
    int m_error = 0;
    std::string m_path;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

// Reads the whole listing of an open folder in the order the file system returns it, without
// "." and "..", each entry with one fstatat (links not followed). An entry that vanished before its
// statistics were read is left out. Returns false with errno in *error when the folder cannot be read.
bool ReadFolder(const FolderHandle& folder, std::vector<FsEntry>& entries, int* error = nullptr);

// The attributes of an entry from its name and stat mode (see FileAttribute).
std::uint32_t AttributesOf(const std::string& name, mode_t mode);
