// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <cstdint>
#include <string>

// The texts that the deletion windows and the folder-tree delete show for paths and figures.

// A path or name as shown: bytes that are not UTF-8 become U+FFFD, control characters "?".
QString shownPath(const std::string& bytes);
// A whole number with the locale's thousands separators (1,234,567).
QString thousandsText(std::int64_t value);
