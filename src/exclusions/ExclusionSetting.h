// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/ExclusionRules.h"

#include <QStringList>
#include <memory>

// The user's exclusions as the windows keep them in the settings (UserSettingsPath(), section
// [Exclusions]): the patterns in the user's order and the cache box.
struct ExclusionSetting {
    QStringList patterns;
    bool caches = false;
};

// What the settings hold; a pattern that is no longer valid (edited by hand) is passed over.
ExclusionSetting SavedExclusions();
// Writes setting. False when the settings file could not be written.
bool SaveExclusions(const ExclusionSetting& setting);
// The rules of setting (its valid patterns); nullptr when they leave nothing out.
std::shared_ptr<ExclusionRules> RulesOf(const ExclusionSetting& setting);
// Makes the saved exclusions the rules of every walk of this program (SetWalkExclusions).
void ApplySavedExclusions();
