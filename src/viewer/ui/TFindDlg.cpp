// SPDX-License-Identifier: GPL-3.0-or-later
#include "viewer/ui/TFindDlg.h"

#include "common/ui/DpiScale.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {
TFindDlg* g_shared = nullptr;
}

TFindDlg::TFindDlg(QWidget* parent) : QDialog(parent) {
    if (!g_shared)
        g_shared = this;
    setObjectName(QStringLiteral("FindDlg"));
    setWindowTitle(QStringLiteral("Find"));
    const double s = DpiScale(this);

    auto* text = new QGroupBox(QStringLiteral("&Search Text"), this);
    text->setObjectName(QStringLiteral("GroupBox1"));
    text->setGeometry(ScaledRect(8, 8, 337, 49, s));
    Edit1 = new QLineEdit(text);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(255); // the search keeps at most 255 characters
    Edit1->setGeometry(ScaledRect(8, 18, 321, 22, s));

    auto* options = new QGroupBox(QStringLiteral("Search &Options"), this);
    options->setObjectName(QStringLiteral("GroupBox2"));
    options->setGeometry(ScaledRect(8, 64, 337, 65, s));
    RadioButton1 = new QRadioButton(QStringLiteral("Search &Forward"), options);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setGeometry(ScaledRect(8, 18, 140, 20, s));
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(QStringLiteral("Search &Backward"), options);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton2->setGeometry(ScaledRect(8, 40, 140, 20, s));
    CheckBox1 = new QCheckBox(QStringLiteral("&Match Case"), options);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(ScaledRect(176, 18, 150, 20, s));
    CheckBox2 = new QCheckBox(QStringLiteral("&Global Search"), options);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setGeometry(ScaledRect(176, 40, 150, 20, s));

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(ScaledRect(184, 138, 75, 25, s));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(ScaledRect(270, 138, 75, 25, s));
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(Scaled(353, s), Scaled(172, s));
}

TFindDlg::~TFindDlg() {
    if (g_shared == this)
        g_shared = nullptr;
}

TFindDlg* TFindDlg::shared() { return g_shared; }

std::string TFindDlg::searchText() const { return Edit1->text().toUtf8().toStdString(); }
QString TFindDlg::text() const { return Edit1->text(); }
void TFindDlg::setText(const QString& text) { Edit1->setText(text); }
bool TFindDlg::backward() const { return RadioButton2->isChecked(); }
bool TFindDlg::matchCase() const { return CheckBox1->isChecked(); }
bool TFindDlg::global() const { return CheckBox2->isChecked(); }
