// SPDX-License-Identifier: GPL-3.0-or-later
#include "exclusions/UserSettings.h"

#include <QDir>

QString UserSettingsPath() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/vantorel/vantorel.conf");
}
