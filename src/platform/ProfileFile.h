// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

// A plain-text profile (INI) file holding whole-number keys. Section and key names match ignoring
// ASCII case. The file is opened within each call and never held open.
//
// Only a regular file of at most maxBytes is read: anything else (a FIFO, a device, a link to one,
// a folder, a larger file) reads as missing, and a write to it fails without replacing it.
class ProfileFile {
public:
    static constexpr qint64 maxBytes = 64 * 1024;
    // How long an update waits for another program's lock on the file before it gives up.
    static constexpr std::chrono::milliseconds lockWait{5000};

    using Values = std::vector<std::pair<QString, std::int64_t>>;

    // The text of a profile file, line by line, so that a rewrite keeps every line it does not set
    // byte for byte (line ends and a leading UTF-8 byte-order mark included).
    class Contents {
    public:
        static Contents parse(const QByteArray& bytes);
        QByteArray bytes() const;

        // The value of key in section; -1 when the section or the key is missing or the value is
        // not a whole number (see parseWholeNumber).
        std::int64_t integer(const QString& section, const QString& key) const;
        // Sets the keys of section to the values, in the order given; a missing section is added
        // at the end, a missing key after the section's last non-blank line.
        void setIntegers(const QString& section, const Values& values);

    private:
        struct Line {
            QByteArray text; // without its line end
            bool crlf = false;
        };
        std::pair<qsizetype, qsizetype> findSection(const QString& section) const;

        QList<Line> m_lines;
        bool m_byteOrderMark = false;
    };

    explicit ProfileFile(QString path) : m_path(std::move(path)) {}

    const QString& path() const { return m_path; }

    // One consistent reading of the whole file; empty when it is missing or may not be read.
    // Never blocks: the file is opened non-blocking and checked on the open descriptor.
    Contents read() const;
    std::int64_t readInteger(const QString& section, const QString& key) const;

    // Reads the file, lets change set keys in it and replaces the file with the result, all under
    // an exclusive lock that every update of the file takes, so concurrent updates from several
    // programs each see the one before. The file is replaced atomically (a temporary beside it,
    // synced, renamed over it: a crash or a full disk leaves the old file whole), keeping its mode;
    // a symbolic link is kept and its target replaced. A missing file and folder are made.
    // Throws AppError("Unable to write to <path>\n<system reason>") when the file cannot be locked,
    // read or written, or when the new text would be larger than maxBytes; the file is then unchanged.
    // A lock that another program holds longer than wait fails likewise, the reason naming that.
    void update(const std::function<void(Contents&)>& change,
                std::chrono::milliseconds wait = lockWait) const;
    // update() that sets the keys of section to the values.
    void writeIntegers(const QString& section, const Values& values) const;

    // Parses a whole number (optional sign, decimal digits, blanks around it); a number beyond
    // 64 bits gives the 64-bit maximum (minimum when negative). ok is false for any other text.
    static std::int64_t parseWholeNumber(const QByteArray& text, bool* ok);

private:
    QString m_path;
};
