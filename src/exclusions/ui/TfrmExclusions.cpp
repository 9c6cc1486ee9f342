// SPDX-License-Identifier: GPL-3.0-or-later
#include "exclusions/ui/TfrmExclusions.h"

#include "common/MessageService.h"
#include "exclusions/UserSettings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TfrmExclusions::TfrmExclusions(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmExclusions"));
    setWindowTitle(QStringLiteral("Exclusions"));

    lblExplain = new QLabel(
        QStringLiteral("Every scan leaves out what matches a pattern: a name such as *.o or node_modules "
                       "anywhere, or, with a /, a path below the scanned folder such as /backup/*. "
                       "Deleting a folder still removes everything in it."),
        this);
    lblExplain->setObjectName(QStringLiteral("lblExplain"));
    lblExplain->setWordWrap(true);

    edPattern = new QLineEdit(this);
    edPattern->setObjectName(QStringLiteral("edPattern"));
    edPattern->setAccessibleName(QStringLiteral("Pattern"));
    lblPattern = new QLabel(QStringLiteral("&Pattern:"), this);
    lblPattern->setObjectName(QStringLiteral("lblPattern"));
    lblPattern->setBuddy(edPattern);

    lbPatterns = new QListWidget(this);
    lbPatterns->setObjectName(QStringLiteral("lbPatterns"));
    lbPatterns->setAccessibleName(QStringLiteral("Patterns"));
    lbPatterns->setSelectionMode(QAbstractItemView::SingleSelection);

    auto button = [this](const char* name, const QString& text, const QString& hint) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setAutoDefault(false);
        return b;
    };
    btAdd = button("btAdd", QStringLiteral("&Add"), QStringLiteral("Add the pattern to the list"));
    btRemove = button("btRemove", QStringLiteral("&Remove"), QStringLiteral("Remove the selected pattern"));
    btRemove->setEnabled(false);
    cbCaches = new QCheckBox(QStringLiteral("Leave out &cache folders (those holding a CACHEDIR.TAG)"), this);
    cbCaches->setObjectName(QStringLiteral("cbCaches"));
    btOK = button("btOK", QStringLiteral("OK"), QStringLiteral("Keep these exclusions"));
    btOK->setDefault(true);
    btCancel = button("btCancel", QStringLiteral("Cancel"), QStringLiteral("Change nothing"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblExplain);
    auto* body = new QGridLayout;
    body->addWidget(lblPattern, 0, 0);
    body->addWidget(edPattern, 0, 1);
    body->addWidget(btAdd, 0, 2);
    body->addWidget(lbPatterns, 1, 0, 2, 2);
    body->addWidget(btRemove, 1, 2, Qt::AlignTop);
    body->setRowStretch(2, 1);
    layout->addLayout(body, 1);
    layout->addWidget(cbCaches);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    layout->addLayout(buttons);

    const ExclusionSetting saved = SavedExclusions();
    lbPatterns->addItems(saved.patterns);
    cbCaches->setChecked(saved.caches);

    connect(btAdd, &QPushButton::clicked, this, [this] { btAddClick(); });
    connect(edPattern, &QLineEdit::returnPressed, this, [this] { btAddClick(); });
    connect(btRemove, &QPushButton::clicked, this, [this] { btRemoveClick(); });
    connect(lbPatterns, &QListWidget::currentRowChanged, this, [this](int r) { btRemove->setEnabled(r >= 0); });
    connect(btOK, &QPushButton::clicked, this, [this] { btOKClick(); });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(460, 340);
}

ExclusionSetting TfrmExclusions::setting() const {
    ExclusionSetting s;
    for (int i = 0; i < lbPatterns->count(); ++i)
        s.patterns << lbPatterns->item(i)->text();
    s.caches = cbCaches->isChecked();
    return s;
}

void TfrmExclusions::btAddClick() {
    const QString pattern = edPattern->text();
    std::string why;
    ExclusionRules check;
    if (!check.add(pattern.toStdString(), &why)) {
        ShowErrorMessage(QStringLiteral("The pattern \"") + pattern + QStringLiteral("\" cannot be used: ") +
                         QString::fromStdString(why));
        edPattern->setFocus();
        return;
    }
    if (lbPatterns->findItems(pattern, Qt::MatchExactly).isEmpty())
        lbPatterns->addItem(pattern);
    lbPatterns->setCurrentRow(lbPatterns->count() - 1);
    edPattern->clear();
    edPattern->setFocus();
}

void TfrmExclusions::btRemoveClick() {
    const int row = lbPatterns->currentRow();
    if (row >= 0)
        delete lbPatterns->takeItem(row);
}

void TfrmExclusions::btOKClick() {
    // A pattern typed but not added yet is what the user meant too.
    if (!edPattern->text().isEmpty()) {
        btAddClick();
        if (!edPattern->text().isEmpty())
            return;
    }
    const ExclusionSetting chosen = setting();
    if (!SaveExclusions(chosen)) {
        ShowErrorMessage(QStringLiteral("Unable to write to ") + UserSettingsPath());
        return;
    }
    SetWalkExclusions(RulesOf(chosen));
    accept();
}
