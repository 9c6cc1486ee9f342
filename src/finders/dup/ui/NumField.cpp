// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dup/ui/NumField.h"

#include <QFocusEvent>
#include <QRegularExpressionValidator>
#include <QToolButton>

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

void NumField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    Q_EMIT exited();
}

UpDownSpinner::UpDownSpinner(QWidget* parent) : QWidget(parent) {
    m_up = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_down = new QToolButton(this);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {m_up, m_down}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::released, this, [this] { Q_EMIT mouseUp(); });
    }
    connect(m_up, &QToolButton::clicked, this, [this] { Q_EMIT stepped(+1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Q_EMIT stepped(-1); });
}

void UpDownSpinner::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}
