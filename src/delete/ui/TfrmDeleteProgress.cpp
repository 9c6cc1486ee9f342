// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/ui/TfrmDeleteProgress.h"

#include "common/DisplayText.h"
#include "common/NumberTexts.h"
#include "common/ui/DpiScale.h"
#include "delete/FolderTreeDelete.h"
#include "delete/ui/DeleteWindowLayout.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>

TfrmDeleteProgress::TfrmDeleteProgress(QWidget* parent, const std::string& folder, bool recycle)
    : QDialog(parent), m_recycle(recycle) {
    const double scale =
        setUpDeleteWindow(this, "frmDeleteProgress",
                          QStringLiteral("Delete directory, sub-directories and all files"), true, 420, 128);
    auto s = [scale](int designPixels) { return Scaled(designPixels, scale); };
    setWindowModality(Qt::ApplicationModal);

    lblFolder = makeLabel(this, "lblFolder", QString());
    lblFolder->setGeometry(s(8), s(8), s(404), s(18));
    const QString shown =
        (recycle ? QStringLiteral("Sending to the recycle bin: ") : QStringLiteral("Deleting: ")) +
        DisplayText(folder);
    lblFolder->setText(lblFolder->fontMetrics().elidedText(shown, Qt::ElideMiddle, s(404)));
    lblFolder->setToolTip(DisplayText(folder));
    lblFigures = makeLabel(this, "lblFigures", QString());
    lblFigures->setGeometry(s(8), s(32), s(404), s(18));

    bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("bar"));
    bar->setGeometry(s(8), s(58), s(404), s(20));
    bar->setRange(0, 0); // how much is left is not known: the bar only shows that it runs

    btCancel = makeButton(this, "btCancel", QStringLiteral("Cancel"),
                          QStringLiteral("Stop after the current file.  What is not deleted yet stays."));
    btCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    btCancel->setGeometry(s(283), s(90), s(129), s(28));
    connect(btCancel, &QPushButton::clicked, this, &TfrmDeleteProgress::reject);
}

void TfrmDeleteProgress::setFigures(const FolderDeleteResult& sofar) {
    QString text = FormatThousands(sofar.files) +
                   (sofar.files == 1 ? QStringLiteral(" file") : QStringLiteral(" files")) +
                   (m_recycle ? QStringLiteral(" sent to the recycle bin (") : QStringLiteral(" deleted (")) +
                   FormatThousands(sofar.bytes) + QStringLiteral(" bytes)");
    if (sofar.filesLeft > 0)
        text += QStringLiteral(", ") + FormatThousands(sofar.filesLeft) + QStringLiteral(" stayed");
    if (m_stopAsked)
        text += QStringLiteral(" - stopping");
    lblFigures->setText(text);
}

void TfrmDeleteProgress::reject() {
    m_stopAsked = true;
}

void TfrmDeleteProgress::closeEvent(QCloseEvent* event) {
    m_stopAsked = true;
    event->ignore();
}
