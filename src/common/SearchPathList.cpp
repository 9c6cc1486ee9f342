// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/SearchPathList.h"

#include "common/DisplayText.h"

#include <cstdlib>

namespace {

// Folder texts compare ignoring ASCII case only, and without a trailing "/" (except the root), so
// that a PATH entry written as "/usr/bin/" still names the folder "/usr/bin".
QString FolderKey(const QString& folder) {
    QString key = folder;
    for (QChar& c : key)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
    qsizetype end = key.size();
    while (end > 1 && key[end - 1] == u'/')
        --end;
    key.truncate(end);
    return key;
}

} // namespace

SearchPathList& SearchPathList::global() {
    static SearchPathList list;
    return list;
}

void SearchPathList::GetSearchPath() {
    // The whole value, whatever its length; there is no separate system folder on this platform.
    const char* value = std::getenv("PATH");
    fillFrom(value ? DisplayText(value) : QString());
}

void SearchPathList::fillFrom(const QString& pathValue) {
    m_entries.clear();
    for (const QString& piece : pathValue.split(u':', Qt::SkipEmptyParts))
        m_entries.append(FolderKey(piece));
}

bool SearchPathList::IsSearchPathFolder(const QString& folder) const {
    if (m_entries.isEmpty())
        return false;
    return m_entries.contains(FolderKey(folder));
}
