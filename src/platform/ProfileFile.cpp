// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProfileFile.h"

#include "platform/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

#include <limits>

namespace {

struct Line {
    QByteArray text; // without its line end
    bool crlf = false;
};

QList<Line> splitLines(const QByteArray& bytes) {
    QList<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        Line line;
        line.text = bytes.mid(start, end - start);
        if (line.text.endsWith('\r')) {
            line.text.chop(1);
            line.crlf = true;
        }
        lines.append(line);
        start = end + 1;
    }
    return lines;
}

// Section and key names ignore ASCII case, as profile files always have.
bool sameName(const QByteArray& a, const QString& b) {
    return a.compare(b.toUtf8(), Qt::CaseInsensitive) == 0;
}

// The section name of a "[name]" line; false for any other line.
bool sectionOf(const QByteArray& line, QByteArray* name) {
    QByteArray t = line.trimmed();
    if (!t.startsWith('['))
        return false;
    qsizetype close = t.indexOf(']');
    if (close < 0)
        return false;
    *name = t.mid(1, close - 1).trimmed();
    return true;
}

// Splits a "key=value" line; false for lines without "=".
bool keyValueOf(const QByteArray& line, QByteArray* key, QByteArray* value) {
    qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return false;
    *key = line.left(eq).trimmed();
    *value = line.mid(eq + 1).trimmed();
    return true;
}

// Index range [first, last) of the lines inside section (after its header); first = -1 when absent.
std::pair<qsizetype, qsizetype> findSection(const QList<Line>& lines, const QString& section) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray name;
        if (sectionOf(lines[i].text, &name) && sameName(name, section)) {
            qsizetype end = i + 1;
            QByteArray other;
            while (end < lines.size() && !sectionOf(lines[end].text, &other))
                ++end;
            return {i + 1, end};
        }
    }
    return {-1, -1};
}

[[noreturn]] void failWrite(const QString& path) {
    throw AppError(QStringLiteral("Unable to write to %1").arg(path));
}

} // namespace

std::int64_t ProfileFile::parseWholeNumber(const QByteArray& text, bool* ok) {
    *ok = false;
    QByteArray t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    if (i == t.size())
        return -1;
    // Accumulate as a negative number so the most negative value fits too. A number beyond 64 bits
    // stops at the limit: a huge total stays huge instead of reading as "nothing recorded".
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    bool beyond = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c < '0' || c > '9')
            return -1;
        const int digit = c - '0';
        if (beyond || value < (lowest + digit) / 10)
            beyond = true;
        else
            value = value * 10 - digit;
    }
    *ok = true;
    if (negative)
        return beyond ? lowest : value;
    return beyond || value == lowest ? highest : -value;
}

std::int64_t ProfileFile::readInteger(const QString& section, const QString& key) const {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QList<Line> lines = splitLines(file.readAll());
    auto [first, last] = findSection(lines, section);
    for (qsizetype i = first; first >= 0 && i < last; ++i) {
        QByteArray k, v;
        if (keyValueOf(lines[i].text, &k, &v) && sameName(k, key)) {
            bool ok = false;
            std::int64_t value = parseWholeNumber(v, &ok);
            return ok ? value : -1;
        }
    }
    return -1;
}

void ProfileFile::writeIntegers(const QString& section,
                                const std::vector<std::pair<QString, std::int64_t>>& values) const {
    QList<Line> lines;
    {
        QFile file(m_path);
        if (file.exists()) {
            // Replacing a file that we could not read would lose its other keys.
            if (!file.open(QIODevice::ReadOnly))
                failWrite(m_path);
            lines = splitLines(file.readAll());
        }
    }
    const bool crlf = !lines.isEmpty() && lines.front().crlf;

    auto [first, last] = findSection(lines, section);
    if (first < 0) {
        if (!lines.isEmpty() && !lines.back().text.trimmed().isEmpty())
            lines.append(Line{QByteArray(), crlf});
        lines.append(Line{'[' + section.toUtf8() + ']', crlf});
        first = last = lines.size();
    }
    for (const auto& [key, value] : values) {
        QByteArray text = key.toUtf8() + '=' + QByteArray::number(static_cast<qlonglong>(value));
        bool replaced = false;
        for (qsizetype i = first; i < last; ++i) {
            QByteArray k, v;
            if (keyValueOf(lines[i].text, &k, &v) && sameName(k, key)) {
                lines[i].text = text;
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            // New keys go after the section's last non-blank line, so blank separators stay below.
            qsizetype at = last;
            while (at > first && lines[at - 1].text.trimmed().isEmpty())
                --at;
            lines.insert(at, Line{text, crlf});
            ++last;
        }
    }

    QByteArray out;
    for (const Line& line : lines)
        out += line.text + (line.crlf ? "\r\n" : "\n");

    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder))
        failWrite(m_path);
    // QSaveFile writes a temporary beside the file, syncs it and renames it over the old one.
    QSaveFile save(m_path);
    if (!save.open(QIODevice::WriteOnly) || save.write(out) != out.size() || !save.commit())
        failWrite(m_path);
}
