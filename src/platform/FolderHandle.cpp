// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FolderHandle.h"

#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int kRootFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// Absolute path text with repeated "/" and "." parts dropped and no trailing "/" (but "/").
// ".." parts are kept as they are: resolving them by text would be wrong past a link.
std::string cleanPath(const std::string& path) {
    std::string full;
    if (path.empty() || path[0] != '/') {
        std::string cwd(256, '\0');
        while (::getcwd(cwd.data(), cwd.size()) == nullptr && errno == ERANGE)
            cwd.resize(cwd.size() * 2);
        cwd.resize(std::char_traits<char>::length(cwd.c_str()));
        full = cwd + "/" + path;
    } else {
        full = path;
    }
    std::string out;
    out.reserve(full.size());
    std::size_t i = 0;
    while (i < full.size()) {
        while (i < full.size() && full[i] == '/')
            ++i;
        std::size_t end = full.find('/', i);
        if (end == std::string::npos)
            end = full.size();
        std::string_view part(full.data() + i, end - i);
        if (!part.empty() && part != ".") {
            out += '/';
            out += part;
        }
        i = end;
    }
    return out.empty() ? std::string("/") : out;
}

// statx is missing on old kernels and behind some seccomp filters; fall back once and remember.
std::atomic<bool> g_noStatx{false};

// Device, inode and the mount-root flag of an open folder, in one call.
bool fillIdentity(int fd, dev_t& device, ino_t& inode, bool& mountRoot) {
    mountRoot = false;
    if (!g_noStatx.load(std::memory_order_relaxed)) {
        struct statx sx {};
        if (::statx(fd, "", AT_EMPTY_PATH, STATX_TYPE | STATX_INO, &sx) == 0) {
            device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
            inode = sx.stx_ino;
#ifdef STATX_ATTR_MOUNT_ROOT
            mountRoot = (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) && (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
#endif
            return true;
        }
        if (errno != ENOSYS)
            return false;
        g_noStatx.store(true, std::memory_order_relaxed);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return false;
    device = st.st_dev;
    inode = st.st_ino;
    return true;
}

FolderListing::Type typeOfHint(unsigned char dtype) {
    switch (dtype) {
    case DT_REG:
        return FolderListing::File;
    case DT_DIR:
        return FolderListing::Folder;
    case DT_UNKNOWN:
        return FolderListing::Unknown;
    default:
        return FolderListing::Other;
    }
}

struct timespec fromStatx(const struct statx_timestamp& t) { return {t.tv_sec, static_cast<long>(t.tv_nsec)}; }

} // namespace

FolderHandle::~FolderHandle() { close(); }

FolderHandle::FolderHandle(FolderHandle&& other) noexcept
    : m_fd(other.m_fd), m_error(other.m_error), m_path(std::move(other.m_path)), m_device(other.m_device),
      m_inode(other.m_inode), m_mountRoot(other.m_mountRoot) {
    other.m_fd = -1;
}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        m_error = other.m_error;
        m_path = std::move(other.m_path);
        m_device = other.m_device;
        m_inode = other.m_inode;
        m_mountRoot = other.m_mountRoot;
        other.m_fd = -1;
    }
    return *this;
}

void FolderHandle::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_error = 0;
}

FolderHandle FolderHandle::open(const std::string& path) {
    FolderHandle h;
    h.m_path = cleanPath(path);
    h.m_fd = ::open(h.m_path.c_str(), kRootFlags);
    if (h.m_fd < 0 || !fillIdentity(h.m_fd, h.m_device, h.m_inode, h.m_mountRoot)) {
        int err = errno;
        h.close();
        h.m_error = err;
    }
    return h;
}

FolderHandle FolderHandle::failed(const std::string& path, int error) {
    FolderHandle h;
    h.m_path = path;
    h.m_error = error;
    return h;
}

FolderHandle FolderHandle::openChild(const FolderHandle& parent, const std::string& name) {
    FolderHandle h;
    h.m_path = parent.childPath(name);
    h.m_fd = ::openat(parent.fd(), name.c_str(), kOpenFlags);
    if (h.m_fd < 0 || !fillIdentity(h.m_fd, h.m_device, h.m_inode, h.m_mountRoot)) {
        int err = errno;
        h.close();
        h.m_error = err;
    }
    return h;
}

FolderHandle FolderHandle::reopenParent(const FolderHandle& child, const std::string& parentPath, dev_t device,
                                        ino_t inode) {
    FolderHandle h;
    h.m_path = parentPath;
    h.m_fd = ::openat(child.fd(), "..", kOpenFlags);
    if (h.m_fd < 0 || !fillIdentity(h.m_fd, h.m_device, h.m_inode, h.m_mountRoot)) {
        int err = errno;
        h.close();
        h.m_error = err;
    } else if (h.m_device != device || h.m_inode != inode) {
        // The folder was moved while the walk was below it: ".." is now somewhere else.
        h.close();
        h.m_error = ESTALE;
    }
    return h;
}

