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

// Opens a folder without changing its access time where the kernel allows that (the owner, or
// root): the tools that show access dates must not be fooled by this program's own listings.
// Anyone else gets EPERM for O_NOATIME and opens it the plain way.
int openFolder(int at, const char* name, int flags) {
    int fd = ::openat(at, name, flags | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        fd = ::openat(at, name, flags);
    return fd;
}

struct timespec fromStatx(const struct statx_timestamp& t) { return {t.tv_sec, static_cast<long>(t.tv_nsec)}; }

} // namespace

FolderHandle::~FolderHandle() { close(); }

FolderHandle::FolderHandle(FolderHandle&& other) noexcept
    : m_fd(other.m_fd), m_error(other.m_error), m_path(std::move(other.m_path)), m_shared(other.m_shared),
      m_sharedLength(other.m_sharedLength), m_device(other.m_device), m_inode(other.m_inode),
      m_mountRoot(other.m_mountRoot) {
    other.m_fd = -1;
}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        m_error = other.m_error;
        m_path = std::move(other.m_path);
        m_shared = other.m_shared;
        m_sharedLength = other.m_sharedLength;
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

void FolderHandle::setPath(std::string path) {
    m_path = std::move(path);
    m_shared = nullptr;
    m_sharedLength = 0;
}

void FolderHandle::sharePath(const std::string& buffer, std::size_t length) {
    m_path = std::string();
    m_shared = &buffer;
    m_sharedLength = length;
}

std::string_view FolderHandle::name() const {
    const std::string_view p = path();
    const std::size_t slash = p.rfind('/');
    return slash == std::string_view::npos ? p : p.substr(slash + 1);
}

FolderHandle FolderHandle::open(std::string_view path) {
    FolderHandle h;
    h.m_path = cleanPath(std::string(path));
    h.m_fd = openFolder(AT_FDCWD, h.m_path.c_str(), kRootFlags);
    h.identify();
    return h;
}

FolderHandle FolderHandle::failed(std::string_view path, int error) {
    FolderHandle h;
    h.m_path = path;
    h.m_error = error;
    return h;
}

FolderHandle FolderHandle::described(EntryIdentity identity) {
    FolderHandle h;
    h.m_device = identity.device;
    h.m_inode = identity.inode;
    return h;
}

FolderHandle FolderHandle::openChildUnnamed(const FolderHandle& parent, std::string_view name) {
    FolderHandle h;
    // Names are at most 255 bytes on Linux; a longer one cannot be in a folder.
    char buf[1024];
    if (name.size() >= sizeof buf) {
        h.m_error = ENAMETOOLONG;
        return h;
    }
    name.copy(buf, name.size());
    buf[name.size()] = '\0';
    h.m_fd = openFolder(parent.fd(), buf, kOpenFlags);
    h.identify();
    return h;
}

FolderHandle FolderHandle::openChild(const FolderHandle& parent, std::string_view name) {
    FolderHandle h = openChildUnnamed(parent, name);
    h.m_path = parent.childPath(name);
    return h;
}

FolderHandle FolderHandle::openChildSharing(const FolderHandle& parent, std::string_view name,
                                            const std::string& pathBuffer) {
    FolderHandle h = openChildUnnamed(parent, name);
    h.sharePath(pathBuffer, pathBuffer.size());
    return h;
}

FolderHandle FolderHandle::reopenParent(const FolderHandle& child, std::string_view parentPath, dev_t device,
                                        ino_t inode) {
    FolderHandle h;
    h.m_path = parentPath;
    h.m_fd = openFolder(child.fd(), "..", kOpenFlags);
    h.identify();
    if (h.valid() && (h.m_device != device || h.m_inode != inode)) {
        // The folder was moved while the walk was below it: ".." is now somewhere else.
        h.close();
        h.m_error = ESTALE;
    }
    return h;
}

FolderHandle FolderHandle::reopenParent(const FolderHandle& child, const FolderHandle& expected) {
    FolderHandle h = reopenParent(child, std::string_view(), expected.device(), expected.inode());
    if (expected.m_shared)
        h.sharePath(*expected.m_shared, expected.m_sharedLength);
    else
        h.m_path = expected.m_path;
    return h;
}

