// SPDX-License-Identifier: GPL-3.0-or-later
#include "exclusions/ExclusionSetting.h"

#include "exclusions/UserSettings.h"

#include <QSettings>

namespace {
const QString kPatternsKey = QStringLiteral("Exclusions/Patterns");
const QString kCachesKey = QStringLiteral("Exclusions/Caches");
} // namespace

ExclusionSetting SavedExclusions() {
    const QSettings settings(UserSettingsPath(), QSettings::IniFormat);
    ExclusionSetting setting;
    ExclusionRules check;
    for (const QString& pattern : settings.value(kPatternsKey).toStringList())
        if (check.add(pattern.toStdString()))
            setting.patterns << pattern;
    setting.caches = settings.value(kCachesKey, false).toBool();
    return setting;
}

bool SaveExclusions(const ExclusionSetting& setting) {
    QSettings settings(UserSettingsPath(), QSettings::IniFormat);
    settings.setValue(kPatternsKey, setting.patterns);
    settings.setValue(kCachesKey, setting.caches);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

std::shared_ptr<ExclusionRules> RulesOf(const ExclusionSetting& setting) {
    auto rules = std::make_shared<ExclusionRules>();
    for (const QString& pattern : setting.patterns)
        rules->add(pattern.toStdString());
    rules->setCaches(setting.caches);
    return rules->empty() ? nullptr : rules;
}

void ApplySavedExclusions() { SetWalkExclusions(RulesOf(SavedExclusions())); }
