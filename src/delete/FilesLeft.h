// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

// The entries a delete run could not remove, each with its reason, for the one report at the end.
// Bounded: the first few thousand are kept (and no more path bytes than a few MiB, since a path in
// a very deep tree can be long), the rest only counted.
class FilesLeft {
public:
    struct Item {
        std::string path; // exact bytes
        QString reason;
    };
    static constexpr std::size_t MaxKept = 5000;
    static constexpr std::size_t MaxKeptPathBytes = 4u << 20;

    void add(std::string path, QString reason);
    // Every entry added, kept or not.
    std::int64_t count() const { return m_count; }
    bool empty() const { return m_count == 0; }
    const std::vector<Item>& kept() const { return m_kept; }
    // Report lines: the path's display text, a tab and the reason; a last line with how many more
    // there were when not all were kept.
    QStringList lines() const;

private:
    std::vector<Item> m_kept;
    std::size_t m_keptBytes = 0;
    std::int64_t m_count = 0;
};

// "N files could not be deleted and stayed where they were." (or "sent to the recycle bin").
QString FilesStayedText(std::int64_t files, bool recycle);
