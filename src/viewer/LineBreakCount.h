// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>

// The number of LF bytes in bytes[0..size), and whether a CR is among them: the bulk step of a line
// scan. Where both are plain LF files the count alone settles the lines; a CR sends the scan back
// to looking at each byte. Uses the widest vector instructions the processor has.
std::int64_t CountLineFeeds(const char* bytes, std::size_t size, bool& sawCarriageReturn);
