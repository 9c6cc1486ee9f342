// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "common/ScanPlaces.h"
#include "common/StringGridModel.h"
#include "platform/ListedEntry.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct BrowsedFolder;
class WildcardPattern;

// The files of one browsed folder: those whose names match the pattern, hidden and system entries
// and sub-folders left out, in name order (ASCII case ignored, then the bytes). Each file is one
// 40-byte record besides its name; the grid's six cells are rendered only when shown, sorted or
// printed, so a folder of 100,000 files lists in about the time its statistics take to read.
// Keys are positions in name order.
class FolderFileList : public GridRowSource {
public:
    // The grid's columns.
    enum Column { Modified = 0, Time = 1, Access = 2, Size = 3, Filename = 4, Type = 5 };

    FolderFileList();
    ~FolderFileList() override;

    // Lists the folder (its handle must be valid). False with errno in *error when it cannot be
    // read; the list is then empty. Entries that vanish while they are read are left out.
    bool list(const BrowsedFolder& folder, const WildcardPattern& pattern, int* error = nullptr);
    void clear();

    std::size_t count() const;
    // The sum of the listed sizes; it stops at the 64-bit maximum.
    std::int64_t totalBytes() const;
    std::string_view name(std::uint32_t key) const; // exact bytes
    std::string path(std::uint32_t key) const;      // exact bytes
    std::int64_t size(std::uint32_t key) const;
    // The file as it was listed (folder reached from the listing's root, identity, size and
    // modification time), for marks and deletes.
    ListedEntry entry(std::uint32_t key) const;
    // The key of the file with exactly these name bytes.
    std::optional<std::uint32_t> find(std::string_view name) const;

    // GridRowSource: the cells of the Column above.
    QString cellText(std::uint32_t key, int column) const override;
    // The grid's sorts from the records: the modification and the access as points in time, the
    // size, names and types as texts; ties in name order, after the newest modification first in a
    // descending order.
    std::vector<std::uint32_t> orderRows(int column, bool descending,
                                         const std::vector<std::uint32_t>& keys) const override;

    std::size_t memoryBytes() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
