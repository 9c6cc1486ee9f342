// SPDX-License-Identifier: GPL-3.0-or-later
#include "scans/ui/TfrmOpenScan.h"

#include "common/DisplayText.h"
#include "common/NumberTexts.h"
#include "common/StringGridModel.h"
#include "common/ui/DpiScale.h"
#include "common/ui/ResultGridView.h"
#include "scans/ui/OpenScanFile.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrmOpenScan::TfrmOpenScan(QWidget* parent, std::string snapshotFolder) : QDialog(parent) {
    setObjectName(QStringLiteral("frmOpenScan"));
    setWindowTitle(QStringLiteral("Open scan"));
    const double s = DpiScale(this);
    m_snapshots = SnapshotStore(std::move(snapshotFolder)).list();

    auto* label = new QLabel(m_snapshots.empty()
                                 ? QStringLiteral("No snapshots yet: each folder hog scan keeps one. Other file... "
                                                  "opens a scan saved elsewhere.")
                                 : QStringLiteral("The snapshots of the folder hog scans, newest first:"),
                             this);
    label->setObjectName(QStringLiteral("lblSnapshots"));
    label->setWordWrap(true);

    m_model = new StringGridModel(this);
    m_model->setTitles({QStringLiteral("Folder"), QStringLiteral("Date"), QStringLiteral("Time"),
                        QStringLiteral("Size in K")});
    for (const SnapshotStore::Snapshot& snapshot : m_snapshots) {
        const ScanTimeTexts when = ScanTime(snapshot.timestamp);
        m_model->appendTextRow({DisplayText(snapshot.root), when.date, when.time,
                                SizeInKText(snapshot.bytes) + QStringLiteral(" K")});
    }
    grid = new ResultGridView(this);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setModel(m_model);
    grid->horizontalHeader()->setStretchLastSection(false);
    grid->setToolTip(QStringLiteral("Double click to open"));
    grid->setColumnLayout({Scaled(200, s), grid->columnWidthFor(ResultGridView::dateSamples()),
                           grid->columnWidthFor(ResultGridView::timeSamples()),
                           grid->columnWidthFor({ResultGridView::sizeKSample(7)})},
                          0);
    if (!m_snapshots.empty())
        grid->setCurrentGridRow(1);
    connect(grid, &QTableView::doubleClicked, this, [this] { btOpenClick(); });

    auto button = [this](const char* name, const QString& text, const QString& hint) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setAutoDefault(false);
        return b;
    };
    btOpen = button("btOpen", QStringLiteral("&Open"), QStringLiteral("Show the selected scan"));
    btOpen->setDefault(true);
    btOpen->setEnabled(!m_snapshots.empty());
    btOther = button("btOther", QStringLiteral("Other &file..."), QStringLiteral("Open a scan saved elsewhere"));
    btCancel = button("btCancel", QStringLiteral("Cancel"), QStringLiteral("Close window"));
    connect(btOpen, &QPushButton::clicked, this, [this] { btOpenClick(); });
    connect(btOther, &QPushButton::clicked, this, [this] { btOtherClick(); });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btOther);
    buttons->addStretch(1);
    buttons->addWidget(btOpen);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(grid, 1);
    layout->addLayout(buttons);
    resize(Scaled(560, s), Scaled(320, s));
}

TfrmOpenScan::~TfrmOpenScan() = default;

void TfrmOpenScan::btOpenClick() {
    const int row = grid->currentGridRow();
    if (row < 1 || std::size_t(row) > m_snapshots.size())
        return;
    m_chosen = m_snapshots[std::size_t(row - 1)].path;
    accept();
}

void TfrmOpenScan::btOtherClick() {
    const QString file = m_otherFile ? m_otherFile(this)
                                     : QFileDialog::getOpenFileName(
                                           this, QStringLiteral("Open scan"), QString(),
                                           QStringLiteral("Saved scans (*.json *.zst);;All files (*)"));
    if (file.isEmpty())
        return;
    m_chosen = ScanFilePath(file);
    accept();
}
