// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dup/keep/ui/TfrmMarkCopies.h"

#include "common/DisplayText.h"
#include "common/MessageService.h"
#include "common/NumberTexts.h"
#include "common/SaturatingSum.h"
#include "common/ui/AltKeyGuard.h"
#include "common/ui/BusyCursor.h"
#include "common/ui/DpiScale.h"
#include "common/ui/StatusPanel.h"
#include "delete/ui/FreedSpaceLine.h"
#include "finders/dup/DupContentCheck.h"
#include "finders/dup/DupScanEngine.h"

#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>
#include <cstring>

namespace {

QString filesText(std::int64_t n) {
    return FormatThousands(n) + (n == 1 ? QStringLiteral(" file") : QStringLiteral(" files"));
}

QString chooseFolder(QWidget* parent, const QString& startIn) {
    return QFileDialog::getExistingDirectory(parent, QStringLiteral("Reference folder"), startIn,
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}

} // namespace

TfrmMarkCopies::TfrmMarkCopies(const DupScanEngine& engine, const DupContentCheck& check, QWidget* parent)
    : QDialog(parent), m_chooser(engine, check), m_picker(chooseFolder) {
    setObjectName(QStringLiteral("frmMarkCopies"));
    setWindowTitle(QStringLiteral("Mark copies"));
    // Reference folders lie in what was scanned: Add... starts there, not where a dialog was last.
    if (engine.resultCount() > 0)
        m_startFolder = QFile::decodeName(QByteArray::fromStdString(engine.resultEntry(0).root));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const double s = DpiScale(this);

    lblRule = new QLabel(QStringLiteral("In each group of identical files, keep"), this);
    lblRule->setObjectName(QStringLiteral("lblRule"));
    auto radio = [&](const char* name, KeepRule rule) {
        auto* rb = new QRadioButton(KeepRuleText(rule), this);
        rb->setObjectName(QString::fromLatin1(name));
        connect(rb, &QRadioButton::clicked, this, [this] { rbRuleClick(); });
        return rb;
    };
    rbOldest = radio("rbOldest", KeepRule::Oldest);
    rbNewest = radio("rbNewest", KeepRule::Newest);
    rbShortest = radio("rbShortest", KeepRule::Shortest);
    rbFirst = radio("rbFirst", KeepRule::First);
    rbOldest->setChecked(true);
    rbOldest->setToolTip(QStringLiteral("Modified first; born first when that is equal"));
    rbNewest->setToolTip(QStringLiteral("Modified last; born last when that is equal"));
    rbShortest->setToolTip(QStringLiteral("The fewest characters in folder and name; born first when equal"));
    rbFirst->setToolTip(QStringLiteral("The first of its group in the list"));

    lblReference =
        new QLabel(QStringLiteral("Reference folders: their files are always kept, never marked"), this);
    lblReference->setObjectName(QStringLiteral("lblReference"));
    lbReference = new QListWidget(this);
    lbReference->setObjectName(QStringLiteral("lbReference"));
    lbReference->setSelectionMode(QAbstractItemView::SingleSelection);

    auto button = [&](const char* name, const QString& text, const QString& hint, int width) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setAutoDefault(false);
        b->setFixedSize(Scaled(width, s), Scaled(28, s));
        return b;
    };
    btAdd = button("btAdd", QStringLiteral("&Add..."), QStringLiteral("Choose a reference folder"), 75);
    btRemove =
        button("btRemove", QStringLiteral("&Remove"), QStringLiteral("Remove the selected folder"), 75);
    btRemove->setEnabled(false);

    lblCount = new QLabel(this);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    lblCount->setWordWrap(true);
    lblCount->setTextFormat(Qt::PlainText);
    QFont bold = lblCount->font();
    bold.setBold(true);
    lblCount->setFont(bold);
    lblFreed = new QLabel(this);
    lblFreed->setObjectName(QStringLiteral("lblFreed"));
    lblFreed->setWordWrap(true);
    lblFreed->setTextFormat(Qt::PlainText);
    m_freed = new FreedSpaceLine(lblFreed, false);

