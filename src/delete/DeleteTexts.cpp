// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/DeleteTexts.h"

#include <QLocale>

QString shownPath(const std::string& bytes) {
    QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F)
            c = QLatin1Char('?');
    }
    return text;
}

QString thousandsText(std::int64_t value) {
    QLocale locale; // the default locale, so tests can fix it
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(static_cast<qlonglong>(value));
}
