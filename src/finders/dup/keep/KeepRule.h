// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <optional>
#include <string_view>

// Which file of a group of identical files stays when the others are marked or removed.
// Oldest: the earliest modification time, then the earliest birth time. Newest: the latest
// modification time, then the latest birth time. Shortest: the shortest full path (in bytes), then
// the earliest birth time. First: the first in the run's order (the list's order). Whatever the
// rule leaves equal goes to the full path in ascending byte order, never to chance.
enum class KeepRule { Oldest, Newest, Shortest, First };

// The command line's words: "oldest", "newest", "shortest", "first".
const char* KeepRuleKey(KeepRule rule);
std::optional<KeepRule> KeepRuleFromKey(std::string_view key);
// The rule as the Mark copies window offers it.
QString KeepRuleText(KeepRule rule);
