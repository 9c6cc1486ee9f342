// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/paint/OffscreenGui.h"

OffscreenGui::OffscreenGui(char* programName) {
    // Qt keeps the arguments: they live in this object, beside the application.
    m_argv[0] = programName;
    m_argv[1] = m_option;
    m_argv[2] = m_platform;
    m_app = std::make_unique<QGuiApplication>(m_argc, m_argv);
}
