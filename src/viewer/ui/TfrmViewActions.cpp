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
#include <QRegularExpression>
#include <limits>

namespace {
// A whole number, or nothing: a sign allowed, spaces around it, nothing else. Numbers beyond
// 64 bits are held at the largest (or smallest) one, so that they still count as out of range.
std::optional<std::int64_t> WholeNumber(const QString& text) {
    static const QRegularExpression whole(QStringLiteral("^[+-]?[0-9]+$"));
    const QString value = text.trimmed();
    if (!whole.match(value).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 n = value.toLongLong(&ok);
    if (ok)
        return n;
    return value.startsWith(u'-') ? std::numeric_limits<std::int64_t>::min()
                                  : std::numeric_limits<std::int64_t>::max();
}

// Tells what a value box accepts after a value it could not take.
void SayWhatIsAccepted(const QString& value, const QString& what, const QString& range) {
    const QString trimmed = value.trimmed();
    const QString wrong = trimmed.isEmpty() ? QStringLiteral("No %1 was given.").arg(what)
                                            : QStringLiteral("'%1' is not a %2.").arg(trimmed, what);
    ShowErrorMessage(wrong + QStringLiteral("\nEnter a whole number ") + range + QLatin1Char('.'));
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
    // No line to print: said at once, rather than a print dialog for an empty page.
    if (Viewer1->TotalLines() == 0) {
        ShowInfoMessage(Viewer1->IsOpen() ? QStringLiteral("The file is empty: there is nothing to print.")
                                          : QStringLiteral("No file is open: there is nothing to print."));
        return;
    }
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
    // The lines to print are fixed before the job starts, so that no loop waits for an end that
    // never comes; nothing to print opens no job (no empty page).
    std::int64_t first = 0;
    std::int64_t last = -1;
    TextPlace start, end;
    try {
        if (range == PrintRange::All) {
            if (Viewer1->TotalLines() == TBaseViewer::UnknownLines)
                Viewer1->CheckLine(TBaseViewer::UnknownLines - 1); // find the end first
            if (Viewer1->TotalLines() != TBaseViewer::UnknownLines)
                last = Viewer1->TotalLines() - 1;
        } else if (range == PrintRange::Selection && Viewer1->SelectionBounds(start, end)) {
            first = start.line;
            last = end.line;
        }
    } catch (const AppError& e) {
        ShowErrorMessage(e.text());
        return;
    }
    if (last < first)
        return;
    // A file that has become shorter since it was opened would print, from where it now ends,
    // only empty lines, as many as it had: the print stops instead, checked at every page.
    const QString shorter =
        QStringLiteral("The file has become shorter since it was opened: printing stopped.");
    auto shrunk = [this] { return Viewer1->model().lengthNow() < Viewer1->FileLength(); };
    if (shrunk()) {
        ShowErrorMessage(shorter);
        return;
    }

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
    bool shrank = false;
    auto printLine = [&](const QString& text) {
        if (y + metrics.height() > pageHeight && y > 0) {
            shrank = shrunk();
            if (shrank)
                return;
            printer.newPage();
            y = 0;
        }
        painter.drawText(0, y + metrics.ascent(), text);
        y += metrics.lineSpacing();
    };
    constexpr std::size_t kBuffer = 1024;
    try {
        // Columns of the selection as printed: tabs are always expanded there.
        auto column = [&](const TextPlace& at) {
            return LineLayout(Viewer1->LineText(at.line), true, Viewer1->TabSize()).columnOf(at.index);
        };
        const bool selection = range == PrintRange::Selection;
        const int startColumn = selection ? column(start) : 0;
        const int endColumn = selection ? column(end) : 0;
        for (std::int64_t n = first; n <= last && !shrank; ++n) {
            QString text = Viewer1->PrintableLine(n, kBuffer);
            if (selection && n == end.line)
                text.truncate(endColumn);
            if (selection && n == start.line) {
                const qsizetype spaces = std::min<qsizetype>(startColumn, text.size());
                text.replace(0, spaces, QString(spaces, u' '));
            }
            printLine(text);
        }
    } catch (const AppError& e) {
        painter.end(); // the job is closed in every case
        ShowErrorMessage(e.text());
        return;
    }
    painter.end();
    if (shrank)
        ShowErrorMessage(shorter);
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
    const QString last = total == TBaseViewer::UnknownLines ? QStringLiteral("?") : QString::number(total);
    QString value;
    if (!inputBox(QStringLiteral("Go to line number"),
                  QStringLiteral("Enter line number (1 to %1)").arg(last), value))
        return;
    const auto n = WholeNumber(value);
    if (!n) {
        SayWhatIsAccepted(value, QStringLiteral("line number"),
                          total == TBaseViewer::UnknownLines ? QStringLiteral("of 1 or more")
                                                             : QStringLiteral("from 1 to %1").arg(total));
        return;
    }
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
    // The size holds 8 bits, and a tab stop every 0 columns means nothing.
    const auto n = WholeNumber(value);
    if (n && *n >= 1 && *n <= 255)
        Viewer1->setTabSize(std::uint8_t(*n));
    else
        SayWhatIsAccepted(value, QStringLiteral("tab size"), QStringLiteral("from 1 to 255"));
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
    QFontDialog dialog(this);
    dialog.setObjectName(QStringLiteral("FontDialog1"));
    // The options first: the dialog lists its families when it is given a font, and only then
    // does the fixed-pitch filter apply. The font carries its style's name so that the dialog
    // starts on that style rather than on the family's first one.
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    dialog.setOption(QFontDialog::MonospacedFonts);
    dialog.setCurrentFont(Viewer1->FixedFont().styledFont());
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
