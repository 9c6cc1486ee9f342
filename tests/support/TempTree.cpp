// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TempTree.h"

#include <cerrno>
#include <dirent.h>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <ftw.h>
#include <stdexcept>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
void check(bool ok, const std::string& what) {
    if (!ok)
        throw std::runtime_error(what + ": " + std::strerror(errno));
}

// Removes the tree with the openat family, so depth and path length never limit it.
void removeAll(int parentFd, const char* name) {
    struct stat st {};
    if (fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return;
    if (S_ISDIR(st.st_mode)) {
        fchmodat(parentFd, name, 0700, 0);
        int fd = openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            DIR* dir = fdopendir(fd);
            std::vector<std::string> names;
            while (dirent* e = readdir(dir)) {
                if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                    names.emplace_back(e->d_name);
            }
            for (const std::string& n : names)
                removeAll(dirfd(dir), n.c_str());
            closedir(dir);
        }
        unlinkat(parentFd, name, AT_REMOVEDIR);
    } else {
        unlinkat(parentFd, name, 0);
    }
}
} // namespace

TempTree::TempTree() {
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/vantorel-test-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    check(mkdtemp(buf.data()) != nullptr, "mkdtemp");
    m_root = buf.data();
    chmod(m_root.c_str(), 0755); // so an unprivileged id can reach what is below it
}

TempTree::~TempTree() {
    std::string parent = m_root.substr(0, m_root.rfind('/'));
    std::string leaf = m_root.substr(m_root.rfind('/') + 1);
    int fd = open(parent.empty() ? "/" : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        removeAll(fd, leaf.c_str());
        close(fd);
    }
}

std::string TempTree::path(const std::string& relative) const {
    return relative.empty() ? m_root : m_root + "/" + relative;
}

std::string TempTree::folder(const std::string& relative) {
    std::string full = m_root;
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t slash = relative.find('/', start);
        if (slash == std::string::npos)
            slash = relative.size();
        if (slash > start) {
            full += "/" + relative.substr(start, slash - start);
            if (mkdir(full.c_str(), 0755) != 0 && errno != EEXIST)
                check(false, "mkdir " + full);
        }
        start = slash + 1;
    }
    return full;
}

std::string TempTree::file(const std::string& relative, std::int64_t size, char fill) {
    std::size_t slash = relative.rfind('/');
    if (slash != std::string::npos)
        folder(relative.substr(0, slash));
    std::string full = path(relative);
    int fd = open(full.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    check(fd >= 0, "create " + full);
    if (size > 64 * 1024) {
        check(ftruncate(fd, size) == 0, "ftruncate " + full);
    } else if (size > 0) {
        std::string bytes(static_cast<std::size_t>(size), fill);
        check(write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()), "write " + full);
    }
    close(fd);
    return full;
}

std::string TempTree::symlink(const std::string& relative, const std::string& target) {
    std::size_t slash = relative.rfind('/');
    if (slash != std::string::npos)
        folder(relative.substr(0, slash));
    std::string full = path(relative);
    check(::symlink(target.c_str(), full.c_str()) == 0, "symlink " + full);
    return full;
}

void TempTree::setMode(const std::string& relative, mode_t mode) {
    check(chmod(path(relative).c_str(), mode) == 0, "chmod " + relative);
}

void TempTree::setTimes(const std::string& relative, std::time_t access, std::time_t write) {
    struct timespec times[2] = {{access, 0}, {write, 0}};
    check(utimensat(AT_FDCWD, path(relative).c_str(), times, AT_SYMLINK_NOFOLLOW) == 0, "utimensat " + relative);
}

std::string TempTree::deepChain(const std::string& relative, int depth, const std::string& name) {
    std::string base = folder(relative);
    int fd = open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    check(fd >= 0, "open " + base);
    std::string rel = relative;
    for (int i = 0; i < depth; ++i) {
        check(mkdirat(fd, name.c_str(), 0755) == 0 || errno == EEXIST, "mkdirat");
        int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        check(child >= 0, "openat");
        close(fd);
        fd = child;
        rel += (rel.empty() ? "" : "/") + name;
    }
    close(fd);
    return rel;
}

uid_t AsUnprivileged::uid() { return 65534; }
gid_t AsUnprivileged::gid() { return 65534; }

AsUnprivileged::AsUnprivileged() {
    m_oldGid = setfsgid(gid());
    m_oldUid = setfsuid(uid());
}

AsUnprivileged::~AsUnprivileged() {
    setfsuid(static_cast<uid_t>(m_oldUid));
    setfsgid(static_cast<gid_t>(m_oldGid));
}
