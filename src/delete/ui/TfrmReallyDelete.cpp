// SPDX-License-Identifier: GPL-3.0-or-later
#include "delete/ui/TfrmReallyDelete.h"

#include "common/MessageService.h"
#include "common/DisplayText.h"
#include "common/NumberTexts.h"
#include "delete/DeletionTotals.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/DpiScale.h"
#include "delete/ui/DeleteWindowLayout.h"
#include "platform/Trash.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>

#include <algorithm>
#include <cmath>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Ignoring ASCII case; names that differ only in case keep a fixed order by their bytes.
bool lessIgnoringAsciiCase(const std::string& a, const std::string& b) {
    const int folded = CompareFolded(a, b);
    return folded != 0 ? folded < 0 : a < b;
}

// Size of a file before it goes, without following a link (the link itself is what goes).
std::int64_t sizeBeforeRemoval(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
}

// The caller's figure is a double holding a whole number; anything out of range shows as 0.
qint64 wholeBytes(double value) {
    if (!std::isfinite(value) || std::fabs(value) >= 9.2e18)
        return 0;
    return static_cast<qint64>(std::trunc(value));
}
} // namespace

QString recycleWarningText() {
    return QStringLiteral("Note that the recycle bin may be full or that you may have the \"Immediately Remove "
                          "Files On Delete\" option turned on in the recycle bin. If either is true, then you "
                          "will not be able to recover the deleted files from the recycle bin. ") +
           QStringLiteral("\n\nSend to the recycle bin anyway?");
}

