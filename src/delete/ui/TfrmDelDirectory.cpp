// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/ui/TfrmDelDirectory.h"

#include "common/DisplayText.h"
#include "common/MessageService.h"
#include "common/ui/DpiScale.h"
#include "delete/ui/DeleteWindowLayout.h"
#include "delete/ui/FreedSpaceLine.h"
#include "delete/ui/TfrmReallyDelete.h"
#include "platform/Trash.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>

namespace {
QLabel* makeWrappedLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    QLabel* label = makeLabel(parent, name, text);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    return label;
}
} // namespace

TfrmDelDirectory::TfrmDelDirectory(QWidget* parent) : QDialog(parent) {
    const double scale =
        setUpDeleteWindow(this, "frmDelDirectory",
                          QStringLiteral("Delete directory, sub-directories and all files"), false, 518, 266);
    auto s = [scale](int designPixels) { return Scaled(designPixels, scale); };

    const int bevelTops[] = {73, 136, 199};
    for (int i = 0; i < 3; ++i) {
        auto* bevel = new QFrame(this);
        bevel->setObjectName(QStringLiteral("Bevel%1").arg(i + 1));
        bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        bevel->setGeometry(s(8), s(bevelTops[i]), s(505), s(56));
    }

    QLabel* Label2 = makeLabel(this, "Label2", QStringLiteral("Folder to delete:"));
    setDeleteWindowFont(Label2, 12, true);
    Label2->adjustSize();
    Label2->move(s(192), s(8));

    lblDirectory = makeLabel(this, "lblDirectory", QString());
    setDeleteWindowFont(lblDirectory, 10, true);
    lblDirectory->setAlignment(Qt::AlignCenter);
    lblDirectory->move(0, s(40));
    // The space the delete really frees, in the free line between the folder and the choices.
    lblFreed = makeLabel(this, "lblFreed", QString());
    setDeleteWindowFont(lblFreed, 8, false);
    lblFreed->setAlignment(Qt::AlignCenter);
    lblFreed->setGeometry(s(8), s(58), s(505), s(14));
    m_freed = new FreedSpaceLine(lblFreed, false);

    btDelete = makeButton(this, "btDelete", QStringLiteral("&Delete folder"),
                          QStringLiteral("Delete the files shown above.  Cannot be undeleted."));
    btDelete->setGeometry(s(17), s(86), s(153), s(30));
    makeWrappedLabel(this, "Label1",
                     QStringLiteral("All files and sub-folders are deleted.  Files cannot be recovered.  "
                                    "Hard disk space immediately freed up."),
                     QRect(s(184), s(86), s(321), s(28)));

    btRecycle = makeButton(this, "btRecycle", QStringLiteral("&Send files to recycle bin"),
                           QStringLiteral("Send to recycle bin.  Recycle bin can be emptied later.  Files can be recovered."));
    btRecycle->setGeometry(s(17), s(148), s(153), s(30));
    makeWrappedLabel(this, "Label3",
                     QStringLiteral("All files sent to the recycle bin which can be emptied later. Files may be "
                                    "recovered.  Hard disk space is not freed up until recycle bin is emptied.."),
                     QRect(s(184), s(144), s(321), s(38)));

    BitBtn3 = makeButton(this, "BitBtn3", QStringLiteral("Cancel"), QStringLiteral("Cancel. Do not delete."));
    BitBtn3->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    BitBtn3->setGeometry(s(17), s(212), s(153), s(30));
    QLabel* Label4 = makeLabel(this, "Label4", QStringLiteral("Cancel delete operation."));
    Label4->move(s(184), s(219));

    connect(btDelete, &QPushButton::clicked, this, &TfrmDelDirectory::btDeleteClick);
    connect(btRecycle, &QPushButton::clicked, this, &TfrmDelDirectory::btRecycleClick);
    connect(BitBtn3, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmDelDirectory::setFolder(const std::string& path) {
    m_folder = path;
    lblDirectory->setText(DisplayText(path));
    lblDirectory->setToolTip(DisplayText(path));
}

void TfrmDelDirectory::setListedFolder(const ListedEntry& folder) {
    setFolder(folder.path());
    m_listed = folder;
}

bool TfrmDelDirectory::countingFreedSpace() const {
    return m_freed->counting();
}

void TfrmDelDirectory::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        centreOnScreen(this);
        FormShow();
    }
}

void TfrmDelDirectory::FormShow() {
    m_recycleChosen = false;
    // A path wider than the window keeps its start and its end visible.
    const int room = width() - Scaled(16, DpiScale(this));
    const QString full = DisplayText(m_folder);
    lblDirectory->setText(lblDirectory->fontMetrics().elidedText(full, Qt::ElideMiddle, room));
    lblDirectory->adjustSize();
    lblDirectory->move((width() - lblDirectory->width()) / 2, lblDirectory->y());
    // A volume that keeps no trash cannot take the files (the old floppy-drive rule).
    const bool trash = Trash::canTrash(m_folder);
    if (m_listed)
        m_freed->countFolder(*m_listed);
    btRecycle->setEnabled(trash);
    btRecycle->setToolTip(
        trash ? QStringLiteral(
                    "Send to recycle bin.  Recycle bin can be emptied later.  Files can be recovered.")
              : QStringLiteral("This folder lies on a filesystem that has no recycle bin."));
}

void TfrmDelDirectory::btDeleteClick() {
    m_freed->stop();
    m_recycleChosen = false;
    accept();
}

void TfrmDelDirectory::btRecycleClick() {
    if (AskYesNo(recycleWarningText()) == MessageAnswer::Yes) {
        m_freed->stop();
        m_recycleChosen = true;
        accept();
    } else {
        m_recycleChosen = false;
    }
}
