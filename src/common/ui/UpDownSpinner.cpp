// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/UpDownSpinner.h"

#include <QLabel>
#include <QToolButton>
#include <algorithm>

UpDownSpinner::UpDownSpinner(QWidget* parent, Qt::Orientation orientation)
    : QWidget(parent), m_orientation(orientation) {
    const bool vertical = orientation == Qt::Vertical;
    m_up = new QToolButton(this);
    m_up->setArrowType(vertical ? Qt::UpArrow : Qt::RightArrow);
    m_down = new QToolButton(this);
    m_down->setArrowType(vertical ? Qt::DownArrow : Qt::LeftArrow);
    for (QToolButton* b : {m_up, m_down}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::released, this, [this] { Q_EMIT mouseUp(); });
    }
    connect(m_up, &QToolButton::clicked, this, [this] { Q_EMIT stepped(+1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Q_EMIT stepped(-1); });
}

void UpDownSpinner::setText(const QString& text) {
    if (!m_text && !text.isEmpty()) {
        m_text = new QLabel(this);
        m_text->setAlignment(Qt::AlignCenter);
        m_text->setTextFormat(Qt::PlainText);
        m_text->show();
    }
    if (m_text)
        m_text->setText(text);
    placeButtons();
}

QString UpDownSpinner::text() const { return m_text ? m_text->text() : QString(); }

void UpDownSpinner::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeButtons();
}

void UpDownSpinner::placeButtons() {
    if (m_orientation == Qt::Vertical) {
        const int half = height() / 2;
        m_up->setGeometry(0, 0, width(), half);
        m_down->setGeometry(0, half, width(), height() - half);
        return;
    }
    // Without a text each button takes half; with one, the buttons are squares at the ends.
    const bool withText = m_text && !m_text->text().isEmpty();
    const int side = withText ? std::min(height(), width() / 3) : width() / 2;
    m_down->setGeometry(0, 0, side, height());
    const int upLeft = withText ? width() - side : side;
    m_up->setGeometry(upLeft, 0, width() - upLeft, height());
    if (m_text) {
        m_text->setGeometry(side, 0, width() - 2 * side, height());
        m_text->setVisible(withText);
    }
}
