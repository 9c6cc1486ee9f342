// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/StateFolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>

namespace {

// Makes the folder name of parent (0700) when it is missing and make is set, then opens it without
// following a link.
FolderHandle childFolder(const FolderHandle& parent, const char* name, bool make) {
    FolderHandle child = FolderHandle::openChild(parent, name);
    if (!child.valid() && child.error() == ENOENT && make && ::mkdirat(parent.fd(), name, 0700) == 0)
        child = FolderHandle::openChild(parent, name);
    if (!child.valid() && (child.error() == ELOOP || child.error() == ENOTDIR))
        return FolderHandle::failed(child.path(), EMLINK);
    return child;
}

} // namespace

std::string StateHomePath() {
    QByteArray base = qgetenv("XDG_STATE_HOME");
    if (base.isEmpty() || base[0] != '/')
        base = QFile::encodeName(QDir::homePath()) + "/.local/state";
    return base.toStdString();
}

FolderHandle OpenStateFolder(const char* name, bool make) {
    const std::string base = StateHomePath();
    if (make)
        QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(base)));
    const FolderHandle state = FolderHandle::open(base);
    if (!state.valid())
        return FolderHandle::failed(base, state.error());
    const FolderHandle mine = childFolder(state, "vantorel", make);
    if (!mine.valid())
        return FolderHandle::failed(mine.path(), mine.error());
    return childFolder(mine, name, make);
}
