// SPDX-License-Identifier: GPL-3.0-or-later
#include "viewer/ui/TFixedFont.h"

#include <QFontDatabase>
#include <climits>
#include <cstdlib>

const QStringList& TFixedFont::FixedPitchFamilies() {
    static const QStringList families = [] {
        QStringList fixed;
        for (const QString& family : QFontDatabase::families())
            if (QFontDatabase::isFixedPitch(family))
                fixed.append(family);
        return fixed;
    }();
    return families;
}

TFixedFont::TFixedFont() {
    const QStringList& families = FixedPitchFamilies();
    m_font = families.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont(families.first());
    m_font.setPointSize(9);
    m_font.setStyleHint(QFont::TypeWriter);
}

void TFixedFont::changed() {
    if (m_changed)
        m_changed();
}

void TFixedFont::setName(const QString& family) {
    if (!FixedPitchFamilies().contains(family) || family == m_font.family())
        return;
    m_font.setFamily(family);
    m_font.setStyleName({}); // the old family's style names need not exist in this one
    changed();
}

void TFixedFont::setSize(int points) {
    if (points <= 0 || points == m_font.pointSize())
        return;
    m_font.setPointSize(points);
    changed();
}

void TFixedFont::setStyle(bool bold, bool italic, bool underline, bool strikeOut) {
    m_font.setBold(bold);
    m_font.setItalic(italic);
    m_font.setUnderline(underline);
    m_font.setStrikeOut(strikeOut);
    m_font.setStyleName({}); // a style name would win over the weight and slant just set
    changed();
}

QFont TFixedFont::styledFont() const {
    if (!m_font.styleName().isEmpty())
        return m_font;
    // The family's style nearest in weight and slant: a slanted one (italic or oblique) for a
    // slanted font and an upright one for an upright font, whenever the family has such a style.
    QFont font = m_font;
    const bool slanted = font.style() != QFont::StyleNormal;
    int best = INT_MAX;
    for (const QString& style : QFontDatabase::styles(font.family())) {
        const QFont candidate = QFontDatabase::font(font.family(), style, 12);
        int cost = std::abs(candidate.weight() - font.weight());
        if (candidate.style() != font.style())
            cost += (candidate.style() != QFont::StyleNormal) == slanted ? 100 : 10000;
        if (cost < best) {
            best = cost;
            font.setStyleName(style);
        }
    }
    return font;
}

void TFixedFont::setColor(const QColor& color) {
    m_color = color;
    changed();
}

void TFixedFont::assign(const TFixedFont& other) {
    if (&other == this)
        return;
    m_font = other.m_font;
    m_color = other.m_color;
    changed();
}

void TFixedFont::assign(const QFont& font) {
    if (!FixedPitchFamilies().contains(font.family()))
        throw EInvalidFixedFont();
    const int points = m_font.pointSize();
    m_font = font;
    if (m_font.pointSize() <= 0) // a pixel-sized font keeps the size in points the viewer had
        m_font.setPointSize(points);
    changed();
}

void TFixedFont::assign(const QVariant& source) {
    if (source.metaType() == QMetaType::fromType<QFont>())
        return assign(source.value<QFont>());
    if (source.metaType() == QMetaType::fromType<TFixedFont*>()) {
        if (const TFixedFont* other = source.value<TFixedFont*>())
            return assign(*other);
    }
    throw EInvalidFontParam();
}
