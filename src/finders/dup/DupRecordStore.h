// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "common/FileDateTimeTexts.h"
#include "common/GrowingArray.h"
#include "common/RowOrder.h"
#include "common/ScanPlaces.h"
#include "platform/ListedEntry.h"

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One listed file, kept compact: 36 bytes besides its name (packed to 4-byte alignment, so the
// change fold costs its 4 bytes and no padding). Its folder, device and identity are
// stored once per folder (the files of a folder are added one after the other, so the store notes
// the folder once per run of files), the name as bytes in one arena (it ends where the next record's
// begins), the type follows from the name's extension. Sizes of 256 TiB and more lie in a table of
// their own. Its record line is made only when asked.
struct [[gnu::packed, gnu::aligned(4)]] DupRecord {
    std::uint64_t sizeAndAccess; // size in the low 48 bits (or BigSize), the last access's date word above
    std::uint64_t inode;         // the file's inode; the device is its folder's
    std::uint64_t modifiedNs;    // the last write to the nanosecond, for telling the file unchanged; 0: unknown
    std::uint32_t nameOffset;    // into the name arena
    std::uint32_t modified;      // packed local date-time of the last write
    std::uint32_t changeFold;    // ChangeFold of the change time, for the same; 0: unknown
};
static_assert(sizeof(DupRecord) == 36, "a listed file must stay at 36 bytes besides its name");

// The records of one scan and everything needed to render and order their lines. Records keep the
// order they were added in (walk order); the result order is a list of record indices beside them.
// Duplicate lines have 7 fields: name, size, modified date, modified time, access date,
// folder (+ marker), type. File-hog lines have 6: size, modified date, modified time, access date,
// path (+ marker), type.
class DupRecordStore {
public:
    void clear();
    std::size_t size() const { return m_records.size(); }

    // Starts a walked root (its path text as opened, no trailing "/" but "/", and its identity) for
    // the folders that follow. False when the root table is full.
    bool addRoot(std::string_view path, EntryIdentity identity);
    // Following the walk below the root: the folder entered (its name and identity), or left. Costs
    // only the names of the way down until a folder is used.
    void enterFolder(std::string_view name, EntryIdentity identity) { m_places.enter(name, identity); }
    void leaveFolder() { m_places.leave(); }
    // The folder the walk is in holds the records that follow; searchPath: it is a search-path folder.
    // False when the folder table is full.
    bool useWalkFolder(bool searchPath);
    // Starts a folder of the current root by its path (exact bytes beginning with the root's path,
    // no trailing "/" but at "/") for the records that follow. False when the folder table is full or
    // the folder does not lie in the current root.
    bool addFolder(std::string_view path, bool searchPath, EntryIdentity identity);
    // Adds a file of the current folder (modified, accessed: packed local date-times, of which the
    // lines show the access date only; modifiedNs: the last write as NanosecondStamp, 0 when not
    // known; changeFold: ChangeFold of the change time, 0 when not known). False when a table is full (the
    // record is not added).
    bool add(std::string_view name, std::int64_t size, std::uint64_t inode, std::uint32_t modified,
             std::uint32_t accessed, std::uint64_t modifiedNs = 0, std::uint32_t changeFold = 0);

    // Record i (in the order added).
    std::int64_t fileSize(std::size_t i) const;
    std::string_view name(std::size_t i) const {
        const std::size_t end = i + 1 < m_records.size() ? m_records[i + 1].nameOffset : m_names.size();
        return {m_names.data() + m_records[i].nameOffset, end - m_records[i].nameOffset};
    }
    // The name with whether it shows as it is.
    NameBytes nameBytes(std::size_t i) const { return {name(i), !(m_unclean[i / 64] >> (i % 64) & 1)}; }
    std::string path(std::size_t i) const;
    // The same path bytes appended to out, without a string of their own (for writing many paths).
    void appendPath(std::size_t i, std::string& out) const;
    // What a delete needs to reach the file again from its root and check that it is unchanged.
    ListedEntry entry(std::size_t i) const;
    // Record i's figures as numbers, for output that programs read.
    std::uint64_t modifiedNs(std::size_t i) const { return m_records[i].modifiedNs; }
    std::uint32_t modifiedPacked(std::size_t i) const { return m_records[i].modified; }
    std::uint32_t accessedPacked(std::size_t i) const { return std::uint32_t(accessedDate(i)) << 16; }
    bool inSearchPath(std::size_t i) const { return isSearchPath(folderOf(i)); }
    std::string_view typeUtf8(std::size_t i) const { return m_typeUtf8[typeIndex(name(i))]; }

    // Field n (1-based) of the record's line; "" beyond the last field.
    QString field(std::size_t i, int n, bool dupMode) const;
    QString line(std::size_t i, bool dupMode) const;
    // The same line appended to out in UTF-8, from texts made once per scan: for writing many lines.
    void appendLine(std::size_t i, bool dupMode, std::string& out) const;
    static int fieldCount(bool dupMode) { return dupMode ? 7 : 6; }

    // The results: record indices in result order (each record once at most).
    void setResults(std::vector<std::uint32_t> order) { m_results = std::move(order); }
    std::size_t resultCount() const { return m_results.size(); }
    std::uint32_t result(std::size_t r) const { return m_results[r]; }

    // The orders below are of record indices. Dates and times order as points in time, numbers as
    // numbers, names and paths as their texts (ASCII case ignored); the line texts are not made.
    // The candidate order: ascending lines of the duplicates layout, the name first: equal names
    // (ASCII case ignored, names that only look alike kept apart) by size, modified date and time
    // (oldest first), access date, folder, type, then as added.
    std::vector<std::uint32_t> candidateOrder() const;
    // addDups over the candidate order: each run of two or more records with the same key (sameKey),
    // in full and in candidate order. Records of a name no other record bears are never sorted.
    std::vector<std::uint32_t> duplicateOrder(bool exact) const;
    // The file-hog order: size in K, largest first; equal sizes by modified date and time (newest
    // first), then access date (newest first), then path (ascending), then as added.
    std::vector<std::uint32_t> hogOrder() const;
    // A file-hog column's order of some records (the grid's sorts; columns as the hog line's fields
    // less one): size (largest first, then as hogOrder), modified date and time or access date
    // (newest first), path or type (ascending); ties by path, then as added. descending turns
    // the column's own key around, never the ties.
    std::vector<std::uint32_t> hogColumnOrder(std::vector<std::uint32_t> records, int column, bool descending) const;
    // addDups key: same name ignoring ASCII case, and with exact the same size text.
    bool sameKey(std::uint32_t a, std::uint32_t b, bool exact) const;

    // Bytes held, for the measurements of bench/.
    std::size_t memoryBytes() const;

private:
    // Sizes at or above this lie in m_bigSizes (a sparse file can claim up to 8 EiB).
    static constexpr std::uint64_t BigSize = (std::uint64_t(1) << 48) - 1;
    // An extension's slot in the open-addressed table of extensions (index + 1; 0 is free).
    struct ExtSlot {
        std::uint64_t hash = 0;
        std::uint32_t index = 0;
    };

    std::uint16_t accessedDate(std::size_t i) const { return std::uint16_t(m_records[i].sizeAndAccess >> 48); }
    std::uint32_t folderOf(std::size_t i) const { return m_runs.folderOf(std::uint32_t(i)); }
    QString nameText(std::size_t i) const;
    QString folderField(std::uint32_t folder) const;
    bool isSearchPath(std::uint32_t folder) const {
        return folder < m_searchPath.size() && m_searchPath[folder];
    }
    std::string_view suffixOf(std::uint32_t folder) const;
    // The folder's display text (no "/" at its end but for "/", no marker) in UTF-8, valid until the
    // next one is asked for.
    std::string_view shownFolder(std::uint32_t folder) const { return m_places.displayPath(folder); }
    bool useFolder(std::uint32_t folder, bool searchPath);
    // Every record in path order (folder, name and marker as the hog line's path field).
    std::vector<std::uint32_t> pathOrder() const;
    // The type index of a name's extension: typeOf adds an extension met for the first time,
    // typeIndex finds one that was added.
    std::uint32_t typeOf(std::string_view name);
    std::uint32_t typeIndex(std::string_view name) const;
    // Ranks of the type names in text order, by type index.
    std::vector<std::uint32_t> typeRanks() const;
    // The candidate order by name groups; duplicatesOnly leaves out names borne once and, with
    // exact, size texts borne once within a name.
    std::vector<std::uint32_t> nameOrder(bool duplicatesOnly, bool exact) const;

    GrowingArray<DupRecord> m_records; // grown in place: no moment holds two copies
    GrowingArray<char> m_names;
    ScanPlaces m_places;
    FolderRuns m_runs;
    std::uint32_t m_folder = ScanPlaces::None; // of the records being added
    std::vector<std::uint8_t> m_searchPath;    // by folder: a search-path folder
    std::vector<std::pair<std::uint32_t, std::int64_t>> m_bigSizes; // by record, in record order
    std::vector<std::uint64_t> m_unclean; // a bit per record: its name does not show as it is
    std::vector<std::uint32_t> m_results;
public:
    // Asks for the record of result r and the name of result r - 8 ahead of their use: lines are
    // written in result order, records lie in walk order. (Inlined where it is called: a function
    // that only prefetches counts as one without effects, and its calls are dropped.)
    [[gnu::always_inline]] void prefetchResult(std::size_t r) const {
        if (r < m_results.size()) {
            // The record, and the next one, where its name ends.
            __builtin_prefetch(&m_records[m_results[r]]);
            __builtin_prefetch(&m_records[m_results[r]] + 1);
        }
        if (r >= 8 && r - 8 < m_results.size())
            __builtin_prefetch(m_names.data() + m_records[m_results[r - 8]].nameOffset);
    }
private:

    std::vector<QString> m_typeNames;
    std::vector<std::string> m_typeUtf8;
    // Date and time texts in UTF-8, each made once, for both the order and the written lines.
    mutable FileDateTimeTexts m_texts;
    // Extensions (from the last "." on, "" without one) to type indices. Looked up once per record
    // added, sorted and written, so a lookup is a short hash and one probe or two.
    std::vector<std::string> m_exts;
    std::vector<ExtSlot> m_extSlots;
};
