// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileTypes.h"

#include <QHash>
#include <QLocale>
#include <QMimeDatabase>
#include <QMutex>
#include <algorithm>

namespace {

// The database's own answer for an extension, or empty text when no type claims "*" + extension.
// Asking by file name would give application/octet-stream for anything unknown, which names no type.
QString LookUpTypeName(const QString& extension) {
    const QMimeDatabase db;
    const QString glob = u'*' + extension;
    for (const QMimeType& type : db.mimeTypesForFileName(QStringLiteral("file") + extension)) {
        if (!type.globPatterns().contains(glob, Qt::CaseInsensitive))
            continue;
        const QString comment = type.comment();
        return comment.isEmpty() ? type.name() : comment;
    }
    return {};
}

bool IsOfferedSuffix(const QString& suffix) {
    if (suffix.isEmpty() || suffix.size() > 4)
        return false;
    for (QChar c : suffix)
        if (c == u'.' || c == u'*' || c == u'?' || c == u'[')
            return false; // a compound or pattern suffix is no single extension
    return true;
}

} // namespace

QString FileTypeName(const QString& extension) {
    if (extension.isEmpty() || extension.contains(u'*'))
        return {};

    // Descriptions are in the locale's language, so the answers are dropped when it changes.
    static QMutex mutex;
    static QHash<QString, QString> cache;
    static QLocale cachedLocale;
    const QLocale locale;
    {
        QMutexLocker lock(&mutex);
        if (locale != cachedLocale) {
            cache.clear();
            cachedLocale = locale;
        }
        const auto it = cache.constFind(extension);
        if (it != cache.constEnd())
            return it.value();
    }
    QString name = LookUpTypeName(extension);
    if (name.isEmpty())
        name = extension.mid(1).toUpper() + QStringLiteral(" File");
    QMutexLocker lock(&mutex);
    cache.insert(extension, name);
    return name;
}

QStringList WildcardPatterns() {
    // Matching ignores case, so "*.C" and "*.c" are one choice; the lower-case spelling is shown.
    QHash<QString, QString> byFolded;
    const QMimeDatabase db;
    for (const QMimeType& type : db.allMimeTypes()) {
        for (const QString& suffix : type.suffixes()) {
            if (!IsOfferedSuffix(suffix))
                continue;
            const QString folded = suffix.toLower();
            auto it = byFolded.find(folded);
            if (it == byFolded.end())
                byFolded.insert(folded, suffix);
            else if (suffix == folded)
                it.value() = suffix;
        }
    }
    QStringList suffixes = byFolded.values();
    std::sort(suffixes.begin(), suffixes.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    QStringList patterns{QStringLiteral("*.*")};
    for (const QString& suffix : suffixes)
        patterns.append(QStringLiteral("*.") + suffix);
    return patterns;
}