    btMark = button("btMark", QStringLiteral("&Mark"), QStringLiteral("Mark the copies and close"), 75);
    btMark->setDefault(true);
    btCancel = button("btCancel", QStringLiteral("Cancel"), QString(), 75);
    btCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    pnlSel = NewStatusPanel("pnlSel", FinderStatusFont(), this);
    pnlSel->setFixedHeight(Scaled(21, s));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, Scaled(8, s), 0, 0);
    layout->setSpacing(Scaled(4, s));
    auto* body = new QGridLayout;
    body->setContentsMargins(Scaled(12, s), 0, Scaled(12, s), 0);
    body->setVerticalSpacing(Scaled(3, s));
    body->addWidget(lblRule, 0, 0, 1, 2);
    int row = 1;
    for (QRadioButton* rb : {rbOldest, rbNewest, rbShortest, rbFirst})
        body->addWidget(rb, row++, 0, 1, 2);
    body->setRowMinimumHeight(row++, Scaled(6, s));
    body->addWidget(lblReference, row++, 0, 1, 2);
    body->addWidget(lbReference, row, 0, 3, 1);
    body->addWidget(btAdd, row, 1);
    body->addWidget(btRemove, row + 1, 1);
    body->setRowStretch(row + 2, 1);
    body->setColumnStretch(0, 1);
    row += 3;
    body->setRowMinimumHeight(row++, Scaled(6, s));
    body->addWidget(lblCount, row++, 0, 1, 2);
    body->addWidget(lblFreed, row++, 0, 1, 2);
    layout->addLayout(body, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(Scaled(12, s), Scaled(3, s), Scaled(12, s), Scaled(3, s));
    buttons->addStretch(1);
    buttons->addWidget(btMark);
    buttons->addWidget(btCancel);
    layout->addLayout(buttons);
    layout->addWidget(pnlSel);

    new AltKeyGuard(this);
    connect(btAdd, &QPushButton::clicked, this, [this] { btAddClick(); });
    connect(btRemove, &QPushButton::clicked, this, [this] { btRemoveClick(); });
    connect(lbReference, &QListWidget::currentRowChanged, this,
            [this](int r) { btRemove->setEnabled(r >= 0); });
    connect(btMark, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    resize(Scaled(460, s), Scaled(400, s));
    lookAgain();
}

TfrmMarkCopies::~TfrmMarkCopies() {
    // The count reads the files on its worker thread: it ends before the files' list goes.
    m_freed->stop();
}

KeepRule TfrmMarkCopies::rule() const {
    return rbNewest->isChecked()     ? KeepRule::Newest
           : rbShortest->isChecked() ? KeepRule::Shortest
           : rbFirst->isChecked()    ? KeepRule::First
                                     : KeepRule::Oldest;
}

void TfrmMarkCopies::rbRuleClick() {
    showCount();
}

void TfrmMarkCopies::btAddClick() {
    const QString chosen = m_picker ? m_picker(this, m_startFolder) : QString();
    if (chosen.isEmpty())
        return;
    const QByteArray path = chosen.toLocal8Bit();
    const std::size_t before = m_references.folders().size();
    if (const int error = m_references.add(path.toStdString())) {
        ShowErrorMessage(QStringLiteral("Cannot use ") + DisplayText(path.toStdString()) +
                         QStringLiteral(" as a reference folder: ") +
                         QString::fromLocal8Bit(std::strerror(error)));
        return;
    }
    if (m_references.folders().size() == before)
        return; // that folder is a reference already
    if (!m_references.liesWithin(before, m_chooser.roots())) {
        m_references.remove(before);
        ShowErrorMessage(
            DisplayText(path.toStdString()) +
            QStringLiteral(" lies outside every folder that was scanned: none of its files is listed."));
        return;
    }
    lbReference->addItem(DisplayText(path.toStdString()));
    lookAgain();
}

void TfrmMarkCopies::btRemoveClick() {
    const int row = lbReference->currentRow();
    if (row < 0)
        return;
    m_references.remove(std::size_t(row));
    delete lbReference->takeItem(row);
    lookAgain();
}

void TfrmMarkCopies::lookAgain() {
    BusyCursor busy;
    m_chooser.look(&m_references);
    showCount();
}

void TfrmMarkCopies::showCount() {
    m_choice = m_chooser.choose(rule());
    std::int64_t kept = 0;
    for (const KeepGroupChoice& g : m_choice.groups)
        kept += std::int64_t(g.kept.size());
    lblCount->setText(QStringLiteral("Marks ") + filesText(m_choice.markedFiles) + QStringLiteral(" of ") +
                      FormatThousands(m_choice.markedBytes) + QStringLiteral(" bytes; keeps ") +
                      filesText(kept) + QStringLiteral(" in ") +
                      FormatThousands(std::int64_t(m_choice.groups.size())) +
                      (m_choice.groups.size() == 1 ? QStringLiteral(" group.") : QStringLiteral(" groups.")));
    QStringList notes;
    if (m_choice.ties > 0)
        notes << FormatThousands(m_choice.ties) + (m_choice.ties == 1
                                                       ? QStringLiteral(" group: tie broken by path order")
                                                       : QStringLiteral(" groups: tie broken by path order"));
    if (m_choice.leftFiles > 0)
        notes << filesText(m_choice.leftFiles) +
                     QStringLiteral(" changed since the check or could not be read: left as they are");
    pnlSel->setText(notes.isEmpty() ? QStringLiteral("No ties; every file is as the check found it")
                                    : notes.join(QStringLiteral("; ")));
    std::vector<ListedEntry> marked;
    marked.reserve(std::size_t(m_choice.markedFiles));
    for (const KeepGroupChoice& g : m_choice.groups)
        for (std::uint32_t r : g.marked)
            marked.push_back(m_chooser.entry(r));
    m_freed->countFiles(std::move(marked));
    btMark->setEnabled(m_choice.markedFiles > 0);
}
