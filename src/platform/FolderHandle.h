// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/FsEntry.h"
#include "platform/ListedEntry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// An open folder (O_DIRECTORY | O_NOFOLLOW, close-on-exec, O_NOATIME where the kernel allows it),
// addressed by its handle and carrying its path text. Walks open a child relative to its parent, so
// depth and path length never matter and the process's working folder is never changed. Move-only;
// closes on destruction.
//
// The path text is either the handle's own copy, or a view of a walk's one path buffer (the first
// bytes of a string that the walk owns and only ever grows beyond them while the handle is in use),
// so that the handles along a deep walk do not each hold a copy of the path above them.
class FolderHandle {
public:
    FolderHandle() = default;
    ~FolderHandle();
    FolderHandle(FolderHandle&& other) noexcept;
    FolderHandle& operator=(FolderHandle&& other) noexcept;
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    // Opens a folder by full path as the user named it: links in the path, the last part too, are
    // followed (a root given as a link to a folder is that folder). A relative path is taken from the
    // process's working folder; the path text is made absolute, repeated "/" and "." parts dropped.
    // On failure the handle is invalid and error() holds errno.
    static FolderHandle open(std::string_view path);
    // Opens the child folder name of parent, never following a link; its path is its own copy of
    // parent's path, "/" and name.
    static FolderHandle openChild(const FolderHandle& parent, std::string_view name);
    // The same open, the path being the text of pathBuffer as it is now (the caller has appended
    // name to its parent's path there): the handle keeps only the buffer's address and that length.
    static FolderHandle openChildSharing(const FolderHandle& parent, std::string_view name,
                                         const std::string& pathBuffer);
    // The same open without a path text (path() is empty until setPath): for a chain of opens whose
    // caller knows the path of the last one, so no open in between makes one.
    static FolderHandle openChildUnnamed(const FolderHandle& parent, std::string_view name);
    // Opens the parent of child through "..", and checks that it is still the folder expected
    // (device and inode); on a mismatch the handle is invalid with error ESTALE. The path text is given,
    // since ".." has none. Lets a very deep walk close its upper handles and come back to them.
    static FolderHandle reopenParent(const FolderHandle& child, std::string_view parentPath, dev_t device,
                                     ino_t inode);
    // The same, the folder expected being described by expected (which may be closed): its identity,
    // and its path the way it holds it (a shared path stays shared).
    static FolderHandle reopenParent(const FolderHandle& child, const FolderHandle& expected);

    // An invalid handle for path that carries error.
    static FolderHandle failed(std::string_view path, int error);
    // A folder known only by its identity, without a descriptor (valid() is false, error() 0): a
    // folder of a saved scan. Its path is set with setPath or sharePath.
    static FolderHandle described(EntryIdentity identity);

    bool valid() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    int error() const { return m_error; }
    // No trailing "/" except for "/". A view: valid while the handle (and a shared buffer's first
    // bytes) are unchanged.
    std::string_view path() const {
        return m_shared ? std::string_view(m_shared->data(), m_sharedLength) : std::string_view(m_path);
    }
    // The last part of path(): the folder's name in its parent ("" for "/").
    std::string_view name() const;
    dev_t device() const { return m_device; }
    ino_t inode() const { return m_inode; }
    EntryIdentity identity() const { return {m_device, m_inode}; }
    // True when the folder is the root of a mount, a bind mount of the same filesystem included
    // (statx's mount-root flag; on kernels without it only a change of device tells).
    bool isMountRoot() const { return m_mountRoot; }

    // The path of a child: path() + "/" + name (one "/" also at the root).
    std::string childPath(std::string_view name) const;
    // The handle's path becomes its own copy of path.
    void setPath(std::string path);
    // The handle's path becomes the first length bytes of buffer, which the caller keeps unchanged
    // and alive while the handle is in use.
    void sharePath(const std::string& buffer, std::size_t length);
    // Closes the handle but keeps path, device and inode (error() becomes 0).
    void close();

private:
    // Reads device, inode and the mount-root flag of the open descriptor; on failure (of the open
    // too) closes it and keeps errno.
    void identify();

    int m_fd = -1;
    int m_error = 0;
    std::string m_path; // the path, when not shared
    const std::string* m_shared =
        nullptr; // a walk's path buffer, whose first m_sharedLength bytes are the path
    std::size_t m_sharedLength = 0;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    bool m_mountRoot = false;
};

// The names of a folder as the file system lists them, without statistics: names in one byte arena
// and a small record per entry, so a listing costs no allocation per name.
struct FolderListing {
    // Failed: the entry's statistics could not be read when its type had to be known (already said).
    // Excluded: a walk's exclusion rules leave it out (the walk keeps which rule aside).
    enum Type : std::uint8_t { Unknown, File, Folder, Other, Failed, Excluded };
    struct Item {
        std::uint32_t offset;  // into names
        std::uint16_t length;
        Type type;             // from the listing's type hint; Unknown when the file system gives none
    };
    std::string names;
    std::vector<Item> items;

    std::size_t size() const { return items.size(); }
    std::string_view name(std::size_t i) const { return {names.data() + items[i].offset, items[i].length}; }
    void clear() {
        names.clear();
        items.clear();
    }
};

// Reads the whole listing (no "." and "..") in the order the file system returns it. Returns false
// with errno in *error when the folder cannot be read; the handle stays open either way.
bool ReadFolderNames(const FolderHandle& folder, FolderListing& listing, int* error = nullptr);

// The statistics of one entry of folder with a single statx (fstatat where statx is missing), links
// not followed. Fills every field of entry but name (mountRoot too); the creation time only when
// withCreation (the file system then has less to gather). Returns 0 or the errno (ENOENT when it
// vanished; EACCES for an entry of a folder that may be listed but not searched).
int StatEntry(const FolderHandle& folder, std::string_view name, FsEntry& entry, bool withCreation = true);

// The same for the entry name of the open folder folderFd.
int StatEntryAt(int folderFd, std::string_view name, FsEntry& entry, bool withCreation = true);

// The statistics of an open file (its descriptor), as StatEntry gives them; the attributes as for a
// name that is not hidden. 0 or the errno.
int StatOpenFile(int fd, FsEntry& entry);

// True when the entry name of folder (not followed) is a mount point, a file bind-mounted onto it
// included (statx's mount-root flag; false where the kernel cannot tell).
bool IsMountPoint(int folderFd, const char* name);

// True when the entry name of folder is a symbolic link whose target is a folder now (the link is
// followed for that answer only).
bool LinkLeadsToFolder(const FolderHandle& folder, std::string_view name);

// Reads the whole listing of an open folder in the order the file system returns it, without
// "." and "..", each entry with one fstatat (links not followed). An entry that vanished before its
// statistics were read is left out. Returns false with errno in *error when the folder cannot be read.
bool ReadFolder(const FolderHandle& folder, std::vector<FsEntry>& entries, int* error = nullptr);

// The attributes of an entry from its name and stat mode (see FileAttribute).
std::uint32_t AttributesOf(std::string_view name, mode_t mode);