void FolderHandle::identify() {
    if (m_fd < 0 || !fillIdentity(m_fd, m_device, m_inode, m_mountRoot)) {
        const int err = errno;
        close();
        m_error = err;
    }
}

std::string FolderHandle::childPath(std::string_view name) const {
    const std::string_view base = path();
    std::string p;
    p.reserve(base.size() + 1 + name.size());
    p = base;
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

namespace {

// One statx of fd/name with flags (fstatat where statx is missing) into every field of entry but
// its name. 0 or the errno.
int statInto(int fd, const char* name, int flags, std::string_view shownName, FsEntry& entry,
             bool withCreation) {
    if (!g_noStatx.load(std::memory_order_relaxed)) {
        struct statx sx {};
        const unsigned mask = STATX_TYPE | STATX_MODE | STATX_INO | STATX_SIZE | STATX_BLOCKS | STATX_ATIME |
                              STATX_MTIME | STATX_CTIME | STATX_NLINK | STATX_UID | STATX_GID |
                              (withCreation ? unsigned(STATX_BTIME) : 0u);
        int rc = ::statx(fd, name, flags | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC, mask, &sx);
        if (rc == 0) {
            entry.mode = sx.stx_mode;
            entry.size = static_cast<std::int64_t>(sx.stx_size);
            entry.allocated = static_cast<std::int64_t>(sx.stx_blocks) * 512;
            entry.lastWrite = fromStatx(sx.stx_mtime);
            entry.lastAccess = fromStatx(sx.stx_atime);
            entry.lastChange = fromStatx(sx.stx_ctime);
            entry.hasCreation = withCreation && (sx.stx_mask & STATX_BTIME) != 0;
            entry.creation = entry.hasCreation ? fromStatx(sx.stx_btime) : timespec{};
            entry.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
            entry.inode = sx.stx_ino;
            entry.links = sx.stx_nlink;
            entry.owner = sx.stx_uid;
            entry.group = sx.stx_gid;
            entry.attributes = AttributesOf(shownName, entry.mode);
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
    if (::fstatat(fd, name, &st, flags) != 0)
        return errno;
    entry.mode = st.st_mode;
    entry.size = st.st_size;
    entry.allocated = static_cast<std::int64_t>(st.st_blocks) * 512;
    entry.lastWrite = st.st_mtim;
    entry.lastAccess = st.st_atim;
    entry.lastChange = st.st_ctim;
    entry.hasCreation = false;
    entry.creation = {};
    entry.device = st.st_dev;
    entry.inode = st.st_ino;
    entry.links = std::uint32_t(st.st_nlink);
    entry.owner = st.st_uid;
    entry.group = st.st_gid;
    entry.attributes = AttributesOf(shownName, entry.mode);
    entry.mountRoot = false; // without statx only a change of device tells
    return 0;
}

} // namespace

int StatEntry(const FolderHandle& folder, std::string_view name, FsEntry& entry, bool withCreation) {
    return StatEntryAt(folder.fd(), name, entry, withCreation);
}

int StatEntryAt(int folderFd, std::string_view name, FsEntry& entry, bool withCreation) {
    // The name must be NUL-terminated for the call; names are at most 255 bytes on Linux.
    char buf[1024];
    if (name.size() >= sizeof buf)
        return ENAMETOOLONG;
    name.copy(buf, name.size());
    buf[name.size()] = '\0';
    return statInto(folderFd, buf, AT_SYMLINK_NOFOLLOW, name, entry, withCreation);
}

int StatOpenFile(int fd, FsEntry& entry) {
    return statInto(fd, "", AT_EMPTY_PATH, {}, entry, false);
}

bool IsMountPoint(int folderFd, const char* name) {
#ifdef STATX_ATTR_MOUNT_ROOT
    struct statx sx {};
    return ::statx(folderFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC, 0, &sx) == 0 &&
           (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) && (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
#else
    (void)folderFd, (void)name;
    return false;
#endif
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
