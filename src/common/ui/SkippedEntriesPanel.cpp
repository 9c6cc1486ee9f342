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

SkippedEntriesPanel::SkippedEntriesPanel(QWidget* parent) : QToolButton(parent) {
    setObjectName(QStringLiteral("pnlSkipped"));
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
    setFocusPolicy(Qt::NoFocus);
    hide();
    connect(this, &QToolButton::clicked, this, [this] { openList(); });
}

void SkippedEntriesPanel::setSource(const SkippedEntries* skipped) {
    m_source = skipped;
    m_shownFolders = m_shownFiles = -1;
    refresh();
}

void SkippedEntriesPanel::refresh() {
    const std::int64_t folders = m_source ? m_source->folders() : 0;
    const std::int64_t files = m_source ? m_source->files() : 0;
    if (folders == m_shownFolders && files == m_shownFiles)
        return;
    m_shownFolders = folders;
    m_shownFiles = files;
    if (!m_source || m_source->empty()) {
        hide();
        return;
    }
    setText(SkippedSummaryText(*m_source));
    show();
}

bool SkippedEntriesPanel::event(QEvent* event) {
    // The list is made only when someone points at the panel.
    if (event->type() == QEvent::ToolTip && m_source && !m_source->empty()) {
        QStringList lines = SkippedLines(*m_source);
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
    if (!m_source || m_source->empty())
        return nullptr;
    const QStringList lines = SkippedLines(*m_source);
    auto* dialog = new QDialog(window());
    dialog->setObjectName(QStringLiteral("frmSkipped"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Could not be read"));
    auto* layout = new QVBoxLayout(dialog);
    auto* summary = new QLabel(SkippedSummaryText(*m_source) + QLatin1Char(':'), dialog);
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
