// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/TfrmWildCard.h"

#include "common/ui/DpiScale.h"
#include "common/ui/ScreenFit.h"
#include "common/ui/WildcardCombo.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

TfrmWildCard::TfrmWildCard(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmWildCard"));
    setWindowTitle(QStringLiteral("Wildcard pattern"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    const double s = DpiScale(this);

    lblTitle = new QLabel(QStringLiteral("Change the wildcard matching pattern:"), this);
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);
    lblTitle->setGeometry(ScaledRect(10, 12, 266, 20, s));

    cbWildCard = MakeWildcardCombo(this);
    cbWildCard->setGeometry(ScaledRect(10, 42, 120, 24, s));

    lblWild = new QLabel(QStringLiteral("All files"), this);
    lblWild->setObjectName(QStringLiteral("lblWild"));
    lblWild->setGeometry(ScaledRect(140, 45, 136, 20, s));

    lblType = new QLabel(this);
    lblType->setObjectName(QStringLiteral("lblType"));
    lblType->setAlignment(Qt::AlignCenter);
    lblType->setGeometry(ScaledRect(10, 80, 266, 40, s));
    lblType->setWordWrap(true);

    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btOK->setGeometry(ScaledRect(58, 140, 80, 28, s));
    btCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btCancel->setAutoDefault(false);
    btCancel->setGeometry(ScaledRect(148, 140, 80, 28, s));

    connect(btOK, &QPushButton::clicked, this, [this] { done(mrOK); });
    connect(btCancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    connect(cbWildCard, &QComboBox::editTextChanged, this, [this] { cbWildCardChange(); });
    connect(cbWildCard, &QComboBox::activated, this, [this] { cbWildCardChange(); });

    setFixedSize(Scaled(286, s), Scaled(182, s));
}

QString TfrmWildCard::pattern() const { return cbWildCard->currentText(); }

void TfrmWildCard::setPattern(const QString& pattern) { cbWildCard->setEditText(pattern); }

void TfrmWildCard::cbWildCardChange() {
    const QString text = cbWildCard->currentText();
    lblWild->clear();
    if (text == QLatin1String("*.*"))
        lblWild->setText(QStringLiteral("All files"));
    lblType->setText(PatternTypeName(text));
}

void TfrmWildCard::reject() { done(mrCancel); }

void TfrmWildCard::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmWildCard::FormShow() {
    FillWildcardList(cbWildCard);
    cbWildCardChange();
    CentreOnScreen(this);
}
