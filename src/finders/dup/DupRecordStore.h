// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "finders/dup/FileDateTimeTexts.h"

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// One listed file, kept compact: the folder path is stored once per folder, the name as bytes in
// one arena, times as packed words and the type as an index. Its record line is made only when asked.
struct DupRecord {
    std::int64_t size;           // bytes
    std::uint32_t nameOffset;    // into the name arena
    std::uint32_t folder;        // index of its folder
    std::uint32_t modified;      // packed local date-time of the last write
    std::uint32_t accessed;      // packed local date-time of the last access
    std::uint32_t type;          // index of its type name
    std::uint16_t nameLength;    // bytes (a name is at most 255 bytes)
    std::uint16_t flags;         // NameNeedsCare when the name is not clean UTF-8
};
static_assert(sizeof(DupRecord) == 32, "a listed file must stay at 32 bytes besides its name");

// The records of one scan and everything needed to render and order their lines.
// Duplicate lines have 7 fields: padded name, size, modified date, modified time, access date,
// folder (+ marker), type. File-hog lines have 6: size, modified date, modified time, access date,
// path (+ marker), type.
class DupRecordStore {
public:
    static constexpr std::uint16_t NameNeedsCare = 1;
    static constexpr int NameWidth = 14;

    void clear();
    std::size_t size() const { return m_records.size(); }

    // Starts a folder (exact path bytes, no trailing "/" but at the root) for the records that
    // follow. False when the folder table is full.
    bool addFolder(const std::string& path, bool searchPath);
    // Adds a file of the current folder. False when a table is full (the record is not added).
    bool add(std::string_view name, std::int64_t size, std::uint32_t modified, std::uint32_t accessed);

    const DupRecord& record(std::size_t i) const { return m_records[i]; }
    std::string_view name(const DupRecord& r) const { return {m_names.data() + r.nameOffset, r.nameLength}; }
    std::string path(std::size_t i) const;

    // Field n (1-based) of the record's line; "" beyond the last field.
    QString field(std::size_t i, int n, bool dupMode) const;
    QString line(std::size_t i, bool dupMode) const;
    // The same line appended to out in UTF-8, from texts made once per scan: for writing many lines.
    void appendLine(std::size_t i, bool dupMode, std::string& out) const;
    static int fieldCount(bool dupMode) { return dupMode ? 7 : 6; }

    // The candidate order: ascending whole line (duplicates layout), ASCII case ignored.
    std::vector<std::uint32_t> candidateOrder() const;
    // The file-hog order: size in K numerically, largest first; equal sizes in descending order of
    // the rest of the line.
    std::vector<std::uint32_t> hogOrder() const;
    // addDups key: same name ignoring ASCII case, and with exact the same size text.
    bool sameKey(std::uint32_t a, std::uint32_t b, bool exact) const;

    // Bytes held, for the measurements of bench/.
    std::size_t memoryBytes() const;

private:
    struct Folder {
        std::string path;    // exact bytes
        QString text;        // display text ending in "/" (no marker)
        std::string shown;   // text in UTF-8
        std::string folded;  // shown with a-z folded, for ordering
        bool searchPath = false;
    };
    struct Ranks;
    struct ExtHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>()(s); }
    };

    QString nameText(const DupRecord& r) const;
    // The name field of the record's line, folded: name fields order as their keys.
    std::string nameFieldKey(const DupRecord& r) const;
    QString folderField(const DupRecord& r) const;
    std::uint32_t typeOf(std::string_view name);
    Ranks makeRanks() const;

    std::vector<DupRecord> m_records;
    std::string m_names;
    std::vector<Folder> m_folders;
    std::vector<QString> m_typeNames;
    std::vector<std::string> m_typeUtf8;
    // Date and time texts in UTF-8, each made once, for both the order and the written lines.
    mutable FileDateTimeTexts m_texts;
    std::unordered_map<std::string, std::uint32_t, ExtHash, std::equal_to<>> m_types;
};
