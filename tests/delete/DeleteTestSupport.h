// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/ListedEntry.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <string>
#include <vector>

#include <sys/stat.h>

// Points the settings folder at a folder of the test's own for its lifetime, so the totals file
// starts absent in every test even when one process runs them all.
class ScopedConfigHome {
public:
    explicit ScopedConfigHome(const std::string& folder) : m_old(qgetenv("XDG_CONFIG_HOME")) {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folder));
    }
    ~ScopedConfigHome() { qputenv("XDG_CONFIG_HOME", m_old); }

private:
    QByteArray m_old;
};

inline QString trashFolder() { return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash"); }

inline bool inTrash(const QString& name) { return QFile::exists(trashFolder() + QStringLiteral("/files/") + name); }

// The .trashinfo text of a trashed name; empty when there is none.
inline QString trashInfo(const QString& name) {
    QFile file(trashFolder() + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

inline bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The file or folder at path as a listing sees it now. A path that does not exist still gives an
// entry naming it, whose removal then fails as the file's would.
inline ListedEntry listed(const std::string& path) {
    if (auto entry = ListedEntry::listNow(path))
        return *entry;
    ListedEntry missing;
    const std::size_t slash = path.rfind('/');
    missing.root = path.substr(0, slash);
    missing.name = path.substr(slash + 1);
    return missing;
}

inline std::vector<ListedEntry> listed(std::initializer_list<std::string> paths) {
    std::vector<ListedEntry> entries;
    for (const std::string& path : paths)
        entries.push_back(listed(path));
    return entries;
}
