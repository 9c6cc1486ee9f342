// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dup/ui/NumField.h"

#include "common/NumberTexts.h"

#include <QFocusEvent>
#include <QRegularExpressionValidator>

NumField::NumField(QWidget* parent) : QLineEdit(parent) {
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), this));
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

std::optional<std::int64_t> NumField::number() const {
    bool ok = false;
    const qlonglong value = text().trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return std::int64_t(value);
}

void NumField::setNumber(std::int64_t value) { setText(QString::number(value)); }

QString NumField::kiloText() const {
    const auto value = number();
    return value ? KiloToMega(*value) : QStringLiteral("KB");
}

void NumField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    Q_EMIT exited();
}