TfrmReallyDelete::TfrmReallyDelete(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmReallyDelete"));
    setWindowTitle(QStringLiteral("Delete/rename the following files:"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setDeleteWindowFont(this, 8, true);
    const double scale = DpiScale(this);
    auto s = [scale](int designPixels) { return Scaled(designPixels, scale); };
    setFixedSize(s(622), s(400));

    auto* Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setGeometry(0, 0, s(622), s(321));

    lblDelete = makeLabel(Panel2, "lblDelete", QStringLiteral("The following files will be deleted:"));
    lblDelete->move(s(6), s(7));
    Label3 = makeLabel(Panel2, "Label3", QStringLiteral("Potential savings of "));
    Label3->move(s(327), s(7));
    lblSavings = makeLabel(Panel2, "lblSavings", QStringLiteral("9,999,999,999 bytes"));
    lblSavings->move(s(477), s(7));

    lb1 = new QListWidget(Panel2);
    lb1->setObjectName(QStringLiteral("lb1"));
    lb1->setGeometry(s(7), s(32), s(606), s(241));
    lb1->setSelectionMode(QAbstractItemView::SingleSelection);
    lb1->setFocusPolicy(Qt::NoFocus);
    lb1->setUniformItemSizes(true);
    QPalette listPalette = lb1->palette();
    listPalette.setColor(QPalette::Base, listPalette.color(QPalette::Button));
    lb1->setPalette(listPalette);

    btDelete = makeButton(Panel2, "btDelete", QStringLiteral("&Delete all files"),
                          QStringLiteral("Delete the files shown above permanently.  Cannot be undeleted."));
    btDelete->setGeometry(s(206), s(282), s(195), s(30));
    btRecycle = makeButton(Panel2, "btRecycle", QStringLiteral("&Send to recycle bin"),
                           QStringLiteral("Send to recycle bin.  Recycle bin can be emptied later."));
    btRecycle->setGeometry(s(418), s(282), s(195), s(30));

    Label2 = makeLabel(this, "Label2",
                       QStringLiteral("WARNING: The file(s) that you selected to delete may belong to working "
                                      "applications.  Vantorel cannot determine if they are needed for proper "
                                      "operation of other applications.  If in doubt do not delete these files. "));
    Label2->setWordWrap(true);
    // Wider fonts than the original's need a third line; the space above the bar allows it.
    Label2->setGeometry(s(5), s(327), s(614), std::clamp(Label2->heightForWidth(s(614)), s(32), s(41)));
    Label2->setStyleSheet(QStringLiteral("color: blue;"));

    bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("bar"));
    bar->setGeometry(s(8), s(369), s(433), s(20));
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setToolTip(QStringLiteral("Progress bar"));

    btClose = makeButton(this, "btClose", QStringLiteral("Cancel"),
                         QStringLiteral("Cancel and close.  Do not rename or delete "));
    btClose->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    btClose->setGeometry(s(482), s(365), s(129), s(28));

    connect(btDelete, &QPushButton::clicked, this, &TfrmReallyDelete::btDeleteAllClick);
    connect(btRecycle, &QPushButton::clicked, this, &TfrmReallyDelete::btRecycleClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmReallyDelete::setFileList(const std::vector<std::string>& paths) {
    m_paths = paths;
    std::stable_sort(m_paths.begin(), m_paths.end(), lessIgnoringAsciiCase);
    lb1->clear();
    const int itemHeight = std::max(Scaled(13, DpiScale(this)), lb1->fontMetrics().height());
    for (const std::string& path : m_paths) {
        auto* item = new QListWidgetItem(DisplayText(path), lb1);
        item->setSizeHint(QSize(0, itemHeight));
    }
}

void TfrmReallyDelete::setSavings(double bytes) { m_savings = bytes; }

void TfrmReallyDelete::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        centreOnScreen(this);
        FormShow();
    }
}

void TfrmReallyDelete::FormShow() {
    lblSavings->setText(FormatThousands(wholeBytes(m_savings)) + QStringLiteral(" bytes"));
    lblSavings->adjustSize();
    UpdateHeaders();
}

void TfrmReallyDelete::UpdateHeaders() {
    lblDelete->setText(QStringLiteral("The following ") + QString::number(m_paths.size()) +
                       QStringLiteral(" files will be deleted."));
    lblDelete->adjustSize();
}

void TfrmReallyDelete::clearList() {
    m_paths.clear();
    lb1->clear();
}

void TfrmReallyDelete::btDeleteAllClick() {
    if (m_paths.empty()) {
        ShowWarningMessage(QStringLiteral("There are no files to delete"));
        return;
    }
    if (AskYesNo(QStringLiteral("Really delete?")) != MessageAnswer::Yes) {
        ShowInfoMessage(QStringLiteral("Files not deleted"));
        return;
    }
    const RunFigures run = removeListedFiles([](const std::string& path) {
        if (::unlink(path.c_str()) == 0)
            return Removal::Gone;
        ShowErrorMessage(QStringLiteral("Couldn't delete file - ") + DisplayText(path));
        return Removal::FailedGoOn;
    });
    // Only what really left the disk is recorded; a throw here leaves the window open.
    DeletionTotals::addDeletionTotals(run.files, run.bytes, 0, 0);
    clearList();
    UpdateHeaders();
    accept();
}

void TfrmReallyDelete::btRecycleClick() {
    if (AskYesNo(recycleWarningText()) != MessageAnswer::Yes) {
        ShowInfoMessage(QStringLiteral("Files not deleted"));
        return;
    }
    const RunFigures run = removeListedFiles([](const std::string& path) {
        if (sendToRecycleBin(path))
            return Removal::Gone;
        ShowErrorMessage(QStringLiteral("An error occurred sending files to the recycle bin.  The bin may be full."));
        return Removal::FailedStop;
    });
    // Only the files that really went to the trash are recorded.
    DeletionTotals::addDeletionTotals(0, 0, run.files, run.bytes);
    clearList();
    UpdateHeaders();
    accept();
}

TfrmReallyDelete::RunFigures
TfrmReallyDelete::removeListedFiles(const std::function<Removal(const std::string&)>& remove) {
    RunFigures run;
    BusyCursor busy;
    bar->setRange(0, static_cast<int>(m_paths.size()) - 1);
    for (std::size_t i = 0; i < m_paths.size(); ++i) {
        bar->setValue(static_cast<int>(i));
        const std::string& path = m_paths[i];
        const std::int64_t size = sizeBeforeRemoval(path);
        const Removal result = remove(path);
        if (result == Removal::Gone) {
            ++run.files;
            run.bytes += size;
        } else if (result == Removal::FailedStop) {
            break;
        }
    }
    return run;
}

bool TfrmReallyDelete::sendToRecycleBin(const std::string& path) { return Trash::moveToTrash(path); }
