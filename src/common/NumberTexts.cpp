// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/NumberTexts.h"

#include <QLocale>

QString FormatThousands(qint64 n) {
    QLocale locale;
    // The default locale may have been set up without group separators; these texts always group.
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(n);
}

QString SizeInKText(qint64 size) {
    // A size is never negative on disk; one that is counts as empty rather than giving "0.-2".
    if (size < 0)
        size = 0;
    const qint64 k = size / 1024;
    if (k > 0)
        return QString::number(k).rightJustified(5, u' ');
    qint64 tenths = size / 103;
    if (tenths <= 0 && size > 0)
        tenths = 1;
    return QStringLiteral("     0.") + QString::number(tenths);
}

QString CountText(qint64 n, const char* one, const char* many) {
    return FormatThousands(n) + QLatin1Char(' ') + QString::fromLatin1(n == 1 ? one : many);
}

QString KiloToMega(qint64 k) {
    if (k < 1024)
        return QStringLiteral("KB (") + QString::number(k * 1024) + QStringLiteral(" bytes)");
    QString mega = QString::asprintf("%4.1f", static_cast<double>(k) / 1024.0);
    mega.replace(u'.', QLocale().decimalPoint());
    return QStringLiteral("KB (") + mega + QStringLiteral(" Meg)");
}