std::string FolderHandle::childPath(std::string_view name) const {
    std::string p;
    p.reserve(m_path.size() + 1 + name.size());
    p = m_path;
    if (p.empty() || p.back() != '/')
        p += '/';
    p += name;
    return p;
}

bool ReadFolderNames(const FolderHandle& folder, FolderListing& listing, int* error) {
    listing.clear();
    if (!folder.valid()) {
        if (error)
            *error = folder.error() ? folder.error() : EBADF;
        return false;
    }
    // Start from the top even when the handle was listed before.
    if (::lseek(folder.fd(), 0, SEEK_SET) < 0) {
        if (error)
            *error = errno;
        return false;
    }
    alignas(8) char buffer[32 * 1024];
    for (;;) {
        ssize_t n = ::getdents64(folder.fd(), buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (error)
                *error = errno;
            return false;
        }
        for (ssize_t pos = 0; pos < n;) {
            auto* d = reinterpret_cast<const struct dirent64*>(buffer + pos);
            pos += d->d_reclen;
            const char* nm = d->d_name;
            if (nm[0] == '.' && (nm[1] == '\0' || (nm[1] == '.' && nm[2] == '\0')))
                continue;
            std::size_t len = std::char_traits<char>::length(nm);
            listing.items.push_back({static_cast<std::uint32_t>(listing.names.size()),
                                     static_cast<std::uint16_t>(len), typeOfHint(d->d_type)});
            listing.names.append(nm, len);
        }
    }
}

int StatEntry(const FolderHandle& folder, std::string_view name, FsEntry& entry, bool withCreation) {
    // The name must be NUL-terminated for the call; names are at most 255 bytes on Linux.
    char buf[1024];
    if (name.size() >= sizeof buf)
        return ENAMETOOLONG;
    name.copy(buf, name.size());
    buf[name.size()] = '\0';

    if (!g_noStatx.load(std::memory_order_relaxed)) {
        struct statx sx {};
        const unsigned mask = STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_BLOCKS | STATX_ATIME | STATX_MTIME |
                              (withCreation ? unsigned(STATX_BTIME) : 0u);
        int rc = ::statx(folder.fd(), buf, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC, mask, &sx);
        if (rc == 0) {
            entry.mode = sx.stx_mode;
            entry.size = static_cast<std::int64_t>(sx.stx_size);
            entry.allocated = static_cast<std::int64_t>(sx.stx_blocks) * 512;
            entry.lastWrite = fromStatx(sx.stx_mtime);
            entry.lastAccess = fromStatx(sx.stx_atime);
            entry.hasCreation = withCreation && (sx.stx_mask & STATX_BTIME) != 0;
            entry.creation = entry.hasCreation ? fromStatx(sx.stx_btime) : timespec{};
            entry.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
            entry.inode = sx.stx_ino;
            entry.attributes = AttributesOf(name, entry.mode);
            entry.mountRoot = false;
#ifdef STATX_ATTR_MOUNT_ROOT
            entry.mountRoot = (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) && (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
#endif
            return 0;
        }
        if (errno != ENOSYS)
            return errno;
        g_noStatx.store(true, std::memory_order_relaxed);
    }
    struct stat st {};
    if (::fstatat(folder.fd(), buf, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    entry.mode = st.st_mode;
    entry.size = st.st_size;
    entry.allocated = static_cast<std::int64_t>(st.st_blocks) * 512;
    entry.lastWrite = st.st_mtim;
    entry.lastAccess = st.st_atim;
    entry.hasCreation = false;
    entry.creation = {};
    entry.device = st.st_dev;
    entry.inode = st.st_ino;
    entry.attributes = AttributesOf(name, entry.mode);
    entry.mountRoot = false; // without statx only a change of device tells
    return 0;
}

bool LinkLeadsToFolder(const FolderHandle& folder, std::string_view name) {
    char buf[1024];
    if (name.size() >= sizeof buf)
        return false;
    name.copy(buf, name.size());
    buf[name.size()] = '\0';
    struct stat st {};
    // Followed for its type only; nothing is opened through the link.
    return ::fstatat(folder.fd(), buf, &st, AT_NO_AUTOMOUNT) == 0 && S_ISDIR(st.st_mode);
}

bool ReadFolder(const FolderHandle& folder, std::vector<FsEntry>& entries, int* error) {
    entries.clear();
    FolderListing listing;
    if (!ReadFolderNames(folder, listing, error))
        return false;
    entries.reserve(listing.size());
    for (std::size_t i = 0; i < listing.size(); ++i) {
        FsEntry e;
        if (StatEntry(folder, listing.name(i), e) != 0)
            continue; // vanished (or unreadable) between the listing and its statistics
        e.name.assign(listing.name(i));
        entries.push_back(std::move(e));
    }
    return true;
}

std::uint32_t AttributesOf(std::string_view name, mode_t mode) {
    std::uint32_t a = 0;
    if (S_ISDIR(mode))
        a |= faFolder;
    else if (!S_ISREG(mode))
        a |= faSystem;
    if (!name.empty() && name[0] == '.')
        a |= faHidden;
    if (!(mode & S_IWUSR))
        a |= faReadOnly;
    return a;
}
