// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/AppError.h"

#include <QColor>
#include <QFont>
#include <QStringList>
#include <QVariant>
#include <functional>

// A font that is not fixed-pitch was assigned to the viewer.
class EInvalidFixedFont : public AppError {
public:
    EInvalidFixedFont() : AppError(QStringLiteral("Invalid font assignment. Font must be a fixed font")) {}
};

// Something that is not a font was assigned to the viewer's font.
class EInvalidFontParam : public AppError {
public:
    EInvalidFontParam() : AppError(QStringLiteral("Invalid font assignemnt. Font must be a TFont or TFixedFont")) {}
};

// The viewer's font: always a fixed-pitch family of the display, with a size, style and colour.
// Every change is told to the owner, which works out its metrics again and repaints.
class TFixedFont {
public:
    // The fixed-pitch families of the font database, gathered once for the whole run; names are
    // compared with it exactly.
    static const QStringList& FixedPitchFamilies();

    // The first family of the list, 9 points, black.
    TFixedFont();

    const QFont& font() const { return m_font; }
    // The font with the name of the family's style that it shows ("Book", "Bold Oblique"...), so
    // that a font dialog starts on exactly this font.
    QFont styledFont() const;
    QString name() const { return m_font.family(); }
    int size() const { return m_font.pointSize(); }
    const QColor& color() const { return m_color; }

    // A family outside the list is ignored.
    void setName(const QString& family);
    void setSize(int points);
    void setStyle(bool bold, bool italic, bool underline = false, bool strikeOut = false);
    void setColor(const QColor& color);

    void assign(const TFixedFont& other);
    // Throws EInvalidFixedFont, changing nothing, when the font's family is not fixed-pitch.
    void assign(const QFont& font);
    // A QFont or a TFixedFont* as above; anything else throws EInvalidFontParam.
    void assign(const QVariant& source);

    void setOnChange(std::function<void()> changed) { m_changed = std::move(changed); }

private:
    void changed();

    QFont m_font;
    QColor m_color = Qt::black;
    std::function<void()> m_changed;
};

Q_DECLARE_METATYPE(TFixedFont*)
