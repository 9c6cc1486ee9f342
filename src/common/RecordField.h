// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringView>

// Field n (1-based) of a tab-separated record line: field 1 is the text before the first tab (the
// whole line when there is none); field n is the text after the (n-1)-th tab up to the next tab or
// the end. Empty when the line has fewer than n-1 tabs or n is below 1.
QString RecordField(const QString& line, int n);

// The same field as a view into line, without allocating; valid while line is.
QStringView RecordFieldView(QStringView line, int n);
