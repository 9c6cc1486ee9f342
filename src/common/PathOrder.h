// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "common/RowOrder.h"
#include "common/ScanPlaces.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

// Files kept in walk order (their folders as runs), ordered by their whole path texts as the lines
// show them: the display path of the folder, "/", the shown name, then a suffix that the files of
// a folder share (the search-path marker), ASCII letters folded, compared as UTF-8 bytes; names that
// show alike then by their bytes (CompareShownNames), files of equal names by index. No path is made:
// the folders order by the tree (ScanPlaces::pathSegments), names by an eight-byte key and their
// bytes where the keys tie. Costs eight bytes per file while it runs (and twelve more per file of
// the largest folder).
//
// nameOf(file) gives a file's name (NameBytes, or bytes); suffixOf(folder) the suffix of a folder's
// files.
template <class NameOf, class SuffixOf>
std::vector<std::uint32_t> OrderFilesByPath(const ScanPlaces& places, const FolderRuns& runs, std::size_t files,
                                            const NameOf& nameOf, const SuffixOf& suffixOf) {
    std::vector<std::uint8_t> holds(places.folderCount(), 0);
    for (const FolderRuns::Run& run : runs.runs())
        holds[run.folder] = 1;
    const ScanPlaces::PathSegments segments = places.pathSegments(holds);
    holds = {};

    // Each file's segment, then the files grouped by segment, in walk order within each.
    std::vector<std::uint32_t> order(files);
    std::vector<std::uint32_t> starts(std::size_t(segments.count()) + 1, 0);
    {
        std::vector<std::uint32_t> segmentOf(files);
        const auto& list = runs.runs();
        for (std::size_t k = 0; k < list.size(); ++k) {
            const std::uint32_t folder = list[k].folder;
            const std::string_view suffix = suffixOf(folder);
            const std::size_t end = k + 1 < list.size() ? list[k + 1].first : files;
            for (std::size_t i = list[k].first; i < end; ++i) {
                const NameBytes name = nameOf(std::uint32_t(i));
                segmentOf[i] = segments.segmentOf(
                    folder, [&](std::string_view piece) { return ShownNameBefore(name, suffix, piece); });
                ++starts[std::size_t(segmentOf[i]) + 1];
            }
        }
        for (std::size_t s = 1; s < starts.size(); ++s)
            starts[s] += starts[s - 1];
        std::vector<std::uint32_t> next(starts.begin(), starts.end() - 1);
        for (std::size_t i = 0; i < files; ++i)
            order[next[segmentOf[i]]++] = std::uint32_t(i);
    }

    // Within a segment, by tail: the keys decide nearly always, the bytes only where they tie. Keys
    // are made one segment at a time, so the order holds little beside its own four bytes a file.
    std::vector<std::uint64_t> keys;
    std::vector<std::uint32_t> at;
    for (std::size_t s = 0; s + 1 < starts.size(); ++s) {
        const std::size_t first = starts[s], count = starts[s + 1] - starts[s];
        if (count < 2)
            continue;
        // Files of one segment share their suffix: folders whose paths show alike are marked alike.
        const std::string_view suffix = suffixOf(runs.folderOf(order[first]));
        keys.resize(count);
        at.resize(count);
        for (std::size_t k = 0; k < count; ++k) {
            keys[k] = ShownNameKey(nameOf(order[first + k]), suffix);
            at[k] = std::uint32_t(k);
        }
        // Positions in the segment are in walk order: the last tie-break.
        std::sort(at.begin(), at.end(), [&](std::uint32_t a, std::uint32_t b) {
            if (keys[a] != keys[b])
                return keys[a] < keys[b];
            if (const int c = CompareShownNames(nameOf(order[first + a]), nameOf(order[first + b]), suffix))
                return c < 0;
            return a < b;
        });
        // The keys' room holds the files in their new order for a moment.
        for (std::size_t k = 0; k < count; ++k)
            keys[k] = order[first + at[k]];
        for (std::size_t k = 0; k < count; ++k)
            order[first + k] = std::uint32_t(keys[k]);
    }
    return order;
}
