// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

// A plain-text profile (INI) file holding whole-number keys. Section and key names match ignoring
// ASCII case. The file is read within each call and never held open.
class ProfileFile {
public:
    explicit ProfileFile(QString path) : m_path(std::move(path)) {}

    const QString& path() const { return m_path; }

    // The value of key in section; -1 when the file, the section or the key is missing, or when
    // the value is not a whole number (see parseWholeNumber).
    std::int64_t readInteger(const QString& section, const QString& key) const;

    // Sets the keys of section to the values, in the order given, keeping every other line of the
    // file. The file is replaced atomically (a crash or a full disk leaves the old file whole); the
    // folder is made when missing. Throws AppError("Unable to write to <path>") when it cannot be
    // written; the file is then unchanged.
    void writeIntegers(const QString& section, const std::vector<std::pair<QString, std::int64_t>>& values) const;

    // Parses a whole number (optional sign, decimal digits, blanks around it); a number beyond
    // 64 bits gives the 64-bit maximum (minimum when negative). ok is false for any other text.
    static std::int64_t parseWholeNumber(const QByteArray& text, bool* ok);

private:
    QString m_path;
};
