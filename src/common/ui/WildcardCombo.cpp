// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ui/WildcardCombo.h"

#include "platform/FileTypes.h"

#include <QComboBox>
#include <QLabel>
#include <QStringList>

QComboBox* MakeWildcardCombo(QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("cbWildCard"));
    combo->setEditable(true);
    // Typed patterns are used as they are, never added to the list.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setToolTip(QStringLiteral("Wildcard pattern for matching file types"));
    combo->addItem(QStringLiteral("*.*"));
    combo->setEditText(QStringLiteral("*.*"));
    return combo;
}

void FillWildcardList(QComboBox* combo) {
    const QString text = combo->currentText();
    const bool blocked = combo->blockSignals(true);
    combo->clear();
    combo->addItem(QStringLiteral("*.*"));
    for (const QString& pattern : WildcardPatterns())
        if (pattern != QLatin1String("*.*")) // "*.*" is always the one first item
            combo->addItem(pattern);
    combo->setEditText(text);
    combo->blockSignals(blocked);
}

QString PatternTypeName(const QString& pattern) {
    QStringList names;
    for (const QString& part : pattern.split(u';')) {
        const QString trimmed = part.trimmed();
        const qsizetype dot = trimmed.lastIndexOf(u'.');
        if (dot < 0)
            continue;
        const QString extension = trimmed.mid(dot);
        if (extension.size() < 2 || extension.contains(u'*') || extension.contains(u'?'))
            continue;
        const QString name = FileTypeName(extension);
        if (!name.isEmpty() && !names.contains(name))
            names.append(name);
    }
    return names.join(QStringLiteral(", "));
}

QString WildcardLabelText(const QString& pattern) {
    if (pattern == QLatin1String("*.*"))
        return QStringLiteral("All files");
    return PatternTypeName(pattern);
}

void cbWildCardChange(QComboBox* combo, QLabel* lblWild) {
    lblWild->clear();
    lblWild->setText(WildcardLabelText(combo->currentText()));
}
