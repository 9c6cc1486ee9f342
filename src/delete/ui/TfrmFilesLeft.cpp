// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/ui/TfrmFilesLeft.h"

#include "common/DisplayText.h"
#include "common/NumberTexts.h"
#include "common/ui/CopyLinesToClipboard.h"
#include "common/ui/DpiScale.h"
#include "delete/FilesLeft.h"
#include "delete/ui/DeleteWindowLayout.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>

TfrmFilesLeft::TfrmFilesLeft(QWidget* parent, const QString& header, const FilesLeft& left)
    : QDialog(parent) {
    const double scale =
        setUpDeleteWindow(this, "frmFilesLeft", QStringLiteral("Files that stayed"), true, 622, 400);
    auto s = [scale](int designPixels) { return Scaled(designPixels, scale); };

    lblHeader = makeLabel(this, "lblHeader", header);
    lblHeader->setWordWrap(true);
    lblHeader->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const int headerHeight = std::clamp(lblHeader->heightForWidth(s(606)), s(16), s(90));
    lblHeader->setGeometry(s(7), s(7), s(606), headerHeight);

    lbLeft = new QTreeWidget(this);
    lbLeft->setObjectName(QStringLiteral("lbLeft"));
    const int listTop = s(7) + headerHeight + s(8);
    lbLeft->setGeometry(s(7), listTop, s(606), s(355) - listTop);
    lbLeft->setColumnCount(2);
    lbLeft->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Why it stayed")});
    lbLeft->setRootIsDecorated(false);
    lbLeft->setUniformRowHeights(true);
    lbLeft->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbLeft->header()->setStretchLastSection(true);
    QPalette listPalette = lbLeft->palette();
    listPalette.setColor(QPalette::Base, listPalette.color(QPalette::Button));
    lbLeft->setPalette(listPalette);
    QList<QTreeWidgetItem*> rows;
    rows.reserve(int(left.kept().size()) + 1);
    for (const FilesLeft::Item& item : left.kept())
        rows << new QTreeWidgetItem(QStringList{DisplayText(item.path), item.reason});
    if (const std::int64_t more = left.count() - std::int64_t(left.kept().size()); more > 0)
        rows << new QTreeWidgetItem(
            QStringList{QStringLiteral("... and ") + FormatThousands(more) + QStringLiteral(" more")});
    lbLeft->addTopLevelItems(rows);
    lbLeft->setColumnWidth(0, s(400));

    btCopy = makeButton(this, "btCopy", QStringLiteral("&Copy"),
                        QStringLiteral("Copy this list to the clipboard"));
    btCopy->setGeometry(s(340), s(365), s(129), s(28));
    btOK = makeButton(this, "btOK", QStringLiteral("OK"), QStringLiteral("Close this list"));
    btOK->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    btOK->setGeometry(s(482), s(365), s(129), s(28));
    btOK->setDefault(true);

    m_copyText = header.split(u'\n');
    m_copyText << QString();
    m_copyText << left.lines();

    connect(btCopy, &QPushButton::clicked, this, &TfrmFilesLeft::btCopyClick);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
}

void TfrmFilesLeft::btCopyClick() {
    CopyLinesToClipboard(m_copyText);
}

void ShowFilesLeft(QWidget* parent, const QString& header, const FilesLeft& left) {
    TfrmFilesLeft report(parent, header, left);
    centreOnScreen(&report);
    report.exec();
}
