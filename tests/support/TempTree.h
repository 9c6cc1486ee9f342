// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <ctime>
#include <string>
#include <sys/types.h>

// A fixture tree in a fresh temporary folder, removed (permissions restored first) when destroyed.
// Paths given to the helpers are relative to root() and are byte strings (any name allowed).
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& root() const { return m_root; }
    std::string path(const std::string& relative) const; // root + "/" + relative

    // Makes a folder and any missing parents.
    std::string folder(const std::string& relative);
    // A file of size bytes (parents made); sparse (a hole) when size exceeds 64 KiB; content is
    // the byte fill repeated otherwise.
    std::string file(const std::string& relative, std::int64_t size = 0, char fill = 'x');
    std::string symlink(const std::string& relative, const std::string& target);
    void setMode(const std::string& relative, mode_t mode);
    // Sets last access and last write time (seconds since the epoch, UTC), links not followed.
    void setTimes(const std::string& relative, std::time_t access, std::time_t write);
    // A chain of depth nested folders named name under relative; returns the deepest's relative path.
    std::string deepChain(const std::string& relative, int depth, const std::string& name = "d");

private:
    std::string m_root;
};

// While alive, the calling thread's file-system user and group ids are those of "nobody", so that
// permission checks really apply even when the tests run as root.
class AsUnprivileged {
public:
    AsUnprivileged();
    ~AsUnprivileged();
    static uid_t uid();
    static gid_t gid();

private:
    int m_oldUid;
    int m_oldGid;
};
