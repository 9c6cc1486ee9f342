// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/RecordField.h"

QStringView RecordFieldView(QStringView line, int n) {
    if (n < 1)
        return {};
    qsizetype start = 0;
    for (int skipped = 1; skipped < n; ++skipped) {
        const qsizetype tab = line.indexOf(u'\t', start);
        if (tab < 0)
            return {};
        start = tab + 1;
    }
    qsizetype end = line.indexOf(u'\t', start);
    if (end < 0)
        end = line.size();
    return line.mid(start, end - start);
}

QString RecordField(const QString& line, int n) { return RecordFieldView(line, n).toString(); }
