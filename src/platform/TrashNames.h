// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string>

// The names an entry may take in a trash, and a process-wide memory of the numbers already given
// out, so that trashing thousands of entries of one name does not try every taken number again.
// The memory is only a hint: the exclusive create of the record still decides which name is free.
class TrashNames {
public:
    // The longest name of a trashed entry: its record adds ".trashinfo" and must still be a name.
    static constexpr std::size_t longest = 255 - (sizeof ".trashinfo" - 1);

    // The n-th name tried for name (from 1): the name itself, then ".n" put before its first dot
    // (after it when it has none). A name that would be too long keeps its number and its extension
    // and gives up the end of its stem, never half a UTF-8 character; when its extension is too
    // long to keep, the number goes at the end.
    static std::string candidate(const std::string& name, std::uint64_t n);

    // The number to try once name itself was taken in the trash whose info folder is infoFolder:
    // one past the last number this process gave the name there, as long as that one is still in
    // the trash (an emptied trash starts again at 2); 2 when there is none.
    static std::uint64_t firstCollisionNumber(int infoFolder, const std::string& name);
    // Notes that name went into that trash under number n.
    static void remember(int infoFolder, const std::string& name, std::uint64_t n);
};
