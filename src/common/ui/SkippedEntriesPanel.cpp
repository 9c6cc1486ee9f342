// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/SkippedEntriesPanel.h"

#include "common/WalkReport.h"
#include "common/ui/CopyLinesToClipboard.h"

#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolTip>
#include <QVBoxLayout>

namespace {
constexpr int kTipLines = 15;
} // namespace

SkippedEntriesPanel::SkippedEntriesPanel(QWidget* parent, Kind kind) : QToolButton(parent), m_kind(kind) {
    const bool excluded = kind == Kind::Excluded;
    setObjectName(excluded ? QStringLiteral("pnlExcluded") : QStringLiteral("pnlSkipped"));
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    // Left out on purpose is no warning.
    setIcon(style()->standardIcon(excluded ? QStyle::SP_MessageBoxInformation : QStyle::SP_MessageBoxWarning));
    setFocusPolicy(Qt::NoFocus);
    hide();
    connect(this, &QToolButton::clicked, this, [this] { openList(); });
}

void SkippedEntriesPanel::setSource(const SkippedEntries* skipped) {
    m_source = skipped;
    m_shownFolders = m_shownFiles = -1;
    refresh();
}

bool SkippedEntriesPanel::hasAny() const {
    return m_source && (m_kind == Kind::Excluded ? m_source->excluded() > 0 : !m_source->empty());
}

QString SkippedEntriesPanel::summary() const {
    return m_kind == Kind::Excluded ? ExcludedSummaryText(*m_source) : SkippedSummaryText(*m_source);
}

QStringList SkippedEntriesPanel::lines() const {
    return m_kind == Kind::Excluded ? ExcludedLines(*m_source) : SkippedLines(*m_source);
}

void SkippedEntriesPanel::refresh() {
    const bool excluded = m_kind == Kind::Excluded;
    const std::int64_t folders = !m_source ? 0 : excluded ? m_source->excludedFolders() : m_source->folders();
    const std::int64_t files = !m_source ? 0 : excluded ? m_source->excludedFiles() : m_source->files();
    if (folders == m_shownFolders && files == m_shownFiles)
        return;
    m_shownFolders = folders;
    m_shownFiles = files;
    if (!hasAny()) {
        hide();
        return;
    }
    setText(summary());
    show();
}

bool SkippedEntriesPanel::event(QEvent* event) {
    // The list is made only when someone points at the panel.
    if (event->type() == QEvent::ToolTip && hasAny()) {
        QStringList lines = this->lines();
        const qsizetype all = lines.size();
        if (all > kTipLines)
            lines = lines.mid(0, kTipLines) << QStringLiteral("...");
        lines << QString()
              << (all > kTipLines ? QStringLiteral("Click to see them all.")
                                  : QStringLiteral("Click to see them in a window."));
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), lines.join(u'\n'), this);
        return true;
    }
    return QToolButton::event(event);
}

QDialog* SkippedEntriesPanel::openList() {
    if (!hasAny())
        return nullptr;
    const QStringList lines = this->lines();
    const bool excluded = m_kind == Kind::Excluded;
    auto* dialog = new QDialog(window());
    dialog->setObjectName(excluded ? QStringLiteral("frmExcluded") : QStringLiteral("frmSkipped"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(excluded ? QStringLiteral("Excluded") : QStringLiteral("Could not be read"));
    auto* layout = new QVBoxLayout(dialog);
    auto* summary = new QLabel(this->summary() + QLatin1Char(':'), dialog);
    summary->setObjectName(QStringLiteral("lblSummary"));
    summary->setTextFormat(Qt::PlainText);
    layout->addWidget(summary);
    auto* list = new QPlainTextEdit(dialog);
    list->setObjectName(QStringLiteral("memList"));
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    list->setPlainText(lines.join(u'\n'));
    layout->addWidget(list, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* copy = new QPushButton(QStringLiteral("&Copy"), dialog);
    copy->setObjectName(QStringLiteral("btCopy"));
    copy->setToolTip(QStringLiteral("Copy the list to the clipboard"));
    auto* close = new QPushButton(QStringLiteral("Close"), dialog);
    close->setObjectName(QStringLiteral("btClose"));
    close->setDefault(true);
    buttons->addWidget(copy);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(copy, &QPushButton::clicked, dialog, [lines] { CopyLinesToClipboard(lines); });
    connect(close, &QPushButton::clicked, dialog, &QDialog::close);
    dialog->resize(560, 300);
    dialog->show();
    return dialog;
}
