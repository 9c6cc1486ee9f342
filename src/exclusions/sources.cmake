# SPDX-License-Identifier: GPL-3.0-or-later
# The user's exclusions: kept in the settings (no widget) and edited in their window. The rules
# themselves, and their use by every walk, are in src/platform.
include(${CMAKE_CURRENT_LIST_DIR}/setting.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/ui/window.cmake)
