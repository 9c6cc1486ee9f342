// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QPrinter>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// The text of a PDF file as pdftotext lays it out (empty when that fails).
inline QString PdfText(const QString& file) {
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!text.waitForFinished(30000))
        return {};
    return QString::fromUtf8(text.readAllStandardOutput());
}

// What print(QPrinter&) prints, on a PDF printer, read back as text.
template <class Print> QString PrintedText(Print print) {
    QTemporaryDir out;
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out.filePath(QStringLiteral("printed.pdf")));
    print(printer);
    return PdfText(printer.outputFileName());
}
