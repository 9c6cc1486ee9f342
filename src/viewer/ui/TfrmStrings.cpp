// SPDX-License-Identifier: GPL-3.0-or-later
#include "viewer/ui/TfrmStrings.h"

#include "common/MessageService.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/DpiScale.h"
#include "viewer/StringsExtractor.h"

#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TfrmStrings::TfrmStrings(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmStrings"));
    setWindowTitle(QStringLiteral("Strings for file: "));
    const double scale = DpiScale(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(Memo1, 1);

    auto* Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(Scaled(41, scale));
    layout->addWidget(Panel1);
    Label1 = new QLabel(QStringLiteral("Number of ASCII lines found : "), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->adjustSize();
    Label1->move(Scaled(10, scale), (Scaled(41, scale) - Label1->height()) / 2);
    lblCount = new QLabel(QStringLiteral("0"), Panel1);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    lblCount->move(Label1->x() + Label1->width() + Scaled(4, scale), Label1->y());
    btClose = new QPushButton(QStringLiteral("Close"), Panel1);
    btClose->setObjectName(QStringLiteral("btClose"));
    btClose->setGeometry(0, Scaled(8, scale), Scaled(75, scale), Scaled(25, scale));
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject); // the cancel button: Esc too

    resize(Scaled(560, scale), Scaled(400, scale));
}

void TfrmStrings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmStrings::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void TfrmStrings::FormShow() {
    StringsExtractor::Result result;
    {
        BusyCursor busy;
        QStringList lines =
            Memo1->toPlainText().isEmpty() ? QStringList() : Memo1->toPlainText().split(u'\n');
        result = StringsExtractor::extractInto(m_fileName, lines);
        if (result.done() || result.kind == StringsExtractor::Result::ReadFailed)
            Memo1->setPlainText(lines.join(u'\n'));
        lblCount->setText(QString::number(lines.size()));
        lblCount->adjustSize();
    }
    // Said once the strings found before the failure are in view, so they stay behind the box.
    if (result.kind == StringsExtractor::Result::ReadFailed)
        ShowErrorMessage(StringsExtractor::readErrorText(m_fileName, result.error));
}

void TfrmStrings::FormResize() {
    if (btClose)
        btClose->move(width() - btClose->width() - Scaled(10, DpiScale(this)), btClose->y());
}
