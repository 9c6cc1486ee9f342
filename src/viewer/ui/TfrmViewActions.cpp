// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer window's menu items and buttons.
#include "common/DisplayText.h"
#include "common/MessageService.h"
#include "common/ui/BusyCursor.h"
#include "viewer/LineLayout.h"
#include "viewer/ui/TFileViewer.h"
#include "viewer/ui/TFindDlg.h"
#include "viewer/ui/TfrmStrings.h"
#include "viewer/ui/TfrmView.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>

namespace {
// A whole number, or nothing: signs allowed, spaces around it, nothing else.
std::optional<std::int64_t> WholeNumber(const QString& text) {
    bool ok = false;
    const qint64 n = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<std::int64_t>(n) : std::nullopt;
}
} // namespace

bool TfrmView::inputBox(const QString& caption, const QString& prompt, QString& value) {
    QInputDialog box(this);
    box.setObjectName(QStringLiteral("InputBox"));
    box.setWindowTitle(caption);
    box.setLabelText(prompt);
    box.setTextValue(value);
    if (box.exec() != QDialog::Accepted)
        return false;
    value = box.textValue();
    return true;
}

QPrinter& TfrmView::printer() {
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>();
    return *m_printer;
}

void TfrmView::Open1Click() {
    QFileDialog dialog(this, QStringLiteral("Open"));
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // "*" rather than "*.*": on Linux many files have no dot in their names.
    dialog.setNameFilter(QStringLiteral("All Files (*)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    openFile(QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString());
}

void TfrmView::Print1Click() {
    QPrinter& printer = this->printer();
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    dialog.setOption(QAbstractPrintDialog::PrintSelection, Viewer1->HasSelection());
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    if (dialog.exec() != QDialog::Accepted)
        return;
    switch (dialog.printRange()) {
    case QAbstractPrintDialog::AllPages: printTo(printer, PrintRange::All); break;
    case QAbstractPrintDialog::Selection: printTo(printer, PrintRange::Selection); break;
    default: printTo(printer, PrintRange::None); break;
    }
}

void TfrmView::PrintSetup1Click() {
    QPageSetupDialog dialog(&printer(), this);
    dialog.setObjectName(QStringLiteral("PrinterSetupDialog1"));
    dialog.exec();
}

void TfrmView::printTo(QPrinter& printer, PrintRange range) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        ShowPlainErrorBox(QStringLiteral("Error printing report ... quitting"));
        return;
    }
    BusyCursor busy;
    QFont font = Viewer1->FixedFont().font();
    painter.setFont(QFont(font, painter.device()));
    painter.setPen(Qt::black);
    const QFontMetrics metrics = painter.fontMetrics();
    const int pageHeight = painter.viewport().height();
    int y = 0;
    auto printLine = [&](const QString& text) {
        if (y + metrics.height() > pageHeight && y > 0) {
            printer.newPage();
            y = 0;
        }
        painter.drawText(0, y + metrics.ascent(), text);
        y += metrics.lineSpacing();
    };
    constexpr std::size_t kBuffer = 1024;
    try {
        if (range == PrintRange::All) {
            if (Viewer1->TotalLines() == TBaseViewer::UnknownLines)
                Viewer1->CheckLine(TBaseViewer::UnknownLines - 1); // find the end first
            for (std::int64_t n = 0; n < Viewer1->TotalLines(); ++n)
                printLine(Viewer1->PrintableLine(n, kBuffer));
        } else if (range == PrintRange::Selection) {
            TextPlace start, end;
            if (Viewer1->SelectionBounds(start, end)) {
                // Columns as printed: tabs are always expanded there.
                auto column = [&](const TextPlace& at) {
                    return LineLayout(Viewer1->LineText(at.line), true, Viewer1->TabSize()).columnOf(at.index);
                };
                const int startColumn = column(start);
                const int endColumn = column(end);
                for (std::int64_t n = start.line; n <= end.line; ++n) {
                    QString text = Viewer1->PrintableLine(n, kBuffer);
                    if (n == end.line)
                        text.truncate(endColumn);
                    if (n == start.line)
                        text.replace(0, std::min<qsizetype>(startColumn, text.size()), QString(std::min<qsizetype>(startColumn, text.size()), u' '));
                    printLine(text);
                }
            }
        }
    } catch (const AppError& e) {
        painter.end(); // the job is closed in every case
        ShowErrorMessage(e.text());
        return;
    }
    painter.end();
}

