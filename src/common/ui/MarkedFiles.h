// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "delete/KeptCopies.h"
#include "journal/JournalRecord.h"
#include "platform/ListedEntry.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class QWidget;
class StringGridModel;

// The marked files of a finder window (its lbDeleted, marked count and byte total), by result key.
// A mark keeps the file as the scan listed it (exact path bytes and identity). Its size counts only
// while the file is still the listed one, so a file gone or changed since the scan is marked but
// not counted. Each mark remembers what it added, so unmarking takes back exactly that. Totals are
// 64-bit and stop at the limit instead of wrapping.
class MarkedFiles {
public:
    // Marks the result key's file. A key that is marked already is left as it is.
    void mark(std::uint32_t key, const ListedEntry& file);
    // Takes the mark of the result key away; nothing when it has none.
    void unmark(std::uint32_t key);
    // Marks the file of a key row of the grid, or takes its mark away, the row's mark glyph too.
    // entry gives the file of a result key as it was listed; it is asked only when marking.
    void toggle(StringGridModel& model, int row, const std::function<ListedEntry(std::uint32_t key)>& entry);
    void clear();

    bool isMarked(std::uint32_t key) const;
    std::int64_t count() const { return m_count; }
    std::int64_t bytes() const { return m_bytes; }
    // The marked files in marking order, and their exact paths.
    const std::vector<ListedEntry>& files() const { return m_files; }
    std::vector<std::string> paths() const;
    // "<count> files <bytes in thousands> bytes", the status line of marking.
    QString totalsText() const;

private:
    std::vector<ListedEntry> m_files;
    std::vector<std::uint32_t> m_keys; // the result key of each file
    std::unordered_set<std::uint32_t> m_marked; // the same keys, asked often for many files
    // Bytes counted for each counted key.
    std::unordered_map<std::uint32_t, std::int64_t> m_counted;
    std::int64_t m_count = 0;
    std::int64_t m_bytes = 0;
};

// The delete confirmation of a finder window: gets the marked files as the scan listed them and
// their total, answers QDialog::Accepted (OK) or anything else (Cancel).
using DeleteConfirmation =
    std::function<int(QWidget* parent, const std::vector<ListedEntry>& files, double bytes)>;

// Hands the marked files and their total to confirmation, or to TfrmReallyDelete when it is empty
// (with tool, the window whose marks they are, for the journal, and kept, the copies marked
// duplicates leave), and returns the answer.
int ConfirmMarkedDelete(QWidget* parent, const MarkedFiles& marked, const DeleteConfirmation& confirmation,
                        JournalTool tool, KeptCopies kept = {});
