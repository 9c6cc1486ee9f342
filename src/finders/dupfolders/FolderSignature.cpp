// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dupfolders/FolderSignature.h"

#include <xxhash.h>

namespace FolderSignature {

std::uint64_t Term(std::string_view name, std::uint64_t holds) {
    return XXH3_64bits_withSeed(name.data(), name.size(), holds);
}

std::uint64_t Bytes(std::string_view bytes) {
    return XXH3_64bits(bytes.data(), bytes.size());
}

} // namespace FolderSignature
