// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <string_view>

// The 64-bit signatures that sort folders into candidates before anything is compared exactly. A
// folder's signature is a sum over its entries of a hash of the entry's name and what it holds, so
// it does not depend on the listing order; sums of unequal folders may collide, which is why every
// candidate is compared entry by entry before it is reported.
namespace FolderSignature {

enum Tag : std::uint64_t {
    FileTag = 0x46494c45ull,
    LinkTag = 0x4c494e4bull,
    OtherTag = 0x4f544852ull,
    FolderTag = 0x464f4c44ull,
};

// A well-spread 64-bit value of x.
inline std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// The term of one entry: its exact name bytes and a value that stands for what it holds.
std::uint64_t Term(std::string_view name, std::uint64_t holds);
// A hash of bytes (a link's target).
std::uint64_t Bytes(std::string_view bytes);

// The signature of a folder from the sum of its entries' terms and their number.
inline std::uint64_t Close(std::uint64_t sum, std::uint64_t entries) {
    return Mix(sum ^ Mix(entries + FolderTag));
}

} // namespace FolderSignature