void TfrmView::Copy1Click() {
    try {
        Viewer1->CopySelection();
    } catch (const AppError& e) {
        ShowErrorMessage(e.text());
    }
}

void TfrmView::SelectAll1Click() {
    try {
        Viewer1->SelectWhole();
    } catch (const AppError& e) {
        ShowErrorMessage(e.text());
    }
}

void TfrmView::search(bool global) {
    int options = 0;
    if (m_findDlg->backward())
        options |= TBaseViewer::SearchBackward;
    if (m_findDlg->matchCase())
        options |= TBaseViewer::SearchMatchCase;
    if (global)
        options |= TBaseViewer::SearchGlobal;
    bool found = false;
    try {
        found = Viewer1->FindText(m_findDlg->searchText(), options);
    } catch (const AppError& e) {
        ShowErrorMessage(e.text());
        return;
    }
    if (!found)
        ShowInfoMessage(QStringLiteral("Search string '") + m_findDlg->text() + QStringLiteral("' not found"));
}

void TfrmView::Find1Click() {
    if (m_findDlg->exec() != QDialog::Accepted)
        return;
    search(m_findDlg->global());
    Search1Click();
}

void TfrmView::FindNext1Click() { search(false); }

void TfrmView::GotoLine1Click() {
    const std::int64_t total = Viewer1->TotalLines();
    QString value;
    if (!inputBox(QStringLiteral("Go to line number"),
                  QStringLiteral("Enter line number (1 to %1)").arg(total), value))
        return;
    const auto n = WholeNumber(value);
    if (!n)
        return;
    try {
        // Numbers below 1 go to the first line, numbers beyond the end to the last.
        Viewer1->MoveCaret(std::max<std::int64_t>(*n, 1) - 1, 0);
    } catch (const AppError& e) {
        ShowErrorMessage(e.text());
    }
}

void TfrmView::TabSize1Click() {
    QString value = QString::number(Viewer1->TabSize());
    if (!inputBox(QStringLiteral("Tab Size"), QStringLiteral("Enter tab size"), value))
        return;
    // 0 leaves it as it is; the size holds 8 bits, so anything outside 0..255 is ignored too.
    const auto n = WholeNumber(value);
    if (n && *n >= 1 && *n <= 255)
        Viewer1->setTabSize(std::uint8_t(*n));
}

void TfrmView::TabExpansion1Click() { Viewer1->setExpandTabs(TabExpansion1->isChecked()); }

void TfrmView::HexMode1Click() {
    const bool hex = HexMode1->isChecked();
    rbHex->setChecked(hex);
    rbAscii->setChecked(!hex);
    Viewer1->setInHexMode(hex);
}

void TfrmView::rbAsciiClick() {
    HexMode1->setChecked(false);
    Viewer1->setInHexMode(false);
}

void TfrmView::rbHexClick() {
    HexMode1->setChecked(true);
    Viewer1->setInHexMode(true);
}

void TfrmView::Font1Click() {
    QFontDialog dialog(Viewer1->FixedFont().font(), this);
    dialog.setObjectName(QStringLiteral("FontDialog1"));
    dialog.setOption(QFontDialog::MonospacedFonts);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return;
    try {
        Viewer1->FixedFont().assign(dialog.selectedFont());
    } catch (const AppError& e) {
        ShowErrorMessage(e.text()); // the font stays as it was
    }
}

void TfrmView::btStringsClick() {
    TfrmStrings frmStrings(this);
    frmStrings.setWindowTitle(QStringLiteral("ASCII strings for : ") + DisplayText(m_fileName));
    frmStrings.setFileName(m_fileName);
    frmStrings.setGeometry(geometry());
    frmStrings.exec();
}
