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

// Points an XDG folder variable at a folder of the test's own for its lifetime, so the totals file,
// the trash or the journal starts empty in every test even when one process runs them all.
class ScopedXdgFolder {
public:
    ScopedXdgFolder(const char* variable, const std::string& folder)
        : m_variable(variable), m_old(qgetenv(variable)) {
        qputenv(variable, QByteArray::fromStdString(folder));
    }
    ~ScopedXdgFolder() { qputenv(m_variable, m_old); }
    ScopedXdgFolder(const ScopedXdgFolder&) = delete;
    ScopedXdgFolder& operator=(const ScopedXdgFolder&) = delete;

private:
    const char* m_variable;
    QByteArray m_old;
};

// The settings folder, so the totals file starts absent.
class ScopedConfigHome : public ScopedXdgFolder {
public:
    explicit ScopedConfigHome(const std::string& folder) : ScopedXdgFolder("XDG_CONFIG_HOME", folder) {}
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
