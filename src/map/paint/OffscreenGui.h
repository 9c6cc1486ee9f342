// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QGuiApplication>
#include <memory>

// A QGuiApplication on the "offscreen" platform, whatever the environment says: fonts and images
// for pictures drawn without any display and without a variable to set. Lives as long as this does.
class OffscreenGui {
public:
    explicit OffscreenGui(char* programName);

private:
    char m_option[10] = "-platform";
    char m_platform[10] = "offscreen";
    char* m_argv[4] = {};
    int m_argc = 3;
    std::unique_ptr<QGuiApplication> m_app;
};
