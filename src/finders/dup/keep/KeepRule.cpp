// SPDX-License-Identifier: GPL-3.0-or-later
#include "finders/dup/keep/KeepRule.h"

namespace {
constexpr KeepRule kRules[] = {KeepRule::Oldest, KeepRule::Newest, KeepRule::Shortest, KeepRule::First};
}

const char* KeepRuleKey(KeepRule rule) {
    switch (rule) {
    case KeepRule::Oldest:
        return "oldest";
    case KeepRule::Newest:
        return "newest";
    case KeepRule::Shortest:
        return "shortest";
    case KeepRule::First:
        return "first";
    }
    return "";
}

std::optional<KeepRule> KeepRuleFromKey(std::string_view key) {
    for (KeepRule rule : kRules)
        if (key == KeepRuleKey(rule))
            return rule;
    return std::nullopt;
}

QString KeepRuleText(KeepRule rule) {
    switch (rule) {
    case KeepRule::Oldest:
        return QStringLiteral("The &oldest (modified first)");
    case KeepRule::Newest:
        return QStringLiteral("The &newest (modified last)");
    case KeepRule::Shortest:
        return QStringLiteral("The one with the &shortest path");
    case KeepRule::First:
        return QStringLiteral("The &first in the list");
    }
    return {};
}
