// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

// File-type names and the wildcard list come from the shared MIME database (QMimeDatabase), this
// platform's registry of file extensions.

// The type description of an extension given with its dot (".txt"): the MIME type's comment, or
// its name when the comment is empty; for an extension the database does not know, the extension
// without its dot, upper-cased, and " File" (".xyz" gives "XYZ File"). Empty for "" and for any
// text holding "*". Answers are kept per extension, so a call per listed file costs a lookup.
QString FileTypeName(const QString& extension);

// The wildcard combo's items: "*.*" first, then "*" and each known extension of at most four
// characters after the dot ("*.jpeg" but not "*.class"), sorted ignoring case, each once.
QStringList WildcardPatterns();
